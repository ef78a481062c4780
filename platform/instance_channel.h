#pragma once
// A running instance's local door: a Unix stream socket beside the single-instance lock, through
// which a later start asks the running instance to come to the front. Each connection is one
// request; nothing is read or written on it.
//
// Only the holder of the instance lock listens, so removing a socket file left by a crashed
// instance before binding never cuts off a live one.

#include <string>

namespace platform {

class InstanceChannel {
public:
    InstanceChannel() = default;
    // Stops listening and removes the socket file.
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // Listens at `path` (a stale file there is replaced); false with `error` when it cannot.
    bool Listen(const std::string& path, std::string* error);
    // The listening descriptor, to watch for reading; -1 when not listening.
    int Descriptor() const { return m_fd; }
    // Takes every waiting request without blocking; how many there were.
    int TakeRequests();

    // Asks the instance listening at `path` to come to the front; false with `error` when no
    // instance listens there.
    static bool AskToShow(const std::string& path, std::string* error);

private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace platform
