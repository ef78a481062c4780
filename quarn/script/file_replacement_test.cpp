#include "quarn/script/file_replacement.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "quarn/script/testing/script_test_support.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using script_testing::FileSizeLimit;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Entries(const std::string& directory) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode;
}

class FileReplacementTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Ok()) << m_dir.Error(); }
    void Write(const std::string& name, const std::string& bytes) {
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(m_dir.File(name), bytes, &error)) << error;
    }
    fixtures::TempDir m_dir;
};

TEST_F(FileReplacementTest, ReplacesContentAndLeavesNoTemporary) {
    Write("page.html", "old contents that are longer");
    ASSERT_TRUE(CFileReplacement::ReplaceWith(m_dir.File("page.html"), std::string("new\0x", 5)));
    EXPECT_EQ(ReadAll(m_dir.File("page.html")), std::string("new\0x", 5));
    EXPECT_EQ(Entries(m_dir.Path()), std::vector<std::string>{"page.html"});
}

TEST_F(FileReplacementTest, CreatesMissingFileWithUmaskedMode) {
    const mode_t saved = ::umask(022);
    const bool written = CFileReplacement::ReplaceWith(m_dir.File("new.html"), "text");
    ::umask(saved);
    ASSERT_TRUE(written);
    EXPECT_EQ(ModeOf(m_dir.File("new.html")) & 07777, 0644u);
}

TEST_F(FileReplacementTest, KeepsModeOfReplacedFile) {
    Write("page.html", "old");
    ASSERT_EQ(::chmod(m_dir.File("page.html").c_str(), 0640), 0);
    ASSERT_TRUE(CFileReplacement::ReplaceWith(m_dir.File("page.html"), "new"));
    EXPECT_EQ(ModeOf(m_dir.File("page.html")) & 07777, 0640u);
}

TEST_F(FileReplacementTest, ReplacesLinkInsteadOfWritingThroughIt) {
    Write("outside.txt", "keep me");
    ASSERT_EQ(::symlink(m_dir.File("outside.txt").c_str(), m_dir.File("page.html").c_str()), 0);
    ASSERT_TRUE(CFileReplacement::ReplaceWith(m_dir.File("page.html"), "page"));
    EXPECT_TRUE(S_ISREG(ModeOf(m_dir.File("page.html"))));
    EXPECT_EQ(ReadAll(m_dir.File("page.html")), "page");
    EXPECT_EQ(ReadAll(m_dir.File("outside.txt")), "keep me");
}

TEST_F(FileReplacementTest, MissingDirectoryFailsAtOpen) {
    CFileReplacement replacement(m_dir.File("missing/page.html"));
    EXPECT_FALSE(replacement.Open());
    EXPECT_FALSE(replacement.Write("x"));
    EXPECT_FALSE(replacement.Commit());
}

TEST_F(FileReplacementTest, DirectoryAtPathFailsCommitAndRemovesTemporary) {
    ASSERT_EQ(::mkdir(m_dir.File("page.html").c_str(), 0777), 0);
    EXPECT_FALSE(CFileReplacement::ReplaceWith(m_dir.File("page.html"), "text"));
    EXPECT_TRUE(S_ISDIR(ModeOf(m_dir.File("page.html"))));
    EXPECT_EQ(Entries(m_dir.Path()), std::vector<std::string>{"page.html"});
}

TEST_F(FileReplacementTest, FailedWriteLeavesOldFileWhole) {
    Write("page.html", "old page");
    {
        const FileSizeLimit limit(4);
        EXPECT_FALSE(CFileReplacement::ReplaceWith(m_dir.File("page.html"), "a longer new page"));
    }
    EXPECT_EQ(ReadAll(m_dir.File("page.html")), "old page");
    EXPECT_EQ(Entries(m_dir.Path()), std::vector<std::string>{"page.html"});
}

TEST_F(FileReplacementTest, UncommittedReplacementChangesNothing) {
    Write("page.html", "old");
    {
        CFileReplacement replacement(m_dir.File("page.html"));
        ASSERT_TRUE(replacement.Open());
        ASSERT_TRUE(replacement.Write("new"));
    }
    EXPECT_EQ(ReadAll(m_dir.File("page.html")), "old");
    EXPECT_EQ(Entries(m_dir.Path()), std::vector<std::string>{"page.html"});
}

}  // namespace
