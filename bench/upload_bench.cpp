// Publishing a 2,000-file site to a local pyftpdlib server: quarn's upload (as `quarn /p` runs
// it, with its status lines drained by a stand-in main window) side by side with
// `lftp -e "mirror -R --only-newer ..."` doing the same, once for every file into an empty
// directory and once for a single changed page. Prints the median times and their ratio; nothing
// is asserted.

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "quarn/app/headless_run.h"
#include "quarn/app/upload.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/run_command.h"
#include "tests/fixtures/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTopDirs = 20;
constexpr int kSubDirs = 5;
constexpr int kFilesPerDir = 20;  // 20 * 5 * 20 = 2,000 files
constexpr int kRounds = 3;
constexpr const char* kProject = "bench";
constexpr const char* kChangedPage = "d07/s3/page11.html";

struct Site {
    std::vector<std::string> files;
    std::vector<std::string> dirs;  // parents before children
    std::size_t bytes = 0;
};

bool Write(const std::string& path, const std::string& bytes) {
    std::string error;
    if (fixtures::WriteTextFile(path, bytes, &error)) return true;
    std::fprintf(stderr, "upload_bench: %s\n", error.c_str());
    return false;
}

// A page of 2 to 6 KB whose bytes depend on its number and `edition`.
std::string Page(int number, int edition) {
    std::string page = "<html><body><h1>Page " + std::to_string(number) + " edition " +
                       std::to_string(edition) + "</h1>\r\n";
    const std::size_t size = 2048 + static_cast<std::size_t>(number * 37 % 4096);
    while (page.size() < size)
        page += "<p>Line " + std::to_string(page.size()) + " of page " + std::to_string(number) +
                ".</p>\r\n";
    return page + "</body></html>\r\n";
}

bool MakeSite(const std::string& root, Site& site) {
    int number = 0;
    for (int top = 0; top < kTopDirs; ++top) {
        char name[16];
        std::snprintf(name, sizeof name, "d%02d", top);
        site.dirs.push_back(name);
        for (int sub = 0; sub < kSubDirs; ++sub) {
            const std::string dir = std::string(name) + "/s" + std::to_string(sub);
            site.dirs.push_back(dir);
            fs::create_directories(root + "/" + dir);
            for (int file = 0; file < kFilesPerDir; ++file) {
                const std::string path = dir + "/page" + std::to_string(file) + ".html";
                const std::string bytes = Page(number++, 0);
                if (!Write(root + "/" + path, bytes)) return false;
                site.files.push_back(path);
                site.bytes += bytes.size();
            }
        }
    }
    return true;
}

std::string Lines(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += name + "\r\n";
    return text;
}

double Seconds(const std::function<bool()>& run, bool& ok) {
    const auto start = std::chrono::steady_clock::now();
    ok = run() && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// An empty directory `name` at the server's root.
void EmptyServerDir(const fixtures::FtpServer& server, const std::string& name) {
    fs::remove_all(server.RootFile(name));
    fs::create_directories(server.RootFile(name));
}

class Bench {
public:
    Bench(const fixtures::FtpServer& server, std::FILE* sink) : m_server(server), m_sink(sink) {}

    bool Prepare() {
        if (!m_programDir.Ok() || !m_lftpHome.Ok()) return false;
        m_projectDir = m_programDir.File(std::string("projects/") + kProject);
        m_html = m_projectDir + "/html";
        fs::create_directories(m_html);
        g_strProgramDir = m_programDir.Path();
        g_settings.SetPath(m_programDir.File("Quarn.ini"));
        g_strProject.Set(kProject);
        g_szProjectDir.Set(m_projectDir);
        const std::string project = kProject;
        const bool set = g_settings.Set(project, project_key::wsname, m_server.Host()) &&
                         g_settings.Set(project, project_key::ftpport, m_server.Port()) &&
                         g_settings.Set(project, project_key::wslogon, m_server.User()) &&
                         g_settings.Set(project, project_key::wspasswd, m_server.Password()) &&
                         g_settings.Set(project, project_key::wsfilepath, "quarn") &&
                         g_settings.Set(project, project_key::ftppasv, 1);
        if (!set) return false;
        return MakeSite(m_html, m_site) && Write(Project("htmlgen.log"), Lines(m_site.files)) &&
               Write(Project("dirgen.log"), Lines(m_site.dirs));
    }
    const Site& site() const { return m_site; }

    // Every file, into an empty directory.
    bool QuarnAll() { return QuarnUpload(UPLOAD_ALL_OUTPUT); }
    bool LftpAll() { return Lftp(); }
    // The changed page, as a script run lists it, onto the full copy.
    bool QuarnChanged() {
        return Write(Project("htmlgen.chg"), std::string(kChangedPage) + "\r\n") &&
               QuarnUpload(UPLOAD_CHANGED_ONLY);
    }
    bool LftpChanged() { return Lftp(); }

    // A new edition of the changed page, newer than its copies on the server.
    bool ChangePage(int edition) {
        const std::string path = m_html + "/" + kChangedPage;
        if (!Write(path, Page(edition * 1000, edition))) return false;
        const auto when = fs::file_time_type::clock::now() + std::chrono::seconds(10 * edition);
        std::error_code ec;
        fs::last_write_time(path, when, ec);
        return !ec;
    }

    // True when both server copies equal the site.
    bool CopiesMatch() const {
        for (const std::string& file : m_site.files) {
            const std::string local = fixtures::ReadTextFile(m_html + "/" + file).value_or("");
            if (fixtures::ReadTextFile(m_server.RootFile("quarn/" + file)).value_or("") != local ||
                fixtures::ReadTextFile(m_server.RootFile("lftp/" + file)).value_or("") != local)
                return false;
        }
        return true;
    }

private:
    std::string Project(const std::string& name) const { return m_projectDir + "/" + name; }

    bool QuarnUpload(int type) {
        std::string message;
        const int ok = RunHeadless(
            [type, &message](platform::MessageQueue& window, std::string& result) {
                const int done = RunUploadAttempt(&window, type, result);
                message = result;
                return done;
            },
            m_sink);
        if (!ok) std::fprintf(stderr, "upload_bench: quarn: %s\n", message.c_str());
        return ok == 1;
    }

    bool Lftp() {
        const std::string script =
            "set ftp:ssl-allow no; set ftp:passive-mode yes; set net:max-retries 1; "
            "set cmd:fail-exit yes; mirror -R --only-newer " +
            m_html + " /lftp; quit";
        const std::string url = "ftp://" + m_server.Host() + ":" + std::to_string(m_server.Port());
        std::string output;
        const int status =
            fixtures::RunCommand({"env", "HOME=" + m_lftpHome.Path(), "lftp", "-u",
                                  m_server.User() + "," + m_server.Password(), "-e", script, url},
                                 &output);
        if (status != 0) std::fprintf(stderr, "upload_bench: lftp: %s\n", output.c_str());
        return status == 0;
    }

    const fixtures::FtpServer& m_server;
    std::FILE* m_sink;
    fixtures::TempDir m_programDir{"upload_bench"};
    fixtures::TempDir m_lftpHome{"upload_bench_lftp"};
    std::string m_projectDir;
    std::string m_html;
    Site m_site;
};

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
    std::FILE* sink = std::fopen("/dev/null", "w");
    Bench bench(server, sink);
    if (!sink || !bench.Prepare()) {
        std::fprintf(stderr, "upload_bench: the site could not be made\n");
        return 1;
    }

    bool ok = true;
    std::vector<double> quarnAll, lftpAll, quarnChanged, lftpChanged;
    for (int round = 0; round < kRounds; ++round) {
        EmptyServerDir(server, "quarn");
        EmptyServerDir(server, "lftp");
        quarnAll.push_back(Seconds([&] { return bench.QuarnAll(); }, ok));
        lftpAll.push_back(Seconds([&] { return bench.LftpAll(); }, ok));
    }
    for (int round = 1; round <= kRounds; ++round) {
        ok = bench.ChangePage(round) && ok;
        quarnChanged.push_back(Seconds([&] { return bench.QuarnChanged(); }, ok));
        lftpChanged.push_back(Seconds([&] { return bench.LftpChanged(); }, ok));
    }
    std::fclose(sink);

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
    } rows[] = {{"all files", Median(quarnAll), Median(lftpAll)},
                {"one changed page", Median(quarnChanged), Median(lftpChanged)}};
    for (const auto& row : rows)
        std::printf("%-20s %10.3f s %10.3f s %12.2f\n", row.name, row.quarn, row.lftp,
                    row.quarn / row.lftp);
    std::printf("both server copies equal the site: %s%s\n", bench.CopiesMatch() ? "yes" : "no",
                ok ? "" : " (a run failed, see above)");
    return 0;
}
