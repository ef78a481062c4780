#include "quarn/script/functions/smtp_functions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/smtp_mailer.h"
#include "tests/fixtures/smtp_server.h"

namespace {

using namespace std::chrono_literals;
using fixtures::SmtpServer;
using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";

// The mailers' time-out for one test; the default is back afterwards.
class TimeoutForTest {
public:
    explicit TimeoutForTest(std::chrono::milliseconds timeout) { CSmtpMailer::SetTimeout(timeout); }
    ~TimeoutForTest() { CSmtpMailer::SetTimeout(CSmtpMailer::kDefaultTimeout); }
};

// `&sendmail(server, from, to, flags, port){block}` for `server`.
std::string Sendmail(const SmtpServer& server, const std::string& to, const std::string& flags,
                     const std::string& block) {
    return "&sendmail(\"" + server.Host() + "\", \"me@a.test\", \"" + to + "\", " + flags + ", " +
           std::to_string(server.Port()) + "){" + block + "}";
}

TEST(SendmailTest, ComposeMailTakesHeaderLinesAndBody) {
    const struct {
        std::string output;
        int refused;
        std::string mail;
    } cases[] = {
        {"HEADER:\r\nSubject: s\r\nBODY:\r\nbody\r\n", 0, "Subject: s\r\n\r\nbody\r\n"},
        {"\r\n \tHEADER: Subject: s \r\nTo: t\t\r\nBODY: same line\r\nmore", 0,
         "Subject: s \r\nTo: t\r\n same line\r\nmore"},
        {"HEADER:\nSubject: s\nBODY:\nbody\n", 0, "Subject: s\r\n\r\nbody\r\n"},
        {"HEADER:\rSubject: s\rBODY:", 0, "Subject: s\r\n"},
        {"Subject: s\r\nBODY:\r\nbody", 112, ""},
        {"header:\r\nSubject: s\r\nBODY:\r\nbody", 112, ""},
        {"", 112, ""},
        {"HEADER:\r\nSubject: s\r\nbody", 113, ""},
        {"HEADER:BODY:body", 113, ""},
        {"HEADER:\r\n\r\nBODY:body", 113, ""},
        {"HEADER:\r\nSubject: s\r\nbody: x", 113, ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.output);
        std::string mail;
        EXPECT_EQ(CFnSendmail::ComposeMail(row.output, &mail), row.refused);
        EXPECT_EQ(mail, row.mail);
    }
}

class SendmailScriptTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_project.Ok()) << m_project.Error();
        if (!m_server.IsRunning()) GTEST_SKIP() << m_server.FailureReason();
    }

    ScriptTestProject m_project;
    SmtpServer m_server;
};

TEST_F(SendmailScriptTest, BlockOutputIsTheMailInEveryFormat) {
    const struct {
        const char* name;
        std::string flags;
        std::string block;
        std::string data;
    } cases[] = {
        {"compacted", "0",
         "\n  HEADER:\n  Subject: plain\n\n  BODY:\n  .dot first\n\n  .\n\t last\n",
         "Subject: plain\r\n\r\n.dot first\r\n.\r\nlast\r\n\r\n"},
        {"formatcr keeps tabs", "formatcr", "HEADER:\n\tSubject: t\nBODY:\n\tindented\n",
         "Subject: t\r\n\r\n\tindented\r\n\r\n"},
        {"formatnone keeps everything", "formatnone",
         "HEADER:\nSubject: n\n  \nBODY:\n  two blanks\n\n.\n",
         "Subject: n\r\n\r\n  two blanks\r\n\r\n.\r\n\r\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const auto run =
            m_project.Run(Sendmail(m_server, "x@b.test,y@c.test", row.flags, row.block));
        EXPECT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(run.message, kComplete);
    }
    const std::vector<SmtpServer::Message> messages = m_server.Messages();
    ASSERT_EQ(messages.size(), std::size(cases)) << m_server.LogText();
    for (std::size_t i = 0; i < messages.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(messages[i].from, "me@a.test");
        EXPECT_EQ(messages[i].recipients, (std::vector<std::string>{"x@b.test", "y@c.test"}));
        EXPECT_EQ(messages[i].data, cases[i].data);
    }
    EXPECT_NE(m_project.Listing().find("Sending email to x@b.test,y@c.test\r\n"), std::string::npos)
        << m_project.Listing();
}

TEST_F(SendmailScriptTest, RefusedBlocksSendNothing) {
    const struct {
        const char* name;
        std::string script;
        std::string message;
    } cases[] = {
        {"no header", Sendmail(m_server, "x@b.test", "0", "Subject: s\nBODY:\nb\n"),
         "ERROR 112- email must have a header."},
        {"no body", Sendmail(m_server, "x@b.test", "0", "HEADER:\nSubject: s\nb\n"),
         "ERROR 113- email must have a body."},
        {"block never closed", "&sendmail(\"127.0.0.1\", \"a\", \"b\"){HEADER:\nBODY:\n",
         "ERROR 79- end of script reached before program block closed."},
        {"failing block", Sendmail(m_server, "x@b.test", "0", "HEADER:\nBODY:\n&die()"),
         "ERROR 87- script terminated on die function."},
        {"too few arguments", "&sendmail(\"127.0.0.1\", \"a\"){HEADER:\nBODY:\n}",
         "ERROR 68- illegal number of arguments in function."},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const auto run = m_project.Run(row.script);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, row.message);
    }
    EXPECT_TRUE(m_server.Messages().empty()) << m_server.LogText();
}

// Inside the block values are written as they are (no entities, no line breaks made "<BR>"
// unless the flags ask); after it the page's own modes apply again.
TEST_F(SendmailScriptTest, BlockWritesValuesRawAndThePageModesComeBack) {
    const std::string script =
        "&defvar(?v?)&assign(?v?,\"<a>\")&html(\"p.html\", hiascii){?v?" +
        Sendmail(m_server, "x@b.test", "formatnone", "HEADER:\nSubject: ?v?\nBODY:\n?v?\n") +
        "?v?}";
    const auto run = m_project.Run(script);
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(m_project.Page("p.html").value_or(""), "&#60;a&#62;&#60;a&#62;");
    const std::vector<SmtpServer::Message> messages = m_server.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].data, "Subject: <a>\r\n\r\n<a>\r\n\r\n");
}

TEST_F(SendmailScriptTest, AFailedSendIsHandledByOnError) {
    const std::string refused =
        "&sendmail(\"127.0.0.1\", \"a\", \"b\", 0, 1){HEADER:\nS: s\nBODY:\n}";
    const auto unhandled = m_project.Run(refused);
    EXPECT_EQ(unhandled.result, 0);
    EXPECT_EQ(unhandled.message, "ERROR 108- unable to connect to SMTP server.");
    const auto ignored = m_project.Run("&defsub(\"on_error\"){&ignore}" + refused);
    EXPECT_EQ(ignored.result, 1) << ignored.message;
}

// The server stalls its first session past the time-out: the send fails with ERROR 111, the
// handler retries, and the second session delivers the mail once.
TEST(SendmailStallTest, TimeOutThenRetrySucceeds) {
    ScriptTestProject project;
    ASSERT_TRUE(project.Ok()) << project.Error();
    SmtpServer server(SmtpServer::Options{1, 3s});
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    const TimeoutForTest timeout(500ms);
    const std::string send = Sendmail(server, "x@b.test", "0", "HEADER:\nSubject: s\nBODY:\nb\n");

    const auto withoutHandler = project.Run(send);
    EXPECT_EQ(withoutHandler.result, 0);
    EXPECT_EQ(withoutHandler.message, "ERROR 111- SMTP network error.");

    SmtpServer stalling(SmtpServer::Options{1, 3s});
    ASSERT_TRUE(stalling.IsRunning()) << stalling.FailureReason();
    const auto retried =
        project.Run("&defsub(\"on_error\"){&retry}" +
                    Sendmail(stalling, "x@b.test", "0", "HEADER:\nSubject: s\nBODY:\nb\n"));
    EXPECT_EQ(retried.result, 1) << retried.message;
    const std::vector<SmtpServer::Message> messages = stalling.Messages();
    ASSERT_EQ(messages.size(), 1u) << stalling.LogText();
    EXPECT_EQ(messages[0].data, "Subject: s\r\n\r\nb\r\n\r\n");
}

TEST_F(SendmailScriptTest, MailtxtSendsItsTextAsTheMail) {
    const std::string call =
        "&mailtxt(\"" + m_server.Host() + "\", \"me@a.test\", \"x@b.test, y@c.test\", " +
        "\"Subject: hi\\r\\n\\r\\n.one\\r\\ntwo\", " + std::to_string(m_server.Port()) + ")";
    const auto run = m_project.Run(call);
    EXPECT_EQ(run.result, 1) << run.message;
    const std::vector<SmtpServer::Message> messages = m_server.Messages();
    ASSERT_EQ(messages.size(), 1u) << m_server.LogText();
    EXPECT_EQ(messages[0].from, "me@a.test");
    EXPECT_EQ(messages[0].recipients, (std::vector<std::string>{"x@b.test", "y@c.test"}));
    EXPECT_EQ(messages[0].data, "Subject: hi\r\n\r\n.one\r\ntwo\r\n");
    EXPECT_NE(m_project.Listing().find("Sending email to x@b.test, y@c.test\r\n"),
              std::string::npos)
        << m_project.Listing();

    const auto refused = m_project.Run("&mailtxt(\"127.0.0.1\", \"a\", \"b\", \"t\", 1)");
    EXPECT_EQ(refused.result, 0);
    EXPECT_EQ(refused.message, "ERROR 108- unable to connect to SMTP server.");
    EXPECT_EQ(m_project.Run("&mailtxt(\"s\", \"a\", \"b\")").message,
              "ERROR 68- illegal number of arguments in function.");
}
}  // namespace
