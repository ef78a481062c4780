#include "quarn/services/smtp_mailer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/tcp_stream.h"
#include "tests/fixtures/scripted_ftp_server.h"
#include "tests/fixtures/smtp_server.h"

namespace {

using namespace std::chrono_literals;
using fixtures::ScriptedFtpServer;
using fixtures::SmtpServer;

// Every reply line meets several partial reads.
constexpr std::size_t kSmallBuffer = 7;
constexpr auto kShortTimeout = 300ms;

const std::string kNetworkError = "ERROR 111- SMTP network error.";

// The mailers' time-out for one test; the default is back afterwards.
class TimeoutForTest {
public:
    explicit TimeoutForTest(std::chrono::milliseconds timeout) { CSmtpMailer::SetTimeout(timeout); }
    ~TimeoutForTest() { CSmtpMailer::SetTimeout(CSmtpMailer::kDefaultTimeout); }
};

// The dialogue from "a" to "b" accepted up to and including the first recipient.
ScriptedFtpServer& AcceptedToFirstRecipient(ScriptedFtpServer& s) {
    return s.Reply("220 ready")
        .Expect("HELO Quarn on 127.0.0.1")
        .Reply("250 hi")
        .Expect("MAIL FROM:<a>")
        .Reply("250 ok")
        .Expect("RCPT TO:<b>")
        .Reply("250 ok");
}

TEST(SmtpMailerTest, DotStuffMakesEveryLineEndCrLfAndDoublesEveryLeadingDot) {
    const struct {
        std::string body;
        std::string sent;
    } cases[] = {
        {"", ""},
        {".x", "..x"},
        {".", ".."},
        {"a\r\n.\r\nb", "a\r\n..\r\nb"},
        {"a\n.b\n", "a\r\n..b\r\n"},
        {"a\r.b\r", "a\r\n..b\r\n"},
        {"a\n\r.b", "a\r\n\r\n..b"},
        {"x.y\r\n..\r\n", "x.y\r\n...\r\n"},
        {"\r\n\r\n", "\r\n\r\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.body);
        EXPECT_EQ(CSmtpMailer::DotStuff(row.body), row.sent);
    }
}

TEST(SmtpMailerTest, SplitRecipientsKeepsBlanksAndEmptyParts) {
    const struct {
        std::string to;
        std::vector<std::string> recipients;
    } cases[] = {
        {"a@x", {"a@x"}},
        {"a@x,b@y", {"a@x", "b@y"}},
        {"a@x, b@y", {"a@x", " b@y"}},
        {"a@x,", {"a@x", ""}},
        {"", {""}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.to);
        CSmtpMailer mailer;
        mailer.SplitRecipients(row.to);
        EXPECT_EQ(mailer.GetRecipients(), row.recipients);
    }
}

TEST(SmtpMailerTest, RealServerReceivesTheExactBytesForEveryRecipient) {
    SmtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    const std::string body =
        "Subject: dots\r\n\r\n.first\r\n.\r\nmiddle\nbare LF\rbare CR\r\n..two\r\nlast";
    for (const std::size_t buffer : {kSmallBuffer, CSmtpMailer::kBufferSize}) {
        SCOPED_TRACE(buffer);
        CSmtpMailer mailer(buffer);
        ASSERT_EQ(mailer.SendMail(server.Host(), "from@a.test", "one@b.test,two@c.test", body,
                                  server.Port()),
                  1)
            << mailer.GetMessage() << "\n"
            << server.LogText();
        EXPECT_EQ(mailer.GetMessage(),
                  "ERROR 110- SMTP mail error 250 Message accepted for delivery");
    }
    const std::vector<SmtpServer::Message> messages = server.Messages();
    ASSERT_EQ(messages.size(), 2u) << server.LogText();
    for (const SmtpServer::Message& message : messages) {
        EXPECT_EQ(message.helo, "Quarn on 127.0.0.1");
        EXPECT_EQ(message.from, "from@a.test");
        EXPECT_EQ(message.recipients, (std::vector<std::string>{"one@b.test", "two@c.test"}));
        EXPECT_EQ(message.data,
                  "Subject: dots\r\n\r\n.first\r\n.\r\nmiddle\r\nbare LF\r\nbare CR\r\n..two\r\n"
                  "last\r\n");
    }
}

TEST(SmtpMailerTest, DialogueIsSentExactlyAndQuitIsNotAwaited) {
    ScriptedFtpServer server;
    server.Reply("220 ready")
        .Expect("HELO Quarn on 127.0.0.1")
        .Reply("250 hello")
        .Expect("MAIL FROM:<me@a>")
        .Reply("250 ok")
        .Expect("RCPT TO:<x@b>")
        .Reply("250 ok")
        .Expect("RCPT TO:< y@c>")
        .Reply("250 ok")
        .Expect("RCPT TO:<>")
        .Reply("250 ok")
        .Expect("DATA")
        .Reply("354 go")
        .Expect("..line")
        .Expect("")
        .Expect("end")
        .Expect(".")
        .Reply("250 queued")
        .Expect("QUIT")
        .ExpectClose();
    ASSERT_TRUE(server.Start()) << server.Failure();
    {
        CSmtpMailer mailer;
        EXPECT_EQ(mailer.SendMail("127.0.0.1", "me@a", "x@b, y@c,", ".line\n\nend", server.Port()),
                  1)
            << mailer.GetMessage();
        EXPECT_EQ(mailer.GetMessage(), "ERROR 110- SMTP mail error 250 queued");
    }
    // The connection closes with the mailer.
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
}

TEST(SmtpMailerTest, MultiLineRepliesSplitOverReadsCountAsOneReply) {
    ScriptedFtpServer server;
    server.SendInPieces({"22", "0-first\r\n220-sec", "ond\r\n220 ", "last\r\n"})
        .Expect("HELO Quarn on 127.0.0.1")
        .SendInPieces({"250-a\r\n", "250-b\r", "\n250 c\r\n"})
        .Expect("MAIL FROM:<a>")
        .Reply("250-x")
        .Reply("2501 not the end")
        .Reply("251 not the end either")
        .Reply("250 done")
        .Expect("RCPT TO:<b>")
        .Reply("250 ok")
        .Expect("DATA")
        .Reply("354 go")
        .Expect("text")
        .Expect(".")
        .Reply("250 queued")
        .Expect("QUIT");
    ASSERT_TRUE(server.Start()) << server.Failure();
    CSmtpMailer mailer(kSmallBuffer);
    EXPECT_EQ(mailer.SendMail("127.0.0.1", "a", "b", "text", server.Port()), 1)
        << mailer.GetMessage();
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
}

// A refused step ends the dialogue with the step's error and sends nothing after it.
TEST(SmtpMailerTest, RefusalsEndTheDialogueWithTheServersLine) {
    struct Case {
        const char* name;
        std::function<void(ScriptedFtpServer&)> script;
        std::string message;
        std::string lastLine;  // the last line the client sent
    };
    const Case cases[] = {
        {"greeting 421", [](ScriptedFtpServer& s) { s.Reply("421 busy"); },
         "ERROR 109- invalid SMTP server response.", ""},
        {"greeting without a number", [](ScriptedFtpServer& s) { s.Reply("hello"); },
         "ERROR 109- invalid SMTP server response.", ""},
        {"HELO refused",
         [](ScriptedFtpServer& s) {
             s.Reply("220 ready").Expect("HELO Quarn on 127.0.0.1").Reply("501 who?");
         },
         "ERROR 110- SMTP mail error 501 who?", "HELO Quarn on 127.0.0.1"},
        {"second RCPT refused",
         [](ScriptedFtpServer& s) {
             AcceptedToFirstRecipient(s)
                 .Expect("RCPT TO:<c>")
                 .Reply("550-no such")
                 .Reply("550 user here");
         },
         "ERROR 110- SMTP mail error 550 user here", "RCPT TO:<c>"},
        {"data refused",
         [](ScriptedFtpServer& s) {
             AcceptedToFirstRecipient(s)
                 .Expect("RCPT TO:<c>")
                 .Reply("250 ok")
                 .Expect("DATA")
                 .Reply("354 go")
                 .Expect("body")
                 .Expect(".")
                 .Reply("554 spam");
         },
         "ERROR 110- SMTP mail error 554 spam", "."},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ScriptedFtpServer server;
        row.script(server);
        server.ExpectClose();
        ASSERT_TRUE(server.Start()) << server.Failure();
        {
            CSmtpMailer mailer;
            EXPECT_EQ(mailer.SendMail("127.0.0.1", "a", "b,c", "body", server.Port()), 0);
            EXPECT_EQ(mailer.GetMessage(), row.message);
        }
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
        const std::vector<std::string> received = server.Received();
        EXPECT_EQ(received.empty() ? "" : received.back(), row.lastLine);
    }
}

// What a hostile or broken server does ends in ERROR 111, never in a hang or success.
TEST(SmtpMailerTest, HostileServersEndInNetworkError) {
    const TimeoutForTest timeout(kShortTimeout);
    const std::string hugeLine(10 << 20, 'x');
    std::string endlessReply;
    for (std::size_t i = 0; endlessReply.size() <= CSmtpMailer::kMaxReplyBytes; ++i)
        endlessReply += "220-" + std::string(1000, 'y') + "\r\n";
    const auto toData = [](ScriptedFtpServer& s) -> ScriptedFtpServer& {
        return AcceptedToFirstRecipient(s).Expect("DATA").Reply("354 go");
    };
    struct Case {
        const char* name;
        std::function<void(ScriptedFtpServer&)> script;
        std::string body = "body";
    };
    const Case cases[] = {
        {"silent server", [](ScriptedFtpServer&) {}},
        {"closed at once", [](ScriptedFtpServer& s) { s.CloseControl(); }},
        {"10 MiB reply line", [&](ScriptedFtpServer& s) { s.Reply(hugeLine); }},
        {"endless multi-line reply", [&](ScriptedFtpServer& s) { s.SendInPieces({endlessReply}); }},
        {"reply without line end, then silence",
         [](ScriptedFtpServer& s) { s.SendInPieces({"220 ready"}); }},
        {"reply without line end, then closed",
         [](ScriptedFtpServer& s) { s.SendInPieces({"220 ready"}).CloseControl(); }},
        {"HELO answer never comes",
         [](ScriptedFtpServer& s) { s.Reply("220 ready").Expect("HELO Quarn on 127.0.0.1"); }},
        {"cut after DATA", [&](ScriptedFtpServer& s) { toData(s).Expect("body").CloseControl(); }},
        {"cut during a large body",
         [&](ScriptedFtpServer& s) { toData(s).Expect("line").CloseControl(); },
         std::string("line\r\n") + std::string(16 << 20, 'z')},
        {"no answer to the data",
         [&](ScriptedFtpServer& s) { toData(s).Expect("body").Expect("."); }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ScriptedFtpServer server;
        row.script(server);
        ASSERT_TRUE(server.Start()) << server.Failure();
        CSmtpMailer mailer(kSmallBuffer);
        EXPECT_EQ(mailer.SendMail("127.0.0.1", "a", "b", row.body, server.Port()), 0);
        EXPECT_EQ(mailer.GetMessage(), kNetworkError);
    }
}

TEST(SmtpMailerTest, ConnectFailureIsError108) {
    platform::TcpListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 1, &error)) << error;
    const int port = listener.Port();
    listener.Close();
    CSmtpMailer mailer;
    EXPECT_EQ(mailer.SendMail("127.0.0.1", "a", "b", "body", port), 0);
    EXPECT_EQ(mailer.GetMessage(), "ERROR 108- unable to connect to SMTP server.");
}

// Checked before any connection: the port given here would fail with ERROR 108.
TEST(SmtpMailerTest, LineBreaksInAddressesAreRefusedBeforeConnecting) {
    const struct {
        std::string from;
        std::string to;
    } cases[] = {
        {"a\r\nRSET", "b"},
        {"a", "b\nDATA"},
        {"a", "b,c\rd"},
        {std::string("a\0b", 3), "b"},
        {"a", std::string("b,\0", 3)},
    };
    for (const auto& row : cases) {
        CSmtpMailer mailer;
        EXPECT_EQ(mailer.SendMail("127.0.0.1", row.from, row.to, "body", 0), 0);
        EXPECT_EQ(mailer.GetMessage(), "ERROR 110- SMTP mail error invalid character in address");
    }
}

}  // namespace
