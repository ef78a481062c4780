#include "quarn/services/http_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/tcp_stream.h"
#include "tests/fixtures/http_server.h"
#include "tests/fixtures/scripted_http_server.h"

namespace {

using namespace std::chrono_literals;
using fixtures::HttpServer;
using fixtures::ScriptedHttpServer;
using End = ScriptedHttpServer::Answer::End;

// Every response line meets several partial reads.
constexpr std::size_t kSmallBuffer = 7;
constexpr auto kShortTimeout = 300ms;

const std::string kError105 = "ERROR 105- unable to connect to web server.";
const std::string kError106 = "ERROR 106- HTTP network error.";
const std::string kUserAgent = "User-Agent: Mozilla/2.0 (compatible; Quarn; WinNT)\r\n";

std::string Request(const std::string& firstLine, int port) {
    return firstLine + "\r\n" + kUserAgent + "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
}

// Every test shortens the process-wide time-out and puts the default back.
class HttpRequestTest : public testing::Test {
protected:
    void SetUp() override { CHttpRequest::SetTimeout(kShortTimeout); }
    void TearDown() override { CHttpRequest::SetTimeout(CHttpRequest::kDefaultTimeout); }
};

TEST_F(HttpRequestTest, ParseUrlSplitsHostAndPath) {
    struct Case {
        std::string url, host, path;
    } const cases[] = {
        {"www.example.org/a/b.html", "www.example.org", "/a/b.html"},
        {"http://www.example.org/a/b.html", "www.example.org", "/a/b.html"},
        {"HTTP://Example.org/a/b.html", "Example.org", "/a/b.html"},
        {"www.example.org", "www.example.org", "/"},
        {"http://www.example.org/", "www.example.org", "/"},
        {"example.org:8080/x?q=1", "example.org:8080", "/x?q=1"},
        {"", "", "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        CHttpRequest request;
        request.ParseUrl(c.url);
        EXPECT_EQ(request.GetHost(), c.host);
        EXPECT_EQ(request.GetPath(), c.path);
    }
}

TEST_F(HttpRequestTest, RealServerSeesExactRequestsAndAnswers) {
    HttpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    ASSERT_TRUE(server.AddPage("page.html", "<p>one</p>  \nline two\r\n"));
    const int port = server.Port();
    const std::string fixedLines = std::string(HttpServer::kServerLine) + "\r\n" +
                                   std::string(HttpServer::kDateLine) + "\r\n" +
                                   "Content-Type: text/html\r\n";
    struct Case {
        std::string url, method, body, request, header, responseBody;
    } const cases[] = {
        {"127.0.0.1/page.html", "GET", "", Request("GET /page.html HTTP/1.0", port) + "\r\n",
         "HTTP/1.0 200 OK\r\n" + fixedLines + "Content-Length: 23\r\n",
         "<p>one</p>  \r\nline two\r\n"},
        {"http://127.0.0.1/page.html", "HEAD", "",
         Request("HEAD /page.html HTTP/1.0", port) + "\r\n",
         "HTTP/1.0 200 OK\r\n" + fixedLines + "Content-Length: 23\r\n", ""},
        {"127.0.0.1", "GET", "ignored", Request("GET / HTTP/1.0", port) + "\r\n",
         "HTTP/1.0 404 Not Found\r\n" + fixedLines + "Content-Length: 18\r\n",
         "<p>not found</p>\r\n"},
        {"127.0.0.1/form", "POST", "a=1&b=x+y",
         Request("POST /form HTTP/1.0", port) +
             "Content-type: application/x-www-form-urlencoded\r\nContent-length: 9\r\n\r\n"
             "a=1&b=x+y\r\n",
         "HTTP/1.0 200 OK\r\n" + fixedLines + "Content-Length: 23\r\n",
         "posted /form: a=1&b=x+y\r\n"},
        // Any other method word is a form submission, sent as written.
        {"127.0.0.1/form", "post", "",
         Request("post /form HTTP/1.0", port) +
             "Content-type: application/x-www-form-urlencoded\r\nContent-length: 0\r\n\r\n\r\n",
         "HTTP/1.0 501 Unsupported method ('post')\r\n", ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.method + " " + c.url);
        CHttpRequest request;
        ASSERT_EQ(request.Send(c.url, c.method, port, c.body), 1) << request.GetMessage();
        const std::vector<std::string> seen = server.Requests();
        ASSERT_EQ(seen.size(), i + 1) << server.LogText();
        EXPECT_EQ(seen[i], c.request);
        if (c.method == "post") {
            EXPECT_TRUE(request.GetHeader().starts_with(c.header)) << request.GetHeader();
            continue;
        }
        EXPECT_EQ(request.GetHeader(), c.header);
        EXPECT_EQ(request.GetBody(), c.responseBody);
    }
}

// A scripted answer and what the client makes of it: its text or its failure.
struct HostileCase {
    std::string name;
    ScriptedHttpServer::Answer answer;
    std::size_t buffer;
    std::string message;  // "" for success
    std::string header;
    std::string body;
};

TEST_F(HttpRequestTest, ReadsWhateverTheServerSendsToAResultOrError106) {
    const std::string tenMiB(10u << 20, 'x');
    const HostileCase cases[] = {
        {"header lines trimmed, body lines kept",
         {{"HTTP/1.0 200 OK  \r\nX-A: b \t\r\n  \r\nbody  \r\n\r\nlast\n"}},
         CHttpRequest::kBufferSize,
         "",
         "HTTP/1.0 200 OK\r\nX-A: b\r\n",
         "body  \r\n\r\nlast\r\n"},
        {"split over many reads",
         {{"HTT", "P/1.0 200 OK\r", "\nX-A: b\r\n\r", "\nli", "ne\r\n", "more"}},
         kSmallBuffer,
         "",
         "HTTP/1.0 200 OK\r\nX-A: b\r\n",
         "line\r\nmore\r\n"},
        {"no blank line: all header",
         {{"HTTP/1.0 200 OK\r\nX-A: b"}},
         kSmallBuffer,
         "",
         "HTTP/1.0 200 OK\r\nX-A: b\r\n",
         ""},
        {"nothing at all", {{}}, CHttpRequest::kBufferSize, "", "", ""},
        {"a 10 MiB line",
         {{"HTTP/1.0 200 OK\r\n\r\n", tenMiB, "\r\n"}},
         CHttpRequest::kBufferSize,
         kError106,
         "",
         ""},
        {"a 10 MiB header line",
         {{"HTTP/1.0 200 OK\r\nX-A: ", tenMiB}},
         CHttpRequest::kBufferSize,
         kError106,
         "",
         ""},
        {"cut by a reset",
         {{"HTTP/1.0 200 OK\r\n\r\nhalf a li"}, End::kReset},
         kSmallBuffer,
         kError106,
         "",
         ""},
        {"stall before answering", {{}, End::kHold}, CHttpRequest::kBufferSize, kError106, "", ""},
        {"stall in the body, line unended",
         {{"HTTP/1.0 200 OK\r\n\r\nbody"}, End::kHold},
         CHttpRequest::kBufferSize,
         kError106,
         "",
         ""},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        server.Then(c.answer);
        ASSERT_TRUE(server.Start()) << server.Failure();
        {
            CHttpRequest request(c.buffer);
            const int result = request.Send("127.0.0.1/x", "GET", server.Port(), "");
            EXPECT_EQ(result, c.message.empty() ? 1 : 0);
            EXPECT_EQ(request.GetMessage(), c.message);
            if (c.message.empty()) {
                EXPECT_EQ(request.GetHeader(), c.header);
                EXPECT_EQ(request.GetBody(), c.body);
            }
        }
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
        const std::vector<std::string> seen = server.Requests();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0], Request("GET /x HTTP/1.0", server.Port()) + "\r\n");
    }
}

TEST_F(HttpRequestTest, UnreachableServerIsError105) {
    platform::TcpListener closed;
    std::string error;
    ASSERT_TRUE(closed.Listen("127.0.0.1", 0, 1, &error)) << error;
    const int port = closed.Port();
    closed.Close();
    for (const int bad : {port, 0, 70000}) {
        SCOPED_TRACE(bad);
        CHttpRequest request;
        EXPECT_EQ(request.Send("127.0.0.1/", "GET", bad, ""), 0);
        EXPECT_EQ(request.GetMessage(), kError105);
    }
    CHttpRequest request;
    EXPECT_EQ(request.Send("no-such-host.invalid/", "GET", 80, ""), 0);
    EXPECT_EQ(request.GetMessage(), kError105);
}

TEST_F(HttpRequestTest, LineBreakInUrlOrMethodIsRefusedBeforeConnecting) {
    platform::TcpListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 4, &error)) << error;
    struct Case {
        std::string url, method;
    } const cases[] = {
        {"127.0.0.1/a\r\nX-Injected: 1", "GET"},    {"127.0.0.1/a\nb", "GET"},
        {std::string("127.0.0.1/a\0b", 13), "GET"}, {"127.0.0.1/a", "GET /b HTTP/1.0\r\n\r\nGET"},
        {"127.0.0.1/a", std::string("PO\0ST", 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url + " " + c.method);
        CHttpRequest request;
        EXPECT_EQ(request.Send(c.url, c.method, listener.Port(), "a=1"), 0);
        EXPECT_EQ(request.GetMessage(), kError106);
    }
    platform::TcpStream stream;
    EXPECT_FALSE(listener.Accept(&stream, 100ms, &error)) << "a connection was made";
}

TEST_F(HttpRequestTest, TimeoutIsProcessWideWithItsDefault) {
    CHttpRequest::SetTimeout(CHttpRequest::kDefaultTimeout);
    EXPECT_EQ(CHttpRequest::Timeout(), 60s);
    CHttpRequest::SetTimeout(1234ms);
    EXPECT_EQ(CHttpRequest::Timeout(), 1234ms);
}

}  // namespace
