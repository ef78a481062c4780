#include "platform/event_poller.h"

#include <cerrno>
#include <cstring>

namespace platform {

bool EventPoller::Open(std::string* error) {
    m_fd = UniqueFd(::epoll_create1(EPOLL_CLOEXEC));
    if (m_fd) return true;
    *error = std::string("epoll: ") + std::strerror(errno);
    return false;
}

bool EventPoller::Add(int fd, std::uint32_t events, std::uint64_t key) {
    epoll_event event{};
    event.events = events;
    event.data.u64 = key;
    return ::epoll_ctl(m_fd.Get(), EPOLL_CTL_ADD, fd, &event) == 0;
}

bool EventPoller::Modify(int fd, std::uint32_t events, std::uint64_t key) {
    epoll_event event{};
    event.events = events;
    event.data.u64 = key;
    return ::epoll_ctl(m_fd.Get(), EPOLL_CTL_MOD, fd, &event) == 0;
}

bool EventPoller::Wait(std::vector<Ready>& ready, int timeoutMs) {
    ready.clear();
    const int count =
        ::epoll_wait(m_fd.Get(), m_events.data(), static_cast<int>(m_events.size()), timeoutMs);
    if (count < 0) return errno == EINTR;
    for (int i = 0; i < count; ++i)
        ready.push_back(Ready{m_events[i].data.u64, m_events[i].events});
    return true;
}

}  // namespace platform
