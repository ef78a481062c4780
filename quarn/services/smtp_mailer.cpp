#include "quarn/services/smtp_mailer.h"

#include <atomic>
#include <charconv>
#include <cstdint>

#include "quarn/services/messages.h"

namespace {

constexpr int kSocketError = 107;
constexpr int kConnectError = 108;
constexpr int kBadGreeting = 109;
constexpr int kMailError = 110;
constexpr int kNetworkError = 111;

constexpr std::string_view kInvalidAddress = "invalid character in address";

std::atomic<std::int64_t> g_timeoutMs{CSmtpMailer::kDefaultTimeout.count()};

// The decimal digits a reply line starts with; 0 when it starts with none.
int ReplyCode(std::string_view line) {
    int code = 0;
    std::from_chars(line.data(), line.data() + line.size(), code);
    return code < 0 ? 0 : code;
}

// A line that ends a multi-line reply begun with `code`: "250 text" (or "250 " alone) after
// "250-text".
bool EndsReply(std::string_view line, std::string_view code) {
    return line.size() >= 4 && line[3] == ' ' && line.substr(0, 3) == code;
}

}  // namespace

void CSmtpMailer::SetTimeout(std::chrono::milliseconds timeout) {
    g_timeoutMs = timeout.count();
}

std::chrono::milliseconds CSmtpMailer::Timeout() {
    return std::chrono::milliseconds(g_timeoutMs.load());
}

CSmtpMailer::CSmtpMailer(std::size_t lineBufferSize) : m_reader(m_socket, lineBufferSize) {}

CSmtpMailer::~CSmtpMailer() = default;

int CSmtpMailer::Fail(int number, std::string_view value) {
    m_strMessage = LoadMessage(number, value);
    return 0;
}

void CSmtpMailer::SplitRecipients(std::string_view to) {
    for (;;) {
        const std::size_t comma = to.find(',');
        m_astrRecipients.emplace_back(to.substr(0, comma));
        if (comma == std::string_view::npos) return;
        to.remove_prefix(comma + 1);
    }
}

std::string CSmtpMailer::ToCrLf(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            lines += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines += "\r\n";
    }
    return lines;
}

std::string CSmtpMailer::DotStuff(std::string_view body) {
    const std::string lines = ToCrLf(body);
    std::string stuffed;
    stuffed.reserve(lines.size() + lines.size() / 64 + 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == '.' && (i == 0 || lines[i - 1] == '\n')) stuffed += '.';
        stuffed += lines[i];
    }
    return stuffed;
}

bool CSmtpMailer::ReadLine(std::string* line) {
    std::string error;
    if (m_reader.ReadLine(line, Timeout(), &error) == platform::TcpLineReader::Result::kLine)
        return true;
    Fail(kNetworkError);
    return false;
}

bool CSmtpMailer::ReadReply(int* code) {
    std::string line;
    if (!ReadLine(&line)) return false;
    *code = ReplyCode(line);
    if (line.size() > 3 && line[3] == '-') {
        const std::string number = line.substr(0, 3);
        std::size_t replyBytes = line.size();
        do {
            if (!ReadLine(&line)) return false;
            replyBytes += line.size();
            if (replyBytes > kMaxReplyBytes) {
                Fail(kNetworkError);
                return false;
            }
        } while (!EndsReply(line, number));
    }
    Fail(kMailError, line);
    return true;
}

bool CSmtpMailer::WriteLine(std::string_view text) {
    std::string error;
    if (m_socket.SendAll(text, Timeout(), &error)) return true;
    Fail(kNetworkError);
    return false;
}

bool CSmtpMailer::Exchange(std::string_view command, int expected) {
    int code = 0;
    return WriteLine(command) && ReadReply(&code) && code == expected;
}

int CSmtpMailer::SendMail(const std::string& server, const std::string& from, const std::string& to,
                          const std::string& body, int port) {
    m_astrRecipients.clear();
    SplitRecipients(to);
    if (platform::HoldsLineBreak(from)) return Fail(kMailError, kInvalidAddress);
    for (const std::string& recipient : m_astrRecipients)
        if (platform::HoldsLineBreak(recipient)) return Fail(kMailError, kInvalidAddress);

    // The terminator goes in the same send as the body: a second small write would wait for
    // the acknowledgement of the first.
    std::string data = DotStuff(body);
    data += "\r\n.\r\n";

    std::string error;
    if (!m_socket.Create(&error)) return Fail(kSocketError);
    if (!m_socket.Connect(server, port, Timeout(), &error)) return Fail(kConnectError);
    std::string localAddress;
    int localPort = 0;
    if (!m_socket.LocalAddress(&localAddress, &localPort, &error)) return Fail(kNetworkError);

    int code = 0;
    if (!ReadReply(&code)) return 0;
    if (code != 220) return Fail(kBadGreeting);

    if (!Exchange("HELO Quarn on " + localAddress + "\r\n", 250)) return 0;
    if (!Exchange("MAIL FROM:<" + from + ">\r\n", 250)) return 0;
    for (const std::string& recipient : m_astrRecipients)
        if (!Exchange("RCPT TO:<" + recipient + ">\r\n", 250)) return 0;
    if (!Exchange("DATA\r\n", 354)) return 0;
    if (!Exchange(data, 250)) return 0;
    // The mail is accepted: a QUIT that does not go out changes nothing, so its failure is not
    // one, and the message stays the server's acceptance.
    m_socket.SendAll("QUIT\r\n", Timeout(), &error);
    return 1;
}
