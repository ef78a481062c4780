#pragma once
// CFtpClient: one FTP control connection, a logon that can pass through nine kinds of FTP
// firewall or proxy, single commands, and binary transfers of one file in either direction over
// a passive (PASV) or active (PORT) data connection. Blocking, line by line; it never sends QUIT.
// Every operation returns 1 or 0 and leaves the last reply line, or the text of a local failure,
// in GetMessage(); nothing throws. Every connect, send, receive and accept waits at most the
// client's time-out (the process's default time-out when the client was made, or SetTimeout()),
// and a time-out is that step's failure ("Unable to connect to server" or "Network error").
// Not thread-safe: one client serves one session on one thread.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace platform {
class TcpStream;
class TcpLineReader;
}  // namespace platform

class CFtpClient {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{60000};
    // The control connection's read buffer and the transfer block.
    static constexpr std::size_t kBufferSize = 4096;
    // Firewall types 0 (none) to kFirewallTypes - 1.
    static constexpr int kFirewallTypes = 9;

    // `lineBufferSize` is the control connection's read buffer; tests shrink it so that replies
    // arrive in many partial reads.
    explicit CFtpClient(std::size_t lineBufferSize = kBufferSize);
    // Closes the connection (no QUIT).
    ~CFtpClient();
    CFtpClient(const CFtpClient&) = delete;
    CFtpClient& operator=(const CFtpClient&) = delete;

    // The time-out that clients made from now on start with, for the whole process (any thread);
    // kDefaultTimeout until changed. Returns the previous one, so that tests can restore it.
    static std::chrono::milliseconds SetDefaultTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds DefaultTimeout();

    // Applies to every later connect, send, receive and accept.
    void SetTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // Opens the control connection to `host` (a name or dotted IPv4 address) and `port`.
    // 0 with "Unable to create socket" or "Unable to connect to server". After success the message
    // is the "Unable to create socket" preset until the first reply replaces it.
    int Connect(const std::string& host, int port);
    // Drops the control connection without QUIT; the client is not connected afterwards.
    void Close();
    // Sends `text` + CR LF. 0 with "Not connected to server!", "Invalid character in command"
    // (CR, LF or NUL in `text`; nothing is sent) or "Network error".
    int SendCommand(const std::string& text);
    // Reads one line, without its line end, into the message and sets the reply class from its
    // first character (0 unless it is a digit 1-5). 0 with "Not connected to server!" or
    // "Network error" (end of stream, error or time-out).
    int ReadReplyLine();
    // Reads one reply, multi-line replies ("230-" ... "230 ") as one: the message is its last
    // line.
    int ReadReply();
    // Sends `text` unless it is empty, then reads a reply. 1 when it is 2xx. A preliminary
    // (1xx) reply gives 0 after the final reply has been read too; the message is that line.
    int FtpCommand(const std::string& text);
    // Connects (to the firewall when `firewallType` is not 0) and logs on through the scheme of
    // `firewallType` (0-8). 1 when logged on. 0 with "Logon failed" for an unknown type or a
    // scheme that fails (the connection is then closed), with the reply or failure text
    // otherwise (the connection then stays open). An already connected client returns 0 and
    // keeps its message.
    int LogOn(const std::string& server, int port, const std::string& user,
              const std::string& password, const std::string& account,
              const std::string& firewallHost, const std::string& firewallUser,
              const std::string& firewallPassword, int firewallPort, int firewallType);
    // One binary transfer of `remoteName` to (`download`) or from `localPath`, over a passive
    // or active data connection. 1 when the whole file went and the server's final reply is 2xx.
    // A download truncates an existing local file only once the server has accepted RETR.
    // 0 with "Unable to open file on local machine", "File error" (a local read, write or close
    // failed), "Network error" (the data connection failed), the server's reply, or the last
    // message when g_bCancelRequested stopped the transfer before a block (the partial file
    // stays). After a file or network failure the final reply has been read, so the connection
    // stays in step.
    int TransferFile(const std::string& remoteName, const std::string& localPath, int passive,
                     int download);

    const std::string& GetMessage() const { return m_strMessage; }
    // First digit of the last reply line read (1-5), 0 when it had none.
    int GetReplyClass() const { return m_nReplyClass; }
    int IsConnected() const { return m_socket != nullptr; }

private:
    // Sets a local failure text (through ApplyProgramTitle) and returns 0.
    int Fail(const char* text);
    // Sends `text` (unless empty) and reads replies up to the first that is not 1xx, so that
    // none is left for the next command; `preliminary` tells whether a 1xx came first. 0 only
    // when a send or read failed.
    int SendAndReadFinalReply(const std::string& text, bool* preliminary);
    // Opens the data connection for `command` (RETR or STOR) and reads its 1xx reply.
    int OpenDataConnection(int passive, const std::string& command, platform::TcpStream* data);

    std::string m_strMessage;
    std::unique_ptr<platform::TcpStream> m_socket;
    std::unique_ptr<platform::TcpLineReader> m_reader;
    int m_nReplyClass = 0;
    std::size_t m_lineBufferSize;
    std::chrono::milliseconds m_timeout;
};
