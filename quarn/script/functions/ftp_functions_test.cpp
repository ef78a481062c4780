#include "quarn/script/functions/ftp_functions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/ftp_client.h"
#include "quarn/services/settings_keys.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/scripted_ftp_server.h"
#include "tests/fixtures/text.h"

namespace {

using namespace std::chrono_literals;
using fixtures::FtpServer;
using fixtures::ScriptedFtpServer;
using script_testing::ScriptRun;
using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";
const std::string kError114 = "ERROR 114- function requires an open FTP session.";
const std::string kError68 = "ERROR 68- illegal number of arguments in function.";
const std::string kNetworkError115 = "ERROR 115- FTP error: Network error";

// Sets the time-out of the clients made while it lives, then puts the old one back.
class ClientTimeout {
public:
    explicit ClientTimeout(std::chrono::milliseconds timeout)
        : m_previous(CFtpClient::SetDefaultTimeout(timeout)) {}
    ~ClientTimeout() { CFtpClient::SetDefaultTimeout(m_previous); }
    ClientTimeout(const ClientTimeout&) = delete;
    ClientTimeout& operator=(const ClientTimeout&) = delete;

private:
    std::chrono::milliseconds m_previous;
};

// "&ftpsession(...){" + body + "}" for the user and password of the fixtures.
std::string Session(int port, const std::string& body, int passive = 1) {
    return "&ftpsession(\"127.0.0.1\",\"quarn\",\"secret\",\"\"," + std::to_string(port) + "," +
           std::to_string(passive) + "){" + body + "}";
}

// The script writes its text to page p.html, so what ran shows there.
std::string OnPage(const std::string& script) {
    return "&html(\"p.html\"){" + script + "}";
}

class FtpFunctionsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    ScriptTestProject m_project;
};

class FtpFunctionsServerTest : public FtpFunctionsTest {
protected:
    void SetUp() override {
        FtpFunctionsTest::SetUp();
        if (!m_server.IsRunning()) GTEST_SKIP() << m_server.FailureReason();
    }

    std::string Session(const std::string& body, int passive = 1) const {
        return ::Session(m_server.Port(), body, passive);
    }
    std::optional<std::string> ServerFile(const std::string& name) const {
        return fixtures::ReadTextFile(m_server.RootFile(name));
    }
    void PutServerFile(const std::string& name, const std::string& bytes) const {
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(m_server.RootFile(name), bytes, &error)) << error;
    }

    FtpServer m_server;
};

TEST_F(FtpFunctionsTest, ArgumentCountsAndCallsOutsideASession) {
    struct Case {
        const char* script;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"&ftpput(\"a\",\"b\")", kError114},
        {"&ftpget(\"a\",\"b\")", kError114},
        {"&ftpdel(\"a\")", kError114},
        {"&ftpmkdir(\"a\")", kError114},
        {"&ftprmdir(\"a\")", kError114},
        {"&ftpcommand(\"NOOP\")", kError114},
        // Transfers read their arguments before they look for the session; commands after.
        {"&ftpput(a,\"b\")", "ERROR 47- syntax error in text string."},
        {"&ftpdel(a)", kError114},
        {"&ftpput(\"a\")", kError68},
        {"&ftpget(\"a\",\"b\",\"c\")", kError68},
        {"&ftpdel(\"a\",\"b\")", kError68},
        {"&ftpcommand()", kError68},
        {"&ftpsession(\"h\",\"u\"){}", kError68},
        {"&ftpsession(\"h\",\"u\",\"p\",\"\",21,0,\"f\",0,\"u\",\"p\",21,0){}", kError68},
        // A refused connection is a failed logon; the block is neither run nor skipped.
        {"&ftpsession(\"127.0.0.1\",\"u\",\"p\",\"\",1){x}",
         "ERROR 26- Unable to connect to server"},
        {"&ftpsession(\"127.0.0.1\",\"u\",\"p\",\"\",21,0,\"127.0.0.1\",9){x}",
         "ERROR 26- Logon failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const ScriptRun run = m_project.Run(c.script);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
    }
}

TEST_F(FtpFunctionsServerTest, SessionTransfersFilesByteForByteInBothModes) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += static_cast<char>((i * 7 + i / 256) & 0xFF);
    ASSERT_TRUE(m_project.WriteFile("up.bin", bytes));
    for (const int passive : {0, 1}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        const std::string remote = "r" + std::to_string(passive) + ".bin";
        // ftpget takes the local file first.
        const ScriptRun run = m_project.Run(
            Session("&ftpmkdir(\"d\")&ftpput(\"up.bin\",\"d/" + remote + "\")" +
                        "&ftpget(\"down.bin\",\"d/" + remote + "\")" + "&ftpput(\"up.bin\",\"" +
                        remote + "\")&ftpdel(\"d/" + remote + "\")&ftprmdir(\"d\")",
                    passive));
        EXPECT_EQ(run.result, 1) << run.message << m_server.LogText();
        EXPECT_EQ(ServerFile(remote), bytes);
        EXPECT_EQ(m_project.ReadFile("down.bin"), bytes);
        EXPECT_FALSE(ServerFile("d/" + remote));
        EXPECT_FALSE(ServerFile("d"));
    }
}

TEST_F(FtpFunctionsServerTest, RefusalsAreError115WithTheServersReply) {
    PutServerFile("f.txt", "remote");
    ASSERT_TRUE(m_project.WriteFile("keep.txt", "local"));
    struct Case {
        std::string body;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"&ftpdel(\"missing\")", "ERROR 115- FTP error: 550 No such file or directory."},
        {"&ftprmdir(\"missing\")", "ERROR 115- FTP error: 550 No such file or directory."},
        // A 3xx is no success.
        {"&ftpcommand(\"TYPE I\")&ftpcommand(\"REST 10\")",
         "ERROR 115- FTP error: 350 Restarting at position 10."},
        {"&ftpcommand(\"\")", "ERROR 115- FTP error: 500 Command \"\" not understood."},
        {"&ftpmkdir(\"a\\r\\nDELE f.txt\")", "ERROR 115- FTP error: Invalid character in command"},
        {"&ftpput(\"keep.txt\",\"a\\nb\")", "ERROR 115- FTP error: Invalid character in command"},
        {"&ftpput(\"no such file\",\"x\")",
         "ERROR 115- FTP error: Unable to open file on local machine"},
        // A refused download leaves the local file as it was.
        {"&ftpget(\"keep.txt\",\"missing\")",
         "ERROR 115- FTP error: 550 No such file or directory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const ScriptRun run = m_project.Run(Session(c.body));
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
    }
    EXPECT_EQ(ServerFile("f.txt"), "remote");
    EXPECT_EQ(m_project.ReadFile("keep.txt"), "local");
}

TEST_F(FtpFunctionsServerTest, FailedLogonIsError26AndNotHandled) {
    const std::string handler = "&defsub(\"on_error\"){&print(\"handled\")&ignore}";
    struct Case {
        std::string script;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"&ftpsession(\"127.0.0.1\",\"quarn\",\"wrong\",\"\"," + std::to_string(m_server.Port()) +
             "){x}",
         "ERROR 26- 530 Authentication failed."},
        {"&ftpsession(\"127.0.0.1\",\"qu\\rarn\",\"secret\",\"\"," +
             std::to_string(m_server.Port()) + "){x}",
         "ERROR 26- Invalid character in command"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const ScriptRun run = m_project.Run(OnPage(handler + "a" + c.script + "b"));
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
    }
}

TEST_F(FtpFunctionsServerTest, SessionLastsForItsBlockAndDoesNotNest) {
    struct Case {
        std::string script;
        int result;
        std::string message;
    };
    const std::vector<Case> cases = {
        {Session("") + "&ftpdel(\"x\")", 0, kError114},
        {Session("&ftpmkdir(\"one\")") + Session("&ftpmkdir(\"two\")"), 1, kComplete},
        // The nesting check comes before the argument count.
        {Session("&ftpsession(){}"), 0, "ERROR 20- nesting of FTP sessions not allowed"},
        {Session(Session("")), 0, "ERROR 20- nesting of FTP sessions not allowed"},
        {"&ftpsession(\"127.0.0.1\",\"quarn\",\"secret\",\"\"," + std::to_string(m_server.Port()) +
             "){",
         0, "ERROR 79- end of script reached before program block closed."},
        {"&ftpsession(\"127.0.0.1\",\"quarn\",\"secret\",\"\"," + std::to_string(m_server.Port()) +
             ") x",
         0, "ERROR 82- opening curly brace character expected."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const ScriptRun run = m_project.Run(c.script);
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.message, c.message);
    }
    EXPECT_TRUE(std::filesystem::is_directory(m_server.RootFile("one")));
    EXPECT_TRUE(std::filesystem::is_directory(m_server.RootFile("two")));
}

TEST_F(FtpFunctionsServerTest, BlockExitsEndOnlyTheSession) {
    PutServerFile("child.scp", "");
    struct Case {
        const char* name;
        std::string script;
        std::string page;
    };
    const std::vector<Case> cases = {
        {"break", OnPage("&repeat(2){A" + Session("B&break C") + "D}E"), "ABDABDE"},
        {"continue", OnPage("&repeat(2){A" + Session("B&continue C") + "D}E"), "ABDABDE"},
        {"return", OnPage("&defsub(\"s\"){A" + Session("B&return C") + "D}&gosub(\"s\")E"), "ABDE"},
        // In on_error, retry and ignore reach the handler's caller after the session ends.
        {"ignore", OnPage("&defsub(\"on_error\"){" + Session("&ignore C") + "}a&die()b"), "ab"},
        {"retry",
         OnPage("&defsub(\"on_error\"){" + Session("&ftpget(\"child.scp\",\"child.scp\")&retry C") +
                "}a&runscript(\"child.scp\")b"),
         "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScriptRun run = m_project.Run(c.script);
        EXPECT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(m_project.Page("p.html"), c.page);
    }
}

TEST_F(FtpFunctionsServerTest, HandledRefusalCanBeIgnored) {
    const ScriptRun run = m_project.Run(OnPage("&defsub(\"on_error\"){&ignore}" +
                                               Session("a&ftpdel(\"missing\")b&ftpmkdir(\"d\")")));
    EXPECT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(m_project.Page("p.html"), "ab");
    EXPECT_EQ(m_project.ProjectKey(project_key::lstprojerrmsg),
              "ERROR 115- FTP error: 550 No such file or directory.");
}

// ---- Servers that misbehave (scripted peer) ----

class FtpFunctionsScriptedTest : public FtpFunctionsTest {
protected:
    static constexpr auto kShortTimeout = 300ms;

    // The server greets and accepts user u with password p.
    static void ScriptLogOn(ScriptedFtpServer& server) {
        server.Reply("220 Ready.")
            .Expect("USER u")
            .Reply("331 Password.")
            .Expect("PASS p")
            .Reply("230 In.");
    }
    static std::string Session(const ScriptedFtpServer& server, const std::string& body) {
        return "&ftpsession(\"127.0.0.1\",\"u\",\"p\",\"\"," + std::to_string(server.Port()) +
               ",1){" + body + "}";
    }

    ClientTimeout m_timeout{kShortTimeout};
};

TEST_F(FtpFunctionsScriptedTest, LogOnArgumentsReachTheServerInOrder) {
    struct Case {
        const char* name;
        // The call's arguments after the port's place; "PORT" stands for the server's port.
        std::string arguments;
        std::function<void(ScriptedFtpServer&)> script;
    };
    const auto greetAndAskForAccount = [](ScriptedFtpServer& s, const std::string& account) {
        s.Reply("220 Ready.").Expect("USER u").Reply("331 Password.").Expect("PASS p");
        s.Reply("332 Account.").Expect("ACCT " + account).Reply("230 In.");
    };
    const std::vector<Case> cases = {
        {"account as text", "\"127.0.0.1\",\"u\",\"p\",\"sales\",PORT",
         [&](ScriptedFtpServer& s) { greetAndAskForAccount(s, "sales"); }},
        {"account as a number", "\"127.0.0.1\",\"u\",\"p\",12*2,PORT",
         [&](ScriptedFtpServer& s) { greetAndAskForAccount(s, "24"); }},
        // With seven arguments the seventh is not read: the logon is direct.
        {"seventh argument alone", "\"127.0.0.1\",\"u\",\"p\",\"\",PORT,0,\"unused\"",
         [](ScriptedFtpServer& s) { ScriptLogOn(s); }},
        // Type 5 sends USER user@host to the firewall at the firewall port.
        {"through a firewall",
         "\"remote.example\",\"u\",\"p\",\"\",21,0,\"127.0.0.1\",5,\"fu\",\"fp\",PORT",
         [](ScriptedFtpServer& s) {
             s.Reply("220 Firewall.").Expect("USER u@remote.example").Reply("331 Password.");
             s.Expect("PASS p").Reply("230 In.");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        c.script(server);
        ASSERT_TRUE(server.Start()) << server.Failure();
        std::string arguments = c.arguments;
        fixtures::ReplaceAll(arguments, "PORT", std::to_string(server.Port()));
        const ScriptRun run = m_project.Run("&ftpsession(" + arguments + "){}");
        EXPECT_EQ(run.result, 1) << run.message;
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
    }
}

TEST_F(FtpFunctionsScriptedTest, StalledReplyTimesOutAndOnErrorRetrySucceeds) {
    ScriptedFtpServer server;
    ScriptLogOn(server);
    // The first MKD is never answered; the retried one is.
    server.Expect("MKD d").Expect("MKD d").Reply("257 \"/d\" created.");
    ASSERT_TRUE(server.Start()) << server.Failure();
    const ScriptRun run = m_project.Run(
        OnPage("&defsub(\"on_error\"){h&retry}" + Session(server, "a&ftpmkdir(\"d\")b")));
    EXPECT_EQ(run.result, 1) << run.message;
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(m_project.Page("p.html"), "ahb");
    EXPECT_EQ(m_project.ProjectKey(project_key::lstprojerrmsg), kNetworkError115);
}

TEST_F(FtpFunctionsScriptedTest, HostileRepliesEndInError115) {
    struct Case {
        const char* name;
        std::function<void(ScriptedFtpServer&)> script;
        std::string body;
        int result;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"reply split over reads",
         [](ScriptedFtpServer& s) {
             s.Expect("MKD d").SendInPieces({"25", "7 \"/d\" cre", "ated.\r\n"});
         },
         "&ftpmkdir(\"d\")", 1, kComplete},
        {"10 MiB reply line",
         [](ScriptedFtpServer& s) { s.Expect("MKD d").Reply("257 " + std::string(10 << 20, 'x')); },
         "&ftpmkdir(\"d\")", 0, kNetworkError115},
        {"reply without line end",
         [](ScriptedFtpServer& s) { s.Expect("MKD d").SendInPieces({"257 made"}); },
         "&ftpmkdir(\"d\")", 0, kNetworkError115},
        {"connection cut before the reply",
         [](ScriptedFtpServer& s) { s.Expect("MKD d").CloseControl(); }, "&ftpmkdir(\"d\")", 0,
         kNetworkError115},
        {"connection cut inside a refusal",
         [](ScriptedFtpServer& s) { s.Expect("MKD d").SendInPieces({"550 No su"}).CloseControl(); },
         "&ftpmkdir(\"d\")", 0, "ERROR 115- FTP error: 550 No su"},
        {"data connection cut mid-file",
         [](ScriptedFtpServer& s) {
             s.Expect("TYPE I").Reply("200 Binary.").Expect("PASV").PassiveReply();
             s.Expect("RETR f").Reply("150 Opening.").AcceptData().SendData("part").ResetData();
             s.Reply("426 Connection closed.");
         },
         "&ftpget(\"f\",\"f\")", 0, kNetworkError115},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        ScriptLogOn(server);
        c.script(server);
        ASSERT_TRUE(server.Start()) << server.Failure();
        const ScriptRun run = m_project.Run(Session(server, c.body));
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.message, c.message);
    }
}

}  // namespace
