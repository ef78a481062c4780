#include "quarn/script/functions/http_functions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/tcp_stream.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/http_request.h"
#include "tests/fixtures/http_server.h"
#include "tests/fixtures/scripted_http_server.h"

namespace {

using namespace std::chrono_literals;
using fixtures::HttpServer;
using fixtures::ScriptedHttpServer;
using script_testing::ScriptRun;
using script_testing::ScriptTestProject;
using End = ScriptedHttpServer::Answer::End;

const std::string kComplete = "Script execution complete.";
const std::string kError54 = "ERROR 54- unrecognised variable name.";
const std::string kError68 = "ERROR 68- illegal number of arguments in function.";
const std::string kError119 = "ERROR 119- an error occurred whilst communicating with HTTP server.";
const std::string kUserAgent = "User-Agent: Mozilla/2.0 (compatible; Quarn; WinNT)\r\n";

// `call` between definitions of ?h? and ?b? and a page that shows them: "[" header "][" body "]".
std::string PageOf(const std::string& call) {
    return "&defvar(?h?)&defvar(?b?)" + call + "&html(\"p.html\",2){[?h?][?b?]}";
}

class HttpFunctionTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_project.Ok()) << m_project.Error();
        CHttpRequest::SetTimeout(300ms);
    }
    void TearDown() override { CHttpRequest::SetTimeout(CHttpRequest::kDefaultTimeout); }

    ScriptTestProject m_project;
};

TEST_F(HttpFunctionTest, FetchesAndPostsIntoTheTwoVariables) {
    HttpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    ASSERT_TRUE(server.AddPage("page.html", "<p>hello</p>\n"));
    const std::string port = std::to_string(server.Port());
    const std::string host = "Host: 127.0.0.1:" + port + "\r\n";
    const std::string fixed = std::string(HttpServer::kServerLine) + "\r\n" +
                              std::string(HttpServer::kDateLine) + "\r\n" +
                              "Content-Type: text/html\r\n";
    struct Case {
        std::string call, request, page;
    } const cases[] = {
        {"&http(?h?,?b?,\"http://127.0.0.1/page.html\",\"GET\"," + port + ")",
         "GET /page.html HTTP/1.0\r\n" + kUserAgent + host + "\r\n",
         "[HTTP/1.0 200 OK\r\n" + fixed + "Content-Length: 13\r\n][<p>hello</p>\r\n]"},
        {"&http(?h?,?b?,\"127.0.0.1/form\",\"POST\"," + port + "-1+1,\"a=1&b=2\")",
         "POST /form HTTP/1.0\r\n" + kUserAgent + host +
             "Content-type: application/x-www-form-urlencoded\r\nContent-length: 7\r\n\r\n"
             "a=1&b=2\r\n",
         "[HTTP/1.0 200 OK\r\n" + fixed + "Content-Length: 21\r\n][posted /form: a=1&b=2\r\n]"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.call);
        const ScriptRun run = m_project.Run(PageOf(c.call));
        EXPECT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(run.message, kComplete);
        EXPECT_EQ(m_project.Page("p.html"), c.page);
        const std::vector<std::string> seen = server.Requests();
        ASSERT_EQ(seen.size(), i + 1) << server.LogText();
        EXPECT_EQ(seen[i], c.request);
    }
}

TEST_F(HttpFunctionTest, FailuresAreNumberedAndNothingIsSentForBadArguments) {
    platform::TcpListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 4, &error)) << error;
    const std::string port = std::to_string(listener.Port());
    platform::TcpListener closed;
    ASSERT_TRUE(closed.Listen("127.0.0.1", 0, 1, &error)) << error;
    const std::string closedPort = std::to_string(closed.Port());
    closed.Close();
    const std::string kBreaks =
        "&defvar(?c?)&chr(?c?,13)&defvar(?l?)&chr(?l?,10)&defvar(?z?)&chr(?z?,0)";
    struct Case {
        std::string name, script, message;
    } const cases[] = {
        {"three arguments", PageOf("&http(?h?,?b?,\"127.0.0.1/\")"), kError68},
        {"seven arguments", PageOf("&http(?h?,?b?,\"127.0.0.1/\",\"GET\"," + port + ",\"\",\"\")"),
         kError68},
        // ?c? holds a CR, ?l? an LF, ?z? a NUL.
        {"CR LF in the URL",
         kBreaks + PageOf("&http(?h?,?b?,\"127.0.0.1/a?c??l?X: y\",\"GET\"," + port + ")"),
         kError119},
        {"LF in the method",
         kBreaks + PageOf("&http(?h?,?b?,\"127.0.0.1/\",\"GET / HTTP/1.0?l??l?GET\"," + port + ")"),
         kError119},
        {"NUL in the URL",
         kBreaks + PageOf("&http(?h?,?b?,\"127.0.0.1/?z?\",\"GET\"," + port + ")"), kError119},
        {"nobody listening", PageOf("&http(?h?,?b?,\"127.0.0.1/\",\"GET\"," + closedPort + ")"),
         kError119},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScriptRun run = m_project.Run(c.script);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
        EXPECT_FALSE(m_project.Page("p.html").has_value());
    }
    platform::TcpStream stream;
    EXPECT_FALSE(listener.Accept(&stream, 100ms, &error)) << "a connection was made";
}

TEST_F(HttpFunctionTest, UndefinedVariableIsError54) {
    ScriptedHttpServer server;
    server.Then({{"HTTP/1.0 200 OK\r\n\r\nx"}});
    ASSERT_TRUE(server.Start()) << server.Failure();
    const ScriptRun run = m_project.Run("&defvar(?h?)&http(?h?,?nobody?,\"127.0.0.1/\",\"GET\"," +
                                        std::to_string(server.Port()) + ")");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, kError54);
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
}

// A server that stalls and one that drops the connection: each time-out or cut is ERROR 119,
// which on_error takes; its retry asks again and the second answer is the page.
TEST_F(HttpFunctionTest, OnErrorRetryAfterAStallOrACutSucceeds) {
    for (const End firstEnd : {End::kHold, End::kReset}) {
        SCOPED_TRACE(firstEnd == End::kHold ? "stall" : "cut");
        ScriptedHttpServer server;
        server.Then({{"HTTP/1.0 200 OK\r\n\r\nhalf"}, firstEnd})
            .Then({{"HTTP/1.0 200 OK\r\n", "\r\nwhole\r\n"}});
        ASSERT_TRUE(server.Start()) << server.Failure();
        const ScriptRun run = m_project.Run(
            "&defvar(?n?)&defsub(\"on_error\"){&inc(?n?)&geterror(?e?)&retry}&defvar(?e?)" +
            PageOf("&http(?h?,?b?,\"127.0.0.1/x\",\"GET\"," + std::to_string(server.Port()) + ")") +
            "&html(\"n.html\",2){?n? ?e?}");
        EXPECT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(m_project.Page("p.html"), "[HTTP/1.0 200 OK\r\n][whole\r\n]");
        EXPECT_EQ(m_project.Page("n.html"), "1 " + kError119);
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
        EXPECT_EQ(server.Requests().size(), 2u);
    }
}

}  // namespace
