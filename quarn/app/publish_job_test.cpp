#include "quarn/app/publish_job.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "quarn/app/app_test_support.h"
#include "quarn/app/upload.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/ftp_server.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProject = "default";
constexpr std::string_view kMoving = "Moving HTML files to web server.";
constexpr std::string_view kCreating = "Creating directory \"news\"";
constexpr std::string_view kPausing = "Upload failed! Pausing before re-try...";
constexpr std::string_view kRefused = "ERROR 29- 550 Not enough privileges.";
constexpr std::string_view kCancelled = "ERROR 31- upload cancelled by user.";
constexpr std::string_view kSuccess = "Files successfully transferred to web server.";
constexpr std::string_view kComplete = "Publish operation complete.";

// What a job posted, in order, then its final text; and its result.
struct JobRun {
    int ok = -1;
    std::vector<std::string> lines;
};

// A project "default" (the current directory and g_szProjectDir) whose change lists name one
// page and one directory, and which has no publish script. Each upload attempt posts two status
// lines, so that the job waits at the second until the test has taken the first.
class PublishJobTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        MakeProject(kProject);
        ASSERT_EQ(::chdir(ProjectDir(kProject).c_str()), 0);
        g_strProject.Set(std::string(kProject));
        g_szProjectDir.Set(ProjectDir(kProject));
        g_bCancelRequested = false;
        PutHtml("index.html", "<h1>Home</h1>\r\n");
        PutProject("htmlgen.chg", "index.html\r\n");
        fs::create_directories(Project("html/news"));
        PutProject("dirgen.chg", "news\r\n");
        Set(project_key::runscriptcheck, 0);
        Set(project_key::uploadchg, UPLOAD_CHANGED_ONLY);
        Set(project_key::ftpretrypause, 0);
    }
    void TearDown() override {
        g_bCancelRequested = false;
        ProgramDirTest::TearDown();
    }

    std::string Project(std::string_view name) const {
        return ProjectDir(kProject) + "/" + std::string(name);
    }
    void PutProject(std::string_view name, std::string_view bytes) const {
        PutFile(Project(name), bytes);
    }
    void PutHtml(std::string_view name, std::string_view bytes) const {
        PutProject("html/" + std::string(name), bytes);
    }
    void Set(const IntKey& key, int value) const {
        ASSERT_TRUE(g_settings.Set(kProject, key, value));
    }
    void Set(const StringKey& key, std::string_view value) const {
        ASSERT_TRUE(g_settings.Set(kProject, key, value));
    }
    void UseServer(const fixtures::FtpServer& server) const {
        Set(project_key::wsname, server.Host());
        Set(project_key::ftpport, server.Port());
        Set(project_key::wslogon, server.User());
        Set(project_key::wspasswd, server.Password());
    }

    // Runs `job` on a thread of its own while this thread stands in for the main window.
    // `beforeTake` runs before the n-th status line (from 0) leaves the mailbox: until it
    // returns the job cannot post another line.
    static JobRun Drive(const std::function<int(platform::MessageQueue&, std::string&)>& job,
                        const std::function<void(int)>& beforeTake = {}) {
        JobRun run;
        std::string result;
        DriveJob([&](platform::MessageQueue& window) { run.ok = job(window, result); },
                 [&](const platform::PostedMessage& message) {
                     if (message.message != WM_FRAMENOTIFY || message.wParam != FRAME_STATUS_TEXT)
                         return;
                     if (beforeTake) beforeTake(static_cast<int>(run.lines.size()));
                     run.lines.push_back(g_szStatusMailbox.Take());
                 });
        run.lines.push_back(result);
        return run;
    }
    static JobRun Upload(const std::function<void(int)>& beforeTake = {}) {
        return Drive(
            [](platform::MessageQueue& window, std::string& result) {
                return UploadWithRetries(window, UPLOAD_CHANGED_ONLY, result);
            },
            beforeTake);
    }
    static JobRun Publish() { return Drive(PublishProject); }
};

// The status lines of `attempts` upload attempts, then the final text.
std::vector<std::string> AttemptLines(int attempts, std::string_view final) {
    std::vector<std::string> lines;
    for (int i = 0; i < attempts; ++i) {
        if (i > 0) lines.emplace_back(kPausing);
        lines.emplace_back(kMoving);
        lines.emplace_back(kCreating);
    }
    lines.emplace_back(final);
    return lines;
}

TEST_F(PublishJobTest, RefusedUploadsAreTriedFtpretryTimes) {
    fixtures::FtpServer server({.permissions = "elr"});
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    for (const int retries : {1, 3}) {
        SCOPED_TRACE(retries);
        Set(project_key::ftpretry, retries);
        const JobRun run = Upload();
        EXPECT_EQ(run.ok, 0);
        EXPECT_EQ(run.lines, AttemptLines(retries, kRefused));
    }
}

TEST_F(PublishJobTest, AnAttemptThatSucceedsEndsTheRetries) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::ftpretry, 3);
    // The first attempt finds a listed page missing; the second, after it was written, sends it.
    Set(project_key::lfnferror, 1);
    PutProject("htmlgen.chg", "index.html\r\nlate.html\r\n");
    const JobRun run = Upload([this](int line) {
        // The job's next line waits for this one, and the pages are looked at only after it.
        if (line == 2) PutHtml("late.html", "late");
    });
    EXPECT_EQ(run.ok, 1);
    EXPECT_EQ(run.lines, AttemptLines(2, kSuccess));
    EXPECT_EQ(FileText(server.RootFile("late.html")), "late");
}

TEST_F(PublishJobTest, WithoutALimitAttemptsGoOnUntilCancelled) {
    fixtures::FtpServer server({.permissions = "elr"});
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    for (const int retries : {0, -2}) {
        SCOPED_TRACE(retries);
        Set(project_key::ftpretry, retries);
        // Cancel during the third attempt, which cleared the flag before its first line.
        const JobRun run = Upload([](int line) {
            if (line == 6) g_bCancelRequested = true;
        });
        EXPECT_EQ(run.ok, 0);
        EXPECT_EQ(run.lines, AttemptLines(3, kCancelled));
        g_bCancelRequested = false;
    }
}

TEST_F(PublishJobTest, CancelDuringAPauseEndsItWithinASecond) {
    fixtures::FtpServer server({.permissions = "elr"});
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::ftpretry, 2);
    Set(project_key::ftpretrypause, 1);
    const auto start = std::chrono::steady_clock::now();
    const JobRun run = Upload([](int line) {
        if (line == 2) g_bCancelRequested = true;
    });
    // Far below the minute the pause would last.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(run.ok, 0);
    const std::vector<std::string> lines = {std::string(kMoving), std::string(kCreating),
                                            std::string(kPausing), std::string(kCancelled)};
    EXPECT_EQ(run.lines, lines);
}

TEST_F(PublishJobTest, TheCommandRunsLastInTheProjectDirectoryAfterASuccess) {
    fixtures::FtpServer server;
    fixtures::FtpServer refusing({.permissions = "elr"});
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    if (!refusing.IsRunning()) GTEST_SKIP() << refusing.FailureReason();
    // Writes the directory it ran in, once the page is on the server; its status is not looked at.
    const std::string command =
        "test -f '" + server.RootFile("index.html") + "' && pwd > ran.txt; exit 3";
    const struct {
        const char* name;
        int ftpcheck;
        bool refused;
        int execcheck;
        std::string execname;
        std::vector<std::string> lines;
        bool ran;
    } kCases[] = {
        {"upload then command",
         1,
         false,
         1,
         command,
         {std::string(kMoving), std::string(kCreating), std::string(kComplete)},
         true},
        {"failed upload, no command",
         1,
         true,
         1,
         command,
         {std::string(kMoving), std::string(kCreating), std::string(kRefused)},
         false},
        {"command off",
         1,
         false,
         0,
         command,
         {std::string(kMoving), std::string(kCreating), std::string(kComplete)},
         false},
        {"no command named", 1, false, 1, "", AttemptLines(1, kComplete), false},
        {"no upload", 0, false, 1, "pwd > ran.txt", {std::string(kComplete)}, true},
    };
    Set(project_key::ftpretry, 1);
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.name);
        fs::remove(server.RootFile("index.html"));
        fs::remove(Project("ran.txt"));
        PutProject("htmlgen.chg", "index.html\r\n");
        PutProject("dirgen.chg", "news\r\n");
        UseServer(row.refused ? refusing : server);
        Set(project_key::ftpcheck, row.ftpcheck);
        Set(project_key::execcheck, row.execcheck);
        Set(project_key::execname, row.execname);

        const JobRun run = Publish();
        EXPECT_EQ(run.ok, row.refused ? 0 : 1);
        EXPECT_EQ(run.lines, row.lines);
        EXPECT_EQ(FileText(Project("ran.txt")),
                  row.ran ? ProjectDir(kProject) + "\n" : "<missing>");
    }
}

TEST_F(PublishJobTest, TheCommandStartsWithSigpipeAtItsDefault) {
    // quarn ignores SIGPIPE; a shell started with it ignored could never be ended by it.
    const sighandler_t previous = ::signal(SIGPIPE, SIG_IGN);
    Set(project_key::execcheck, 1);
    Set(project_key::execname, "kill -PIPE $$; pwd > ran.txt");
    const JobRun run = Publish();
    ::signal(SIGPIPE, previous);
    EXPECT_EQ(run.ok, 1);
    EXPECT_FALSE(fs::exists(Project("ran.txt")));
}

TEST(PauseBeforeRetry, EndsAtOnceWhenCancelledOrWithoutMinutes) {
    g_bCancelRequested = false;
    EXPECT_EQ(PauseBeforeRetry(0), 1);
    EXPECT_EQ(PauseBeforeRetry(-5), 1);
    g_bCancelRequested = true;
    EXPECT_EQ(PauseBeforeRetry(60), 0);
    g_bCancelRequested = false;
}

}  // namespace
