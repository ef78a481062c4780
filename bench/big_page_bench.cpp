// One page holding a table of 100,000 rows, made by the real quarn program: prints the page's
// size and quarn's peak memory, which should stay within four times that size.

#include <cstdio>
#include <string>

#include "bench/program_run.h"
#include "tests/fixtures/sqlite_database.h"

namespace {

constexpr int kRows = 100000;
constexpr double kPeakGoalFactor = 4;

constexpr const char* kScript =
    "&datasource(\"@DSN@\")\n"
    "&html(\"table.html\", formatnone){<!DOCTYPE html>\n"
    "<html><head><title>Every row</title></head>\n"
    "<body>\n"
    "<table>\n"
    "<tr><th>Row</th><th>Name</th><th>Value</th></tr>\n"
    "&getdata(\"SELECT n, name, value FROM big ORDER BY n\"){<tr><td>?n?</td><td>?name?</td>"
    "<td>?value?</td></tr>\n"
    "}</table>\n"
    "</body></html>\n"
    "}\n";

}  // namespace

int main() {
    const fixtures::SqliteDatabase database(
        "CREATE TABLE big (n INTEGER, name VARCHAR(40), value VARCHAR(20));"
        "WITH RECURSIVE seq(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM seq WHERE n < " +
        std::to_string(kRows) +
        ") INSERT INTO big SELECT n, 'row number ' || n, printf('%d.%02d', n % 1000, n % 100) "
        "FROM seq;");
    if (!database.Ok()) {
        std::printf("cannot build the database: %s\n", database.Error().c_str());
        return 1;
    }
    const bench::QuarnProgramDir quarn;
    if (!quarn.Ok()) {
        std::printf("%s\n", quarn.Error().c_str());
        return 1;
    }
    std::string script = kScript;
    script.replace(script.find("@DSN@"), 5, database.ConnectionString());
    if (!quarn.WriteScript("Script1.scp", script)) {
        std::printf("cannot write the script\n");
        return 1;
    }
    const bench::ProgramRun run = quarn.Run("Script1.scp");
    if (run.status != 0) {
        std::printf("quarn failed (status %d):\n%s\n", run.status, run.output.c_str());
        return 1;
    }
    const bench::FileSet pages = bench::ScanFiles(quarn.HtmlDir());
    const double pageBytes = static_cast<double>(pages.Bytes());
    const double peakBytes = run.peakKiB * 1024.0;
    std::printf("one page of %d rows: %s in %.2f s\n", kRows, bench::Mebibytes(pageBytes).c_str(),
                run.seconds);
    std::printf("quarn peak memory: %s = %.2f times the page (goal: at most %.0f) %s\n",
                bench::Mebibytes(peakBytes).c_str(), peakBytes / pageBytes, kPeakGoalFactor,
                peakBytes <= kPeakGoalFactor * pageBytes ? "met" : "NOT MET");
    return 0;
}
