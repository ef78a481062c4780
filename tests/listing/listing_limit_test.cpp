// The real quarn program runs a script that assigns a value growing by three bytes 40,000 times,
// and a runscript child doing the same; each assign writes the whole value to the listing, 2.4 GB
// a run without a limit. Both runs end normally, each section of listfile.txt holds at most 64 MiB
// and its closing line, and quarn's peak memory stays that of the same scripts run 1,000 times
// round.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quarn/script/listing_archive.h"
#include "quarn/script/testing/script_test_support.h"
#include "tests/fixtures/quarn_program_dir.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using script_testing::GrowingValueScript;
using script_testing::ListingSection;

constexpr int kIterations = 40000;
constexpr int kFewIterations = 1000;
// What the long run may take above the short one: the value and its copies, some hundred KiB; a
// listing held in memory would take 64 MiB.
constexpr long kPeakGrowthKiB = 16 * 1024;

struct LoopRun {
    int status = -1;
    std::string output;
    long peakKiB = 0;
};

// main.scp runs child.scp and then its own loop, each of `iterations` assigns.
LoopRun RunLoops(const fixtures::QuarnProgramDir& dir, int iterations) {
    std::string error;
    const bool written =
        fixtures::WriteTextFile(dir.Project("child.scp"),
                                GrowingValueScript(iterations, "child.html"), &error) &&
        fixtures::WriteTextFile(
            dir.Project("main.scp"),
            "&runscript(\"child.scp\")" + GrowingValueScript(iterations, "main.html"), &error);
    LoopRun run;
    if (!written) {
        ADD_FAILURE() << error;
        return run;
    }
    run.status = dir.RunScript("main.scp", &run.output, &run.peakKiB);
    return run;
}

TEST(ListingLimitTest, GrowingValueLoopsEndWithTheirListingsCut) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // Each run copies the growing value 40,000 times: seconds in the plain build, minutes here,
    // where the peak memory would be the sanitizer's too.
    GTEST_SKIP() << "the full-size run is checked in the plain build";
#endif
    const fixtures::QuarnProgramDir dir(QUARN_BINARY);
    ASSERT_TRUE(dir.Ok()) << dir.Error();
    const LoopRun few = RunLoops(dir, kFewIterations);
    ASSERT_EQ(few.status, 0) << few.output;
    const LoopRun run = RunLoops(dir, kIterations);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "Running script file \"main.scp\"\nScript execution complete.\n");
    for (const char* page : {"child.html", "main.html"}) {
        EXPECT_EQ(
            fixtures::ReadTextFile(dir.Project("html/" + std::string(page))).value_or("").size(),
            3u * kIterations)
            << page;
    }

    // Each assign logs its value on a line of its own; at the limit a line is cut in its middle,
    // so the closing line follows on a new line.
    const std::size_t limit = CListingArchive::kDefaultLimit;
    std::string cutListing = "Variable ?k? set to abc\r\n";
    cutListing.reserve(limit + 64 * 1024);
    for (std::string value; cutListing.size() < limit;) {
        value += "abc";
        cutListing.append("Variable ?s? set to ").append(value).append("\r\n");
    }
    cutListing.resize(limit);
    cutListing += "\r\n" + CListingArchive::CutLine(limit);
    const std::vector<ListingSection> sections = script_testing::ListingSections(
        fixtures::ReadTextFile(dir.Project("listfile.txt")).value_or(""));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].script, "child.scp");
    // A script named on the command line is reported with its full path.
    EXPECT_EQ(sections[1].script, dir.Project("main.scp"));
    for (const ListingSection& section : sections)
        EXPECT_TRUE(section.body == cutListing)
            << section.script << ": " << section.body.size() << " bytes";
    EXPECT_LT(run.peakKiB - few.peakKiB, kPeakGrowthKiB)
        << "peak " << run.peakKiB << " KiB, " << few.peakKiB << " KiB for " << kFewIterations;
}

}  // namespace
