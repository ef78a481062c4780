// A shop of 10,000 product pages, 50 category pages and an index from one SQLite database, made
// side by side by the real quarn program, by site_limit (the machine's limit: libsqlite3 and one
// open, write and close per page) and by Python 3 with Jinja2 (site/shop.py), each as a first run
// into an empty directory and as an unchanged rerun. All must give the same bytes, and no rerun
// may write a page. Prints the best times of three turns and their ratios, the system calls per
// page (strace -c of one more turn), and quarn on the same shop with 100,000 products; exits 1,
// with no figures, when a run fails or any of that work was wrong.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/program_run.h"
#include "bench/site_pages.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/text.h"

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kStrace = "/usr/bin/strace";
constexpr double kPeakGoalMiB = 64;
constexpr long kProducts = 10000;
constexpr long kBigProducts = 100000;
// The products, 50 categories, the index.
constexpr std::size_t Pages(long products) {
    return static_cast<std::size_t>(products) + 51;
}

bool Succeeded(const char* what, const bench::ProgramRun& run) {
    if (run.status == 0) return true;
    std::printf("%s failed (status %d):\n%s\n", what, run.status, run.output.c_str());
    return false;
}

// A run of one program in one output directory: its first run and its unchanged rerun, with the
// pages each wrote.
struct Runs {
    bench::ProgramRun first;
    bench::ProgramRun rerun;
    long firstWritten = 0;
    long rerunWritten = 0;
};

// Runs `run` into `dir` and counts the pages it wrote there; false when it failed.
template <typename Run>
bool Measure(const char* what, const std::string& dir, Run run, bench::ProgramRun& result,
             long& written) {
    const bench::FileSet before = bench::ScanFiles(dir);
    result = run();
    written = bench::CountWritten(before, bench::ScanFiles(dir));
    return Succeeded(what, result);
}

// The three programs of one turn, each in a directory of its own that stays until the end: a
// directory removed in between would make the next run's file creation pay for the file
// system's clean-up.
struct Turn {
    std::unique_ptr<bench::QuarnProgramDir> quarn;
    std::unique_ptr<fixtures::TempDir> limitDir;
    std::unique_ptr<fixtures::TempDir> jinjaDir;
    Runs quarnRuns, limitRuns, jinjaRuns;
};

// The one database of a site and the commands that make it.
struct Site {
    fixtures::SqliteDatabase database;
    std::string script;
    std::size_t pages;

    Site(const std::string& sql, long products)
        : database(sql),
          script(fixtures::ReadTextFile(BENCH_SITE_DIR "/shop.scp").value_or("")),
          pages(Pages(products)) {
        fixtures::ReplaceAll(script, "@DSN@", database.ConnectionString());
    }

    bool MakeTurn(Turn& turn) const {
        turn.quarn = std::make_unique<bench::QuarnProgramDir>();
        turn.limitDir = std::make_unique<fixtures::TempDir>("bench_limit");
        turn.jinjaDir = std::make_unique<fixtures::TempDir>("bench_jinja");
        if (turn.quarn->Ok() && turn.limitDir->Ok() && turn.jinjaDir->Ok() &&
            turn.quarn->WriteScript("Script1.scp", script))
            return true;
        std::printf("cannot set up the run: %s%s%s\n", turn.quarn->Error().c_str(),
                    turn.limitDir->Error().c_str(), turn.jinjaDir->Error().c_str());
        return false;
    }
    bench::ProgramRun Quarn(const Turn& turn, const std::vector<std::string>& wrapper = {}) const {
        return turn.quarn->Run({"Script1.scp"}, wrapper);
    }
    bench::ProgramRun Limit(const char* mode, const std::string& dir,
                            const std::vector<std::string>& wrapper = {}) const {
        std::vector<std::string> argv = wrapper;
        argv.insert(argv.end(), {SITE_LIMIT, mode, database.Path(), dir});
        return bench::RunProgram(argv, dir);
    }
    bench::ProgramRun Jinja(const std::string& dir) const {
        return bench::RunProgram({kPython, BENCH_SITE_DIR "/shop.py", database.Path(), dir}, dir);
    }

    // The first runs of all three, then their reruns; the order of the programs changes from
    // turn to turn, since on a disk the first of two runs can pay for earlier clean-up.
    bool RunTurn(Turn& turn, int number) const {
        const std::string& limitDir = turn.limitDir->Path();
        const std::string& jinjaDir = turn.jinjaDir->Path();
        const std::string quarnDir = turn.quarn->HtmlDir();
        for (const bool rerun : {false, true}) {
            const auto runQuarn = [&] {
                Runs& r = turn.quarnRuns;
                return Measure(
                    rerun ? "quarn's rerun" : "quarn's first run", quarnDir,
                    [&] { return Quarn(turn); }, rerun ? r.rerun : r.first,
                    rerun ? r.rerunWritten : r.firstWritten);
            };
            const auto runLimit = [&] {
                Runs& r = turn.limitRuns;
                return Measure(
                    "site_limit", limitDir,
                    [&] { return Limit(rerun ? "rerun" : "first", limitDir); },
                    rerun ? r.rerun : r.first, rerun ? r.rerunWritten : r.firstWritten);
            };
            const auto runJinja = [&] {
                Runs& r = turn.jinjaRuns;
                return Measure(
                    "python3 + jinja2 (tools/install-deps installs python3-jinja2)", jinjaDir,
                    [&] { return Jinja(jinjaDir); }, rerun ? r.rerun : r.first,
                    rerun ? r.rerunWritten : r.firstWritten);
            };
            const bool ran = number % 2 == 0 ? runQuarn() && runLimit() && runJinja()
                                             : runJinja() && runLimit() && runQuarn();
            if (!ran) return false;
        }
        return bench::SamePages("quarn", jinjaDir, quarnDir, pages) &&
               bench::SamePages("site_limit", jinjaDir, limitDir, pages) &&
               WroteAll(turn.quarnRuns) && WroteAll(turn.limitRuns) && WroteAll(turn.jinjaRuns);
    }

    // A first run writes every page, an unchanged rerun none.
    bool WroteAll(const Runs& runs) const {
        if (runs.firstWritten == static_cast<long>(pages) && runs.rerunWritten == 0) return true;
        std::printf("a first run wrote %ld of %zu pages, its unchanged rerun %ld\n",
                    runs.firstWritten, pages, runs.rerunWritten);
        return false;
    }
};

const bench::ProgramRun& Fastest(const std::vector<Turn>& turns, Runs Turn::*program,
                                 bench::ProgramRun Runs::*run) {
    const bench::ProgramRun* best = &(turns.front().*program.*run);
    for (const Turn& turn : turns)
        if ((turn.*program.*run).seconds < best->seconds) best = &(turn.*program.*run);
    return *best;
}

// The calls on the line of `syscall` ("total" for all) of a report of strace -c; -1 when none.
long CountedCalls(const std::string& report, std::string_view syscall) {
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> word{std::istream_iterator<std::string>(words), {}};
        if (word.size() >= 5 && word.back() == syscall) return std::atol(word[3].c_str());
    }
    return -1;
}

// System calls per page of a run under strace -c: all of them, and those on the database file
// (strace -P: SQLite's reads and locks) among them.
struct CallsPerPage {
    double all = -1;
    double database = 0;
};

// The calls per page that strace counted in `report`; false, with the reason printed, when the
// run failed or strace counted nothing.
bool Count(const char* what, const bench::ProgramRun& run, const std::string& report,
           std::size_t pages, double& perPage) {
    if (!Succeeded(what, run)) return false;
    const long calls = CountedCalls(report, "total");
    if (calls < 0) {
        std::printf("%s: strace counted nothing:\n%s\n", what, report.c_str());
        return false;
    }
    perPage = static_cast<double>(calls) / static_cast<double>(pages);
    return true;
}

const char* Verdict(bool met) {
    return met ? "met" : "NOT MET";
}

struct CallCounts {
    CallsPerPage quarnFirst, quarnRerun, limitFirst, limitRerun;
};

// One more turn under strace, untimed: quarn's and site_limit's first run and rerun, then one
// more rerun of each that counts only the calls on the database file (a first run makes the same
// queries).
bool CountCalls(const Site& site, CallCounts& counts) {
    if (::access(kStrace, X_OK) != 0) {
        std::printf("%s is missing (tools/install-deps installs strace)\n", kStrace);
        return false;
    }
    Turn turn;
    const fixtures::TempDir reports("bench_strace");
    if (!site.MakeTurn(turn) || !reports.Ok()) return false;
    const std::string report = reports.File("calls");
    const std::vector<std::string> strace{kStrace, "-f", "-c", "-o", report};
    std::vector<std::string> databaseStrace = strace;
    databaseStrace.insert(databaseStrace.end() - 2, {"-P", site.database.Path()});
    const auto count = [&](bool quarn, const char* mode, const std::vector<std::string>& wrapper,
                           double& perPage) {
        const bench::ProgramRun done =
            quarn ? site.Quarn(turn, wrapper) : site.Limit(mode, turn.limitDir->Path(), wrapper);
        return Count(quarn ? "quarn under strace" : "site_limit under strace", done,
                     fixtures::ReadTextFile(report).value_or(""), site.pages, perPage);
    };
    if (!count(true, "first", strace, counts.quarnFirst.all) ||
        !count(true, "rerun", strace, counts.quarnRerun.all) ||
        !count(false, "first", strace, counts.limitFirst.all) ||
        !count(false, "rerun", strace, counts.limitRerun.all) ||
        !count(true, "rerun", databaseStrace, counts.quarnRerun.database) ||
        !count(false, "rerun", databaseStrace, counts.limitRerun.database))
        return false;
    counts.quarnFirst.database = counts.quarnRerun.database;
    counts.limitFirst.database = counts.limitRerun.database;
    return bench::SamePages("quarn under strace", turn.limitDir->Path(), turn.quarn->HtmlDir(),
                            site.pages);
}

// quarn's first run and rerun of the big site, checked against site_limit's pages.
bool RunBigSite(const Site& site, Runs& runs) {
    Turn turn;
    if (!site.MakeTurn(turn)) return false;
    const std::string quarnDir = turn.quarn->HtmlDir();
    const std::string limitDir = turn.limitDir->Path();
    bench::ProgramRun limit;
    long limitWritten = 0;
    return Measure(
               "quarn's first run, big site", quarnDir, [&] { return site.Quarn(turn); },
               runs.first, runs.firstWritten) &&
           Measure(
               "quarn's rerun, big site", quarnDir, [&] { return site.Quarn(turn); }, runs.rerun,
               runs.rerunWritten) &&
           Measure(
               "site_limit, big site", limitDir, [&] { return site.Limit("first", limitDir); },
               limit, limitWritten) &&
           bench::SamePages("quarn, big site", limitDir, quarnDir, site.pages) &&
           site.WroteAll(runs);
}

}  // namespace

int main() {
    const std::string place = bench::ChooseFileSystem();
    std::string sql = fixtures::ReadTextFile(BENCH_SITE_DIR "/shop.sql").value_or("");
    const Site site(sql, kProducts);
    fixtures::ReplaceAll(sql, "n < " + std::to_string(kProducts),
                         "n < " + std::to_string(kBigProducts));
    const Site bigSite(sql, kBigProducts);
    for (const Site* s : {&site, &bigSite}) {
        if (!s->database.Ok()) {
            std::printf("cannot build the database: %s\n", s->database.Error().c_str());
            return 1;
        }
    }

    constexpr int kTurns = 3;
    std::vector<Turn> turns(kTurns);
    for (int number = 0; number < kTurns; ++number)
        if (!site.MakeTurn(turns[number]) || !site.RunTurn(turns[number], number)) return 1;
    CallCounts calls;
    if (!CountCalls(site, calls)) return 1;
    Runs big;
    if (!RunBigSite(bigSite, big)) return 1;

    const auto best = [&](Runs Turn::*program, bench::ProgramRun Runs::*run) {
        return Fastest(turns, program, run).seconds;
    };
    const double quarnFirst = best(&Turn::quarnRuns, &Runs::first);
    const double quarnRerun = best(&Turn::quarnRuns, &Runs::rerun);
    const double limitFirst = best(&Turn::limitRuns, &Runs::first);
    const double limitRerun = best(&Turn::limitRuns, &Runs::rerun);
    const double jinjaFirst = best(&Turn::jinjaRuns, &Runs::first);
    const double jinjaRerun = best(&Turn::jinjaRuns, &Runs::rerun);
    long peakKiB = 0;
    for (const Turn& turn : turns)
        peakKiB = std::max({peakKiB, turn.quarnRuns.first.peakKiB, turn.quarnRuns.rerun.peakKiB});
    const long bigPeakKiB = std::max(big.first.peakKiB, big.rerun.peakKiB);

    std::printf("site: %zu pages (10,000 products, 50 categories, index), %s, in %s; best of %d\n",
                site.pages,
                bench::Mebibytes(bench::ScanFiles(turns[0].jinjaDir->Path()).Bytes()).c_str(),
                place.c_str(), kTurns);
    std::printf("%-26s %8s %8s\n", "", "first", "rerun");
    std::printf("%-26s %7.3fs %7.3fs\n", "quarn", quarnFirst, quarnRerun);
    std::printf("%-26s %7.3fs %7.3fs\n", "site_limit (C++, sqlite3)", limitFirst, limitRerun);
    std::printf("%-26s %7.3fs %7.3fs\n", "python3 + jinja2", jinjaFirst, jinjaRerun);
    std::printf("quarn first run / limit's first run:  %5.2f (goal: at most 1.25) %s\n",
                quarnFirst / limitFirst, Verdict(quarnFirst <= 1.25 * limitFirst));
    std::printf("quarn rerun / limit's rerun:          %5.2f (goal: at most 1.5) %s\n",
                quarnRerun / limitRerun, Verdict(quarnRerun <= 1.5 * limitRerun));
    std::printf("quarn rerun / quarn first run:        %5.2f (goal: at most 0.5) %s\n",
                quarnRerun / quarnFirst, Verdict(quarnRerun <= 0.5 * quarnFirst));
    std::printf("quarn rerun / jinja2's rerun:         %5.2f (goal: at most 0.5) %s\n",
                quarnRerun / jinjaRerun, Verdict(quarnRerun <= 0.5 * jinjaRerun));
    std::printf("quarn first run / jinja2's first run: %5.2f (goal: at most 1) %s\n",
                quarnFirst / jinjaFirst, Verdict(quarnFirst <= jinjaFirst));
    std::printf("system calls per page (of them on the database file):\n");
    std::printf("  first run: quarn %.2f (%.2f), limit %.2f (%.2f)\n", calls.quarnFirst.all,
                calls.quarnFirst.database, calls.limitFirst.all, calls.limitFirst.database);
    std::printf("  rerun:     quarn %.2f (%.2f), limit %.2f (%.2f) (goal: quarn at most 4) %s\n",
                calls.quarnRerun.all, calls.quarnRerun.database, calls.limitRerun.all,
                calls.limitRerun.database, Verdict(calls.quarnRerun.all <= 4));
    const double peakMiB = peakKiB / 1024.0;
    std::printf("quarn peak memory: %.1f MiB (goal: under %.0f MiB) %s\n", peakMiB, kPeakGoalMiB,
                Verdict(peakMiB < kPeakGoalMiB));
    std::printf(
        "100,000 products (%zu pages): quarn first run %.3f s, rerun %.3f s, peak %.1f "
        "MiB\n",
        bigSite.pages, big.first.seconds, big.rerun.seconds, bigPeakKiB / 1024.0);
    std::printf(
        "  time / 10,000 products' time: first run %.2f, rerun %.2f (goal: at most 11) "
        "%s\n",
        big.first.seconds / quarnFirst, big.rerun.seconds / quarnRerun,
        Verdict(big.first.seconds <= 11 * quarnFirst && big.rerun.seconds <= 11 * quarnRerun));
    std::printf("  peak memory / 10,000 products' peak: %.2f (goal: at most 1.10) %s\n",
                static_cast<double>(bigPeakKiB) / static_cast<double>(peakKiB),
                Verdict(bigPeakKiB <= peakKiB * 1.10));
    std::printf("pages identical: all %zu, in each of the %d turns; no rerun wrote a page\n",
                site.pages, kTurns);
    return 0;
}
