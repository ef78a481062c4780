#include "shared/read_only_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class ReadOnlyFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string dir = testing::TempDir() + "read_only_file_test_XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = dir;
        std::ofstream(File("five"), std::ios::binary) << "a\nbc\n";
        // A pipe nobody writes to: opening it for reading the usual way would wait for ever.
        ASSERT_EQ(::mkfifo(File("pipe").c_str(), 0666), 0);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string File(const std::string& name) const { return m_dir + "/" + name; }

    std::string m_dir;
};

TEST_F(ReadOnlyFileTest, AnOpenFileTellsWhyItCouldNotBeOpened) {
    const CReadOnlyFile missing(File("missing"));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.OpenError(), ENOENT);
    struct stat info {};
    EXPECT_FALSE(missing.IsRegularFile(info));

    const CReadOnlyFile pipe(File("pipe"));
    EXPECT_TRUE(pipe.IsOpen());
    EXPECT_FALSE(pipe.IsRegularFile(info));

    const CReadOnlyFile five(File("five"));
    ASSERT_TRUE(five.IsRegularFile(info));
    char data[8];
    EXPECT_EQ(five.Read(data, sizeof data), 5);
    EXPECT_EQ(five.Read(data, sizeof data), 0);
}

TEST_F(ReadOnlyFileTest, ReadAtComesBackShortOnlyAtTheEndAndRefusesAPipe) {
    const CReadOnlyFile five(File("five"));
    char data[8];
    EXPECT_EQ(five.ReadAt(data, 2, 1), 2);
    EXPECT_EQ(std::string(data, 2), "\nb");
    EXPECT_EQ(five.ReadAt(data, sizeof data, 3), 2);
    EXPECT_EQ(five.ReadAt(data, sizeof data, 5), 0);

    const CReadOnlyFile pipe(File("pipe"));
    EXPECT_EQ(pipe.ReadAt(data, sizeof data, 0), -1);
}

}  // namespace
