#pragma once
// An owned file descriptor, and the read and write loops every reader of whole files and writer
// of whole buffers uses.

#include <unistd.h>

#include <string>
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

// Appends what `fd` holds up to its end to `bytes`, retrying interrupted reads. False with errno
// set on a failed read; what was read before it stays in `bytes`.
bool ReadAll(int fd, std::string& bytes);

}  // namespace platform
