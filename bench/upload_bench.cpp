// Publishing a 2,000-file site to a local pyftpdlib server: the quarn program file, run as a user
// runs it, side by side with `lftp -e "mirror -R --only-newer ..."` doing the same, once for every
// file into an empty directory and once for a single changed page.
//
// quarn makes the site itself: Script1.scp writes every page from a SQLite database with the html
// built-in (untimed `quarn Script1.scp`), which leaves the lists quarn uploads from. What is timed
// for quarn is one `quarn /p default` process, start to end, of a project whose publish only
// uploads (runscriptcheck 0, ftpcheck 1):
//   all files         uploadchg 1: every file of htmlgen.log, into an empty server directory;
//   one changed page  uploadchg 0: htmlgen.chg, as the untimed script run before it wrote it
//                     after a change of one page's script input (its edition number).
// What is timed for lftp is its process. The two take turns going first from round to round.
// Prints the median times and their ratio; exits 1, with no figures, when a run fails, a change
// list names other than the changed page, or a server copy differs from the site after any round.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/program_run.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/run_command.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/text.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTopDirs = 20;
constexpr int kSubDirs = 5;
constexpr int kFilesPerDir = 20;  // 20 * 5 * 20 = 2,000 files
constexpr int kRounds = 3;
constexpr const char* kChangedPage = "d07/s3/page11.html";
constexpr const char* kQuarnCopy = "quarn";
constexpr const char* kLftpCopy = "lftp";

// Writes the directories, then every page, from the database; the page kChangedPage with its
// edition number replaced by @EDITION@.
constexpr const char* kScript =
    "&datasource(\"@DSN@\")\n"
    "&getdata(\"SELECT name FROM dirs ORDER BY seq\"){&directory(\"?name?\")}\n"
    "&getdata(\"SELECT path, CASE WHEN path = '@CHANGED@' THEN replace(body, ' edition 0<', "
    "' edition @EDITION@<') ELSE body END AS body FROM pages ORDER BY n\"){"
    "&html(\"?path?\", formatnone){?body?}}\n";

// A page of 2 to 6 KB whose bytes depend on its number and, in its heading only, `edition`.
std::string Page(int number, int edition) {
    std::string page = "<html><body><h1>Page " + std::to_string(number) + " edition " +
                       std::to_string(edition) + "</h1>\r\n";
    const std::size_t size = 2048 + static_cast<std::size_t>(number * 37 % 4096);
    for (int line = 0; page.size() < size; ++line)
        page +=
            "<p>Line " + std::to_string(line) + " of page " + std::to_string(number) + ".</p>\r\n";
    return page + "</body></html>\r\n";
}

// The site as the script must write it: its pages in order and its directories, parents first.
struct Site {
    std::vector<std::string> files;
    std::vector<std::string> dirs;
    std::size_t bytes = 0;
    int changed = -1;  // the number of kChangedPage
    int edition = 0;   // the changed page's edition now

    Site() {
        for (int top = 0; top < kTopDirs; ++top) {
            char name[16];
            std::snprintf(name, sizeof name, "d%02d", top);
            dirs.push_back(name);
            for (int sub = 0; sub < kSubDirs; ++sub) {
                const std::string dir = std::string(name) + "/s" + std::to_string(sub);
                dirs.push_back(dir);
                for (int file = 0; file < kFilesPerDir; ++file) {
                    const std::string path = dir + "/page" + std::to_string(file) + ".html";
                    if (path == kChangedPage) changed = static_cast<int>(files.size());
                    bytes += Page(static_cast<int>(files.size()), 0).size();
                    files.push_back(path);
                }
            }
        }
    }

    std::string Expected(int number) const { return Page(number, number == changed ? edition : 0); }

    // The database the script reads: every directory and every page of edition 0.
    std::string Sql() const {
        std::string sql =
            "BEGIN; CREATE TABLE dirs (seq INTEGER, name TEXT); "
            "CREATE TABLE pages (n INTEGER, path TEXT, body TEXT);\n";
        for (std::size_t i = 0; i < dirs.size(); ++i)
            sql += "INSERT INTO dirs VALUES (" + std::to_string(i) + ", '" + dirs[i] + "');\n";
        for (std::size_t i = 0; i < files.size(); ++i)
            sql += "INSERT INTO pages VALUES (" + std::to_string(i) + ", '" + files[i] + "', '" +
                   Page(static_cast<int>(i), 0) + "');\n";
        return sql + "COMMIT;";
    }
};

// Whether `run` ended with status 0; says what failed, with the end of its output, when not.
bool Succeeded(const std::string& what, const bench::ProgramRun& run) {
    if (run.status == 0) return true;
    constexpr std::size_t kTail = 2000;
    const std::size_t from = run.output.size() > kTail ? run.output.size() - kTail : 0;
    std::printf("upload_bench: %s failed (status %d):\n%s\n", what.c_str(), run.status,
                run.output.c_str() + from);
    return false;
}

class Bench {
public:
    Bench(const fixtures::FtpServer& server, const fixtures::SqliteDatabase& database)
        : m_server(server), m_database(database), m_settings(m_quarn.SettingsFile()) {}

    // The project's settings, then the site made by quarn's first script run.
    bool Prepare() {
        if (!m_quarn.Ok() || !m_lftpHome.Ok()) {
            std::printf("upload_bench: %s%s\n", m_quarn.Error().c_str(),
                        m_lftpHome.Error().c_str());
            return false;
        }
        const std::string project = bench::QuarnProgramDir::kProject;
        const bool set = m_settings.Set(project, project_key::wsname, m_server.Host()) &&
                         m_settings.Set(project, project_key::ftpport, m_server.Port()) &&
                         m_settings.Set(project, project_key::wslogon, m_server.User()) &&
                         m_settings.Set(project, project_key::wspasswd, m_server.Password()) &&
                         m_settings.Set(project, project_key::wsfilepath, kQuarnCopy) &&
                         m_settings.Set(project, project_key::ftppasv, 1) &&
                         m_settings.Set(project, project_key::runscriptcheck, 0) &&
                         m_settings.Set(project, project_key::ftpcheck, 1);
        if (!set) {
            std::printf("upload_bench: cannot write %s\n", m_quarn.SettingsFile().c_str());
            return false;
        }
        return RunScript();
    }
    const Site& site() const { return m_site; }

    // Empties both server directories and makes publish upload every file the script made.
    bool StartAllFiles() {
        for (const char* copy : {kQuarnCopy, kLftpCopy}) {
            std::error_code ec;
            fs::remove_all(m_server.RootFile(copy), ec);
            fs::create_directories(m_server.RootFile(copy), ec);
            if (ec) {
                std::printf("upload_bench: cannot empty %s: %s\n", copy, ec.message().c_str());
                return false;
            }
        }
        return SetUploadType(1);
    }

    // A new edition of the changed page, made by quarn's script run, whose change list must name
    // that page alone; publish then uploads what the list names.
    bool StartChangedPage(int edition) {
        if (!SetUploadType(0)) return false;
        m_site.edition = edition;
        if (!RunScript()) return false;
        const std::string changed =
            fixtures::ReadTextFile(m_quarn.ProjectDir() + "/htmlgen.chg").value_or("");
        if (changed != std::string(kChangedPage) + "\r\n" ||
            fs::exists(m_quarn.ProjectDir() + "/dirgen.chg")) {
            std::printf("upload_bench: the script run's change list is not just %s:\n%s\n",
                        kChangedPage, changed.c_str());
            return false;
        }
        // lftp compares whole seconds: the new edition must be newer than its last copy.
        std::error_code ec;
        fs::last_write_time(m_quarn.HtmlDir() + "/" + kChangedPage,
                            fs::file_time_type::clock::now() + std::chrono::seconds(10 * edition),
                            ec);
        return !ec;
    }

    // `quarn /p default`.
    bool Quarn(double& seconds) {
        const bench::ProgramRun run = m_quarn.Run({"/p", bench::QuarnProgramDir::kProject});
        seconds = run.seconds;
        return Succeeded("quarn /p", run);
    }

    bool Lftp(double& seconds) {
        const std::string script =
            "set ftp:ssl-allow no; set ftp:passive-mode yes; set net:max-retries 1; "
            "set cmd:fail-exit yes; mirror -R --only-newer " +
            m_quarn.HtmlDir() + " /" + kLftpCopy + "; quit";
        const std::string url = "ftp://" + m_server.Host() + ":" + std::to_string(m_server.Port());
        const bench::ProgramRun run =
            bench::RunProgram({"/usr/bin/env", "lftp", "-u",
                               m_server.User() + "," + m_server.Password(), "-e", script, url},
                              m_lftpHome.Path(), {"HOME=" + m_lftpHome.Path()});
        seconds = run.seconds;
        return Succeeded("lftp", run);
    }

    // Whether both server copies hold exactly the site's files with the bytes the site must have;
    // says what differs when not.
    bool CopiesMatch() const {
        for (const char* copy : {kQuarnCopy, kLftpCopy}) {
            const std::size_t held = bench::ScanFiles(m_server.RootFile(copy)).files.size();
            if (held != m_site.files.size()) {
                std::printf("upload_bench: the %s copy holds %zu files, not %zu\n", copy, held,
                            m_site.files.size());
                return false;
            }
            for (std::size_t i = 0; i < m_site.files.size(); ++i) {
                const std::string path =
                    m_server.RootFile(std::string(copy) + "/" + m_site.files[i]);
                if (fixtures::ReadTextFile(path).value_or("") !=
                    m_site.Expected(static_cast<int>(i))) {
                    std::printf("upload_bench: the %s copy of %s differs from the site\n", copy,
                                m_site.files[i].c_str());
                    return false;
                }
            }
        }
        return true;
    }

private:
    bool SetUploadType(int type) {
        if (m_settings.Set(bench::QuarnProgramDir::kProject, project_key::uploadchg, type))
            return true;
        std::printf("upload_bench: cannot write %s\n", m_quarn.SettingsFile().c_str());
        return false;
    }

    bool RunScript() {
        std::string script = kScript;
        fixtures::ReplaceAll(script, "@DSN@", m_database.ConnectionString());
        fixtures::ReplaceAll(script, "@CHANGED@", kChangedPage);
        fixtures::ReplaceAll(script, "@EDITION@", std::to_string(m_site.edition));
        if (!m_quarn.WriteScript("Script1.scp", script)) {
            std::printf("upload_bench: cannot write the script\n");
            return false;
        }
        return Succeeded("quarn Script1.scp", m_quarn.Run({"Script1.scp"}));
    }

    const fixtures::FtpServer& m_server;
    const fixtures::SqliteDatabase& m_database;
    bench::QuarnProgramDir m_quarn;
    fixtures::TempDir m_lftpHome{"upload_bench_lftp"};
    CSettings m_settings;
    Site m_site;
};

// One timed round: quarn and lftp, `quarnFirst` saying which goes first, then the copies checked.
bool TimeRound(Bench& bench, bool quarnFirst, std::vector<double>& quarn,
               std::vector<double>& lftp) {
    double quarnSeconds = 0;
    double lftpSeconds = 0;
    const auto runQuarn = [&] { return bench.Quarn(quarnSeconds); };
    const auto runLftp = [&] { return bench.Lftp(lftpSeconds); };
    const bool ran = quarnFirst ? runQuarn() && runLftp() : runLftp() && runQuarn();
    if (!ran || !bench.CopiesMatch()) return false;
    quarn.push_back(quarnSeconds);
    lftp.push_back(lftpSeconds);
    return true;
}

}  // namespace

int main() {
    std::string output;
    if (fixtures::RunCommand({"lftp", "--version"}, &output) != 0) {
        std::printf("upload_bench: skipped, lftp is missing (tools/install-deps installs it)\n");
        return 0;
    }
    fixtures::FtpServer server;
    if (!server.IsRunning()) {
        std::printf("upload_bench: skipped, %s\n", server.FailureReason().c_str());
        return 0;
    }
    const fixtures::SqliteDatabase database(Site().Sql());
    if (!database.Ok()) {
        std::printf("upload_bench: cannot build the database: %s\n", database.Error().c_str());
        return 1;
    }
    Bench bench(server, database);
    if (!bench.Prepare()) return 1;

    std::vector<double> quarnAll, lftpAll, quarnChanged, lftpChanged;
    for (int round = 0; round < kRounds; ++round)
        if (!bench.StartAllFiles() || !TimeRound(bench, round % 2 == 0, quarnAll, lftpAll))
            return 1;
    for (int round = 0; round < kRounds; ++round)
        if (!bench.StartChangedPage(round + 1) ||
            !TimeRound(bench, round % 2 == 0, quarnChanged, lftpChanged))
            return 1;

    const Site& site = bench.site();
    std::printf(
        "upload of %zu files (%.1f MB in %zu directories) to pyftpdlib on 127.0.0.1, "
        "passive mode, median of %d\n",
        site.files.size(), static_cast<double>(site.bytes) / 1e6, site.dirs.size(), kRounds);
    std::printf("%-20s %12s %12s %12s\n", "", "quarn", "lftp", "quarn/lftp");
    const struct {
        const char* name;
        double quarn;
        double lftp;
    } rows[] = {{"all files", bench::Median(quarnAll), bench::Median(lftpAll)},
                {"one changed page", bench::Median(quarnChanged), bench::Median(lftpChanged)}};
    for (const auto& row : rows)
        std::printf("%-20s %10.3f s %10.3f s %12.2f\n", row.name, row.quarn, row.lftp,
                    row.quarn / row.lftp);
    std::printf(
        "quarn: the program file, `quarn /p`; both server copies equal the site after "
        "every round\n");
    return 0;
}
