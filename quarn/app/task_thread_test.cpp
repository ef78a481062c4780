#include "quarn/app/task_thread.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "quarn/app/app_test_support.h"
#include "quarn/app/project_paths.h"
#include "quarn/app/stop_signal.h"
#include "quarn/app/upload.h"
#include "quarn/services/event_log.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "quarn/services/testing/fake_dialup_backend.h"
#include "tests/fixtures/ftp_server.h"

namespace {

constexpr std::string_view kProject = "default";
constexpr std::string_view kOther = "shop";
constexpr std::string_view kComplete = "Script execution complete.";
constexpr std::string_view kPausing = "Upload failed! Pausing before re-try...";
constexpr std::string_view kCancelled = "ERROR 31- upload cancelled by user.";

// Projects "default" (active) and "shop", both listed, and a task thread whose main window is
// the test.
class TaskThreadTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        WriteSettings("[global]\r\nprofile0=default\r\nprofile1=shop\r\n");
        MakeProject(kProject);
        MakeProject(kOther);
        ASSERT_EQ(::chdir(ProjectDir(kProject).c_str()), 0);
        g_strProject.Set(std::string(kProject));
        g_szProjectDir.Set(ProjectDir(kProject));
    }

    void Script(std::string_view project, const std::string& name, std::string_view text) {
        PutFile(ProjectDir(project) + "/" + name, text);
    }
    template <typename Key, typename Value>
    void Set(std::string_view project, const Key& key, Value value) {
        ASSERT_EQ(g_settings.Set(project, key, value), 1);
    }

    std::vector<std::string> Run(const std::vector<TaskJob>& jobs,
                                 const std::function<void(const std::string&)>& onLine = {}) {
        return m_tasks.Run(jobs, onLine);
    }

    std::string LastError(std::string_view project) const {
        return g_settings.Get(project, project_key::lstprojerrmsg);
    }
    // The event log's lines, without their CR LF.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        const std::string text = FileText(EventLogPath());
        for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

    TaskThreadHarness m_tasks;
};

TaskJob RunJob(std::string path, RequesterId requester = kNoRequester) {
    return TaskJob{TASK_RUN_SCRIPT, 0, std::move(path), requester};
}

TEST_F(TaskThreadTest, JobsRunOneAfterAnotherInPostingOrder) {
    Script(kProject, "a.scp", "&html(\"a.html\"){A}");
    Script(kProject, "b.scp", "&html(\"b.html\"){B}");
    const std::vector<std::string> events = Run({RunJob("a.scp", 7), RunJob("b.scp")});
    const std::vector<std::string> expected = {
        "BUSY", "Running script file \"a.scp\"", "IDLE", std::string(kComplete),
        "BUSY", "Running script file \"b.scp\"", "IDLE", std::string(kComplete)};
    EXPECT_EQ(events, expected);
    const std::vector<TaskThreadHarness::Report> results = {{7, 1}, {kNoRequester, 1}};
    EXPECT_EQ(m_tasks.Reports(), results);
    // The second run's output lists replaced the first's.
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/htmlgen.log"), "b.html\r\n");
    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[1].ends_with("  <default> Script execution complete.")) << log[1];
}

TEST_F(TaskThreadTest, AFailedScriptRecordsItsErrorAndRunsTheErrorScript) {
    Script(kProject, "bad.scp", "&die(\"no stock\")");
    Script(kProject, "err.scp", "&html(\"error.html\"){handled}");
    Set(kProject, project_key::errorscripten, 1);
    Set(kProject, project_key::errorscript, "err.scp");
    const std::vector<std::string> events = Run({RunJob("bad.scp", 3)});
    const std::vector<std::string> expected = {"BUSY",
                                               "Running script file \"bad.scp\"",
                                               "Running script file \"err.scp\"",
                                               "ERROR",
                                               "IDLE",
                                               std::string(kComplete)};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(LastError(kProject), "no stock");
    const std::vector<TaskThreadHarness::Report> results = {{3, 0}};
    EXPECT_EQ(m_tasks.Reports(), results);
    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].ends_with("  <default> Script execution complete.")) << log[0];
}

TEST_F(TaskThreadTest, WithoutTheErrorScriptTheJobsMessageIsShownAndLogged) {
    Set(kGlobalSection, global_key::logen, 0);
    const std::vector<std::string> events = Run({RunJob("missing.scp")});
    const std::string error = "ERROR 66- the script file missing.scp could not be opened.";
    const std::vector<std::string> expected = {"BUSY", "Running script file \"missing.scp\"",
                                               "ERROR", "IDLE", error};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(LastError(kProject), error);
    EXPECT_EQ(FileText(EventLogPath()), "<missing>");
}

TEST_F(TaskThreadTest, CancelDuringARetryPauseEndsTheUploadWithoutTheErrorScript) {
    PutFile(ProjectDir(kProject) + "/html/index.html", "x");
    PutFile(ProjectDir(kProject) + "/htmlgen.chg", "index.html\r\n");
    Set(kProject, project_key::wsname, "127.0.0.1");
    Set(kProject, project_key::ftpport, 1);  // nothing listens there
    Set(kProject, project_key::ftpretry, 3);
    Set(kProject, project_key::ftpretrypause, 5);
    Set(kProject, project_key::errorscripten, 1);
    Set(kProject, project_key::errorscript, "err.scp");
    Script(kProject, "err.scp", "&html(\"error.html\"){x}");
    const std::vector<std::string> events =
        Run({TaskJob{TASK_UPLOAD, UPLOAD_CHANGED_ONLY, "", 4}}, [](const std::string& line) {
            if (line == kPausing) g_bCancelRequested = true;
        });
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[events.size() - 3], "ERROR");
    EXPECT_EQ(events[events.size() - 2], "IDLE");
    EXPECT_EQ(events.back(), kCancelled);
    EXPECT_EQ(LastError(kProject), kCancelled);
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/html/error.html"), "<missing>");
}

TEST_F(TaskThreadTest, AutoPublishOfAnUnlistedProjectFailsAndKeepsTheActiveProject) {
    Set(kGlobalSection, global_key::autopubproj, "gone");
    Set(kProject, project_key::errorscripten, 1);
    Set(kProject, project_key::errorscript, "err.scp");
    Script(kProject, "err.scp", "&html(\"error.html\"){x}");
    const std::string error = "ERROR 2- attempt made to auto-publish non existent project.";
    const std::vector<std::string> events = Run({TaskJob{TASK_AUTOPUBLISH, 0, "", kNoRequester}});
    const std::vector<std::string> expected = {"BUSY", "ERROR", "IDLE", error};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(g_strProject.Get(), kProject);
    EXPECT_EQ(g_szProjectDir.Get(), ProjectDir(kProject));
    EXPECT_EQ(LastError(kProject), error);
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/html/error.html"), "<missing>");
}

TEST_F(TaskThreadTest, AutoPublishPublishesTheChosenProjectForTheJobOnly) {
    Set(kGlobalSection, global_key::autopubproj, kOther);
    Script(kOther, "Script1.scp", "&html(\"index.html\"){shop}");
    Script(kOther, "err.scp", "&html(\"error.html\"){handled}");
    Set(kOther, project_key::script2filename, "fails.scp");
    Set(kOther, project_key::errorscripten, 1);
    Set(kOther, project_key::errorscript, "err.scp");
    Script(kOther, "fails.scp", "&die(\"second script\")");
    const std::vector<std::string> events = Run({TaskJob{TASK_AUTOPUBLISH, 0, "", kNoRequester}});
    EXPECT_EQ(events.back(), kComplete);  // the error script's final message
    EXPECT_EQ(FileText(ProjectDir(kOther) + "/html/index.html"), "shop");
    // The failure is the auto-published project's, and so is its error script.
    EXPECT_EQ(LastError(kOther), "second script");
    EXPECT_EQ(LastError(kProject), "");
    EXPECT_EQ(FileText(ProjectDir(kOther) + "/html/error.html"), "handled");
    EXPECT_EQ(g_strProject.Get(), kProject);
    EXPECT_EQ(CurrentDirectory(), ProjectDir(kProject));
    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].ends_with("  <shop> Script execution complete.")) << log[0];
}

TEST_F(TaskThreadTest, TheExternalParserRunsScriptsWhenTheProjectSaysSo) {
    // The parser passes its script through, so the tagged lines open and close the page.
    Script(kProject, "ext.scp",
           "<quarn openfile(\"ext.html\")>\nfrom the parser\n<quarn closefile>\n<quarn end>\n");
    Set(kProject, project_key::useexternalscript, 1);
    Set(kProject, project_key::scriptexec, "/bin/sh " EXT_PARSER_DIR "/emit_script.sh");
    const std::vector<std::string> events = Run({RunJob("ext.scp")});
    EXPECT_EQ(events.back(), kComplete);
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/html/ext.html"), "from the parser\r\n");
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/htmlgen.log"), "ext.html\r\n");
}

TEST_F(TaskThreadTest, AJobHoldsTheProjectLockFromBusyToIdle) {
    Script(kProject, "a.scp", "&html(\"a.html\"){A}");
    bool lockedWhileBusy = false;
    std::vector<std::string> events = Run({RunJob("a.scp")}, [&](const std::string& line) {
        if (line.starts_with("Running script file")) lockedWhileBusy = !g_csProject.try_lock();
    });
    EXPECT_TRUE(lockedWhileBusy);
    ASSERT_TRUE(g_csProject.try_lock());
    g_csProject.unlock();
}

constexpr std::string_view kTerminated = "Script execution terminated by user.";
constexpr std::string_view kPublished = "Publish operation complete.";
constexpr std::string_view kTransferred = "Files successfully transferred to web server.";
// A script that says it runs and then runs until it is cancelled.
constexpr std::string_view kRunsUntilCancelled = "&print(\"looping\")&loop(1){&sleep(1)}";

// A job and what its last status line must be.
struct JobCase {
    const char* name;
    TaskJob job;
    bool publishUploads;  // the project key ftpcheck for the row
    std::string_view lastLine;
};

// The Cancel command in an idle window is forgotten by the next job, whichever it is and
// whoever asked for it (a requester stands for a remote client).
class TaskThreadIdleCancelTest : public TaskThreadTest {
protected:
    void SetUp() override {
        TaskThreadTest::SetUp();
        Set(kGlobalSection, global_key::autopubproj, kOther);
        Script(kProject, "a.scp", "&html(\"a.html\"){A}");
        Script(kProject, "Script1.scp", "&html(\"index.html\"){home}");
        Script(kOther, "Script1.scp", "&html(\"index.html\"){shop}");
    }
    void ExpectEachRunsAfterAnIdleCancel(const std::vector<JobCase>& cases) {
        for (const JobCase& row : cases) {
            SCOPED_TRACE(row.name);
            Set(kProject, project_key::ftpcheck, row.publishUploads ? 1 : 0);
            g_bCancelRequested = true;
            const std::size_t reported = m_tasks.Reports().size();
            const std::vector<std::string> events = Run({row.job});
            ASSERT_FALSE(events.empty());
            EXPECT_EQ(events.back(), row.lastLine);
            ASSERT_EQ(m_tasks.Reports().size(), reported + 1);
            EXPECT_EQ(m_tasks.Reports().back(), TaskThreadHarness::Report(row.job.requester, 1));
        }
    }
};

TEST_F(TaskThreadIdleCancelTest, JobsWithoutAnUpload) {
    ExpectEachRunsAfterAnIdleCancel({
        {"script run", RunJob("a.scp"), false, kComplete},
        {"remote RUN", RunJob("a.scp", 5), false, kComplete},
        {"publish", {TASK_PUBLISH, 0, "", kNoRequester}, false, kPublished},
        {"remote PUBLISH", {TASK_PUBLISH, 0, "", 6}, false, kPublished},
        {"auto-publish", {TASK_AUTOPUBLISH, 0, "", kNoRequester}, false, kPublished},
    });
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/html/index.html"), "home");
    EXPECT_EQ(FileText(ProjectDir(kOther) + "/html/index.html"), "shop");
}

TEST_F(TaskThreadIdleCancelTest, JobsThatUpload) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    Set(kProject, project_key::wsname, server.Host());
    Set(kProject, project_key::ftpport, server.Port());
    Set(kProject, project_key::wslogon, server.User());
    Set(kProject, project_key::wspasswd, server.Password());
    Set(kProject, project_key::uploadchg, UPLOAD_ALL_OUTPUT);
    PutFile(ProjectDir(kProject) + "/html/a.html", "A");
    PutFile(ProjectDir(kProject) + "/htmlgen.log", "a.html\r\n");
    ExpectEachRunsAfterAnIdleCancel({
        {"upload", {TASK_UPLOAD, UPLOAD_ALL_OUTPUT, "", kNoRequester}, false, kTransferred},
        {"remote FTP", {TASK_UPLOAD, UPLOAD_ALL_OUTPUT, "", 7}, false, kTransferred},
        {"publish that uploads", {TASK_PUBLISH, 0, "", kNoRequester}, true, kPublished},
    });
    EXPECT_EQ(FileText(server.RootFile("a.html")), "A");
    EXPECT_EQ(FileText(server.RootFile("index.html")), "home");
}

// A cancel during a job stops it, skips the error script, and does not outlive it.
TEST_F(TaskThreadTest, ACancelDuringAScriptStopsOnlyThatJob) {
    Script(kProject, "loop.scp", kRunsUntilCancelled);
    Script(kProject, "a.scp", "&html(\"a.html\"){A}");
    Script(kProject, "err.scp", "&html(\"error.html\"){x}");
    Set(kProject, project_key::errorscripten, 1);
    Set(kProject, project_key::errorscript, "err.scp");
    const std::vector<std::string> events =
        Run({RunJob("loop.scp", 3), RunJob("a.scp", 4)}, [](const std::string& line) {
            if (line == "looping") g_bCancelRequested = true;
        });
    const std::vector<std::string> expected = {"BUSY",    "Running script file \"loop.scp\"",
                                               "looping", "ERROR",
                                               "IDLE",    std::string(kTerminated),
                                               "BUSY",    "Running script file \"a.scp\"",
                                               "IDLE",    std::string(kComplete)};
    EXPECT_EQ(events, expected);
    const std::vector<TaskThreadHarness::Report> results = {{3, 0}, {4, 1}};
    EXPECT_EQ(m_tasks.Reports(), results);
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/html/error.html"), "<missing>");
}

TEST_F(TaskThreadTest, ARunscriptChildSeesItsParentsCancel) {
    Script(kProject, "parent.scp", "&runscript(\"child.scp\")&html(\"after.html\"){x}");
    Script(kProject, "child.scp", kRunsUntilCancelled);
    const std::vector<std::string> events =
        Run({RunJob("parent.scp")}, [](const std::string& line) {
            if (line == "looping") g_bCancelRequested = true;
        });
    EXPECT_EQ(events.back(), "ERROR 99- child script terminated with errors.");
    const std::vector<TaskThreadHarness::Report> results = {{kNoRequester, 0}};
    EXPECT_EQ(m_tasks.Reports(), results);
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/html/after.html"), "<missing>");
}

// The publish script runs at level 1; its cancel still ends the publish before any upload
// (port 1 would fail the upload with ERROR 26).
TEST_F(TaskThreadTest, ACancelDuringAPublishScriptEndsThePublish) {
    Script(kProject, "Script1.scp", kRunsUntilCancelled);
    Set(kProject, project_key::ftpcheck, 1);
    Set(kProject, project_key::wsname, "127.0.0.1");
    Set(kProject, project_key::ftpport, 1);
    const std::vector<std::string> events =
        Run({TaskJob{TASK_PUBLISH, 0, "", kNoRequester}}, [](const std::string& line) {
            if (line == "looping") g_bCancelRequested = true;
        });
    EXPECT_EQ(events.back(), kTerminated);
    EXPECT_EQ(LastError(kProject), kTerminated);
}

// A signal asks the program to end: a job that starts after it is cancelled, not run whole.
// In a process of its own, since the signal's request lasts for the process.
TEST_F(TaskThreadTest, AJobTakenAfterAStopSignalIsCancelled) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Script(kProject, "Script1.scp", "&html(\"index.html\"){home}");
    const auto publishAfterASignal = [this] {
        StopOnSignal();
        ::raise(SIGTERM);
        const std::vector<std::string> events = Run({TaskJob{TASK_PUBLISH, 0, "", 2}});
        std::fprintf(stderr, "last line: %s\n", events.empty() ? "" : events.back().c_str());
        const std::vector<TaskThreadHarness::Report> failed = {{2, 0}};
        ::_exit(m_tasks.Reports() == failed ? 0 : 1);  // the task thread still runs
    };
    EXPECT_EXIT(publishAfterASignal(), testing::ExitedWithCode(0),
                "last line: Script execution terminated by user\\.");
}

// Projects that dial up before they upload, against a fake dial-up service.
class TaskThreadDialupTest : public TaskThreadTest {
protected:
    void SetUp() override {
        TaskThreadTest::SetUp();
        Set(kGlobalSection, global_key::addressbook, "Home DSL");
        Set(kProject, project_key::dialupen, 1);
        Set(kProject, project_key::runscriptcheck, 0);
        m_dialup.outcomes = {1};
    }
    void UseServer(const fixtures::FtpServer& server) {
        Set(kProject, project_key::wsname, server.Host());
        Set(kProject, project_key::ftpport, server.Port());
        Set(kProject, project_key::wslogon, server.User());
        Set(kProject, project_key::wspasswd, server.Password());
    }

    services_testing::FakeDialupBackend m_dialup;
    platform::ScopedDialupBackend m_useDialup{m_dialup};
};

TEST_F(TaskThreadDialupTest, AChangedOnlyUploadWithoutChangeListsDoesNotDial) {
    const std::vector<std::string> events =
        Run({TaskJob{TASK_UPLOAD, UPLOAD_CHANGED_ONLY, "", kNoRequester}});
    EXPECT_EQ(events.back(), "Upload cancelled- no files require update.");
    EXPECT_TRUE(m_dialup.dials.empty());
}

TEST_F(TaskThreadDialupTest, AFailedDialSkipsTheUploadAttempt) {
    PutFile(ProjectDir(kProject) + "/htmlgen.chg", "index.html\r\n");
    Set(kGlobalSection, global_key::numretry, 2);
    m_dialup.outcomes = {0, 0};
    const std::vector<std::string> events =
        Run({TaskJob{TASK_UPLOAD, UPLOAD_CHANGED_ONLY, "", kNoRequester}});
    const std::vector<std::string> expected = {
        "BUSY", "Dialling Home DSL", "ERROR", "IDLE",
        "ERROR 25- dialup connection could not be established. Check dialup settings."};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(m_dialup.dials.size(), 2u);
}

TEST_F(TaskThreadDialupTest, PublishDialsOnceAndHangsUpAfterTheUpload) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(kProject, project_key::runscriptcheck, 1);
    Set(kProject, project_key::ftpcheck, 1);
    Set(kProject, project_key::uploadchg, UPLOAD_CHANGED_ONLY);
    Script(kProject, "Script1.scp", "&html(\"index.html\"){home}");
    const std::vector<std::string> events = Run({TaskJob{TASK_PUBLISH, 0, "", kNoRequester}});
    EXPECT_EQ(events.back(), "Publish operation complete.");
    EXPECT_EQ(m_dialup.dials.size(), 1u);
    EXPECT_EQ(m_dialup.hangUps, std::vector<std::string>{"attempt 1"});
    EXPECT_EQ(FileText(server.RootFile("index.html")), "home");
}

// A cancel that comes after the publish script, while dialling, is the job's: the upload that
// follows neither clears it nor sends anything.
TEST_F(TaskThreadDialupTest, ACancelWhileDiallingStopsThePublishsUpload) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(kProject, project_key::runscriptcheck, 1);
    Set(kProject, project_key::ftpcheck, 1);
    Set(kProject, project_key::uploadchg, UPLOAD_CHANGED_ONLY);
    Script(kProject, "Script1.scp", "&html(\"index.html\"){home}");
    m_dialup.cancelDuringAttempt = 1;
    const std::vector<std::string> events = Run({TaskJob{TASK_PUBLISH, 0, "", kNoRequester}});
    EXPECT_EQ(events.back(), kCancelled);
    EXPECT_EQ(m_dialup.hangUps, std::vector<std::string>{"attempt 1"});
    EXPECT_EQ(FileText(server.RootFile("index.html")), "<missing>");
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/html/index.html"), "home");
}

TEST_F(TaskThreadDialupTest, AConnectionThatWasUpIsUsedAndLeftUp) {
    m_dialup.active = {"Home DSL"};
    Set(kProject, project_key::script2filename, "online.scp");
    Script(kProject, "online.scp", "&html(\"news.html\"){news}");
    const std::vector<std::string> events = Run({TaskJob{TASK_PUBLISH, 0, "", kNoRequester}});
    EXPECT_EQ(events.back(), "Publish operation complete.");
    EXPECT_TRUE(m_dialup.dials.empty());
    EXPECT_TRUE(m_dialup.hangUps.empty());
    EXPECT_EQ(FileText(ProjectDir(kProject) + "/html/news.html"), "news");
}

TEST_F(TaskThreadDialupTest, PublishWithNothingToUploadAndNoOnlineScriptDoesNotDial) {
    Set(kProject, project_key::ftpcheck, 1);
    Set(kProject, project_key::uploadchg, UPLOAD_CHANGED_ONLY);
    const std::vector<std::string> events = Run({TaskJob{TASK_PUBLISH, 0, "", kNoRequester}});
    EXPECT_EQ(events.back(), "Publish operation complete.");
    EXPECT_TRUE(m_dialup.dials.empty());
}

}  // namespace

// hidewindow: the thread looks at the window after each pause until it shows, then asks it to
// hide, before it takes any job; without the key it never looks.
class TaskThreadHideWindowTest : public TaskThreadTest {
protected:
    // A thread whose window shows at the third look, started; `window` gets its messages.
    void Start(platform::MessageQueue& window, std::optional<Ctaskthread>& tasks) {
        tasks.emplace(window);
        tasks->HideWindowOnceShown([this] { return ++m_looks >= 3; }, [this] { ++m_pauses; });
        std::string error;
        ASSERT_TRUE(tasks->Start(&error)) << error;
    }
    // Written on the task thread, read after it was joined.
    int m_looks = 0;
    int m_pauses = 0;
};

TEST_F(TaskThreadHideWindowTest, HidesToTheTrayOnceTheWindowShows) {
    Set("global", global_key::hidewindow, 1);
    platform::MessageQueue window;
    std::optional<Ctaskthread> tasks;
    Start(window, tasks);
    platform::PostedMessage first{};
    ASSERT_TRUE(window.WaitTake(first, std::chrono::seconds(20)));
    tasks.reset();
    EXPECT_EQ(first.message, WM_FRAMENOTIFY);
    EXPECT_EQ(first.wParam, FRAME_HIDE_TO_TRAY);
    EXPECT_EQ(m_looks, 3);
    EXPECT_EQ(m_pauses, 2) << "one pause between two looks";
    EXPECT_FALSE(window.TryTake(first)) << "asked once";
}

TEST_F(TaskThreadHideWindowTest, WithoutTheKeyTheWindowIsNeverWatched) {
    platform::MessageQueue window;
    std::optional<Ctaskthread> tasks;
    Start(window, tasks);
    tasks.reset();  // the thread's start is over before it looks for the stop
    platform::PostedMessage message{};
    EXPECT_FALSE(window.TryTake(message));
    EXPECT_EQ(m_looks, 0);
}

TEST_F(TaskThreadHideWindowTest, AStopEndsTheWaitForAWindowThatNeverShows) {
    Set("global", global_key::hidewindow, 1);
    platform::MessageQueue window;
    std::mutex mutex;
    std::condition_variable looked;
    bool waiting = false;
    {
        Ctaskthread tasks(window);
        tasks.HideWindowOnceShown(
            [&] {
                const std::lock_guard<std::mutex> lock(mutex);
                waiting = true;
                looked.notify_one();
                return false;
            },
            [] { std::this_thread::yield(); });
        std::string error;
        ASSERT_TRUE(tasks.Start(&error)) << error;
        std::unique_lock<std::mutex> lock(mutex);
        looked.wait(lock, [&] { return waiting; });
        lock.unlock();
    }  // the destructor stops and joins the thread
    platform::PostedMessage message{};
    EXPECT_FALSE(window.TryTake(message)) << "no hide for a window that never showed";
}
