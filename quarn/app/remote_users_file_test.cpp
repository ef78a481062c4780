#include "quarn/app/remote_users_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "quarn/app/app_test_support.h"
#include "quarn/app/remote_users.h"
#include "tests/fixtures/temp_dir.h"

namespace {

class RemoteUsersFileTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Ok()) << m_dir.Error(); }
    std::string Path() const { return m_dir.File("passwords.txt"); }
    std::string Text() const { return FileText(Path()); }
    unsigned Mode() const {
        struct stat info {};
        return ::stat(Path().c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }

    fixtures::TempDir m_dir{"remote_users_file"};
};

TEST_F(RemoteUsersFileTest, NamesAreTheTextBeforeEachLinesFirstBlank) {
    CRemoteUsersFile users(Path());
    EXPECT_TRUE(users.Names().empty()) << "no file, no users";
    PutFile(Path(), "ann pw1\r\nbob my pw\nnoblank\r\n\r\ncarl x\r");
    EXPECT_EQ(users.Names(), (std::vector<std::string>{"ann", "bob", "", "", "carl"}));
}

TEST_F(RemoteUsersFileTest, AddTrimsChecksAndAppendsAPrivateLine) {
    CRemoteUsersFile users(Path());
    const struct {
        std::string_view user, password, message;
    } refused[] = {
        {"", "pw", "User must have a username"},
        {" \t", "pw", "User must have a username"},
        {"ann", "", "User must have a password"},
        {"", "", "User must have a username"},
        {"ann", "  ", "User must have a password"},
        {"ann", "pw\r\nmallory x", "User names and passwords cannot contain line breaks"},
        {"an\nn", "pw", "User names and passwords cannot contain line breaks"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(users.Add(c.user, c.password), 0);
        EXPECT_EQ(users.m_strMessage, c.message);
    }
    EXPECT_FALSE(std::filesystem::exists(Path()));

    ASSERT_EQ(users.Add("ann ", " secret word"), 1) << users.m_strMessage;
    ASSERT_EQ(users.Add("ann", "again"), 1) << "duplicates are not checked";
    EXPECT_EQ(Text(), "ann secret word\r\nann again\r\n");
    EXPECT_EQ(Mode(), 0600u);
    EXPECT_EQ(CheckRemoteUser(Path(), "ann", "secret word"), RemoteLogon::kFirstUser);
}

TEST_F(RemoteUsersFileTest, AddEndsAnUnfinishedLastLineFirst) {
    PutFile(Path(), "ann pw1");
    ::chmod(Path().c_str(), 0644);
    CRemoteUsersFile users(Path());
    ASSERT_EQ(users.Add("bob", "pw2"), 1) << users.m_strMessage;
    EXPECT_EQ(Text(), "ann pw1\r\nbob pw2\r\n");
    EXPECT_EQ(Mode(), 0600u);
    EXPECT_EQ(CheckRemoteUser(Path(), "ann", "pw1"), RemoteLogon::kFirstUser);
    EXPECT_EQ(CheckRemoteUser(Path(), "bob", "pw2"), RemoteLogon::kUser);
}

TEST_F(RemoteUsersFileTest, RemoveDropsEveryLineOfTheNameAndKeepsTheRest) {
    PutFile(Path(), "ann pw1\nbob pw2\r\nann pw3\r\nAnn pw4\nannie pw5\nnoblank");
    ::chmod(Path().c_str(), 0644);
    CRemoteUsersFile users(Path());
    ASSERT_EQ(users.Remove("ann"), 1) << users.m_strMessage;
    EXPECT_EQ(Text(), "bob pw2\r\nAnn pw4\r\nannie pw5\r\nnoblank\r\n");
    EXPECT_EQ(Mode(), 0600u);
    ASSERT_EQ(users.Remove(""), 1) << "the empty entry is the lines without a blank";
    EXPECT_EQ(Text(), "bob pw2\r\nAnn pw4\r\nannie pw5\r\n");
    ASSERT_EQ(users.Remove("nobody"), 1);
    EXPECT_EQ(Text(), "bob pw2\r\nAnn pw4\r\nannie pw5\r\n");
}

TEST_F(RemoteUsersFileTest, FilesThatCannotBeWrittenAreReportedAndLeftAlone) {
    CRemoteUsersFile missing(Path());
    EXPECT_EQ(missing.Remove("ann"), 0);
    EXPECT_EQ(missing.m_strMessage,
              "The remote users file " + Path() + " could not be read: no such file or directory.");

    std::filesystem::create_directory(Path());
    CRemoteUsersFile directory(Path());
    EXPECT_EQ(directory.Add("ann", "pw"), 0);
    EXPECT_EQ(directory.m_strMessage,
              "The remote users file " + Path() + " could not be written: is a directory.");
    EXPECT_TRUE(directory.Names().empty());
}

}  // namespace
