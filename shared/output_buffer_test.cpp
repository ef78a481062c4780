#include "shared/output_buffer.h"

#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string TextOf(const COutputBuffer& buffer) {
    return std::string(buffer.GetBuffer(), static_cast<std::size_t>(buffer.GetLength()));
}

void ExpectZeroAfterText(const COutputBuffer& buffer) {
    EXPECT_EQ(buffer.GetBuffer()[buffer.GetLength()], '\0');
    EXPECT_EQ(buffer.GetAt(buffer.GetLength()), '\0');
}

TEST(OutputBuffer, StartsEmptyWithInitialCapacity) {
    COutputBuffer buffer;
    EXPECT_EQ(buffer.GetLength(), 0);
    EXPECT_EQ(buffer.GetCapacity(), 32768);
    EXPECT_STREQ(buffer.GetBuffer(), "");
    EXPECT_EQ(buffer.GetWrittenText(), "");
}

TEST(OutputBuffer, NextCapacityDoublesWhileSmallThenAddsAMillion) {
    struct Case {
        std::int64_t from, to;
    };
    const Case cases[] = {
        {32768, 65536},
        {524288, 1048576},
        {999999, 1999998},
        {1000000, 2000000},
        {1024000, 2024000},
        {1048576, 2048576},
        // Past 2^31 - 1 only the last step is shortened, to the longest allowed text.
        {2147048576, 2147483646},
        {2147483646, 2147483646},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        EXPECT_EQ(COutputBuffer::NextCapacity(c.from), c.to);
    }
}

TEST(OutputBuffer, GrowsOnlyWhenFull) {
    COutputBuffer buffer;
    ASSERT_EQ(buffer.AppendString(std::string(32768, 'a')), 1);
    EXPECT_EQ(buffer.GetCapacity(), 32768);
    ASSERT_EQ(buffer.AppendChar('b'), 1);
    EXPECT_EQ(buffer.GetCapacity(), 65536);
    EXPECT_EQ(buffer.GetLength(), 32769);
    EXPECT_EQ(buffer.GetAt(32768), 'b');
    ExpectZeroAfterText(buffer);

    COutputBuffer single;
    ASSERT_EQ(single.AppendString(std::string(32769, 'a')), 1);
    EXPECT_EQ(single.GetCapacity(), 65536);
}

TEST(OutputBuffer, OneAppendTakesAsManyStepsAsNeeded) {
    COutputBuffer buffer;
    ASSERT_EQ(buffer.AppendString(std::string(2500000, 'x')), 1);
    // 32768 doubled five times is 1048576; two steps of a million reach 3048576.
    EXPECT_EQ(buffer.GetCapacity(), 3048576);
    ExpectZeroAfterText(buffer);
}

TEST(OutputBuffer, GrowTakesOneStepAndKeepsTheText) {
    COutputBuffer buffer;
    ASSERT_EQ(buffer.AppendText("kept"), 1);
    ASSERT_EQ(buffer.Grow(), 1);
    EXPECT_EQ(buffer.GetCapacity(), 65536);
    EXPECT_STREQ(buffer.GetBuffer(), "kept");
}

TEST(OutputBuffer, MixedAppendsAcrossManyGrowthsKeepEveryByte) {
    COutputBuffer buffer;
    std::string expected;
    for (int i = 0; expected.size() < 3'000'000; ++i) {
        const char c = static_cast<char>(i * 7);
        const std::string line = "row " + std::to_string(i) + std::string(1, '\0') + "\r\n";
        ASSERT_EQ(buffer.AppendChar(c), 1);
        ASSERT_EQ(buffer.AppendString(line), 1);
        ASSERT_EQ(buffer.AppendText("<td>"), 1);
        expected += c;
        expected += line;
        expected += "<td>";
    }
    EXPECT_EQ(TextOf(buffer), expected);
    ExpectZeroAfterText(buffer);
}

TEST(OutputBuffer, AppendsOfNothingChangeNothing) {
    COutputBuffer buffer;
    ASSERT_EQ(buffer.AppendText("ab"), 1);
    EXPECT_EQ(buffer.AppendText(nullptr), 1);
    EXPECT_EQ(buffer.AppendText(""), 1);
    EXPECT_EQ(buffer.AppendString({}), 1);
    EXPECT_EQ(TextOf(buffer), "ab");
}

TEST(OutputBuffer, GetAtOutsideTheTextGivesZero) {
    COutputBuffer buffer;
    ASSERT_EQ(buffer.AppendText("xy"), 1);
    EXPECT_EQ(buffer.GetAt(0), 'x');
    EXPECT_EQ(buffer.GetAt(1), 'y');
    EXPECT_EQ(buffer.GetAt(2), '\0');
    EXPECT_EQ(buffer.GetAt(3), '\0');
    EXPECT_EQ(buffer.GetAt(-1), '\0');
}

// The sizes are checked before any allocation, so a reserved but untouched mapping stands in for
// texts of two gigabytes.
TEST(OutputBuffer, RefusesATextBeyondTheLimitAndKeepsItsText) {
    const std::size_t size = std::size_t{1} << 32;
    void* region =
        mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(region, MAP_FAILED);
    const auto* bytes = static_cast<const char*>(region);
    const auto max = static_cast<std::size_t>(COutputBuffer::kMaxLength);

    COutputBuffer buffer;
    ASSERT_EQ(buffer.AppendText("abc"), 1);
    for (const std::size_t length : {max - 2, max + 1, std::size_t{1} << 31, size}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(buffer.AppendString(std::string_view(bytes, length)), 0);
        EXPECT_EQ(TextOf(buffer), "abc");
        EXPECT_EQ(buffer.GetCapacity(), 32768);
        ExpectZeroAfterText(buffer);
    }
    munmap(region, size);
}

TEST(OutputBuffer, CompactionsDropLeadingWhiteSpaceAndBlankLines) {
    struct Case {
        const char* name;
        std::string text;
        std::string lines;     // CompactLines
        std::string keepTabs;  // CompactLinesKeepTabs
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"tab-indented lines and empty lines", "\tone\n\n\t\ttwo\n\n\n\tthree", "one\ntwo\nthree",
         "\tone\n\t\ttwo\n\tthree"},
        {"CR LF lines, blank ones with spaces", "  a b  \r\n   \r\n\r\nc\r\n", "a b  \r\nc\r\n",
         "a b  \r\nc\r\n"},
        {"only line ends", "\n\r\n\n", "", ""},
        {"space before a tab", " \t x\n", "x\n", "\t x\n"},
        {"tab-only line", "a\n\t\t\nb", "a\nb", "a\n\t\t\nb"},
        {"bytes 33 and above are content", "  !\n \x7F\n \xC3\xA9t\xC3\xA9\n",
         "!\n\x7F\n\xC3\xA9t\xC3\xA9\n", "!\n\x7F\n\xC3\xA9t\xC3\xA9\n"},
        {"zero bytes count as white space", "\0a\0b\n\0\n"s, "a\0b\n"s, "a\0b\n"s},
        {"nothing to drop", "text", "text", "text"},
        {"empty", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        COutputBuffer a, b;
        ASSERT_EQ(a.AppendString(c.text), 1);
        ASSERT_EQ(b.AppendString(c.text), 1);
        a.CompactLines();
        b.CompactLinesKeepTabs();
        EXPECT_EQ(TextOf(a), c.lines);
        EXPECT_EQ(TextOf(b), c.keepTabs);
        ExpectZeroAfterText(a);
        ExpectZeroAfterText(b);
    }
}

TEST(OutputBuffer, WrittenTextEndsAtTheFirstZeroByte) {
    using namespace std::string_literals;
    COutputBuffer buffer;
    ASSERT_EQ(buffer.AppendString("abc\0def"s), 1);
    EXPECT_EQ(buffer.GetLength(), 7);
    EXPECT_EQ(buffer.GetWrittenText(), "abc");
}

class SameAsFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string dir = testing::TempDir() + "output_buffer_test_XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = dir;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string m_dir;
};

TEST_F(SameAsFileTest, ComparesTheWrittenTextWithTheFile) {
    using namespace std::string_literals;
    std::string large(200'000, 'q');
    std::string largeChanged = large;
    largeChanged.back() = 'r';
    // A page that fills whole 64 KiB chunks: the end of the file is found by one more read.
    const std::string chunks(2 * 64 * 1024, 'q');
    struct Case {
        const char* name;
        std::string text;
        std::optional<std::string> file;  // nullopt: no file
        bool same;
    };
    const Case cases[] = {
        {"missing file", "abc", std::nullopt, false},
        {"equal", "abc", "abc", true},
        {"file one byte longer", "abc", "abcd", false},
        {"file one byte shorter", "abc", "ab", false},
        {"same size, other bytes", "abc", "abd", false},
        {"both empty", "", "", true},
        {"empty buffer, missing file", "", std::nullopt, false},
        {"empty buffer, file not empty", "", "a", false},
        {"zero byte: file holds the written part", "abc\0def"s, "abc", true},
        {"zero byte: file holds the whole buffer", "abc\0def"s, "abc\0def"s, false},
        {"large, equal", large, large, true},
        {"large, last byte differs", large, largeChanged, false},
        {"whole chunks, equal", chunks, chunks, true},
        {"whole chunks, file one byte longer", chunks, chunks + "q", false},
        {"whole chunks, file one byte shorter", chunks, chunks.substr(1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir + "/page.html";
        std::filesystem::remove(path);
        if (c.file) std::ofstream(path, std::ios::binary) << *c.file;
        COutputBuffer buffer;
        ASSERT_EQ(buffer.AppendString(c.text), 1);
        EXPECT_EQ(buffer.SameAsFile(path), c.same);
    }
}

TEST_F(SameAsFileTest, ADirectoryAPipeOrADeviceIsNeverTheSame) {
    COutputBuffer empty;
    COutputBuffer text;
    ASSERT_EQ(text.AppendString("abc"), 1);
    // Nobody writes to the pipe: opening it to read the usual way would wait for ever.
    const std::string pipe = m_dir + "/page.html";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    // A device that reads as empty, through a link in a page's place.
    const std::string device = m_dir + "/null.html";
    std::filesystem::create_symlink("/dev/null", device);
    for (const std::string& path : {m_dir, pipe, device}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(empty.SameAsFile(path));
        EXPECT_FALSE(text.SameAsFile(path));
    }
}

}  // namespace
