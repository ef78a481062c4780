#include "platform/replace_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/fixtures/temp_dir.h"

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(ReplaceFileTest, NewFilesTakeTheGivenModeExistingOnesKeepTheirs) {
    fixtures::TempDir dir("replace_file");
    ASSERT_TRUE(dir.Ok()) << dir.Error();
    const std::string path = dir.File("script.pl");
    std::string error;
    ASSERT_TRUE(platform::ReplaceFile(path, "one", 0600, &error)) << error;
    EXPECT_EQ(ModeOf(path), 0600u);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(platform::ReplaceFile(path, "two", 0600, &error)) << error;
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(fixtures::ReadTextFile(path), "two");
}

TEST(ReplaceFileTest, AFailureLeavesNothingBehind) {
    fixtures::TempDir dir("replace_file_fail");
    ASSERT_TRUE(dir.Ok()) << dir.Error();
    std::string error;
    EXPECT_FALSE(platform::ReplaceFile(dir.File("gone/x.txt"), "x", 0644, &error));
    EXPECT_NE(error.find("gone"), std::string::npos) << error;
    // A directory in the file's place: the rename fails and the temporary goes.
    std::filesystem::create_directory(dir.File("taken"));
    EXPECT_FALSE(platform::ReplaceFile(dir.File("taken"), "x", 0644, &error));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

}  // namespace
