#pragma once
// An owned file descriptor, and the write loop every writer of whole buffers uses.

#include <unistd.h>

#include <string_view>
#include <utility>

namespace platform {

// Closes its descriptor when it goes; -1 holds none.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~UniqueFd() { Close(); }

    explicit operator bool() const { return m_fd >= 0; }
    int Get() const { return m_fd; }
    // Closes now, so a failed close can be reported: false when the descriptor was open and
    // close() failed.
    bool Close() { return m_fd < 0 || ::close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd = -1;
};

// Writes all of `bytes`, retrying short and interrupted writes. False with errno set on a
// failure; a write that makes no progress counts as EIO.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace platform
