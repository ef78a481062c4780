// The real quarn program publishing a project to a real FTP server: `quarn /p default` in a
// program directory of its own, with what it printed, its exit status and the server's files
// compared byte for byte.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "quarn/app/app_test_support.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/program_process.h"
#include "tests/fixtures/spawn_program.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/text.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kRunLimit = std::chrono::seconds(60);

// Every file (path -> bytes) and directory (path -> "<dir>") below `root`.
std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> tree;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string name = fs::relative(it->path(), root).string();
        tree[name] = it->is_directory() ? "<dir>" : FileText(it->path().string());
    }
    return tree;
}

// What one run printed, and how it ended.
struct Outcome {
    int status = -1;
    std::vector<std::string> lines;
    std::string err;
};

constexpr std::string_view kScript =
    "&directory(\"news\")\r\n"
    "&html(\"index.html\"){\r\n<h1>@HOME@</h1>\r\n}\r\n"
    "&html(\"news\\\\today.html\"){\r\n<p>Today</p>\r\n}\r\n";

// A program directory holding the quarn program and the project "default", whose publish
// script writes two pages and a directory, and whose upload goes to `server`.
class PublishEndToEndTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_programDir.Ok()) << m_programDir.Error();
        ASSERT_TRUE(m_runtimeDir.Ok()) << m_runtimeDir.Error();
        std::string error;
        ASSERT_TRUE(fixtures::InstallProgram(QUARN_BINARY, m_programDir.File("quarn"), &error))
            << error;
        fs::create_directories(Project("html"));
        WriteScript("Home");
    }

    std::string Project(std::string_view name) const {
        return m_programDir.File("projects/default/" + std::string(name));
    }
    void WriteScript(std::string_view home) const {
        std::string script(kScript);
        fixtures::ReplaceAll(script, "@HOME@", home);
        PutFile(Project("Script1.scp"), script);
    }
    // Quarn.ini: the project list, the upload to `server` and `keys` (CR LF lines).
    void WriteSettings(const fixtures::FtpServer& server, std::string_view keys) const {
        PutFile(
            m_programDir.File("Quarn.ini"),
            "[global]\r\nprofile0=default\r\n[default]\r\nftpcheck=1\r\nwsname=" + server.Host() +
                "\r\nftpport=" + std::to_string(server.Port()) + "\r\nwslogon=" + server.User() +
                "\r\nwspasswd=" + server.Password() + "\r\n" + std::string(keys));
    }

    // Starts `quarn /p default` in the program directory.
    void Start(fixtures::ProgramProcess& run) const {
        const std::vector<std::string> env =
            fixtures::QuarnRunEnvironment({"TZ=UTC", "LC_ALL=C", "HOME=" + m_programDir.Path(),
                                           "XDG_RUNTIME_DIR=" + m_runtimeDir.Path()});
        const std::string error = run.Start(m_programDir.File("quarn"), {"/p", "default"},
                                            m_programDir.Path(), env, ErrPath());
        ASSERT_EQ(error, "");
    }
    Outcome Publish() const {
        fixtures::ProgramProcess run;
        Outcome outcome;
        Start(run);
        outcome.status = run.Finish(outcome.lines, Clock::now() + kRunLimit);
        outcome.err = FileText(ErrPath());
        return outcome;
    }
    std::string ErrPath() const { return m_runtimeDir.File("stderr"); }

    fixtures::TempDir m_programDir{"quarn_publish"};
    fixtures::TempDir m_runtimeDir{"quarn_publish_runtime"};
};

using Lines = std::vector<std::string>;

TEST_F(PublishEndToEndTest, PublishUploadsWhatChangedThenRunsTheCommand) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    WriteSettings(server, "uploadchg=0\r\nexeccheck=1\r\nexecname=echo command ran\r\n");

    const Outcome first = Publish();
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.lines,
              (Lines{"Running script file \"Script1.scp\"", "Moving HTML files to web server.",
                     "Creating directory \"news\"", "Publish operation complete."}))
        << first.err;
    // The command's output stays off the status lines.
    EXPECT_NE(first.err.find("command ran\n"), std::string::npos) << first.err;
    EXPECT_EQ(Tree(server.RootDir()), Tree(Project("html"))) << server.LogText();
    EXPECT_EQ(FileText(server.RootFile("news/today.html")), "<p>Today</p>\r\n");

    // One page changed: only it goes, and the other stays as it was sent.
    const fs::file_time_type sent = fs::last_write_time(server.RootFile("news/today.html"));
    WriteScript("Welcome");
    const Outcome second = Publish();
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.lines,
              (Lines{"Running script file \"Script1.scp\"", "Moving HTML files to web server.",
                     "Publish operation complete."}))
        << second.err;
    EXPECT_EQ(Tree(server.RootDir()), Tree(Project("html")));
    EXPECT_EQ(FileText(server.RootFile("index.html")), "<h1>Welcome</h1>\r\n");
    EXPECT_EQ(fs::last_write_time(server.RootFile("news/today.html")), sent);

    // Nothing changed: no connection is made.
    const Outcome third = Publish();
    EXPECT_EQ(third.status, 0) << third.err;
    EXPECT_EQ(third.lines,
              (Lines{"Running script file \"Script1.scp\"", "Publish operation complete."}));
}

TEST_F(PublishEndToEndTest, ARefusedUploadFailsWithItsErrorLastAfterEveryAttempt) {
    fixtures::FtpServer server({.permissions = "elr"});
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    const Lines attempt = {"Moving HTML files to web server.", "Creating directory \"news\""};
    for (const int retries : {1, 2}) {
        SCOPED_TRACE(retries);
        WriteSettings(server,
                      "ftpretry=" + std::to_string(retries) +
                          "\r\nftpretrypause=0\r\nexeccheck=1\r\nexecname=echo command ran\r\n");
        Lines expected{"Running script file \"Script1.scp\""};
        for (int i = 0; i < retries; ++i) {
            if (i > 0) expected.push_back("Upload failed! Pausing before re-try...");
            expected.insert(expected.end(), attempt.begin(), attempt.end());
        }
        expected.push_back("ERROR 29- 550 Not enough privileges.");

        const Outcome run = Publish();
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.lines, expected) << run.err;
        EXPECT_EQ(run.err.find("command ran"), std::string::npos) << run.err;
        EXPECT_TRUE(Tree(server.RootDir()).empty());
    }
}

TEST_F(PublishEndToEndTest, AnInterruptDuringTheRetryPauseCancelsTheJob) {
    fixtures::FtpServer server({.permissions = "elr"});
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    // No limit on attempts, and a minute between them.
    WriteSettings(server, "ftpretry=0\r\nftpretrypause=1\r\n");
    fixtures::ProgramProcess run;
    Start(run);
    Lines lines;
    std::string line;
    while (run.ReadLine(line, Clock::now() + kRunLimit)) {
        lines.push_back(line);
        if (line == "Upload failed! Pausing before re-try...") break;
    }
    ASSERT_FALSE(lines.empty()) << FileText(ErrPath());
    ASSERT_EQ(lines.back(), "Upload failed! Pausing before re-try...") << FileText(ErrPath());
    const Clock::time_point interrupted = Clock::now();
    run.Signal(SIGINT);
    const int status = run.Finish(lines, Clock::now() + kRunLimit);
    // Far below the minute the pause lasts.
    EXPECT_LT(Clock::now() - interrupted, std::chrono::seconds(20));
    EXPECT_EQ(status, 1) << FileText(ErrPath());
    EXPECT_EQ(lines,
              (Lines{"Running script file \"Script1.scp\"", "Moving HTML files to web server.",
                     "Creating directory \"news\"", "Upload failed! Pausing before re-try...",
                     "ERROR 31- upload cancelled by user."}));
}

}  // namespace
