#include "quarn/script/file_bytes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <limits>
#include <string>
#include <string_view>

#include "tests/fixtures/temp_dir.h"

namespace {

constexpr std::string_view kFive("a\0b\r\n", 5);

class FileBytesTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Ok()) << m_dir.Error();
        Write("empty", "");
        Write("five", kFive);
        ASSERT_EQ(::mkdir(m_dir.File("dir").c_str(), 0777), 0);
        // A pipe nobody writes to: opening it for reading the usual way would wait for ever.
        ASSERT_EQ(::mkfifo(m_dir.File("pipe").c_str(), 0666), 0);
    }

    void Write(const std::string& name, std::string_view content) {
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(m_dir.File(name), content, &error)) << error;
    }

    fixtures::TempDir m_dir;
};

TEST_F(FileBytesTest, ReadsPlainFilesWithinTheLimitAndRefusesTheRest) {
    struct Row {
        const char* name;
        std::size_t limit;
        FileBytesRead expected;
        std::string bytes;
    };
    const Row rows[] = {
        {"empty", 0, FileBytesRead::kRead, ""},
        {"five", 5, FileBytesRead::kRead, std::string(kFive)},
        {"five", std::numeric_limits<std::size_t>::max(), FileBytesRead::kRead, std::string(kFive)},
        {"five", 4, FileBytesRead::kTooLong, ""},
        {"missing", 5, FileBytesRead::kMissing, ""},
        {"dir", 5, FileBytesRead::kUnreadable, ""},
        {"pipe", 5, FileBytesRead::kUnreadable, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " limit " + std::to_string(row.limit));
        std::string bytes = "old";
        EXPECT_EQ(ReadFileBytes(m_dir.File(row.name), bytes, row.limit), row.expected);
        if (row.expected == FileBytesRead::kRead) {
            EXPECT_EQ(bytes, row.bytes);
        }
    }
}

}  // namespace
