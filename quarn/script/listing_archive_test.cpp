#include "quarn/script/listing_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fixtures/temp_dir.h"

namespace {

class ListingArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Ok()) << m_dir.Error(); }

    // What a listing limited to `limit` bytes holds after `writes`, in one call each.
    std::string Written(std::size_t limit, const std::vector<std::string>& writes) {
        CListingArchive archive(limit);
        EXPECT_EQ(archive.Open(m_dir.File("listing")), 1);
        for (const std::string& bytes : writes)
            archive.Write(bytes);
        EXPECT_EQ(archive.Close(), 1);
        return fixtures::ReadTextFile(m_dir.File("listing")).value_or("<unreadable>");
    }

    fixtures::TempDir m_dir{"listing_archive"};
};

TEST_F(ListingArchiveTest, CutLineNamesTheLimit) {
    EXPECT_EQ(CListingArchive::CutLine(CListingArchive::kDefaultLimit),
              "Rest of the listing left out: it passed 64 MiB.\r\n");
    EXPECT_EQ(CListingArchive::CutLine(1000), "Rest of the listing left out: it passed 1000 bytes.\r\n");
}

TEST_F(ListingArchiveTest, StopsAtItsLimitWithOneClosingLine) {
    const std::string cut = CListingArchive::CutLine(10);
    const std::size_t big = CListingArchive::kBufferSize * 3;
    struct Case {
        const char* name;
        std::size_t limit;
        std::vector<std::string> writes;
        std::string listing;
    };
    const std::vector<Case> cases = {
        {"under the limit", 10, {"abc", "defgh"}, "abcdefgh"},
        {"exactly the limit", 10, {"01234", "56789"}, "0123456789"},
        {"one byte past, mid-line", 10, {"0123456789", "x"}, "0123456789\r\n" + cut},
        {"a write crossing the limit", 10, {"01234\n", "567890123"}, "01234\n5678\r\n" + cut},
        {"cut just after a line end", 10, {"012345678\n", "x"}, "012345678\n" + cut},
        {"writes after the cut are left out",
         10,
         {"0123456789ab", "more", std::string(big, 'm')},
         "0123456789\r\n" + cut},
        {"a write longer than the buffer",
         CListingArchive::kBufferSize * 2 + 5,
         {"ab", std::string(big, 'x')},
         "ab" + std::string(CListingArchive::kBufferSize * 2 + 3, 'x') + "\r\n" +
             CListingArchive::CutLine(CListingArchive::kBufferSize * 2 + 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Written(c.limit, c.writes), c.listing);
    }
}

TEST_F(ListingArchiveTest, ReportsLostBytesAtClose) {
    CListingArchive archive;
    EXPECT_EQ(archive.Close(), 0);
    ASSERT_EQ(archive.Open(m_dir.File("listing")), 1);
    const std::string big(CListingArchive::kBufferSize * 2 + 10, 'x');
    archive.Write("ab");
    archive.Write(big);
    archive.Write("cd");
    EXPECT_EQ(archive.Close(), 1);
    EXPECT_EQ(fixtures::ReadTextFile(m_dir.File("listing")), "ab" + big + "cd");

    CListingArchive full;
    ASSERT_EQ(full.Open("/dev/full"), 1);
    full.Write("a few bytes");
    EXPECT_EQ(full.Close(), 0);
}

}  // namespace
