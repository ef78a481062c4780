#include "quarn/app/remote_users.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "quarn/app/app_test_support.h"
#include "tests/fixtures/temp_dir.h"

namespace {

TEST(RemoteUsersTest, LinesAreComparedWholeWithoutTheirLineEnds) {
    struct Case {
        const char* name;
        std::string file;
        std::string user, password;
        RemoteLogon result;
    };
    const std::vector<Case> cases = {
        {"first line, CR LF", "ann pw1\r\nbob pw2\r\n", "ann", "pw1", RemoteLogon::kFirstUser},
        {"later line, CR LF", "ann pw1\r\nbob pw2\r\n", "bob", "pw2", RemoteLogon::kUser},
        {"LF only", "ann pw1\nbob pw2\n", "bob", "pw2", RemoteLogon::kUser},
        {"last line without end", "ann pw1\r\nbob pw2", "bob", "pw2", RemoteLogon::kUser},
        {"lone trailing CR", "ann pw1\r\nbob pw2\r", "bob", "pw2", RemoteLogon::kUser},
        {"blank first line counts", "\r\nann pw1\r\n", "ann", "pw1", RemoteLogon::kUser},
        {"password is a prefix", "bob pw2\r\n", "bob", "pw", RemoteLogon::kRefused},
        {"password is longer", "bob pw2\r\n", "bob", "pw22", RemoteLogon::kRefused},
        {"case matters", "bob pw2\r\n", "Bob", "pw2", RemoteLogon::kRefused},
        {"blank inside password", "bob my pw\r\n", "bob", "my pw", RemoteLogon::kFirstUser},
        {"name and password run together", "bobpw2\r\n", "bob", "pw2", RemoteLogon::kRefused},
        {"empty file", "", "bob", "pw2", RemoteLogon::kRefused},
    };
    fixtures::TempDir dir("remote_users");
    ASSERT_TRUE(dir.Ok()) << dir.Error();
    const std::string path = dir.File("passwords.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutFile(path, c.file);
        EXPECT_EQ(CheckRemoteUser(path, c.user, c.password), c.result);
    }
}

TEST(RemoteUsersTest, MissingAndUnreadableFiles) {
    fixtures::TempDir dir("remote_users");
    ASSERT_TRUE(dir.Ok()) << dir.Error();
    EXPECT_EQ(CheckRemoteUser(dir.File("passwords.txt"), "bob", "pw"), RemoteLogon::kNoFile);
    std::filesystem::create_directory(dir.File("passwords.txt"));
    EXPECT_EQ(CheckRemoteUser(dir.File("passwords.txt"), "bob", "pw"), RemoteLogon::kReadFailed);
}

}  // namespace
