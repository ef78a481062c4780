#pragma once
// Non-blocking IPv4 TCP for a server's poll() loop: the listening socket, and sends and receives
// that never wait. Every descriptor is close-on-exec, sends use MSG_NOSIGNAL, and SIGPIPE is
// ignored once a listener is made, so a closed peer never kills the process. One object is used
// by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_descriptor.h"

namespace platform {

// The listening socket. It keeps one spare descriptor, so that a pending connection can still be
// taken and closed when the process has no descriptor left: a connection is never left pending,
// where it would wake poll() again and again.
class PollListener {
public:
    enum class Accepted {
        kConnection,  // `connection` holds the new socket
        kNone,        // nothing pending now (or the peer gave up before it was taken)
        kShed,        // one was taken and closed at once: no descriptor was left for it
        kFailed,      // accept failed otherwise; try again on the next readiness
    };

    // Listens on every interface at `port` (0: any free one) with SO_REUSEADDR, so connections
    // of an earlier run that wait out TIME_WAIT do not keep the port. False with `error`.
    bool Listen(int port, int backlog, std::string* error);
    void Close();

    int Descriptor() const { return m_fd.Get(); }
    // The port listened on; 0 when not listening.
    int Port() const { return m_port; }

    // Takes one pending connection as a non-blocking socket with TCP_NODELAY (replies are
    // written whole, so there is nothing for Nagle's algorithm to join).
    Accepted Accept(UniqueFd* connection);
    // Takes one pending connection and closes it at once. False when none was pending.
    bool Shed();

private:
    // accept4() of one connection; -1 with errno when none was taken.
    int AcceptOne();

    UniqueFd m_fd;
    UniqueFd m_spare;
    int m_port = 0;
};

// One send of as much of `data` as the socket takes now: the bytes sent (0 when it takes none
// now), or -1 on an error (the connection is broken).
long SendNow(int fd, std::string_view data);

// The IPv4 address (host order) of the peer of connection `fd`; 0 when it cannot be told.
std::uint32_t PeerAddress(int fd);

inline constexpr long kNothingYet = -2;
// One receive of up to `size` bytes: the bytes received, 0 at the peer's orderly end, kNothingYet
// when nothing is waiting, or -1 on an error.
long ReceiveNow(int fd, char* buffer, std::size_t size);

// Ends a connection so that what was sent still arrives before the end: the sending side is shut
// down (an orderly end follows the last reply even when unread input makes the close a reset),
// then the socket is closed.
void CloseAfterSending(UniqueFd fd);

}  // namespace platform
