#pragma once
// CSmtpMailer sends one mail in one SMTP dialogue (greeting, HELO, MAIL FROM, one RCPT per
// recipient, DATA, QUIT) over a blocking socket. The built-ins use one object per mail on the task
// thread; the connection closes with the object. SendMail returns 1 or 0 and leaves the last
// reply line ("ERROR 110- SMTP mail error " + line) or the failure text in GetMessage(); nothing
// throws. Every connect, send and receive waits at most Timeout(), and a time-out is that step's
// failure (ERROR 108 or 111). Not thread-safe: one object serves one mail on one thread.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tcp_stream.h"

class CSmtpMailer {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{60000};
    static constexpr std::size_t kBufferSize = 4096;
    // The most bytes one reply (all lines of a multi-line reply) may hold: a server cannot keep
    // the dialogue going with an endless reply.
    static constexpr std::size_t kMaxReplyBytes = platform::TcpLineReader::kMaxLineLength;

    // The wait of every later connect, send and receive of every mailer in the process; tests
    // shorten it and put the old value back.
    static void SetTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds Timeout();

    // `lineBufferSize` is the most one receive takes; tests shrink it so that replies arrive in
    // many partial reads.
    explicit CSmtpMailer(std::size_t lineBufferSize = kBufferSize);
    virtual ~CSmtpMailer();
    CSmtpMailer(const CSmtpMailer&) = delete;
    CSmtpMailer& operator=(const CSmtpMailer&) = delete;

    // Sends `body` (dot-stuffed here) from `from` to the comma-separated `to` through `server`
    // (a name or dotted IPv4 address) and `port`. 1 when the server accepted the mail with 250
    // (QUIT is then sent, its answer not awaited). 0 before connecting with ERROR 110 "invalid
    // character in address" when the sender or a recipient holds CR, LF or NUL; otherwise with
    // ERROR 107 (socket), 108 (connect), 109 (greeting not 220), 110 + the server's reply line (a
    // command refused; no later command is sent) or 111 (send or receive failed, timed out, or
    // the connection ended).
    int SendMail(const std::string& server, const std::string& from, const std::string& to,
                 const std::string& body, int port);

    // Appends the parts of `to` between commas to the recipient list, blanks kept: "a, b" gives
    // "a" and " b", "a," gives "a" and "".
    void SplitRecipients(std::string_view to);
    // `text` with every bare CR and bare LF made CR LF.
    static std::string ToCrLf(std::string_view text);
    // `body` with bare CR and bare LF made CR LF and one more "." before every line that starts
    // with ".", the first line included: a line "." can never end the data early.
    static std::string DotStuff(std::string_view body);

    const std::string& GetMessage() const { return m_strMessage; }
    const std::vector<std::string>& GetRecipients() const { return m_astrRecipients; }

private:
    // Sets the message to LoadMessage(number, value) and returns 0.
    int Fail(int number, std::string_view value = {});
    // One reply, multi-line replies as one; `code` is the number its first line starts with (0
    // when none). The message is ERROR 110 with the reply's last line. False with ERROR 111.
    bool ReadReply(int* code);
    // One line without its line end into `line`. False with ERROR 111 (end of stream, error,
    // time-out or a line over the reader's limit).
    bool ReadLine(std::string* line);
    // Sends `text` as it is. False with ERROR 111.
    bool WriteLine(std::string_view text);
    // Sends `command` and reads its reply: true when the reply's code is `expected`.
    bool Exchange(std::string_view command, int expected);

    std::string m_strMessage;
    platform::TcpStream m_socket;
    platform::TcpLineReader m_reader;
    std::vector<std::string> m_astrRecipients;
};
