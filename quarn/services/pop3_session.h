#pragma once
// CPop3Session: one logged-on POP3 session over a blocking TCP connection: logon with USER and
// PASS, retrieval of one message split into header and body (optionally deleted), deletion by
// number, and single lines in and out. Every operation returns 1 or 0 and leaves the last reply
// ("ERROR 104- POP3 mail error " + the reply without its first character) or its failure in
// GetMessage(); nothing throws. Every connect, send and receive waits at most Timeout(); a time-out
// is that step's failure (ERROR 102 for the connect, ERROR 103 afterwards). The session never
// sends QUIT itself: deletions take effect only when its owner sends QUIT after success, and a
// session dropped without it leaves the mailbox as it was. Not thread-safe: one session serves one
// block on one thread.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class TcpStream;
class TcpLineReader;
}  // namespace platform

class CPop3Session {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{60000};
    static constexpr std::size_t kBufferSize = 4096;

    // The time-out of every later wait of every session in the process (tests shorten it).
    static void SetTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds Timeout();

    // `lineBufferSize` is the most one receive takes; tests shrink it so that replies arrive in
    // many partial reads.
    explicit CPop3Session(std::size_t lineBufferSize = kBufferSize);
    // Closes the connection without QUIT.
    virtual ~CPop3Session();
    CPop3Session(const CPop3Session&) = delete;
    CPop3Session& operator=(const CPop3Session&) = delete;

    // Connects to `server` (a name or dotted IPv4 address) and `port` and logs on. 1 when the
    // greeting and the answers to USER and PASS were positive. 0 with ERROR 7, 102, 103 or 104;
    // a user or password holding CR, LF or NUL fails before anything is connected.
    int Logon(const std::string& server, const std::string& user, const std::string& password,
              int port);
    // RETR `number`, then with `deleteAfter` DELE `number`. 1 with GetHeader() and GetBody() set
    // from the message: the header is the text before its first empty line (without a line end),
    // the body what follows that line. A message without an empty line is all header.
    int RetrieveMessage(const std::string& number, int deleteAfter);
    // DELE `number`; 1 when the answer is positive.
    int DeleteMessage(int number);
    // Sends `line` + CR LF. 0 with ERROR 103.
    int SendLine(std::string_view line);
    // One line without its line end. 0 with ERROR 103 at the end of the stream, on an error, a
    // time-out or a line longer than the reader takes.
    int ReadLine(std::string& line);
    // Reads one reply line into GetReplyLine() and the message. 1 unless it begins with "-" (an
    // empty line is positive); 0 also when the line could not be read.
    int CheckReply();

    const std::string& GetMessage() const { return m_strMessage; }
    const std::string& GetHeader() const { return m_strHeader; }
    const std::string& GetBody() const { return m_strBody; }
    const std::string& GetReplyLine() const { return m_strReply; }
    int IsConnected() const { return m_socket != nullptr; }

private:
    // Sets the numbered failure text (with the program title) and returns 0.
    int Fail(int message);
    // Reads the lines of a retrieved message up to its "." line, undoing the dot-stuffing.
    int ReadMessageText(std::string& text);
    void SplitMessage(const std::string& text);

    std::string m_strMessage;
    std::string m_strHeader;
    std::string m_strBody;
    std::string m_strReply;
    std::size_t m_lineBufferSize;
    std::unique_ptr<platform::TcpStream> m_socket;
    std::unique_ptr<platform::TcpLineReader> m_reader;
};
