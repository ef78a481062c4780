#pragma once
// CHttpRequest: one HTTP/1.0 request (GET, HEAD, or any other method word as a form submission)
// over a blocking TCP stream, and its response collected as two texts: the header lines and the
// body. Send returns 1 or 0 and leaves the failure ("ERROR 100", "ERROR 105" or "ERROR 106", with
// the program title applied) in GetMessage(); nothing throws. Every connect, send and receive
// waits at most Timeout(), and a time-out is a failure (105 for the connect, 106 otherwise),
// never the end of the response. One object per request, used by one thread.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace platform {
class TcpStream;
class TcpLineReader;
}  // namespace platform

class CHttpRequest {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{60000};
    static constexpr std::size_t kBufferSize = 4096;

    // The time-out of every request started afterwards, process-wide (tests shorten it; any
    // thread may call these).
    static void SetTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds Timeout();

    // `lineBufferSize` is the response reader's buffer; tests shrink it so that every line
    // arrives in many partial reads.
    explicit CHttpRequest(std::size_t lineBufferSize = kBufferSize);
    // Closes the connection.
    virtual ~CHttpRequest();
    CHttpRequest(const CHttpRequest&) = delete;
    CHttpRequest& operator=(const CHttpRequest&) = delete;

    // Sends one request for `url` to `port` and reads the response to the end of the stream.
    // "GET" and "HEAD" (exact case) send no body; any other `method` is sent as it stands with
    // `body` as a form submission. 1 when the whole response was read: GetHeader() holds the
    // status and header lines, each trimmed of trailing white space and ended by CR LF, and
    // GetBody() every further line with CR LF. 0 with the message otherwise; a URL or method
    // holding CR, LF or NUL fails with ERROR 106 before anything is connected or sent.
    int Send(const std::string& url, const std::string& method, int port, const std::string& body);
    // Splits `url` ("http://" assumed when it lacks it) into GetHost() and GetPath() ("/" when
    // the URL has none). The host keeps any ":port" written in it.
    void ParseUrl(const std::string& url);

    const std::string& GetMessage() const { return m_strMessage; }
    const std::string& GetHeader() const { return m_strHeader; }
    const std::string& GetBody() const { return m_strBody; }
    const std::string& GetHost() const { return m_strHost; }
    const std::string& GetPath() const { return m_strPath; }

private:
    // m_strMessage := LoadMessage(number); returns 0.
    int Fail(int number);
    std::string BuildRequest(const std::string& method, int port, const std::string& body) const;
    // Steps 6 and 7: the header lines, then the body lines, to the end of the stream.
    int ReadResponse(std::chrono::milliseconds timeout);

    std::string m_strMessage;
    std::string m_strHeader;
    std::string m_strBody;
    std::unique_ptr<platform::TcpStream> m_socket;
    std::unique_ptr<platform::TcpLineReader> m_reader;
    std::size_t m_lineBufferSize;
    std::string m_strHost;
    std::string m_strPath;
};
