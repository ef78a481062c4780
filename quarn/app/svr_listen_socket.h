#pragma once
// The remote-control server's listening socket and its table of connections, with what the
// connections share: where jobs go, the main window, the remote job whose result is awaited, and
// the refused logons of each address, which hold back the greeting of a guesser's connections.
// Used only on the server thread.

#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/event_poller.h"
#include "platform/message_queue.h"
#include "platform/poll_socket.h"
#include "quarn/app/logon_throttle.h"
#include "quarn/app/svr_client_socket.h"
#include "quarn/app/task_job.h"

class CSvrListenSocket {
public:
    static constexpr std::size_t kMaxConnections = 10000;
    // The system's largest backlog: with a handful, a burst of connecting clients overflows the
    // queue, and the handshakes the kernel drops leave those clients waiting for seconds.
    static constexpr int kBacklog = SOMAXCONN;

    // Status lines of refused logons that wait for the main window, at most; more are not shown
    // there (the event log has them all).
    static constexpr std::size_t kMaxWaitingStatusLines = 64;
    // How soon a waiting status line is offered to the main window again.
    static constexpr CLogonThrottle::Milliseconds kStatusRetry{100};

    // `mainWnd` (may be null) receives the project selection of PROJECT and the status lines of
    // refused logons. `firstWait` is the wait of a guesser's first slowed connection.
    CSvrListenSocket(ITaskPoster& tasks, platform::MessageQueue* mainWnd,
                     std::size_t maxConnections = kMaxConnections,
                     CLogonThrottle::Milliseconds firstWait = CLogonThrottle::kFirstWait);
    // Closes the listener and every connection.
    ~CSvrListenSocket();
    CSvrListenSocket(const CSvrListenSocket&) = delete;
    CSvrListenSocket& operator=(const CSvrListenSocket&) = delete;

    // Listens on every interface at `port`. False with `error`.
    bool Listen(int port, std::string* error);
    // The port listened on; 0 when not listening.
    int Port() const { return m_socket.Port(); }

    // The key of the listener's registration; a connection's key is its id (from 1 up).
    static constexpr std::uint64_t kListenerKey = 0;

    // Brings `poller`'s registrations up to date: the listener and new connections are added,
    // and a connection whose wanted events changed since the last call is modified (a closed
    // descriptor leaves the poller by itself).
    void SyncInterest(platform::EventPoller& poller);
    // Handles the readiness (poll() event bits) of the registration under `key`.
    void OnReady(std::uint64_t key, short revents);

    // How long the event loop may wait at `now` before OnTimer has something to do; -1: until
    // the next event.
    int TimerWaitMs(CLogonThrottle::TimePoint now) const;
    // Greets the held connections whose wait is over and offers waiting status lines again.
    void OnTimer(CLogonThrottle::TimePoint now);

    // Sends `text` + CR LF to connection `requester` when it is still connected and logged on.
    void SendToClient(RequesterId requester, std::string_view text);
    // Stops listening and ends every connection.
    void Close();

    // For the connections: posts `job`, whose result is then awaited until JobEnded(its
    // requester).
    void PostJob(TaskJob job);
    bool JobAwaited() const { return m_awaited != kNoRequester; }
    void JobEnded(RequesterId requester);
    platform::MessageQueue* MainWindow() const { return m_hMainWnd; }
    // A refused password of `user` from `peer`: counted, shown in the main window and written
    // to the event log (when logen is set).
    void LogonRefused(std::uint32_t peer, std::string_view user);
    // An accepted logon from `peer` forgets its refusals.
    void LogonAccepted(std::uint32_t peer);

private:
    // Takes the pending connections: each gets a table entry and the greeting, unless the table
    // is full, when it is closed at once.
    void OnAccept();
    // Frees the connection's entry, releases the lock it holds and closes its socket. Its job,
    // if any, still runs and answers nobody.
    void EndConnection(RequesterId id);
    // Ends connection `id` when it asked to be ended.
    void EndIfEnded(const CSvrClientSocket& connection);
    void Greet(CSvrClientSocket& connection);
    void PostStatusLines();

    ITaskPoster& m_tasks;
    platform::MessageQueue* const m_hMainWnd;
    const std::size_t m_nMaxConnections;
    platform::PollListener m_socket;
    std::map<RequesterId, std::unique_ptr<CSvrClientSocket>> m_connections;
    RequesterId m_nextId = 1;
    bool m_bListenerRegistered = false;
    // The events each connection is registered for, and the connections that may want others.
    std::unordered_map<RequesterId, std::uint32_t> m_registered;
    std::vector<RequesterId> m_touched;
    RequesterId m_awaited = kNoRequester;
    CLogonThrottle m_throttle;
    // Connections whose greeting waits, by the time it is due; and each one's due time.
    std::set<std::pair<CLogonThrottle::TimePoint, RequesterId>> m_held;
    std::unordered_map<RequesterId, CLogonThrottle::TimePoint> m_heldUntil;
    std::deque<std::string> m_statusLines;
};
