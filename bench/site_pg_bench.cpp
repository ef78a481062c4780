// The shop of site_bench (site/shop.scp: 10,000 product pages, 50 category pages and an index)
// from a PostgreSQL database in a private cluster through psqlODBC, made by the real quarn
// program and by Python 3 with Jinja2 and psycopg2 (site/shop_pg.py) from the same database,
// which must give the same bytes. quarn runs twice a turn: with the driver manager set up as
// installed, where each of the script's 53 recordsets starts a server process of its own, and
// with the driver manager's connection pooling on (odbcinst.ini: Pooling, CPTimeout), where a
// closed connection serves the next recordset. Prints the best times of three turns and the
// ratios; exits 1, with no figures, when the cluster does not start, a run fails or the pages of
// a run differ.

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/program_run.h"
#include "bench/site_pages.h"
#include "tests/fixtures/odbc_env.h"
#include "tests/fixtures/postgres_cluster.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/text.h"

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr std::size_t kPages = 10051;  // 10,000 products, 50 categories, the index
constexpr int kRounds = 3;

bool Succeeded(const char* what, const bench::ProgramRun& run) {
    if (run.status == 0) return true;
    std::printf("%s failed (status %d):\n%s\n", what, run.status, run.output.c_str());
    return false;
}

// One turn of each program, each in a directory of its own that stays until the end, so that no
// run pays for the clean-up of another's files.
struct Round {
    std::unique_ptr<bench::QuarnProgramDir> quarn;
    std::unique_ptr<bench::QuarnProgramDir> pooledQuarn;
    std::unique_ptr<fixtures::TempDir> jinjaDir;
    bench::ProgramRun quarnRun;
    bench::ProgramRun pooledRun;
    bench::ProgramRun jinjaRun;
};

// The test ODBC setup with the driver manager's pooling on for psqlODBC, in `dir`; "" or why not.
std::string WritePooledSetup(const fixtures::TempDir& dir) {
    const fixtures::OdbcEnvironment& odbc = fixtures::OdbcEnvironment::Install();
    if (!odbc.Ok()) return odbc.Error();
    std::string drivers = fixtures::ReadTextFile(odbc.Dir() + "/odbcinst.ini").value_or("");
    std::string section = "[";
    section.append(fixtures::kPostgresDriver).append("]\n");
    if (drivers.find(section) == std::string::npos) return "no " + section + " in odbcinst.ini";
    fixtures::ReplaceAll(drivers, section, section + "CPTimeout=60\n");
    drivers.insert(0, "[ODBC]\nPooling=Yes\n\n");
    std::string error;
    if (!fixtures::WriteTextFile(dir.File("odbcinst.ini"), drivers, &error) ||
        !fixtures::WriteTextFile(dir.File("odbc.ini"), "", &error))
        return error;
    return {};
}

// `run` with ODBCSYSINI naming `dir` for the programs it starts.
template <typename Run>
bool WithOdbcSetup(const std::string& dir, Run run) {
    const char* installed = std::getenv("ODBCSYSINI");
    const std::string kept = installed != nullptr ? installed : "";
    ::setenv("ODBCSYSINI", dir.c_str(), 1);
    const bool ran = run();
    ::setenv("ODBCSYSINI", kept.c_str(), 1);
    return ran;
}

double Fastest(const std::vector<Round>& rounds, bench::ProgramRun Round::*run) {
    double best = (rounds.front().*run).seconds;
    for (const Round& round : rounds)
        if ((round.*run).seconds < best) best = (round.*run).seconds;
    return best;
}

long Peak(const std::vector<Round>& rounds, bench::ProgramRun Round::*run) {
    long peak = 0;
    for (const Round& round : rounds)
        if ((round.*run).peakKiB > peak) peak = (round.*run).peakKiB;
    return peak;
}

}  // namespace

int main() {
    const std::string place = bench::ChooseFileSystem();
    fixtures::PostgresCluster& cluster = fixtures::PostgresCluster::Shared();
    if (!cluster.IsRunning()) {
        std::printf("%s\n", cluster.FailureReason().c_str());
        return 1;
    }
    const fixtures::TempDir pooledSetup("bench_odbc_pooled");
    std::string error = pooledSetup.Ok() ? WritePooledSetup(pooledSetup) : pooledSetup.Error();
    if (!error.empty()) {
        std::printf("cannot write the pooled ODBC setup: %s\n", error.c_str());
        return 1;
    }
    const std::string database = cluster.CreateDatabase(
        fixtures::ReadTextFile(BENCH_SITE_DIR "/shop_pg.sql").value_or(""), &error);
    if (database.empty()) {
        std::printf("cannot build the database: %s\n", error.c_str());
        return 1;
    }
    std::string script = fixtures::ReadTextFile(BENCH_SITE_DIR "/shop.scp").value_or("");
    fixtures::ReplaceAll(script, "@DSN@", cluster.ConnectionString(database));
    const std::string libpqDsn = "host=" + cluster.SocketDir() +
                                 " port=" + std::to_string(cluster.Port()) + " dbname=" + database +
                                 " user=" + std::string(fixtures::PostgresCluster::kSuperuser);

    std::vector<Round> rounds(kRounds);
    for (std::size_t turn = 0; turn < rounds.size(); ++turn) {
        Round& round = rounds[turn];
        round.quarn = std::make_unique<bench::QuarnProgramDir>();
        round.pooledQuarn = std::make_unique<bench::QuarnProgramDir>();
        round.jinjaDir = std::make_unique<fixtures::TempDir>("bench_jinja_pg");
        for (const auto* quarn : {round.quarn.get(), round.pooledQuarn.get()}) {
            if (!quarn->Ok() || !quarn->WriteScript("Script1.scp", script)) {
                std::printf("cannot set up quarn's run: %s\n", quarn->Error().c_str());
                return 1;
            }
        }
        if (!round.jinjaDir->Ok()) {
            std::printf("cannot set up jinja2's run: %s\n", round.jinjaDir->Error().c_str());
            return 1;
        }
        const auto runQuarn = [&] {
            round.quarnRun = round.quarn->Run({"Script1.scp"});
            return Succeeded("quarn", round.quarnRun);
        };
        const auto runPooledQuarn = [&] {
            return WithOdbcSetup(pooledSetup.Path(), [&] {
                round.pooledRun = round.pooledQuarn->Run({"Script1.scp"});
                return Succeeded("quarn with pooling", round.pooledRun);
            });
        };
        const auto runJinja = [&] {
            const std::string& out = round.jinjaDir->Path();
            round.jinjaRun =
                bench::RunProgram({kPython, BENCH_SITE_DIR "/shop_pg.py", libpqDsn, out}, out);
            return Succeeded(
                "python3 + jinja2 + psycopg2 (tools/install-deps installs python3-psycopg2)",
                round.jinjaRun);
        };
        // Who goes first changes from turn to turn, so that neither always meets a server whose
        // caches the other warmed.
        const bool ran = turn % 2 == 0 ? runQuarn() && runPooledQuarn() && runJinja()
                                       : runJinja() && runPooledQuarn() && runQuarn();
        if (!ran) return 1;
    }
    for (const Round& round : rounds) {
        if (!bench::SamePages("quarn", round.jinjaDir->Path(), round.quarn->HtmlDir(), kPages) ||
            !bench::SamePages("quarn, pooled", round.jinjaDir->Path(), round.pooledQuarn->HtmlDir(),
                              kPages))
            return 1;
    }

    const double quarnSeconds = Fastest(rounds, &Round::quarnRun);
    const double pooledSeconds = Fastest(rounds, &Round::pooledRun);
    const double jinjaSeconds = Fastest(rounds, &Round::jinjaRun);
    std::printf(
        "site from PostgreSQL: %zu pages (10,000 products, 50 categories, index), in %s; "
        "best of %d\n",
        kPages, place.c_str(), kRounds);
    const auto print = [&](const char* what, double seconds, bench::ProgramRun Round::*run) {
        std::printf("%-44s %7.2f s  peak %s\n", what, seconds,
                    bench::Mebibytes(Peak(rounds, run) * 1024.0).c_str());
    };
    print("quarn, a connection per recordset", quarnSeconds, &Round::quarnRun);
    print("quarn, driver manager pooling", pooledSeconds, &Round::pooledRun);
    print("python3 + jinja2 + psycopg2, one connection", jinjaSeconds, &Round::jinjaRun);
    std::printf(
        "quarn / jinja2: %.2f with a connection per recordset, %.2f with pooling "
        "(goal: at most 1) %s\n",
        quarnSeconds / jinjaSeconds, pooledSeconds / jinjaSeconds,
        pooledSeconds <= jinjaSeconds ? "met" : "NOT MET");
    std::printf("pages identical: all %zu, in each of the %d turns\n", kPages, kRounds);
    return 0;
}
