#include "platform/poll_socket.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/tcp_stream.h"

namespace platform {

namespace {

std::string Reason(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool IsOutOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE;
}

}  // namespace

bool PollListener::Listen(int port, int backlog, std::string* error) {
    Close();
    if (port < 0 || port > 65535) {
        *error = "listen: port " + std::to_string(port) + " out of range";
        return false;
    }
    IgnoreBrokenPipeSignal();
    m_spare = UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    m_fd = UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!m_spare || !m_fd) {
        *error = Reason("socket");
        Close();
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t length = sizeof local;
    const int on = 1;
    if (::setsockopt(m_fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(m_fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(m_fd.Get(), backlog) != 0 ||
        ::getsockname(m_fd.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        *error = Reason("listen on port " + std::to_string(port));
        Close();
        return false;
    }
    m_port = ntohs(local.sin_port);
    return true;
}

void PollListener::Close() {
    m_fd.Close();
    m_spare.Close();
    m_port = 0;
}

int PollListener::AcceptOne() {
    for (;;) {
        const int fd = ::accept4(m_fd.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

PollListener::Accepted PollListener::Accept(UniqueFd* connection) {
    const int fd = AcceptOne();
    if (fd >= 0) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        *connection = UniqueFd(fd);
        return Accepted::kConnection;
    }
    if (IsOutOfDescriptors(errno)) return Shed() ? Accepted::kShed : Accepted::kNone;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED) return Accepted::kNone;
    return Accepted::kFailed;
}

bool PollListener::Shed() {
    int fd = AcceptOne();
    if (fd < 0 && IsOutOfDescriptors(errno) && m_spare) {
        // The spare makes room for exactly this one connection, and is taken back at once.
        m_spare.Close();
        fd = AcceptOne();
        if (fd >= 0) ::close(fd);
        m_spare = UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        return fd >= 0;
    }
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::uint32_t PeerAddress(int fd) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
        peer.sin_family != AF_INET)
        return 0;
    return ntohl(peer.sin_addr.s_addr);
}

long SendNow(int fd, std::string_view data) {
    for (;;) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent >= 0) return static_cast<long>(sent);
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        if (errno != EINTR) return -1;
    }
}

long ReceiveNow(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, size, MSG_DONTWAIT);
        if (got >= 0) return static_cast<long>(got);
        if (errno == EAGAIN || errno == EWOULDBLOCK) return kNothingYet;
        if (errno != EINTR) return -1;
    }
}

void CloseAfterSending(UniqueFd fd) {
    if (fd) ::shutdown(fd.Get(), SHUT_WR);
}

}  // namespace platform
