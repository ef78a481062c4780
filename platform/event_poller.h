#pragma once
// Readiness of many descriptors for one event loop (epoll): each descriptor is registered once
// with the events it waits for and a key of the caller's, and a wait reports only the ready
// ones, so a wait costs the same with ten or ten thousand idle connections. Close-on-exec. Used
// by one thread.

#include <sys/epoll.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_descriptor.h"

namespace platform {

class EventPoller {
public:
    struct Ready {
        std::uint64_t key = 0;
        std::uint32_t events = 0;  // EPOLLIN, EPOLLOUT, EPOLLERR, EPOLLHUP
    };

    // False with `error` when the descriptor cannot be made.
    bool Open(std::string* error);
    // Registers `fd` for `events` (EPOLLIN, EPOLLOUT; errors and hang-ups always count) under
    // `key`; false when the system refuses.
    bool Add(int fd, std::uint32_t events, std::uint64_t key);
    // Changes the events `fd` waits for.
    bool Modify(int fd, std::uint32_t events, std::uint64_t key);
    // Waits until something is ready (`timeoutMs` -1: for ever) and fills `ready`; an
    // interrupted wait reports nothing. False on any other failure.
    bool Wait(std::vector<Ready>& ready, int timeoutMs);

private:
    UniqueFd m_fd;
    std::vector<epoll_event> m_events = std::vector<epoll_event>(256);
};

}  // namespace platform
