#include "quarn/services/http_request.h"

#include <atomic>
#include <string_view>

#include "platform/ascii.h"
#include "platform/tcp_stream.h"
#include "quarn/services/messages.h"

namespace {

constexpr int kSocketError = 100;
constexpr int kConnectError = 105;
constexpr int kNetworkError = 106;

constexpr std::string_view kScheme = "http://";
// The user agent's system word: "Win95" only on the old consumer family, which never runs this.
constexpr std::string_view kUserAgent = "User-Agent: Mozilla/2.0 (compatible; Quarn; WinNT)\r\n";

std::atomic<long long> g_timeoutMs{CHttpRequest::kDefaultTimeout.count()};

std::string_view TrimmedRight(std::string_view text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n\v\f");
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

}  // namespace

void CHttpRequest::SetTimeout(std::chrono::milliseconds timeout) {
    g_timeoutMs = timeout.count();
}

std::chrono::milliseconds CHttpRequest::Timeout() {
    return std::chrono::milliseconds(g_timeoutMs.load());
}

CHttpRequest::CHttpRequest(std::size_t lineBufferSize) : m_lineBufferSize(lineBufferSize) {}

CHttpRequest::~CHttpRequest() = default;

int CHttpRequest::Fail(int number) {
    m_strMessage = LoadMessage(number);
    return 0;
}

void CHttpRequest::ParseUrl(const std::string& url) {
    std::string full = url;
    if (!platform::EqualsIgnoringAsciiCase(std::string_view(full).substr(0, kScheme.size()),
                                           kScheme))
        full.insert(0, kScheme);
    const std::string rest = full.substr(full.find("//") + 2);
    const std::size_t slash = rest.find('/');
    m_strHost = rest.substr(0, slash);
    m_strPath = slash == std::string::npos ? "/" : rest.substr(slash);
}

std::string CHttpRequest::BuildRequest(const std::string& method, int port,
                                       const std::string& body) const {
    std::string request = method + " " + m_strPath + " HTTP/1.0\r\n";
    request += kUserAgent;
    request += "Host: " + m_strHost + ":" + std::to_string(port) + "\r\n";
    if (method == "GET" || method == "HEAD") return request + "\r\n";
    request += "Content-type: application/x-www-form-urlencoded\r\n";
    request += "Content-length: " + std::to_string(body.size()) + "\r\n\r\n";
    return request + body + "\r\n";
}

int CHttpRequest::Send(const std::string& url, const std::string& method, int port,
                       const std::string& body) {
    m_strHeader.clear();
    m_strBody.clear();
    if (platform::HoldsLineBreak(url) || platform::HoldsLineBreak(method))
        return Fail(kNetworkError);
    const std::chrono::milliseconds timeout = Timeout();
    std::string error;
    m_reader.reset();
    m_socket = std::make_unique<platform::TcpStream>();
    if (!m_socket->Create(&error)) return Fail(kSocketError);
    ParseUrl(url);
    if (!m_socket->Connect(m_strHost, port, timeout, &error)) return Fail(kConnectError);
    if (!m_socket->SendAll(BuildRequest(method, port, body), timeout, &error))
        return Fail(kNetworkError);
    m_reader = std::make_unique<platform::TcpLineReader>(*m_socket, m_lineBufferSize);
    return ReadResponse(timeout);
}

int CHttpRequest::ReadResponse(std::chrono::milliseconds timeout) {
    using Result = platform::TcpLineReader::Result;
    std::string line;
    std::string error;
    Result result;
    while ((result = m_reader->ReadLine(&line, timeout, &error)) == Result::kLine) {
        const std::string_view trimmed = TrimmedRight(line);
        if (trimmed.empty()) break;
        m_strHeader.append(trimmed).append("\r\n");
    }
    while (result == Result::kLine &&
           (result = m_reader->ReadLine(&line, timeout, &error)) == Result::kLine)
        m_strBody.append(line).append("\r\n");
    if (result == Result::kError) return Fail(kNetworkError);
    return 1;
}
