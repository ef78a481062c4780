#include "quarn/services/pop3_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tests/fixtures/dovecot_server.h"
#include "tests/fixtures/scripted_ftp_server.h"

namespace {

using namespace std::chrono_literals;
using fixtures::DovecotServer;
using fixtures::ScriptedFtpServer;
using Lines = std::vector<std::string>;

// Every reply line meets several partial reads.
constexpr std::size_t kSmallBuffer = 7;
const std::string kNetworkError = "ERROR 103- POP3 network error.";
const std::string kConnectFailed = "ERROR 102- unable to connect to POP3 server.";
const std::string kInvalidLogon = "ERROR 104- POP3 mail error invalid character in logon";

// Shortens every session's time-out for one test and restores the default afterwards.
class ShortTimeout {
public:
    explicit ShortTimeout(std::chrono::milliseconds timeout) { CPop3Session::SetTimeout(timeout); }
    ~ShortTimeout() { CPop3Session::SetTimeout(CPop3Session::kDefaultTimeout); }
};

// A port nothing listens on: the listener of a server that is gone.
int RefusedPort() {
    ScriptedFtpServer gone;
    return gone.Port();
}

// A fake that greets and takes USER u / PASS p.
ScriptedFtpServer& LogonSteps(ScriptedFtpServer& server) {
    return server.Reply("+OK ready").Expect("USER u").Reply("+OK").Expect("PASS p").Reply("+OK in");
}

TEST(Pop3SessionTest, LogonSendsUserAndPassword) {
    ScriptedFtpServer server;
    LogonSteps(server);
    ASSERT_TRUE(server.Start()) << server.Failure();
    CPop3Session session(kSmallBuffer);
    EXPECT_EQ(session.Logon("127.0.0.1", "u", "p", server.Port()), 1) << session.GetMessage();
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(server.Received(), (Lines{"USER u", "PASS p"}));
    EXPECT_EQ(session.GetMessage(), "ERROR 104- POP3 mail error OK in");
}

// A negative answer at any step fails the logon with ERROR 104 and the server's words; nothing
// more is sent after it.
TEST(Pop3SessionTest, NegativeAnswersFailTheLogon) {
    struct Case {
        const char* name;
        std::function<void(ScriptedFtpServer&)> script;
        Lines sent;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"greeting",
         [](ScriptedFtpServer& s) { s.Reply("-ERR busy"); },
         {},
         "ERROR 104- POP3 mail error ERR busy"},
        {"user",
         [](ScriptedFtpServer& s) { s.Reply("+OK").Expect("USER u").Reply("-ERR who"); },
         {"USER u"},
         "ERROR 104- POP3 mail error ERR who"},
        {"password",
         [](ScriptedFtpServer& s) {
             s.Reply("+OK").Expect("USER u").Reply("+OK").Expect("PASS p").Reply(
                 "-ERR [AUTH] Authentication failed.");
         },
         {"USER u", "PASS p"},
         "ERROR 104- POP3 mail error ERR [AUTH] Authentication failed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        c.script(server);
        ASSERT_TRUE(server.Start()) << server.Failure();
        CPop3Session session(kSmallBuffer);
        EXPECT_EQ(session.Logon("127.0.0.1", "u", "p", server.Port()), 0);
        EXPECT_EQ(session.GetMessage(), c.message);
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
        EXPECT_EQ(server.Received(), c.sent);
    }
}

TEST(Pop3SessionTest, LineBreaksInUserOrPasswordAreRefusedBeforeConnecting) {
    const int port = RefusedPort();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"u\r\nDELE 1", "p"}, {"u", "p\nQUIT"}, {"u", std::string("p\0x", 3)}, {"u\r", "p"}};
    for (const auto& [user, password] : cases) {
        SCOPED_TRACE(user + "/" + password);
        CPop3Session session;
        // A connect would have failed with ERROR 102.
        EXPECT_EQ(session.Logon("127.0.0.1", user, password, port), 0);
        EXPECT_EQ(session.GetMessage(), kInvalidLogon);
        EXPECT_FALSE(session.IsConnected());
    }
}

TEST(Pop3SessionTest, RefusedConnectionIsError102) {
    CPop3Session session;
    EXPECT_EQ(session.Logon("127.0.0.1", "u", "p", RefusedPort()), 0);
    EXPECT_EQ(session.GetMessage(), kConnectFailed);
}

TEST(Pop3SessionTest, RetrieveUndoesDotStuffingAndSplitsAtTheFirstEmptyLine) {
    ScriptedFtpServer server;
    LogonSteps(server)
        .Expect("RETR 1")
        .SendInPieces({"+OK 60 oct", "ets\r\nFrom: a@b\r", "\nSubject: s\r\n\r\n..x\r\n..\r",
                       "\n\r\nlast\r\n", ".\r\n"})
        .Expect("RETR 2")
        .Reply("+OK")
        .Reply("only: header")
        .Reply(".")
        .Expect("RETR 3")
        .Reply("+OK")
        .Reply("")
        .Reply("all body")
        .Reply(".");
    ASSERT_TRUE(server.Start()) << server.Failure();
    CPop3Session session(kSmallBuffer);
    ASSERT_EQ(session.Logon("127.0.0.1", "u", "p", server.Port()), 1) << session.GetMessage();

    ASSERT_EQ(session.RetrieveMessage("1", 0), 1) << session.GetMessage();
    EXPECT_EQ(session.GetHeader(), "From: a@b\r\nSubject: s");
    EXPECT_EQ(session.GetBody(), ".x\r\n.\r\n\r\nlast\r\n");
    // No empty line: all of it is header.
    ASSERT_EQ(session.RetrieveMessage("2", 0), 1) << session.GetMessage();
    EXPECT_EQ(session.GetHeader(), "only: header");
    EXPECT_EQ(session.GetBody(), "");
    // An empty first line: no header.
    ASSERT_EQ(session.RetrieveMessage("3", 0), 1) << session.GetMessage();
    EXPECT_EQ(session.GetHeader(), "");
    EXPECT_EQ(session.GetBody(), "all body\r\n");
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
}

TEST(Pop3SessionTest, RetrieveDeletesOnlyWhenAskedAndDeleteReportsTheAnswer) {
    ScriptedFtpServer server;
    LogonSteps(server)
        .Expect("RETR 2")
        .Reply("+OK")
        .Reply(".")
        .Expect("DELE 2")
        .Reply("+OK Marked to be deleted.")
        .Expect("RETR 3")
        .Reply("+OK")
        .Reply(".")
        .Expect("DELE 3")
        .Reply("-ERR locked")
        .Expect("DELE 4")
        .Reply("-ERR no such message");
    ASSERT_TRUE(server.Start()) << server.Failure();
    CPop3Session session(kSmallBuffer);
    ASSERT_EQ(session.Logon("127.0.0.1", "u", "p", server.Port()), 1) << session.GetMessage();
    EXPECT_EQ(session.RetrieveMessage("2", 1), 1) << session.GetMessage();
    EXPECT_EQ(session.RetrieveMessage("3", 1), 0);
    EXPECT_EQ(session.GetMessage(), "ERROR 104- POP3 mail error ERR locked");
    EXPECT_EQ(session.DeleteMessage(4), 0);
    EXPECT_EQ(session.GetMessage(), "ERROR 104- POP3 mail error ERR no such message");
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(server.Received(),
              (Lines{"USER u", "PASS p", "RETR 2", "DELE 2", "RETR 3", "DELE 3", "DELE 4"}));
}

// What a real server never does ends in ERROR 103 after at most the time-out, never in a hang.
TEST(Pop3SessionTest, HostileServersEndInNetworkError) {
    const ShortTimeout timeout(300ms);
    struct Case {
        const char* name;
        std::function<void(ScriptedFtpServer&)> script;
    };
    const std::vector<Case> cases = {
        {"cut mid-message",
         [](ScriptedFtpServer& s) { s.Reply("+OK").Reply("Subject: x").CloseControl(); }},
        {"stall mid-message", [](ScriptedFtpServer& s) { s.Reply("+OK").Reply("Subject: x"); }},
        {"no reply at all", [](ScriptedFtpServer&) {}},
        {"reply without line end", [](ScriptedFtpServer& s) { s.SendInPieces({"+OK 5 octets"}); }},
        {"10 MiB line",
         [](ScriptedFtpServer& s) {
             s.Reply("+OK").SendInPieces({std::string(10 << 20, 'x') + "\r\n.\r\n"});
         }},
        {"cut after the reply", [](ScriptedFtpServer& s) { s.Reply("+OK").CloseControl(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        LogonSteps(server).Expect("RETR 1");
        c.script(server);
        ASSERT_TRUE(server.Start()) << server.Failure();
        CPop3Session session(kSmallBuffer);
        ASSERT_EQ(session.Logon("127.0.0.1", "u", "p", server.Port()), 1) << session.GetMessage();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(session.RetrieveMessage("1", 1), 0);
        EXPECT_EQ(session.GetMessage(), kNetworkError);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        // Nothing was deleted: DELE never went.
        EXPECT_EQ(server.Received(), (Lines{"USER u", "PASS p", "RETR 1"}));
    }
}

TEST(Pop3SessionTest, StalledGreetingTimesOut) {
    const ShortTimeout timeout(200ms);
    ScriptedFtpServer server;
    ASSERT_TRUE(server.Start()) << server.Failure();
    CPop3Session session;
    EXPECT_EQ(session.Logon("127.0.0.1", "u", "p", server.Port()), 0);
    EXPECT_EQ(session.GetMessage(), kNetworkError);
}

// --- against Dovecot ---

class Pop3SessionDovecotTest : public testing::Test {
protected:
    void SetUp() override {
        if (!m_server.IsRunning()) GTEST_SKIP() << m_server.FailureReason();
    }

    void Add(const std::string& name, const std::string& bytes) {
        std::string error;
        ASSERT_TRUE(m_server.AddMessage(name, bytes, &error)) << error;
    }

    int LogOn(CPop3Session& session) {
        return session.Logon(m_server.Host(), m_server.User(), m_server.Password(),
                             m_server.Port());
    }

    DovecotServer m_server;
};

TEST_F(Pop3SessionDovecotTest, WrongPasswordGivesTheServersAnswer) {
    CPop3Session session;
    EXPECT_EQ(session.Logon(m_server.Host(), m_server.User(), "wrong", m_server.Port()), 0);
    EXPECT_EQ(session.GetMessage(), "ERROR 104- POP3 mail error ERR [AUTH] Authentication failed.");
}

TEST_F(Pop3SessionDovecotTest, RetrievesMessagesAsStored) {
    ASSERT_NO_FATAL_FAILURE(Add("first", "From: a@b\r\nSubject: one\r\n\r\n.dot\r\n..\r\nend\r\n"));
    ASSERT_NO_FATAL_FAILURE(Add("second", "Subject: two\r\n\r\n"));
    CPop3Session session;
    ASSERT_EQ(LogOn(session), 1) << session.GetMessage() << m_server.LogText();
    ASSERT_EQ(session.RetrieveMessage("1", 0), 1) << session.GetMessage();
    EXPECT_EQ(session.GetHeader(), "From: a@b\r\nSubject: one");
    EXPECT_EQ(session.GetBody(), ".dot\r\n..\r\nend\r\n");
    ASSERT_EQ(session.RetrieveMessage("2", 0), 1) << session.GetMessage();
    EXPECT_EQ(session.GetHeader(), "Subject: two");
    EXPECT_EQ(session.GetBody(), "");
    EXPECT_EQ(session.RetrieveMessage("3", 0), 0);
    EXPECT_EQ(session.GetMessage().rfind("ERROR 104- POP3 mail error ERR ", 0), 0u)
        << session.GetMessage();
}

// The session never sends QUIT: what it deleted stays unless its owner commits with QUIT.
TEST_F(Pop3SessionDovecotTest, DeletionsCommitOnlyWithQuit) {
    ASSERT_NO_FATAL_FAILURE(Add("a", "Subject: a\r\n\r\nA\r\n"));
    ASSERT_NO_FATAL_FAILURE(Add("b", "Subject: b\r\n\r\nB\r\n"));
    {
        CPop3Session session;
        ASSERT_EQ(LogOn(session), 1) << session.GetMessage();
        ASSERT_EQ(session.RetrieveMessage("1", 1), 1) << session.GetMessage();
        ASSERT_EQ(session.DeleteMessage(2), 1) << session.GetMessage();
    }
    EXPECT_EQ(m_server.Messages().size(), 2u);
    CPop3Session session;
    ASSERT_EQ(LogOn(session), 1) << session.GetMessage();
    ASSERT_EQ(session.DeleteMessage(2), 1) << session.GetMessage();
    ASSERT_EQ(session.SendLine("QUIT"), 1);
    ASSERT_EQ(session.CheckReply(), 1) << session.GetMessage();
    const auto left = m_server.Messages();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.begin()->first, "a");
    EXPECT_EQ(left.begin()->second, "Subject: a\r\n\r\nA\r\n");
}

}  // namespace
