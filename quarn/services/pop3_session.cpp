#include "quarn/services/pop3_session.h"

#include <atomic>

#include "platform/tcp_stream.h"
#include "quarn/services/messages.h"

namespace {

constexpr int kSocketError = 7;
constexpr int kConnectFailed = 102;
constexpr int kNetworkError = 103;
constexpr int kMailError = 104;
constexpr std::string_view kInvalidLogon = "invalid character in logon";

std::atomic<long long> g_timeoutMs{CPop3Session::kDefaultTimeout.count()};

}  // namespace

void CPop3Session::SetTimeout(std::chrono::milliseconds timeout) {
    g_timeoutMs = timeout.count();
}

std::chrono::milliseconds CPop3Session::Timeout() {
    return std::chrono::milliseconds(g_timeoutMs.load());
}

CPop3Session::CPop3Session(std::size_t lineBufferSize) : m_lineBufferSize(lineBufferSize) {}

CPop3Session::~CPop3Session() = default;

int CPop3Session::Fail(int message) {
    m_strMessage = LoadMessage(message);
    return 0;
}

int CPop3Session::Logon(const std::string& server, const std::string& user,
                        const std::string& password, int port) {
    m_reader.reset();
    m_socket.reset();
    if (platform::HoldsLineBreak(user) || platform::HoldsLineBreak(password)) {
        m_strMessage = LoadMessage(kMailError, kInvalidLogon);
        return 0;
    }
    auto socket = std::make_unique<platform::TcpStream>();
    std::string error;
    if (!socket->Create(&error)) return Fail(kSocketError);
    if (!socket->Connect(server, port, Timeout(), &error)) return Fail(kConnectFailed);
    m_socket = std::move(socket);
    m_reader = std::make_unique<platform::TcpLineReader>(*m_socket, m_lineBufferSize);
    return CheckReply() && SendLine("USER " + user) && CheckReply() &&
           SendLine("PASS " + password) && CheckReply();
}

int CPop3Session::SendLine(std::string_view line) {
    if (!m_socket) return Fail(kNetworkError);
    std::string bytes(line);
    bytes += "\r\n";
    std::string error;
    return m_socket->SendAll(bytes, Timeout(), &error) ? 1 : Fail(kNetworkError);
}

int CPop3Session::ReadLine(std::string& line) {
    if (!m_reader) return Fail(kNetworkError);
    std::string error;
    if (m_reader->ReadLine(&line, Timeout(), &error) != platform::TcpLineReader::Result::kLine)
        return Fail(kNetworkError);
    return 1;
}

int CPop3Session::CheckReply() {
    if (!ReadLine(m_strReply)) return 0;
    m_strMessage =
        LoadMessage(kMailError, std::string_view(m_strReply).substr(m_strReply.empty() ? 0 : 1));
    return m_strReply.starts_with('-') ? 0 : 1;
}

int CPop3Session::ReadMessageText(std::string& text) {
    std::string line;
    for (;;) {
        if (!ReadLine(line)) return 0;
        if (line == ".") return 1;
        text.append(line.starts_with('.') ? std::string_view(line).substr(1) : line);
        text += "\r\n";
    }
}

void CPop3Session::SplitMessage(const std::string& text) {
    constexpr std::string_view kEmptyLine = "\r\n\r\n";
    if (text.starts_with("\r\n")) {
        m_strHeader.clear();
        m_strBody = text.substr(2);
        return;
    }
    const std::size_t split = text.find(kEmptyLine);
    if (split == std::string::npos) {
        m_strHeader = text.substr(0, text.ends_with("\r\n") ? text.size() - 2 : text.size());
        m_strBody.clear();
        return;
    }
    m_strHeader = text.substr(0, split);
    m_strBody = text.substr(split + kEmptyLine.size());
}

int CPop3Session::RetrieveMessage(const std::string& number, int deleteAfter) {
    if (!SendLine("RETR " + number) || !CheckReply()) return 0;
    std::string text;
    if (!ReadMessageText(text)) return 0;
    if (deleteAfter && (!SendLine("DELE " + number) || !CheckReply())) return 0;
    SplitMessage(text);
    return 1;
}

int CPop3Session::DeleteMessage(int number) {
    return SendLine("DELE " + std::to_string(number)) && CheckReply();
}
