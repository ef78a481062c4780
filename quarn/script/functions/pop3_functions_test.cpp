#include "quarn/script/functions/pop3_functions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/pop3_session.h"
#include "tests/fixtures/scripted_ftp_server.h"

namespace {

using namespace std::chrono_literals;
using fixtures::ScriptedFtpServer;
using script_testing::ScriptTestProject;
using Lines = std::vector<std::string>;

const std::string kComplete = "Script execution complete.";
const std::string kUndefined = "<undefined>";

struct Outcome {
    int result = 0;
    std::string message;
    std::string page;
    // ?v? after the run, or kUndefined; and whether mailnumber is still defined.
    std::string v;
    bool mailVariablesLeft = false;
};

// The script runs with ?v?, ?w? and ?x? defined.
Outcome RunScript(const ScriptTestProject& project, std::string_view script) {
    Outcome outcome;
    if (!project.WriteFile(ScriptTestProject::kScriptName, script)) return outcome;
    CScriptInterpreter interp(nullptr);
    for (const std::string name : {"v", "w", "x"})
        interp.DefineVariable(name);
    outcome.result = interp.RunScript(ScriptTestProject::kScriptName, 0);
    outcome.message = interp.m_strMessage;
    outcome.page = project.Page("p.html").value_or(kUndefined);
    outcome.v = interp.GetVariableValue("v", 0) ? interp.m_strValue : kUndefined;
    outcome.mailVariablesLeft = interp.GetVariableValue("mailnumber", 0) != 0;
    EXPECT_EQ(interp.m_pPop3, nullptr);
    return outcome;
}

std::string OnPage(std::string_view body) {
    return "&html(\"p.html\"){" + std::string(body) + "}";
}

ScriptedFtpServer& LogonSteps(ScriptedFtpServer& server) {
    return server.Reply("+OK ready").Expect("USER u").Reply("+OK").Expect("PASS p").Reply("+OK in");
}

// Serves messages 1..n: RETR i answers "Subject: m<i>", an empty line and "body <i>".
ScriptedFtpServer& Retrieve(ScriptedFtpServer& server, int number) {
    const std::string n = std::to_string(number);
    return server.Expect("RETR " + n)
        .Reply("+OK")
        .Reply("Subject: m" + n)
        .Reply("")
        .Reply("body " + n)
        .Reply(".");
}

class Pop3FunctionsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    // `call` is "pop3session" or "getmails" with its extra arguments after the port, e.g.
    // "getmails" and ",128".
    std::string Open(const ScriptedFtpServer& server, std::string_view call,
                     std::string_view flags = "") const {
        const std::string port = std::to_string(server.Port());
        if (call == "getmails")
            return "&getmails(\"127.0.0.1\",\"u\",\"p\"," +
                   std::string(flags.empty() ? "0" : flags) + "," + port + ")";
        return "&pop3session(\"127.0.0.1\",\"u\",\"p\"," + port + ")";
    }

    Outcome Run(ScriptedFtpServer& server, std::string_view script) {
        EXPECT_TRUE(server.Start()) << server.Failure();
        Outcome outcome = RunScript(m_project, script);
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
        return outcome;
    }

    ScriptTestProject m_project;
};

TEST_F(Pop3FunctionsTest, SessionReadsCountsDeletesAndQuits) {
    ScriptedFtpServer server;
    LogonSteps(server).Expect("STAT").Reply("+OK 2 320");
    Retrieve(server, 2).Expect("DELE 1").Reply("+OK Marked").Expect("QUIT");
    const Outcome outcome =
        Run(server, OnPage(Open(server, "pop3session") +
                           "{&msgno(?v?)[?v?]&getmsg(?w?,?x?,2,del)<?w?|?x?>&deletemail(1)}after"));
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.page, "[2]<Subject: m2|body 2\r\n>after");
    EXPECT_EQ(server.Received(), (Lines{"USER u", "PASS p", "STAT", "RETR 2", "DELE 1", "QUIT"}));
}

// Break, continue and return end the session block there; the session still quits.
TEST_F(Pop3FunctionsTest, BreakContinueAndReturnEndTheBlock) {
    for (const std::string jump : {"&break()", "&continue()", "&return()"}) {
        SCOPED_TRACE(jump);
        ScriptedFtpServer server;
        LogonSteps(server).Expect("DELE 1").Reply("+OK").Expect("QUIT");
        const Outcome outcome =
            Run(server, OnPage("&defsub(\"s\"){" + Open(server, "pop3session") +
                               "{a&deletemail(1)" + jump + "b&deletemail(2)}c}&s()d"));
        EXPECT_EQ(outcome.message, kComplete);
        EXPECT_EQ(outcome.page, "acd");
        EXPECT_EQ(server.Received(), (Lines{"USER u", "PASS p", "DELE 1", "QUIT"}));
    }
}

// A failure inside the block closes the session without QUIT, so nothing is deleted.
TEST_F(Pop3FunctionsTest, FailureLeavesWithoutQuit) {
    struct Case {
        const char* name;
        std::function<void(ScriptedFtpServer&)> script;
        std::string body;
        std::string message;
        Lines sent;
    };
    const std::vector<Case> cases = {
        {"die after a deletion",
         [](ScriptedFtpServer& s) { s.Expect("DELE 1").Reply("+OK").ExpectClose(); },
         "{&deletemail(1)&die()}",
         "ERROR 87-",
         {"DELE 1"}},
        {"nested session",
         [](ScriptedFtpServer& s) { s.ExpectClose(); },
         "{&pop3session(\"h\",\"u\",\"p\"){}}",
         "ERROR 15- nesting of POP3 sessions is illegal.",
         {}},
        {"negative STAT (msgno)",
         [](ScriptedFtpServer& s) { s.Expect("STAT").Reply("-ERR busy").ExpectClose(); },
         "{&msgno(?v?)}",
         "ERROR 104- POP3 mail error ERR busy",
         {"STAT"}},
        {"unknown message",
         [](ScriptedFtpServer& s) {
             s.Expect("RETR 9").Reply("-ERR There's no message 9.").ExpectClose();
         },
         "{&getmsg(?v?,?w?,9)}",
         "ERROR 104- POP3 mail error ERR There's no message 9.",
         {"RETR 9"}},
        {"text ends inside the block",
         [](ScriptedFtpServer& s) { s.ExpectClose(); },
         "{",
         "ERROR 79- end of script reached before program block closed.",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        LogonSteps(server);
        c.script(server);
        const Outcome outcome = Run(server, Open(server, "pop3session") + c.body);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.message.rfind(c.message, 0), 0u) << outcome.message;
        Lines sent = {"USER u", "PASS p"};
        sent.insert(sent.end(), c.sent.begin(), c.sent.end());
        EXPECT_EQ(server.Received(), sent);
    }
}

TEST_F(Pop3FunctionsTest, GetmailsRunsTheBlockPerMessage) {
    struct Case {
        const char* name;
        std::string flags;
        std::string block;
        std::string stat;
        int passes;  // messages retrieved
        bool deletes;
        std::string page;
    };
    const std::vector<Case> cases = {
        {"deletes each", "0", "{?mailnumber?:?mailheader?;}", "+OK 2 99", 2, true,
         "1:Subject: m1;2:Subject: m2;"},
        {"nodel keeps them", "nodel", "{?mailbody?}", "+OK 2 99", 2, false, "body 1\r\nbody 2\r\n"},
        {"empty mailbox skips the block", "0", "{never}", "+OK 0 0", 0, false, ""},
        {"count without a size", "128", "{?mailnumber?}", "+OK 1", 1, false, "1"},
        {"break ends the loop", "0", "{?mailnumber?&break()x}", "+OK 3 99", 1, true, "1"},
        {"continue goes on", "0", "{?mailnumber?&continue()x}", "+OK 2 99", 2, true, "12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        LogonSteps(server).Expect("STAT").Reply(c.stat);
        Lines sent = {"USER u", "PASS p", "STAT"};
        for (int i = 1; i <= c.passes; ++i) {
            Retrieve(server, i);
            sent.push_back("RETR " + std::to_string(i));
            if (c.deletes) {
                server.Expect("DELE " + std::to_string(i)).Reply("+OK");
                sent.push_back("DELE " + std::to_string(i));
            }
        }
        server.Expect("QUIT");
        sent.push_back("QUIT");
        const Outcome outcome = Run(server, OnPage(Open(server, "getmails", c.flags) + c.block));
        EXPECT_EQ(outcome.message, kComplete);
        EXPECT_EQ(outcome.page, c.page);
        EXPECT_FALSE(outcome.mailVariablesLeft);
        EXPECT_EQ(server.Received(), sent);
    }
}

// A failure halfway leaves without QUIT: the server keeps every message.
TEST_F(Pop3FunctionsTest, GetmailsFailingHalfwayDoesNotQuit) {
    ScriptedFtpServer server;
    LogonSteps(server).Expect("STAT").Reply("+OK 2 99");
    Retrieve(server, 1).Expect("DELE 1").Reply("+OK");
    server.Expect("RETR 2").Reply("+OK").Reply("Subject: cut").CloseControl();
    const Outcome outcome = Run(server, OnPage(Open(server, "getmails") + "{?mailnumber?}"));
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.message, "ERROR 103- POP3 network error.");
    EXPECT_FALSE(outcome.mailVariablesLeft);
    EXPECT_EQ(server.Received(), (Lines{"USER u", "PASS p", "STAT", "RETR 1", "DELE 1", "RETR 2"}));
}

// The session's time-out is a handled error: on_error's retry logs on again and succeeds.
TEST_F(Pop3FunctionsTest, StalledServerTimesOutAndRetrySucceeds) {
    CPop3Session::SetTimeout(300ms);
    ScriptedFtpServer server;
    server.ExpectClose().AcceptNextClient();
    LogonSteps(server).Expect("STAT").Reply("+OK 1 9").Expect("QUIT");
    const Outcome outcome = Run(server, OnPage("&defsub(\"on_error\"){[&geterror(?v?)?v?]&retry}" +
                                               Open(server, "pop3session") + "{&msgno(?w?)n=?w?}"));
    CPop3Session::SetTimeout(CPop3Session::kDefaultTimeout);
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(outcome.page, "[ERROR 103- POP3 network error.]n=1");
    EXPECT_EQ(server.Received(), (Lines{"USER u", "PASS p", "STAT", "QUIT"}));
}

TEST_F(Pop3FunctionsTest, CallsOutsideASessionAndWrongArgumentCounts) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"&getmsg(?v?,?w?,1)", "ERROR 16- function requires an open POP3 session."},
        {"&msgno(?v?)", "ERROR 16- function requires an open POP3 session."},
        {"&deletemail(1)", "ERROR 16- function requires an open POP3 session."},
        {"&getmsg(?v?,?w?)", "ERROR 68- illegal number of arguments in function."},
        {"&msgno()", "ERROR 68- illegal number of arguments in function."},
        {"&mailheader(?v?,?w?,?x?)", "ERROR 68- illegal number of arguments in function."},
        {"&pop3session(\"h\",\"u\"){}", "ERROR 68- illegal number of arguments in function."},
        {"&getmails(\"h\",\"u\",\"p\",0,110,1){}",
         "ERROR 68- illegal number of arguments in function."},
        {"&pop3session(\"127.0.0.1\",\"u\\r\\n\",\"p\"){}",
         "ERROR 104- POP3 mail error invalid character in logon"},
    };
    for (const auto& [script, message] : cases) {
        SCOPED_TRACE(script);
        const Outcome outcome = RunScript(m_project, script);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.message.rfind(message, 0), 0u) << outcome.message;
    }
}

TEST_F(Pop3FunctionsTest, MailheaderTakesFromSubjectAndDate) {
    struct Case {
        const char* name;
        std::string header;
        std::string values;
    };
    const std::vector<Case> cases = {
        {"all three", "Received: x\r\nFrom:  a@b \r\nSubject:\thi there\r\nDate: Fri, 2 Jan",
         "a@b|hi there|Fri, 2 Jan"},
        {"keys in any case", "X: 1\r\nFROM: A\r\nsUbJeCt: S\r\ndate: D", "A|S|D"},
        {"no Date line", "X: 1\r\nFrom: a\r\nSubject: s", "a|s|"},
        {"a field on the first line is not found", "From: first\r\nSubject: s", "|s|"},
        {"first occurrence wins", "X: 1\r\nFrom: one\r\nFrom: two", "one||"},
        {"value runs to the next CR", "X: 1\r\nSubject: a\rb\r\nDate: d", "|a|d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string header;
        for (const char ch : c.header)
            header += ch == '\r'   ? std::string("\\r")
                      : ch == '\n' ? "\\n"
                      : ch == '\t' ? "\\t"
                                   : std::string(1, ch);
        const Outcome outcome =
            RunScript(m_project, OnPage("&mailheader(?v?,?w?,?x?,\"" + header + "\")?v?|?w?|?x?"));
        EXPECT_EQ(outcome.message, kComplete);
        EXPECT_EQ(outcome.page, c.values);
    }
    const Outcome undefined = RunScript(m_project, "&mailheader(?v?,?nope?,?x?,\"h\")");
    EXPECT_EQ(undefined.message.rfind("ERROR 54-", 0), 0u) << undefined.message;
}

}  // namespace
