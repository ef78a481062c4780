#include "platform/instance_channel.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

bool MakeAddress(const std::string& path, sockaddr_un& address, std::string* error) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        if (error) *error = "socket path too long: " + path;
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string Failure(const char* what, const std::string& path) {
    return std::string("cannot ") + what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

InstanceChannel::~InstanceChannel() {
    if (m_fd < 0) return;
    ::close(m_fd);
    ::unlink(m_path.c_str());
}

bool InstanceChannel::Listen(const std::string& path, std::string* error) {
    if (m_fd >= 0) return true;
    sockaddr_un address;
    if (!MakeAddress(path, address, error)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        if (error) *error = Failure("create a socket for", path);
        return false;
    }
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        if (error) *error = Failure("listen at", path);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

int InstanceChannel::TakeRequests() {
    int taken = 0;
    for (;;) {
        const int peer = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) {
            if (errno == EINTR) continue;
            return taken;
        }
        ::close(peer);
        ++taken;
    }
}

bool InstanceChannel::AskToShow(const std::string& path, std::string* error) {
    sockaddr_un address;
    if (!MakeAddress(path, address, error)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (error) *error = Failure("create a socket for", path);
        return false;
    }
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && error) *error = Failure("connect to", path);
    ::close(fd);
    return rc == 0;
}

}  // namespace platform
