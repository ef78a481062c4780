// The session against a scripted server: the exact lines remote sends, in order, each only after
// the reply before it (a reply that ends the exchange early proves the client waited for it),
// the message every reply leads to, and the time-outs against a server that stalls.

#include "remote/remote_session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "remote/scripted_log_on.h"
#include "tests/fixtures/free_port.h"
#include "tests/fixtures/scripted_ftp_server.h"

namespace {

using fixtures::ScriptedFtpServer;
using Lines = std::vector<std::string>;
using Script = std::function<void(ScriptedFtpServer&)>;
using namespace std::chrono_literals;

// Sets the session time-out for one test and puts the default back.
class ScopedTimeout {
public:
    explicit ScopedTimeout(CRemoteSession::Milliseconds timeout) {
        CRemoteSession::SetTimeout(timeout);
    }
    ~ScopedTimeout() { CRemoteSession::SetTimeout(CRemoteSession::kDefaultTimeout); }
};

// A session logged on (or not) to a scripted server whose steps end with the client's close,
// so that a line sent after the expected ones fails the script.
class Exchange {
public:
    explicit Exchange(const Script& steps, bool closeEnds = true) {
        steps(m_server);
        if (closeEnds) m_server.ExpectClose();
        m_started = m_server.Start();
    }
    std::optional<RemoteMessage> LogOn() {
        return m_session->LogOn("127.0.0.1", m_server.Port(), "ann", "a b");
    }
    CRemoteSession& Session() { return *m_session; }
    // Closes the client's connection and checks what the server got.
    void ExpectSent(const Lines& lines) {
        m_session.reset();
        EXPECT_TRUE(m_server.WaitDone()) << m_server.Failure();
        EXPECT_EQ(m_server.Received(), lines);
    }
    bool Started() const { return m_started; }

private:
    ScriptedFtpServer m_server;
    std::unique_ptr<CRemoteSession> m_session = std::make_unique<CRemoteSession>();
    bool m_started = false;
};

struct CommandCase {
    const char* name;
    std::string command, project, script;
    Script steps;  // after the log-on
    RemoteMessage shown;
    Lines sent;  // after the log-on
    bool closeEnds = true;
};

TEST(RemoteSessionTest, SendsEachCommandWithItsProjectSwitchAndShowsTheReply) {
    const std::vector<CommandCase> cases{
        {"run without a project is one line",
         "run",
         "",
         "s.scp",
         [](auto& s) { s.Expect("run s.scp").Reply("200 OK"); },
         remote_message::CommandSuccessful(),
         {"run s.scp"}},
        {"an empty script leaves the blank",
         "run",
         "",
         "",
         [](auto& s) { s.Expect("run ").Reply("200 OK"); },
         remote_message::CommandSuccessful(),
         {"run "}},
        {"publish",
         "publish",
         "",
         "s.scp",
         [](auto& s) { s.Expect("publish").Reply("200 OK"); },
         remote_message::CommandSuccessful(),
         {"publish"}},
        {"ftp",
         "ftp",
         "",
         "",
         [](auto& s) { s.Expect("ftp").Reply("200 OK"); },
         remote_message::CommandSuccessful(),
         {"ftp"}},
        {"a project is switched to under the lock",
         "run",
         "shop",
         "s.scp",
         [](auto& s) {
             s.Expect("lock").Reply("214 OK").Expect("project shop").Reply("214 OK");
             s.Expect("run s.scp").Reply("200 OK").Expect("unlock").Reply("214 OK");
         },
         remote_message::CommandSuccessful(),
         {"lock", "project shop", "run s.scp", "unlock"}},
        {"a lock other than 551 goes on",
         "ftp",
         "shop",
         "",
         [](auto& s) {
             s.Expect("lock").Reply("500 eh?").Expect("project shop").Reply("214 OK");
             s.Expect("ftp").Reply("200 OK").Expect("unlock").Reply("551 BUSY");
         },
         remote_message::CommandSuccessful(),
         {"lock", "project shop", "ftp", "unlock"}},
        {"a busy lock ends the command",
         "run",
         "shop",
         "",
         [](auto& s) { s.Expect("lock").Reply("551 BUSY"); },
         remote_message::Busy(),
         {"lock"}},
        {"a refused project is unlocked",
         "publish",
         "nowhere",
         "",
         [](auto& s) {
             s.Expect("lock").Reply("214 OK").Expect("project nowhere");
             s.Reply("550 Invalid project name").Expect("unlock").Reply("214 OK");
         },
         remote_message::ProjectError(),
         {"lock", "project nowhere", "unlock"}},
        {"a busy project is a project error",
         "run",
         "shop",
         "",
         [](auto& s) {
             s.Expect("lock").Reply("214 OK").Expect("project shop").Reply("551 BUSY");
             s.Expect("unlock").Reply("214 OK");
         },
         remote_message::ProjectError(),
         {"lock", "project shop", "unlock"}},
        {"a failed job shows the server's text",
         "run",
         "",
         "bad.scp",
         [](auto& s) { s.Expect("run bad.scp").Reply("550 out of stock"); },
         remote_message::CommandFailed("out of stock"),
         {"run bad.scp"}},
        {"a failed job in a project is unlocked before it is shown",
         "run",
         "shop",
         "bad.scp",
         [](auto& s) {
             s.Expect("lock").Reply("214 OK").Expect("project shop").Reply("214 OK");
             s.Expect("run bad.scp").Reply("550 out of stock").Expect("unlock").Reply("214 OK");
         },
         remote_message::CommandFailed("out of stock"),
         {"lock", "project shop", "run bad.scp", "unlock"}},
        {"a busy job",
         "publish",
         "",
         "",
         [](auto& s) { s.Expect("publish").Reply("551 BUSY"); },
         remote_message::Busy(),
         {"publish"}},
        {"a reply shorter than its code and blank has no text",
         "run",
         "",
         "",
         [](auto& s) { s.Expect("run ").Reply("550"); },
         remote_message::CommandFailed(""),
         {"run "}},
        {"a dropped connection reads as an empty reply",
         "ftp",
         "",
         "",
         [](auto& s) { s.Expect("ftp").CloseControl(); },
         remote_message::CommandFailed(""),
         {"ftp"},
         false},
        {"an unlock answered by the server's end still shows the job's result",
         "ftp",
         "shop",
         "",
         [](auto& s) {
             s.Expect("lock").Reply("214 OK").Expect("project shop").Reply("214 OK");
             s.Expect("ftp").Reply("200 OK").Expect("unlock").CloseControl();
         },
         remote_message::CommandSuccessful(),
         {"lock", "project shop", "ftp", "unlock"},
         false},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        Exchange exchange(
            [&](ScriptedFtpServer& s) {
                LogOnSteps(s);
                c.steps(s);
            },
            c.closeEnds);
        ASSERT_TRUE(exchange.Started());
        ASSERT_EQ(exchange.LogOn(), std::nullopt);
        EXPECT_EQ(exchange.Session().SendCommand(c.command, c.project, c.script), c.shown);
        exchange.ExpectSent(WithLogOn(c.sent));
    }
}

struct LogOnCase {
    const char* name;
    Script steps;
    RemoteMessage shown;
    Lines sent;
};

TEST(RemoteSessionTest, AFailedLogOnShowsItsMessageAndLeavesEveryCommandRefused) {
    const std::vector<LogOnCase> cases{
        {"a greeting that is not 220",
         [](auto& s) { s.Reply("421 Service not available"); },
         remote_message::InvalidGreeting(),
         {}},
        {"no greeting before the end",
         [](auto& s) { s.CloseControl(); },
         remote_message::InvalidGreeting(),
         {}},
        {"a user reply that is not 331",
         [](auto& s) { s.Reply("220 Hi").Expect("user ann").Reply("500 eh?"); },
         remote_message::InvalidUserReply(),
         {"user ann"}},
        {"a refused password",
         [](auto& s) {
             s.Reply("220 Hi").Expect("user ann").Reply("331 Password required for ann");
             s.Expect("pass a b").Reply("530 Access denied");
         },
         remote_message::AccessDenied(),
         {"user ann", "pass a b"}},
    };
    for (const LogOnCase& c : cases) {
        SCOPED_TRACE(c.name);
        Exchange exchange(c.steps, c.name != std::string("no greeting before the end"));
        ASSERT_TRUE(exchange.Started());
        EXPECT_EQ(exchange.LogOn(), c.shown);
        EXPECT_FALSE(exchange.Session().LoggedOn());
        for (const char* command : {"run", "publish", "ftp"})
            EXPECT_EQ(exchange.Session().SendCommand(command, "shop", ""),
                      remote_message::NotLoggedOn());
        exchange.ExpectSent(c.sent);
    }
}

TEST(RemoteSessionTest, AServerThatIsNotRunningCannotBeConnectedTo) {
    const int port = fixtures::FreeLoopbackPort();
    ASSERT_NE(port, 0);
    CRemoteSession session;
    EXPECT_EQ(session.LogOn("127.0.0.1", port, "ann", "a b"), remote_message::ConnectError());
    EXPECT_EQ(session.SendCommand("run", "", ""), remote_message::NotLoggedOn());
    EXPECT_EQ(session.LogOn("no such host.invalid", port, "ann", "a b"),
              remote_message::ConnectError());
}

TEST(RemoteSessionTest, EveryReplyButAJobsTimesOutAsThatStepsReadFailure) {
    const ScopedTimeout timeout(150ms);
    const std::vector<LogOnCase> logOns{
        {"greeting", [](auto&) {}, remote_message::InvalidGreeting(), {}},
        {"user",
         [](auto& s) { s.Reply("220 Hi").Expect("user ann"); },
         remote_message::InvalidUserReply(),
         {"user ann"}},
        {"pass",
         [](auto& s) {
             s.Reply("220 Hi").Expect("user ann").Reply("331 Password required for ann");
             s.Expect("pass a b");
         },
         remote_message::AccessDenied(),
         {"user ann", "pass a b"}},
    };
    for (const LogOnCase& c : logOns) {
        SCOPED_TRACE(c.name);
        Exchange exchange(c.steps);
        ASSERT_TRUE(exchange.Started());
        EXPECT_EQ(exchange.LogOn(), c.shown);
        exchange.ExpectSent(c.sent);
    }

    const std::vector<CommandCase> commands{
        {"lock",
         "run",
         "shop",
         "",
         [](auto& s) { s.Expect("lock"); },
         remote_message::NetworkError(),
         {"lock"}},
        {"project, then still unlocked",
         "run",
         "shop",
         "",
         [](auto& s) { s.Expect("lock").Reply("214 OK").Expect("project shop").Expect("unlock"); },
         remote_message::NetworkError(),
         {"lock", "project shop", "unlock"}},
        {"unlock after the job",
         "run",
         "shop",
         "",
         [](auto& s) {
             s.Expect("lock").Reply("214 OK").Expect("project shop").Reply("214 OK");
             s.Expect("run ").Reply("200 OK").Expect("unlock");
         },
         remote_message::NetworkError(),
         {"lock", "project shop", "run ", "unlock"}},
        {"a job's reply is waited for as long as the job",
         "publish",
         "",
         "",
         [](auto& s) { s.Expect("publish").Pause(800ms).Reply("200 OK"); },
         remote_message::CommandSuccessful(),
         {"publish"}},
    };
    for (const CommandCase& c : commands) {
        SCOPED_TRACE(c.name);
        Exchange exchange([&](ScriptedFtpServer& s) {
            LogOnSteps(s);
            c.steps(s);
        });
        ASSERT_TRUE(exchange.Started());
        ASSERT_EQ(exchange.LogOn(), std::nullopt);
        EXPECT_EQ(exchange.Session().SendCommand(c.command, c.project, c.script), c.shown);
        exchange.ExpectSent(WithLogOn(c.sent));
    }
}

TEST(RemoteSessionTest, AbortEndsTheWaitForAJobFromAnotherThread) {
    std::atomic<bool> waiting{false};
    Exchange exchange([&](ScriptedFtpServer& s) {
        LogOnSteps(s);
        s.Expect("run ").Call([&] { waiting = true; });
    });
    ASSERT_TRUE(exchange.Started());
    ASSERT_EQ(exchange.LogOn(), std::nullopt);
    // Once the command has arrived, so the session is in its wait for the job's reply.
    std::thread aborter([&] {
        while (!waiting)
            std::this_thread::sleep_for(1ms);
        exchange.Session().Abort();
    });
    EXPECT_EQ(exchange.Session().SendCommand("run", "", ""), remote_message::CommandFailed(""));
    aborter.join();
    exchange.ExpectSent(WithLogOn({"run "}));
}

TEST(RemoteSessionTest, ReplyCodeAndTextSplitTheLine) {
    struct Case {
        std::string line;
        int code;
        std::string text;
    };
    for (const Case& c : std::vector<Case>{{"200 OK", 200, "OK"},
                                           {"550 out of stock", 550, "out of stock"},
                                           {"550 ", 550, ""},
                                           {"550", 550, ""},
                                           {"", 0, ""},
                                           {"OK then", 0, "hen"},
                                           {" 214 OK", 214, " OK"}}) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ReplyCode(c.line), c.code);
        EXPECT_EQ(ReplyText(c.line), c.text);
    }
}

}  // namespace
