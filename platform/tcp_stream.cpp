#include "platform/tcp_stream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <mutex>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

std::string Reason(std::string_view what) {
    std::string text(what);
    return text.append(": ").append(std::strerror(errno));
}

// Waits until `events` are ready on `fd` or `timeout` has passed (restarting after signals).
// True when ready; false with `error` on a time-out or failure.
bool WaitFor(int fd, short events, TcpStream::Milliseconds timeout, std::string_view what,
             std::string* error) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const long long waitMs =
            std::clamp<long long>(left.count(), 0, std::numeric_limits<int>::max());
        pollfd waiting{fd, events, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(waitMs));
        if (ready > 0) return true;
        if (ready == 0) {
            *error = std::string(what) + ": timed out";
            return false;
        }
        if (errno != EINTR) {
            *error = Reason(what);
            return false;
        }
    }
}

int NewSocket(std::string* error) {
    IgnoreBrokenPipeSignal();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) *error = Reason("socket");
    return fd;
}

bool SetNonBlocking(int fd, bool on) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) return false;
    return ::fcntl(fd, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) == 0;
}

// One connect attempt on a blocking socket, bounded by `timeout`.
bool ConnectOnce(int fd, const sockaddr_in& address, TcpStream::Milliseconds timeout,
                 std::string* error) {
    if (!SetNonBlocking(fd, true)) {
        *error = Reason("fcntl");
        return false;
    }
    bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EINTR)) {
        if (WaitFor(fd, POLLOUT, timeout, "connect", error)) {
            int socketError = 0;
            socklen_t length = sizeof socketError;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &socketError, &length) != 0)
                socketError = errno;
            connected = socketError == 0;
            if (!connected) *error = std::string("connect: ") + std::strerror(socketError);
        }
    } else if (!connected) {
        *error = Reason("connect");
    }
    if (!SetNonBlocking(fd, false)) {
        *error = Reason("fcntl");
        return false;
    }
    return connected;
}

bool ParseAddress(const std::string& text, in_addr* address) {
    return ::inet_pton(AF_INET, text.c_str(), address) == 1;
}

}  // namespace

void IgnoreBrokenPipeSignal() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
            !(current.sa_flags & SA_SIGINFO)) {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            sigemptyset(&ignore.sa_mask);
            ::sigaction(SIGPIPE, &ignore, nullptr);
        }
    });
}

TcpStream::~TcpStream() {
    Close();
}

TcpStream::TcpStream(TcpStream&& other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

TcpStream& TcpStream::operator=(TcpStream&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool TcpStream::Create(std::string* error) {
    Close();
    m_fd = NewSocket(error);
    return m_fd >= 0;
}

bool TcpStream::Connect(const std::string& host, int port, Milliseconds timeout,
                        std::string* error) {
    if (m_fd < 0) {
        *error = "connect: no socket";
        return false;
    }
    if (port < 1 || port > 65535) {
        *error = "connect: port " + std::to_string(port) + " out of range";
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (lookup != 0) {
        *error = "cannot resolve " + host + ": " + ::gai_strerror(lookup);
        return false;
    }
    bool connected = false;
    for (const addrinfo* entry = found; entry != nullptr && !connected; entry = entry->ai_next) {
        sockaddr_in address{};
        std::memcpy(&address, entry->ai_addr, sizeof address);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        connected = ConnectOnce(m_fd, address, timeout, error);
        // A socket whose connect failed cannot be used again.
        if (!connected && !Create(error)) break;
    }
    ::freeaddrinfo(found);
    if (!connected) *error = host + ":" + std::to_string(port) + ": " + *error;
    return connected;
}

bool TcpStream::SendAll(std::string_view data, Milliseconds timeout, std::string* error) {
    while (!data.empty()) {
        if (m_fd < 0) {
            *error = "send: not open";
            return false;
        }
        if (!WaitFor(m_fd, POLLOUT, timeout, "send", error)) return false;
        // Non-blocking per call: poll promised some room, not room for everything.
        const ssize_t sent = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            *error = Reason("send");
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

long TcpStream::Receive(char* buffer, std::size_t size, Milliseconds timeout, std::string* error) {
    for (;;) {
        if (m_fd < 0) {
            *error = "receive: not open";
            return -1;
        }
        if (!WaitFor(m_fd, POLLIN, timeout, "receive", error)) return -1;
        const ssize_t got = ::recv(m_fd, buffer, size, MSG_DONTWAIT);
        if (got >= 0) return static_cast<long>(got);
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            *error = Reason("receive");
            return -1;
        }
    }
}

bool TcpStream::LocalAddress(std::string* address, int* port, std::string* error) const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        *error = Reason("getsockname");
        return false;
    }
    char text[INET_ADDRSTRLEN];
    if (::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text) == nullptr) {
        *error = Reason("inet_ntop");
        return false;
    }
    *address = text;
    *port = ntohs(local.sin_port);
    return true;
}

bool TcpStream::Close(std::string* error) {
    if (m_fd < 0) return true;
    const int fd = m_fd;
    m_fd = -1;
    // Linux releases the descriptor even when close() fails, so it is never retried.
    if (::close(fd) == 0) return true;
    if (error) *error = Reason("close");
    return false;
}

TcpLineReader::TcpLineReader(TcpStream& stream, std::size_t bufferSize)
    : m_stream(stream), m_buffer(std::max<std::size_t>(bufferSize, 1)) {}

TcpLineReader::Result TcpLineReader::ReadLine(std::string* line, TcpStream::Milliseconds timeout,
                                              std::string* error) {
    for (;;) {
        const char* begin = m_buffer.data() + m_begin;
        const char* end = m_buffer.data() + m_end;
        const char* lineEnd = std::find(begin, end, '\n');
        if (m_pending.size() + static_cast<std::size_t>(lineEnd - begin) > kMaxLineLength) {
            *error = "line longer than " + std::to_string(kMaxLineLength) + " bytes";
            return Result::kError;
        }
        m_pending.append(begin, lineEnd);
        if (lineEnd != end) {
            m_begin = static_cast<std::size_t>(lineEnd - m_buffer.data()) + 1;
            if (!m_pending.empty() && m_pending.back() == '\r') m_pending.pop_back();
            *line = std::move(m_pending);
            m_pending.clear();
            return Result::kLine;
        }
        m_begin = m_end = 0;
        const long got = m_stream.Receive(m_buffer.data(), m_buffer.size(), timeout, error);
        if (got < 0) return Result::kError;
        if (got == 0) {
            if (m_pending.empty()) return Result::kEnd;
            *line = std::move(m_pending);
            m_pending.clear();
            return Result::kLine;
        }
        m_end = static_cast<std::size_t>(got);
    }
}

TcpListener::~TcpListener() {
    Close();
}

bool TcpListener::Listen(const std::string& address, int port, int backlog, std::string* error) {
    Close();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (port < 0 || port > 65535 || (!address.empty() && !ParseAddress(address, &local.sin_addr))) {
        *error = "listen: bad address " + address + ":" + std::to_string(port);
        return false;
    }
    m_fd = NewSocket(error);
    if (m_fd < 0) return false;
    socklen_t length = sizeof local;
    // Non-blocking, so that a connection dropped between poll() and accept() cannot block Accept;
    // accepted streams are blocking.
    if (!SetNonBlocking(m_fd, true) ||
        ::bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(m_fd, backlog) != 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        *error = Reason("listen on " + address + ":" + std::to_string(port));
        Close();
        return false;
    }
    m_port = ntohs(local.sin_port);
    return true;
}

bool TcpListener::Accept(TcpStream* stream, TcpStream::Milliseconds timeout, std::string* error) {
    if (m_fd < 0) {
        *error = "accept: not listening";
        return false;
    }
    for (;;) {
        if (!WaitFor(m_fd, POLLIN, timeout, "accept", error)) return false;
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            *stream = TcpStream(fd);
            return true;
        }
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK && errno != ECONNABORTED) {
            *error = Reason("accept");
            return false;
        }
    }
}

void TcpListener::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_port = 0;
}

}  // namespace platform
