#include "quarn/services/ftp_client.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <span>
#include <string_view>

#include "platform/file_descriptor.h"
#include "platform/tcp_stream.h"
#include "quarn/services/program_context.h"

namespace {

constexpr const char* kCreateSocket = "Unable to create socket";
constexpr const char* kConnectFailed = "Unable to connect to server";
constexpr const char* kOpenLocalFile = "Unable to open file on local machine";
constexpr const char* kFileError = "File error";
constexpr const char* kNetworkError = "Network error";
constexpr const char* kLogonFailed = "Logon failed";
constexpr const char* kNotConnected = "Not connected to server!";
constexpr const char* kInvalidCharacter = "Invalid character in command";

// Milliseconds; one value for the process, read by each new client.
std::atomic<std::chrono::milliseconds::rep> g_defaultTimeout{CFtpClient::kDefaultTimeout.count()};

// One step of a logon scheme: the code of the command to send (an index into LogOn's command
// list), then the next step on a 2xx and on a 3xx reply; kLoggedOn and kSchemeFailed end it.
struct LogOnStep {
    int command;
    int onPositive;
    int onIntermediate;
};
constexpr int kSchemeFailed = -1;
constexpr int kLoggedOn = -2;

constexpr LogOnStep kDirect[] = {{0, -2, 1}, {1, -2, 2}, {2, -2, -1}};
constexpr LogOnStep kSiteHostname[] = {{3, 2, 1},  {4, 2, -1}, {5, -1, 3},
                                       {0, -2, 4}, {1, -2, 5}, {2, -2, -1}};
constexpr LogOnStep kUserAfterLogon[] = {
    {3, 2, 1}, {4, 2, -1}, {6, -2, 3}, {1, -2, 4}, {2, -2, -1}};
constexpr LogOnStep kProxyOpen[] = {{7, 1, 1}, {0, -2, 2}, {1, -2, 3}, {2, -2, -1}};
constexpr LogOnStep kTransparent[] = {{3, 2, 1}, {4, 2, -1}, {0, -2, 3}, {1, -2, 4}, {2, -2, -1}};
constexpr LogOnStep kUserNoLogon[] = {{6, -2, 1}, {1, -2, 2}, {2, -2, -1}};
constexpr LogOnStep kUserFireIdAtHost[] = {
    {8, 2, 1}, {4, 2, -1}, {0, -2, 3}, {1, -2, 4}, {2, -2, -1}};
constexpr LogOnStep kUserAtHostFireId[] = {{9, -1, 1}, {1, -2, 2}, {2, -2, -1}};
constexpr LogOnStep kUserAtFireIdAtHost[] = {{10, -2, 1}, {11, -2, 2}, {2, -2, -1}};

constexpr std::array<std::span<const LogOnStep>, CFtpClient::kFirewallTypes> kSchemes = {
    kDirect,      kSiteHostname,     kUserAfterLogon,   kProxyOpen,         kTransparent,
    kUserNoLogon, kUserFireIdAtHost, kUserAtHostFireId, kUserAtFireIdAtHost};

int ReplyClassOf(const std::string& line) {
    return !line.empty() && line[0] >= '1' && line[0] <= '5' ? line[0] - '0' : 0;
}

// The address and port of a PASV reply's "(h1,h2,h3,h4,p1,p2)": exactly six numbers 0-255.
bool ParsePassiveText(std::string_view text, std::string* address, int* port) {
    std::array<int, 6> numbers{};
    std::size_t count = 0;
    for (;;) {
        const std::size_t comma = std::min(text.find(','), text.size());
        const std::string_view item = text.substr(0, comma);
        int value = 0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (count == numbers.size() || item.empty() || item.size() > 3 || item[0] == '-' ||
            ec != std::errc() || end != item.data() + item.size() || value > 255)
            return false;
        numbers[count++] = value;
        if (comma == text.size()) break;
        text.remove_prefix(comma + 1);
    }
    if (count != numbers.size()) return false;
    *address = std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
               std::to_string(numbers[2]) + "." + std::to_string(numbers[3]);
    *port = numbers[4] * 256 + numbers[5];
    return true;
}

enum class CopyOutcome { kComplete, kCancelled, kFileError, kNetworkError };

// Moves the file's bytes in blocks of CFtpClient::kBufferSize, looking at the cancel flag before
// each block. A download ends at the server's orderly close of the data connection.
CopyOutcome CopyData(platform::TcpStream& data, int fd, int download,
                     std::chrono::milliseconds timeout) {
    std::array<char, CFtpClient::kBufferSize> block;
    std::string error;
    for (;;) {
        if (g_bCancelRequested) return CopyOutcome::kCancelled;
        if (download) {
            const long got = data.Receive(block.data(), block.size(), timeout, &error);
            if (got == 0) return CopyOutcome::kComplete;
            if (got < 0) return CopyOutcome::kNetworkError;
            if (!platform::WriteAll(fd,
                                    std::string_view(block.data(), static_cast<std::size_t>(got))))
                return CopyOutcome::kFileError;
        } else {
            const ssize_t got = ::read(fd, block.data(), block.size());
            if (got < 0) {
                if (errno == EINTR) continue;
                return CopyOutcome::kFileError;
            }
            if (got == 0) return CopyOutcome::kComplete;
            if (!data.SendAll(std::string_view(block.data(), static_cast<std::size_t>(got)),
                              timeout, &error))
                return CopyOutcome::kNetworkError;
        }
    }
}

// An existing file is cut only now that the server has accepted RETR; devices (/dev/null,
// /dev/full) are written as they are.
bool TruncateForDownload(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) return false;
    return !S_ISREG(status.st_mode) || ::ftruncate(fd, 0) == 0;
}

}  // namespace

std::chrono::milliseconds CFtpClient::SetDefaultTimeout(std::chrono::milliseconds timeout) {
    return std::chrono::milliseconds(g_defaultTimeout.exchange(timeout.count()));
}

std::chrono::milliseconds CFtpClient::DefaultTimeout() {
    return std::chrono::milliseconds(g_defaultTimeout.load());
}

CFtpClient::CFtpClient(std::size_t lineBufferSize)
    : m_lineBufferSize(lineBufferSize), m_timeout(DefaultTimeout()) {}

CFtpClient::~CFtpClient() {
    Close();
}

int CFtpClient::Fail(const char* text) {
    m_strMessage = WithProgramTitle(text);
    return 0;
}

int CFtpClient::Connect(const std::string& host, int port) {
    Close();
    std::string error;
    Fail(kCreateSocket);
    auto socket = std::make_unique<platform::TcpStream>();
    if (!socket->Create(&error)) return 0;
    Fail(kConnectFailed);
    if (!socket->Connect(host, port, m_timeout, &error)) return 0;
    Fail(kCreateSocket);
    m_socket = std::move(socket);
    m_reader = std::make_unique<platform::TcpLineReader>(*m_socket, m_lineBufferSize);
    return 1;
}

void CFtpClient::Close() {
    m_reader.reset();
    m_socket.reset();
}

int CFtpClient::SendCommand(const std::string& text) {
    if (!IsConnected()) return Fail(kNotConnected);
    if (platform::HoldsLineBreak(text)) return Fail(kInvalidCharacter);
    std::string error;
    if (!m_socket->SendAll(text + "\r\n", m_timeout, &error)) return Fail(kNetworkError);
    return 1;
}

int CFtpClient::ReadReplyLine() {
    if (!IsConnected()) return Fail(kNotConnected);
    std::string line;
    std::string error;
    if (m_reader->ReadLine(&line, m_timeout, &error) != platform::TcpLineReader::Result::kLine)
        return Fail(kNetworkError);
    m_strMessage = std::move(line);
    m_nReplyClass = ReplyClassOf(m_strMessage);
    return 1;
}

int CFtpClient::ReadReply() {
    if (!ReadReplyLine()) return 0;
    if (m_strMessage.size() <= 3 || m_strMessage[3] != '-') return 1;
    const std::string code = m_strMessage.substr(0, 3);
    do {
        if (!ReadReplyLine()) return 0;
    } while (m_strMessage.size() < 4 || m_strMessage[3] != ' ' ||
             m_strMessage.compare(0, 3, code) != 0);
    return 1;
}

int CFtpClient::SendAndReadFinalReply(const std::string& text, bool* preliminary) {
    if (!text.empty() && !SendCommand(text)) return 0;
    if (!ReadReply()) return 0;
    *preliminary = m_nReplyClass == 1;
    while (m_nReplyClass == 1) {
        if (!ReadReply()) return 0;
    }
    return 1;
}

int CFtpClient::FtpCommand(const std::string& text) {
    bool preliminary = false;
    return SendAndReadFinalReply(text, &preliminary) && !preliminary && m_nReplyClass == 2;
}

int CFtpClient::LogOn(const std::string& server, int port, const std::string& user,
                      const std::string& password, const std::string& account,
                      const std::string& firewallHost, const std::string& firewallUser,
                      const std::string& firewallPassword, int firewallPort, int firewallType) {
    if (firewallType < 0 || firewallType >= kFirewallTypes) return Fail(kLogonFailed);
    if (IsConnected()) return 0;
    const std::string host = port == 21 ? server : server + ":" + std::to_string(port);
    const bool direct = firewallType == 0;
    if (!Connect(direct ? server : firewallHost, direct ? port : firewallPort)) return 0;
    if (!FtpCommand("")) return 0;

    const std::array<std::string, 12> commands = {
        "USER " + user,
        "PASS " + password,
        "ACCT " + account,
        "USER " + firewallUser,
        "PASS " + firewallPassword,
        "SITE " + host,
        "USER " + user + "@" + host,
        "OPEN " + host,
        "USER " + firewallUser + "@" + host,
        "USER " + user + "@" + host + " " + firewallUser,
        "USER " + user + "@" + firewallUser + "@" + host,
        "PASS " + password + "@" + firewallPassword,
    };
    const std::span<const LogOnStep> steps = kSchemes[static_cast<std::size_t>(firewallType)];
    int index = 0;
    for (;;) {
        const LogOnStep& step = steps[static_cast<std::size_t>(index)];
        bool preliminary = false;
        if (!SendAndReadFinalReply(commands[static_cast<std::size_t>(step.command)],
                                   &preliminary) ||
            preliminary)
            return 0;
        if (m_nReplyClass == 2) {
            index = step.onPositive;
        } else if (m_nReplyClass == 3) {
            index = step.onIntermediate;
        } else {
            return 0;
        }
        if (index == kLoggedOn) return 1;
        if (index == kSchemeFailed) {
            Close();
            return Fail(kLogonFailed);
        }
    }
}

int CFtpClient::OpenDataConnection(int passive, const std::string& command,
                                   platform::TcpStream* data) {
    std::string error;
    if (passive) {
        if (!FtpCommand("PASV")) return 0;
        const std::size_t open = m_strMessage.find('(');
        const std::size_t close = m_strMessage.find(')');
        if (open == std::string::npos || close == std::string::npos) return 0;
        std::string address;
        int port = 0;
        if (close < open ||
            !ParsePassiveText(std::string_view(m_strMessage).substr(open + 1, close - open - 1),
                              &address, &port))
            return Fail(kNetworkError);
        if (!SendCommand(command)) return 0;
        if (!data->Create(&error)) return Fail(kNetworkError);
        // A refused connect is not judged here: the server's reply says whether it has one.
        data->Connect(address, port, m_timeout, &error);
        return ReadReply() && m_nReplyClass == 1;
    }

    Fail(kNetworkError);
    std::string address;
    int controlPort = 0;
    if (!m_socket->LocalAddress(&address, &controlPort, &error)) return 0;
    platform::TcpListener listener;
    if (!listener.Listen(address, 0, 5, &error)) return 0;
    std::replace(address.begin(), address.end(), '.', ',');
    const int port = listener.Port();
    if (!FtpCommand("PORT " + address + "," + std::to_string(port / 256) + "," +
                    std::to_string(port % 256)))
        return 0;
    if (!SendCommand(command) || !ReadReply() || m_nReplyClass != 1) return 0;
    if (!listener.Accept(data, m_timeout, &error)) {
        // The server owes a final reply after its 1xx; taken now, it cannot answer a later
        // command.
        FtpCommand("");
        return Fail(kNetworkError);
    }
    return 1;
}

int CFtpClient::TransferFile(const std::string& remoteName, const std::string& localPath,
                             int passive, int download) {
    if (platform::HoldsLineBreak(remoteName)) return Fail(kInvalidCharacter);
    // The local file is closed on every path; its Close() reports a failed close.
    platform::UniqueFd file(download
                                ? ::open(localPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666)
                                : ::open(localPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) return Fail(kOpenLocalFile);
    if (!FtpCommand("TYPE I")) return 0;
    platform::TcpStream data;
    if (!OpenDataConnection(passive, (download ? "RETR " : "STOR ") + remoteName, &data)) return 0;

    CopyOutcome outcome = download && !TruncateForDownload(file.Get())
                              ? CopyOutcome::kFileError
                              : CopyData(data, file.Get(), download, m_timeout);
    if (outcome == CopyOutcome::kCancelled) return 0;
    // Both are closed before the final reply: for an upload, the close is the end of the file.
    const bool dataClosed = data.Close();
    const bool fileClosed = file.Close();
    if (outcome == CopyOutcome::kComplete && !fileClosed) outcome = CopyOutcome::kFileError;
    if (outcome == CopyOutcome::kComplete && !dataClosed) outcome = CopyOutcome::kNetworkError;
    // Read even after a failure, so that no later command takes this transfer's reply.
    const int accepted = FtpCommand("");
    if (outcome == CopyOutcome::kFileError) return Fail(kFileError);
    if (outcome == CopyOutcome::kNetworkError) return Fail(kNetworkError);
    return accepted;
}
