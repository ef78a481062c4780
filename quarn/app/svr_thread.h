#pragma once
// The remote-control server: one thread whose event loop (epoll) owns the listening socket and
// every connection, and hands the connections' jobs to the task thread. The end of each job a
// connection asked for comes back through OnJobResult, on the task thread; the loop then answers
// "200 OK", or "550 " + the active project's lstprojerrmsg, to that connection alone, and only
// while it is still connected.
//
// Start, Stop and Port are called by one controlling thread; OnJobResult by any thread. The
// object must outlive every call of OnJobResult.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/event_poller.h"
#include "platform/message_queue.h"
#include "platform/wake_event.h"
#include "quarn/app/svr_listen_socket.h"
#include "quarn/app/task_job.h"

class CSvrThread : public IJobResultSink {
public:
    // `hMainWnd` (may be null) owns the listen warning and receives the project selection of
    // PROJECT and the status lines of refused logons. `maxConnections` bounds the connection
    // table; `firstWait` is the wait of a password guesser's first slowed connection.
    CSvrThread(ITaskPoster& tasks, platform::MessageQueue* hMainWnd,
               std::size_t maxConnections = CSvrListenSocket::kMaxConnections,
               CLogonThrottle::Milliseconds firstWait = CLogonThrottle::kFirstWait);
    // Stops the server.
    ~CSvrThread() override;
    CSvrThread(const CSvrThread&) = delete;
    CSvrThread& operator=(const CSvrThread&) = delete;

    // Reads the settings keys ncen and ncport, listens on port ncport when ncen is set (and then
    // frees the lock), and starts the server thread. When listening fails, the thread first shows
    // the warning "There was an error when attempting to listen on socket <port>.Try setting a
    // new network control port." through the current prompter, owned by the main window, and
    // runs on without a listener, as it does when ncen is 0. Returns 1 when the thread runs; 0
    // with m_strMessage when it could not be started.
    int Start();
    // Ends the thread promptly: results already reported are answered, then every connection
    // and the listener are closed. Results that come afterwards answer nobody.
    void Stop();
    // The port listened on; 0 without a listener.
    int Port() const { return m_nPort; }
    const std::string& Message() const { return m_strMessage; }

    // Thread-safe; never blocks on the server thread.
    void OnJobResult(RequesterId requester, int result) override;

private:
    void Run(std::string listenWarning);
    // Answers the requester of a job that has ended (on the server thread).
    void OnJobDone(RequesterId requester, int result);
    void TakeResults();

    CSvrListenSocket m_listener;
    platform::WakeEvent m_wake;
    platform::EventPoller m_poller;
    std::atomic<bool> m_bStop{false};
    std::mutex m_resultsMutex;
    std::vector<std::pair<RequesterId, int>> m_results;
    std::thread m_thread;
    int m_nPort = 0;
    std::string m_strMessage;
};
