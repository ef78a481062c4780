#include "tolvane/ed_doc.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/fixtures/temp_dir.h"

namespace {

TEST(EdDocTest, SavesThroughATemporaryFileKeepingTheMode) {
    fixtures::TempDir dir("tolvane_doc");
    const std::string path = dir.File("a.scp");
    ASSERT_TRUE(fixtures::WriteTextFile(path, "one\r\ntwo\r\n", nullptr));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    CEdDoc doc;
    ASSERT_EQ(doc.Open(path), 1) << doc.m_strMessage;
    EXPECT_EQ(doc.File().Text(), "one\ntwo\n");
    EXPECT_EQ(doc.FileName(), "a.scp");
    ASSERT_EQ(doc.Save(path, "one\n2\n"), 1) << doc.m_strMessage;
    EXPECT_EQ(fixtures::ReadTextFile(path), "one\r\n2\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(EdDocTest, FailuresSayWhyAndChangeNothing) {
    fixtures::TempDir dir("tolvane_doc");
    CEdDoc doc;
    EXPECT_EQ(doc.Open(dir.File("missing.scp")), 0);
    EXPECT_EQ(doc.m_strMessage,
              "Unable to open " + dir.File("missing.scp") + ": No such file or directory");
    EXPECT_EQ(doc.Open(dir.Path()), 0);
    EXPECT_EQ(doc.Save(dir.File("no/dir/a.scp"), "x"), 0);
    EXPECT_EQ(doc.m_strMessage,
              "Unable to write " + dir.File("no/dir/a.scp") + ": No such file or directory");
    EXPECT_EQ(doc.Path(), "");
}

}  // namespace
