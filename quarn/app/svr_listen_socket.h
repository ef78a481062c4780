#pragma once
// The remote-control server's listening socket and its table of connections, with what the
// connections share: where jobs go, the main window, and the remote job whose result is awaited.
// Used only on the server thread.

#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/event_poller.h"
#include "platform/message_queue.h"
#include "platform/poll_socket.h"
#include "quarn/app/svr_client_socket.h"
#include "quarn/app/task_job.h"

class CSvrListenSocket {
public:
    static constexpr std::size_t kMaxConnections = 10000;
    // The system's largest backlog: with a handful, a burst of connecting clients overflows the
    // queue, and the handshakes the kernel drops leave those clients waiting for seconds.
    static constexpr int kBacklog = SOMAXCONN;

    // `mainWnd` (may be null) receives the project selection of PROJECT.
    CSvrListenSocket(ITaskPoster& tasks, platform::MessageQueue* mainWnd,
                     std::size_t maxConnections = kMaxConnections);
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

private:
    // Takes the pending connections: each gets a table entry and the greeting, unless the table
    // is full, when it is closed at once.
    void OnAccept();
    // Frees the connection's entry, releases the lock it holds and closes its socket. Its job,
    // if any, still runs and answers nobody.
    void EndConnection(RequesterId id);
    // Ends connection `id` when it asked to be ended.
    void EndIfEnded(const CSvrClientSocket& connection);

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
};
