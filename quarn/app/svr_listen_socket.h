#pragma once
// The remote-control server's listening socket and its table of connections, with what the
// connections share: where jobs go, the main window, and the remote job whose result is awaited.
// Used only on the server thread.

#include <poll.h>
#include <sys/socket.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

    // Appends the poll() entries of the listener and of every connection to `fds`, and the
    // owner of each connection's entry (kNoRequester for the listener's) to `owners`.
    void AddPollEntries(std::vector<pollfd>& fds, std::vector<RequesterId>& owners) const;
    // Handles the readiness of one entry of AddPollEntries.
    void OnReady(RequesterId owner, short revents);

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
    RequesterId m_awaited = kNoRequester;
};
