#pragma once
// Blocking IPv4 TCP for the protocol clients: a stream (connect, send, receive), a buffered line
// reader on it, and a listener for connections a server opens back (active-mode FTP data).
// Every wait (connect, room to send, data to receive, a connection to accept) is bounded by the
// caller's time-out, and a time-out is an error, never an end of data. Every descriptor is
// close-on-exec, sends use MSG_NOSIGNAL, and SIGPIPE is ignored once a socket is made, so a
// closed peer never kills the process. Operations return false with a reason in `error`. One
// object is used by one thread at a time.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Ignores SIGPIPE unless the program installed a handler of its own. Runs once per process;
// the layer calls it whenever it makes a socket.
void IgnoreBrokenPipeSignal();

// True when `text` holds a CR, LF or NUL: a protocol item with one could end its line early and
// smuggle in a command of its own, so the clients refuse it before sending.
inline bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

class TcpStream {
public:
    using Milliseconds = std::chrono::milliseconds;

    TcpStream() = default;
    ~TcpStream();
    TcpStream(TcpStream&& other) noexcept;
    TcpStream& operator=(TcpStream&& other) noexcept;
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // Makes the socket (an open one is closed first).
    bool Create(std::string* error);
    // Resolves `host` (a name or dotted address, IPv4 only) and connects to the first of its
    // addresses that answers, waiting at most `timeout` for each. Needs Create() first; a failed
    // attempt leaves a fresh unconnected socket.
    bool Connect(const std::string& host, int port, Milliseconds timeout, std::string* error);
    // Sends all of `data`; each wait for room lasts at most `timeout`. On failure an unknown part
    // of `data` has gone.
    bool SendAll(std::string_view data, Milliseconds timeout, std::string* error);
    // Waits at most `timeout` for data, then takes up to `size` bytes. Returns the number of
    // bytes, 0 at the peer's orderly end, -1 on an error or time-out.
    long Receive(char* buffer, std::size_t size, Milliseconds timeout, std::string* error);
    // The socket's own dotted address and port (the interface a connection went out on).
    bool LocalAddress(std::string* address, int* port, std::string* error) const;
    // Closes the socket. False when close() reported an error; closed either way.
    bool Close(std::string* error = nullptr);

    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }

private:
    friend class TcpListener;
    explicit TcpStream(int fd) : m_fd(fd) {}

    int m_fd = -1;
};

// Reads lines from a stream through a buffer of its own. Bytes after a line stay buffered for
// the next call, so the stream must not be read around the reader.
class TcpLineReader {
public:
    static constexpr std::size_t kDefaultBufferSize = 4096;
    // A longer line is an error: a peer cannot make the reader grow without bound.
    static constexpr std::size_t kMaxLineLength = 1 << 20;

    enum class Result { kLine, kEnd, kError };

    // `bufferSize` (at least 1) is the most one receive takes.
    explicit TcpLineReader(TcpStream& stream, std::size_t bufferSize = kDefaultBufferSize);

    // One line without its LF or CR LF. kEnd when the stream ended with nothing pending (text
    // after the last LF comes first, as a line). kError with `error` on a receive error or
    // time-out (the partial line stays pending) or a line over kMaxLineLength.
    Result ReadLine(std::string* line, TcpStream::Milliseconds timeout, std::string* error);

private:
    TcpStream& m_stream;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::string m_pending;
};

class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Listens on dotted `address` ("" for every interface) and `port` (0: any free one).
    bool Listen(const std::string& address, int port, int backlog, std::string* error);
    // The port listened on; 0 when not listening.
    int Port() const { return m_port; }
    // Waits at most `timeout` for one connection and hands it to `stream`.
    bool Accept(TcpStream* stream, TcpStream::Milliseconds timeout, std::string* error);
    void Close();

private:
    int m_fd = -1;
    int m_port = 0;
};

}  // namespace platform
