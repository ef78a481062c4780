// A shop of 10,000 product pages, 50 category pages and an index from one SQLite database, made
// by the real quarn program (a first run and an unchanged second run) and by Python 3 with Jinja2
// (site/shop.py) from the same database, which must give the same bytes. Prints the best times of
// three turns, the pages each run wrote and quarn's peak memory; exits 1, with no figures, when a
// run fails or the pages of any turn differ.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/program_run.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/text.h"

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr double kPeakGoalMiB = 64;
constexpr std::size_t kPages = 10051;  // 10,000 products, 50 categories, the index

// Whether quarn's pages of a turn, after its rerun, are jinja2's of the same turn byte for byte,
// and all of the site's; says what differs when not.
bool SamePages(const fixtures::TempDir& jinjaDir, const std::string& quarnDir) {
    const bench::FileSet reference = bench::ScanFiles(jinjaDir.Path());
    const std::size_t made = bench::ScanFiles(quarnDir).files.size();
    long differing = 0;
    std::string first;
    for (const auto& [path, stamp] : reference.files) {
        const std::string name = path.substr(jinjaDir.Path().size());
        if (fixtures::ReadTextFile(path).value_or("") ==
            fixtures::ReadTextFile(quarnDir + name).value_or(""))
            continue;
        if (differing++ == 0) first = name;
    }
    if (differing == 0 && reference.files.size() == kPages && made == kPages) return true;
    std::printf(
        "pages differ: %ld of jinja2's %zu (first: %s); quarn wrote %zu, the site has %zu\n",
        differing, reference.files.size(), first.c_str(), made, kPages);
    return false;
}

void PrintRun(const char* what, const bench::ProgramRun& run, long written) {
    std::printf("%-22s %7.2f s  %6ld pages written  peak %s\n", what, run.seconds, written,
                bench::Mebibytes(run.peakKiB * 1024.0).c_str());
}

bool Succeeded(const char* what, const bench::ProgramRun& run) {
    if (run.status == 0) return true;
    std::printf("%s failed (status %d):\n%s\n", what, run.status, run.output.c_str());
    return false;
}

// Runs of quarn and of jinja2 take turns, each in a directory of its own that stays until the
// end: a directory removed in between would make the next run's file creation pay for the
// file system's clean-up, and the turns spread what other load does to both.
constexpr int kRounds = 3;

struct Round {
    std::unique_ptr<bench::QuarnProgramDir> quarn;
    std::unique_ptr<fixtures::TempDir> jinjaDir;
    bench::ProgramRun first;
    bench::ProgramRun jinja;
    bench::ProgramRun rerun;
    long firstWritten = 0;
    long rerunWritten = 0;
};

const bench::ProgramRun& Fastest(const std::vector<Round>& rounds, bench::ProgramRun Round::*run) {
    const Round* best = &rounds.front();
    for (const Round& round : rounds)
        if ((round.*run).seconds < (best->*run).seconds) best = &round;
    return best->*run;
}

// Where the runs write: a memory file system when there is one, since on a disk the cost of
// creating 60,000 files follows the file system's state (recently deleted inodes, other load)
// for both programs alike and hides what they do themselves. TEST_TMPDIR chooses another place.
std::string ChooseFileSystem() {
    if (std::getenv("TEST_TMPDIR") == nullptr && ::access("/dev/shm", W_OK | X_OK) == 0)
        ::setenv("TEST_TMPDIR", "/dev/shm", 1);
    const char* dir = std::getenv("TEST_TMPDIR");
    return dir != nullptr ? dir : "/tmp";
}

}  // namespace

int main() {
    const std::string place = ChooseFileSystem();
    const fixtures::SqliteDatabase database(
        fixtures::ReadTextFile(BENCH_SITE_DIR "/shop.sql").value_or(""));
    if (!database.Ok()) {
        std::printf("cannot build the database: %s\n", database.Error().c_str());
        return 1;
    }
    std::string script = fixtures::ReadTextFile(BENCH_SITE_DIR "/shop.scp").value_or("");
    fixtures::ReplaceAll(script, "@DSN@", database.ConnectionString());

    std::vector<Round> rounds(kRounds);
    for (std::size_t turn = 0; turn < rounds.size(); ++turn) {
        Round& round = rounds[turn];
        round.quarn = std::make_unique<bench::QuarnProgramDir>();
        round.jinjaDir = std::make_unique<fixtures::TempDir>("bench_jinja");
        if (!round.quarn->Ok() || !round.jinjaDir->Ok() ||
            !round.quarn->WriteScript("Script1.scp", script)) {
            std::printf("cannot set up the run: %s%s\n", round.quarn->Error().c_str(),
                        round.jinjaDir->Error().c_str());
            return 1;
        }
        const auto runQuarn = [&] {
            const bench::FileSet empty = bench::ScanFiles(round.quarn->HtmlDir());
            round.first = round.quarn->Run({"Script1.scp"});
            round.firstWritten =
                bench::CountWritten(empty, bench::ScanFiles(round.quarn->HtmlDir()));
            return Succeeded("quarn's first run", round.first);
        };
        const auto runJinja = [&] {
            const std::string& out = round.jinjaDir->Path();
            round.jinja =
                bench::RunProgram({kPython, BENCH_SITE_DIR "/shop.py", database.Path(), out}, out);
            return Succeeded("python3 + jinja2 (tools/install-deps installs python3-jinja2)",
                             round.jinja);
        };
        // Who goes first changes from turn to turn: on a disk the first of two runs can pay for
        // the clean-up of files deleted before.
        const bool ran = turn % 2 == 0 ? runQuarn() && runJinja() : runJinja() && runQuarn();
        if (!ran) return 1;
    }
    for (Round& round : rounds) {
        const bench::FileSet before = bench::ScanFiles(round.quarn->HtmlDir());
        round.rerun = round.quarn->Run({"Script1.scp"});
        if (!Succeeded("quarn's second run", round.rerun)) return 1;
        round.rerunWritten = bench::CountWritten(before, bench::ScanFiles(round.quarn->HtmlDir()));
    }

    for (const Round& round : rounds)
        if (!SamePages(*round.jinjaDir, round.quarn->HtmlDir())) return 1;

    const Round& last = rounds.back();
    const bench::FileSet pages = bench::ScanFiles(last.quarn->HtmlDir());
    const bench::ProgramRun& first = Fastest(rounds, &Round::first);
    const bench::ProgramRun& jinja = Fastest(rounds, &Round::jinja);
    std::printf("site: %zu pages (10,000 products, 50 categories, index), %s, in %s; best of %d\n",
                pages.files.size(), bench::Mebibytes(pages.Bytes()).c_str(), place.c_str(),
                kRounds);
    PrintRun("quarn, first run", first, last.firstWritten);
    PrintRun("quarn, unchanged rerun", Fastest(rounds, &Round::rerun), last.rerunWritten);
    PrintRun("python3 + jinja2", jinja, static_cast<long>(pages.files.size()));
    std::printf("quarn first run / jinja2: %.2f (goal: at most 1)\n",
                first.seconds / jinja.seconds);
    long peakKiB = 0;
    for (const Round& round : rounds)
        peakKiB = std::max({peakKiB, round.first.peakKiB, round.rerun.peakKiB});
    const double peakMiB = peakKiB / 1024.0;
    std::printf("quarn peak memory: %.1f MiB (goal: under %.0f MiB) %s\n", peakMiB, kPeakGoalMiB,
                peakMiB < kPeakGoalMiB ? "met" : "NOT MET");
    std::printf("pages identical: all %zu, in each of the %d turns\n", pages.files.size(), kRounds);
    return 0;
}
