#include "platform/wake_event.h"

#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace platform {

bool WakeEvent::Open(std::string* error) {
    m_fd = UniqueFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!m_fd) *error = std::string("eventfd: ") + std::strerror(errno);
    return static_cast<bool>(m_fd);
}

void WakeEvent::Signal() {
    const std::uint64_t one = 1;
    // Only a counter at its maximum refuses (EAGAIN), and that one is already signalled.
    while (::write(m_fd.Get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void WakeEvent::Drain() {
    std::uint64_t count = 0;
    while (::read(m_fd.Get(), &count, sizeof count) < 0 && errno == EINTR) {
    }
}

}  // namespace platform
