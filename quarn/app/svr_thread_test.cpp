#include "quarn/app/svr_thread.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/poll_socket.h"
#include "quarn/app/project_paths.h"
#include "quarn/app/svr_test_support.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"

namespace {

using fixtures::LineClient;

constexpr std::string_view kBusy = "551 BUSY\r\n";
constexpr std::string_view kDone = "214 OK\r\n";
constexpr std::string_view kLogOnFirst = "503 Login with USER and PASS first\r\n";
constexpr std::string_view kInvalidProject = "550 Invalid project name\r\n";

class SvrThreadTest : public SvrTest {
protected:
    // The requester of job `index` once it has been posted.
    RequesterId JobRequester(std::size_t index) {
        EXPECT_TRUE(m_poster.WaitForJobs(index + 1));
        const std::vector<TaskJob> jobs = m_poster.Jobs();
        return jobs.size() > index ? jobs[index].requester : kNoRequester;
    }
};

TEST_F(SvrThreadTest, LogOnGivesStateByLineOfUsersFile) {
    StartServer();
    struct Case {
        std::string_view user, password;
        std::string state;
    };
    for (const Case& c : {Case{kFirstUser, kFirstPassword, "3"}, Case{kUser, kPassword, "2"}}) {
        SCOPED_TRACE(c.user);
        LineClient client;
        ConnectAndLogOn(client, c.user, c.password);
        EXPECT_EQ(Ask(client, "STATE", 2), "System state " + c.state + "\r\n200 OK\r\n");
        EXPECT_EQ(Ask(client, "USER other"), "503 user already logged in\r\n");
        EXPECT_EQ(Ask(client, "PASS other"), "503 user already logged in\r\n");
        ASSERT_TRUE(client.Send("LOGOF\r\n"));
        EXPECT_TRUE(client.ServerClosed());
    }
}

TEST_F(SvrThreadTest, RepliesBeforeLogOn) {
    StartServer();
    LineClient client;
    Connect(client);
    struct Case {
        std::string_view line;
        std::string_view reply;
    };
    const std::vector<Case> cases = {
        {"run", kLogOnFirst},          {"RUN x.scp", kLogOnFirst},   {"FTP", kLogOnFirst},
        {"PUBLISH", kLogOnFirst},      {"LOCK", kLogOnFirst},        {"UNLOCK", kLogOnFirst},
        {"PROJECT beta", kLogOnFirst}, {"PASS s3cret", kLogOnFirst}, {"FOO", "500 eh?\r\n"},
        {"", "500 eh?\r\n"},           {"USER\tbob", "500 eh?\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Ask(client, c.line), c.reply);
    }
    EXPECT_EQ(Ask(client, "help", 13),
              "List of available Commands:\r\nRUN\r\nFTP\r\nPUBLISH\r\nUSER\r\nPASS\r\nHELP\r\n"
              "STATE\r\nLOGOF\r\nLOCK\r\nUNLOCK\r\nPROJECT\r\n214 OK\r\n");
    EXPECT_EQ(Ask(client, "State", 2), "System state 0\r\n200 OK\r\n");
    EXPECT_EQ(m_poster.Jobs().size(), 0u);
}

TEST_F(SvrThreadTest, CommandWordAndArgumentAreTrimmedAndOnlyTheWordUpperCased) {
    StartServer();
    LineClient client;
    Connect(client);
    EXPECT_EQ(Ask(client, "  user    bob  \t"), "331 Password required for bob\r\n");
    EXPECT_EQ(Ask(client, "pass   Pw 2 "), "230 OK\r\n");
}

TEST_F(SvrThreadTest, EchoedUserNameStaysOneLine) {
    StartServer();
    LineClient client;
    Connect(client);
    EXPECT_EQ(Ask(client, "USER a\rQuarn"), "331 Password required for a Quarn\r\n");
    EXPECT_EQ(Ask(client, "STATE"), "System state 1\r\n");
}

TEST_F(SvrThreadTest, RefusedPasswordEndsConnectionAfterReply) {
    StartServer();
    // The password's case counts.
    for (const char* refused : {"PASS wrong", "pass pw 2"}) {
        SCOPED_TRACE(refused);
        LineClient client;
        Connect(client);
        EXPECT_EQ(Ask(client, "PASS x"), kLogOnFirst);
        EXPECT_EQ(Ask(client, "USER bob"), "331 Password required for bob\r\n");
        EXPECT_EQ(Ask(client, refused), "530 Access denied\r\n");
        EXPECT_TRUE(client.ServerClosed());
    }
}

TEST_F(SvrThreadTest, MissingUsersFileRefusesButKeepsConnection) {
    std::filesystem::remove(ProgramDir() + "/passwords.txt");
    StartServer();
    LineClient client;
    Connect(client);
    EXPECT_EQ(Ask(client, "USER bob"), "331 Password required for bob\r\n");
    EXPECT_EQ(Ask(client, "PASS Pw 2"), "530 Access denied\r\n");
    EXPECT_EQ(Ask(client, "STATE", 2), "System state 0\r\n200 OK\r\n");
}

TEST_F(SvrThreadTest, JobsArePostedAndAnsweredWhenTheyEnd) {
    WriteServerSettings(
        "[alpha]\r\nscriptfilename=main.scp\r\nuploadchg=2\r\n"
        "lstprojerrmsg=ERROR 7- please restart Quarn Pro.\r\n");
    StartServer();
    LineClient client;
    ConnectAndLogOn(client);
    struct Case {
        std::string_view line;
        TaskJob job;
        int result;
        std::string_view reply;
    };
    const std::vector<Case> cases = {
        {"RUN sub/My Script.scp", {TASK_RUN_SCRIPT, 0, "sub/My Script.scp"}, 1, "200 OK\r\n"},
        {"run", {TASK_RUN_SCRIPT, 0, "main.scp"}, 0, "550 ERROR 7- please restart Quarn Pro.\r\n"},
        {"ftp", {TASK_UPLOAD, 2, ""}, 1, "200 OK\r\n"},
        {"PUBLISH", {TASK_PUBLISH, 0, ""}, 0, "550 ERROR 7- please restart Quarn Pro.\r\n"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.line);
        ASSERT_TRUE(client.Send(std::string(c.line) + "\r\n"));
        ASSERT_TRUE(m_poster.WaitForJobs(i + 1));
        const TaskJob job = m_poster.Jobs()[i];
        EXPECT_EQ(job.code, c.job.code);
        EXPECT_EQ(job.param, c.job.param);
        EXPECT_EQ(job.scriptPath, c.job.scriptPath);
        EXPECT_TRUE(client.Silent(std::chrono::milliseconds(50)));
        m_server->OnJobResult(job.requester, c.result);
        EXPECT_EQ(client.Line(), c.reply);
    }
    // Every job came from the one connection.
    const std::vector<TaskJob> jobs = m_poster.Jobs();
    for (const TaskJob& job : jobs)
        EXPECT_EQ(job.requester, jobs.front().requester);
}

TEST_F(SvrThreadTest, OverLongScriptPathIsRefusedWithoutAJob) {
    StartServer();
    LineClient client;
    ConnectAndLogOn(client);
    const std::string path(kMaxPath + 1, 'p');
    EXPECT_EQ(Ask(client, "RUN " + path),
              "550 ERROR 66- the script file " + path + " could not be opened.\r\n");
    const std::string longest(kMaxPath, 'p');
    ASSERT_TRUE(client.Send("RUN " + longest + "\r\n"));
    ASSERT_TRUE(m_poster.WaitForJobs(1));
    EXPECT_EQ(m_poster.Jobs()[0].scriptPath, longest);
}

TEST_F(SvrThreadTest, RunningTaskMakesJobsLockAndProjectBusy) {
    StartServer();
    LineClient client;
    ConnectAndLogOn(client);
    g_bTaskBusy = 1;
    for (const char* line : {"RUN", "FTP", "PUBLISH", "LOCK", "PROJECT beta"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Ask(client, line), kBusy);
    }
    EXPECT_EQ(Ask(client, "UNLOCK"), kDone);
    g_bTaskBusy = 0;
    EXPECT_EQ(Ask(client, "LOCK"), kDone);
    EXPECT_EQ(m_poster.Jobs().size(), 0u);
}

TEST_F(SvrThreadTest, AwaitedJobMakesEveryConnectionBusyUntilItsResult) {
    StartServer();
    LineClient first, second;
    ConnectAndLogOn(first);
    ConnectAndLogOn(second);
    ASSERT_TRUE(first.Send("RUN\r\n"));
    const RequesterId requester = JobRequester(0);
    for (const char* line : {"RUN", "LOCK", "PROJECT beta"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Ask(first, line), kBusy);
        EXPECT_EQ(Ask(second, line), kBusy);
    }
    m_server->OnJobResult(requester, 1);
    EXPECT_EQ(first.Line(), "200 OK\r\n");
    ASSERT_TRUE(second.Send("PUBLISH\r\n"));
    EXPECT_NE(JobRequester(1), requester);
    EXPECT_TRUE(first.Silent(std::chrono::milliseconds(50)));
}

TEST_F(SvrThreadTest, LockBindsOtherConnectionsOnly) {
    StartServer();
    LineClient holder, other;
    ConnectAndLogOn(holder);
    ConnectAndLogOn(other);
    EXPECT_EQ(Ask(other, "UNLOCK"), kDone);  // no holder
    EXPECT_EQ(Ask(holder, "LOCK"), kDone);
    EXPECT_EQ(Ask(holder, "LOCK"), kBusy);
    for (const char* line : {"UNLOCK", "LOCK", "RUN", "FTP", "PUBLISH", "PROJECT beta"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Ask(other, line), kBusy);
    }
    ASSERT_TRUE(holder.Send("RUN a.scp\r\n"));
    m_server->OnJobResult(JobRequester(0), 1);
    EXPECT_EQ(holder.Line(), "200 OK\r\n");
    EXPECT_EQ(Ask(holder, "UNLOCK"), kDone);
    EXPECT_EQ(Ask(other, "LOCK"), kDone);
    EXPECT_EQ(m_poster.Jobs().size(), 1u);
}

TEST_F(SvrThreadTest, ProjectSwitchesTheActiveProject) {
    StartServer();
    LineClient client;
    ConnectAndLogOn(client);
    EXPECT_EQ(Ask(client, "project beta"), kDone);
    EXPECT_EQ(g_strProject.Get(), "beta");
    EXPECT_EQ(g_szProjectDir.Get(), std::filesystem::canonical(ProjectDir("beta")).string());
    EXPECT_EQ(CurrentDirectory(), g_szProjectDir.Get());
    EXPECT_EQ(g_settings.GetGlobal(global_key::defprofile), "beta");
    EXPECT_EQ(g_szPendingProject.Get(), "beta");
    platform::PostedMessage message;
    ASSERT_TRUE(m_window.TryTake(message));
    EXPECT_EQ(message.message, WM_FRAMENOTIFY);
    EXPECT_EQ(message.wParam, FRAME_SELECT_PROJECT);
}

TEST_F(SvrThreadTest, ProjectRefusalsChangeNothing) {
    StartServer();
    LineClient client;
    ConnectAndLogOn(client);
    const std::string cwd = CurrentDirectory();
    // "gamma" is listed, but has no directory.
    for (const char* line : {"PROJECT", "PROJECT delta", "PROJECT Beta", "PROJECT gamma",
                             "PROJECT ../projects/beta"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Ask(client, line), kInvalidProject);
    }
    {
        std::lock_guard held(g_csProject);
        EXPECT_EQ(Ask(client, "PROJECT beta"), kBusy);
    }
    EXPECT_EQ(g_strProject.Get(), "alpha");
    EXPECT_EQ(CurrentDirectory(), cwd);
    EXPECT_EQ(g_settings.GetGlobal(global_key::defprofile), "alpha");
    platform::PostedMessage message;
    EXPECT_FALSE(m_window.TryTake(message));
}

TEST_F(SvrThreadTest, ClosedRequesterGetsNothingAndLosesItsLock) {
    StartServer();
    LineClient leaver, stayer;
    ConnectAndLogOn(leaver);
    EXPECT_EQ(Ask(leaver, "LOCK"), kDone);
    ASSERT_TRUE(leaver.Send("RUN\r\n"));
    const RequesterId gone = JobRequester(0);
    leaver.Close();

    // A new connection: it must never be taken for the one that left.
    ConnectAndLogOn(stayer);
    EXPECT_EQ(Ask(stayer, "UNLOCK"), kDone);  // the lock went with its holder
    EXPECT_EQ(Ask(stayer, "RUN"), kBusy);     // the job still runs
    m_server->OnJobResult(gone, 1);
    EXPECT_EQ(Ask(stayer, "STATE", 2), "System state 2\r\n200 OK\r\n");
    ASSERT_TRUE(stayer.Send("RUN\r\n"));
    const RequesterId next = JobRequester(1);
    EXPECT_NE(next, gone);
    m_server->OnJobResult(next, 1);
    EXPECT_EQ(stayer.Line(), "200 OK\r\n");
}

TEST_F(SvrThreadTest, FullTableClosesNewConnectionsAtOnce) {
    StartServer(2);
    LineClient first, second, refused;
    Connect(first);
    Connect(second);
    ASSERT_TRUE(refused.Connect(m_nPort));
    EXPECT_TRUE(refused.ServerClosed());
    ASSERT_TRUE(first.Send("LOGOF\r\n"));
    EXPECT_TRUE(first.ServerClosed());
    Connect(refused);
    EXPECT_EQ(Ask(second, "STATE"), "System state 0\r\n");
}

TEST_F(SvrThreadTest, ListenFailureWarnsAndServerRunsWithoutListener) {
    platform::PollListener taken;
    std::string error;
    ASSERT_TRUE(taken.Listen(m_nPort, 5, &error)) << error;
    CScriptedPrompter prompter;
    CScopedPrompter installed(prompter);
    g_nLockHolder = 7;
    CSvrThread server(m_poster, &m_window);
    ASSERT_EQ(server.Start(), 1);
    EXPECT_EQ(server.Port(), 0);
    EXPECT_EQ(g_nLockHolder, -1);
    server.OnJobResult(1, 1);  // answers nobody
    server.Stop();
    ASSERT_EQ(prompter.Questions().size(), 1u);
    const CScriptedPrompter::Question& warning = prompter.Questions()[0];
    EXPECT_EQ(warning.text, "There was an error when attempting to listen on socket " +
                                std::to_string(m_nPort) +
                                ".Try setting a new network control port.");
    EXPECT_EQ(warning.caption, "Quarn Pro");
    EXPECT_EQ(warning.type, 48);
    EXPECT_EQ(warning.owner, &m_window);
}

TEST_F(SvrThreadTest, DisabledServerDoesNotListen) {
    WriteSettings("[global]\r\nncen=0\r\nncport=" + std::to_string(m_nPort) + "\r\n");
    CScriptedPrompter prompter;
    CScopedPrompter installed(prompter);
    g_nLockHolder = 7;
    CSvrThread server(m_poster, &m_window);
    ASSERT_EQ(server.Start(), 1);
    EXPECT_EQ(server.Port(), 0);
    EXPECT_EQ(g_nLockHolder, 7);
    LineClient client;
    EXPECT_FALSE(client.Connect(m_nPort));
    server.Stop();
    EXPECT_TRUE(prompter.Questions().empty());
}

TEST_F(SvrThreadTest, StopClosesEveryConnection) {
    StartServer();
    LineClient client;
    ConnectAndLogOn(client);
    EXPECT_EQ(Ask(client, "LOCK"), kDone);
    m_server->Stop();
    EXPECT_TRUE(client.ServerClosed());
    EXPECT_EQ(g_nLockHolder, -1);
    LineClient late;
    EXPECT_FALSE(late.Connect(m_nPort));
}

}  // namespace
