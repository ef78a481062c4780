// One page holding a table of 100,000 rows, made by the real quarn program: prints the page's
// size, quarn's peak memory, and the page's share of it, which should stay within four times the
// page's size; exits 1, with no figures, when a run fails or the page does not hold every row of
// the table in order. The share is the peak less that of the same run over one row of the same
// table: the program with its ODBC driver loaded and connected, which does not grow with the page.
// For such a table of short values the SQLite3 driver's copy of a static cursor's result (every
// value a block of its own) is about twice the page; the page buffer is the rest.

#include <cstdio>
#include <string>
#include <string_view>

#include "bench/program_run.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/text.h"

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
    "&getdata(\"SELECT n, name, value FROM big WHERE n <= @ROWS@ ORDER BY n\"){<tr><td>?n?</td>"
    "<td>?name?</td>"
    "<td>?value?</td></tr>\n"
    "}</table>\n"
    "</body></html>\n"
    "}\n";

// Row `n` of the table as the script writes it.
std::string Row(int n) {
    char value[16];
    std::snprintf(value, sizeof value, "%d.%02d", n % 1000, n % 100);
    const std::string number = std::to_string(n);
    return "<tr><td>" + number + "</td><td>row number " + number + "</td><td>" + value +
           "</td></tr>";
}

// Whether `page` holds rows 1 to `rows` of the table, in order, and no other; says what is wrong
// when not.
bool HoldsEveryRow(const std::string& page, int rows) {
    int found = 0;
    for (std::size_t start = 0; start < page.size();) {
        std::size_t end = page.find('\n', start);
        if (end == std::string::npos) end = page.size();
        const std::string_view line(page.data() + start, end - start);
        start = end + 1;
        if (!line.starts_with("<tr><td>")) continue;
        if (line != Row(++found)) {
            std::printf("row %d of the page is \"%.*s\"\n", found, static_cast<int>(line.size()),
                        line.data());
            return false;
        }
    }
    if (found == rows) return true;
    std::printf("the page holds %d rows, not %d\n", found, rows);
    return false;
}

struct PageRun {
    bool ok = false;
    long long bytes = 0;
    long peakKiB = 0;
    double seconds = 0;
};

// The page of the first `rows` rows, made by quarn in a program directory of its own.
PageRun MakePage(const std::string& dsn, int rows) {
    PageRun page;
    const bench::QuarnProgramDir quarn;
    if (!quarn.Ok()) {
        std::printf("%s\n", quarn.Error().c_str());
        return page;
    }
    std::string script = kScript;
    fixtures::ReplaceAll(script, "@DSN@", dsn);
    fixtures::ReplaceAll(script, "@ROWS@", std::to_string(rows));
    if (!quarn.WriteScript("Script1.scp", script)) {
        std::printf("cannot write the script\n");
        return page;
    }
    const bench::ProgramRun run = quarn.Run({"Script1.scp"});
    if (run.status != 0) {
        std::printf("quarn failed (status %d):\n%s\n", run.status, run.output.c_str());
        return page;
    }
    const std::string text = fixtures::ReadTextFile(quarn.HtmlDir() + "/table.html").value_or("");
    if (!HoldsEveryRow(text, rows)) return page;
    page.ok = true;
    page.bytes = static_cast<long long>(text.size());
    page.peakKiB = run.peakKiB;
    page.seconds = run.seconds;
    return page;
}

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
    const PageRun page = MakePage(database.ConnectionString(), kRows);
    const PageRun oneRow = MakePage(database.ConnectionString(), 1);
    if (!page.ok || !oneRow.ok) return 1;
    const double pageBytes = static_cast<double>(page.bytes);
    const double peakBytes = page.peakKiB * 1024.0;
    const double shareBytes = (page.peakKiB - oneRow.peakKiB) * 1024.0;
    std::printf("one page of %d rows: %s in %.2f s\n", kRows, bench::Mebibytes(pageBytes).c_str(),
                page.seconds);
    std::printf("quarn peak memory: %s = %.2f times the page; with one row: %s\n",
                bench::Mebibytes(peakBytes).c_str(), peakBytes / pageBytes,
                bench::Mebibytes(oneRow.peakKiB * 1024.0).c_str());
    std::printf("the page's share: %s = %.2f times the page (goal: at most %.0f) %s\n",
                bench::Mebibytes(shareBytes).c_str(), shareBytes / pageBytes, kPeakGoalFactor,
                shareBytes <= kPeakGoalFactor * pageBytes ? "met" : "NOT MET");
    return 0;
}
