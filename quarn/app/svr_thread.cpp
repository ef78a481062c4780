#include "quarn/app/svr_thread.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "quarn/app/svr_replies.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"

namespace {

// Message box style: OK alone with the warning icon.
constexpr int kWarningBox = 48;
// The wake event's key among the poller's registrations (connections count up from 1).
constexpr std::uint64_t kWakeKey = ~std::uint64_t{0};

}  // namespace

CSvrThread::CSvrThread(ITaskPoster& tasks, platform::MessageQueue* hMainWnd,
                       std::size_t maxConnections, CLogonThrottle::Milliseconds firstWait)
    : m_listener(tasks, hMainWnd, maxConnections, firstWait) {}

CSvrThread::~CSvrThread() {
    Stop();
}

int CSvrThread::Start() {
    if (m_thread.joinable()) return 1;
    std::string error;
    if (!m_wake.Open(&error) || !m_poller.Open(&error)) {
        m_strMessage = "Remote control server: " + error;
        return 0;
    }
    if (!m_poller.Add(m_wake.Descriptor(), EPOLLIN, kWakeKey)) {
        m_strMessage = std::string("Remote control server: epoll: ") + std::strerror(errno);
        return 0;
    }
    std::string listenWarning;
    if (g_settings.GetGlobal(global_key::ncen)) {
        const int port = g_settings.GetGlobal(global_key::ncport);
        if (port >= 1 && m_listener.Listen(port, &error)) {
            m_nPort = m_listener.Port();
        } else {
            listenWarning = WithProgramTitle(svr_reply::kListenFailed) + std::to_string(port) +
                            WithProgramTitle(svr_reply::kListenFailedAdvice);
            m_strMessage = listenWarning;
        }
        g_nLockHolder = kNoRequester;
    }
    m_thread = std::thread(&CSvrThread::Run, this, std::move(listenWarning));
    return 1;
}

void CSvrThread::Stop() {
    if (!m_thread.joinable()) return;
    m_bStop = true;
    m_wake.Signal();
    m_thread.join();
}

void CSvrThread::OnJobResult(RequesterId requester, int result) {
    {
        std::lock_guard lock(m_resultsMutex);
        m_results.emplace_back(requester, result);
    }
    m_wake.Signal();
}

void CSvrThread::Run(std::string listenWarning) {
    if (!listenWarning.empty())
        CurrentPrompter().MessageBox(m_listener.MainWindow(), listenWarning,
                                     g_strProgramTitle.Get(), kWarningBox);
    std::vector<platform::EventPoller::Ready> ready;
    while (!m_bStop) {
        m_listener.SyncInterest(m_poller);
        if (!m_poller.Wait(ready, m_listener.TimerWaitMs(CLogonThrottle::Clock::now()))) break;
        for (const platform::EventPoller::Ready& event : ready) {
            if (event.key == kWakeKey) {
                m_wake.Drain();
                TakeResults();
            } else {
                // epoll's event bits are poll()'s.
                m_listener.OnReady(event.key, static_cast<short>(event.events));
            }
        }
        m_listener.OnTimer(CLogonThrottle::Clock::now());
    }
    // A job that ended just before the stop (cancelled by it) still answers its requester.
    TakeResults();
    m_listener.Close();
}

void CSvrThread::TakeResults() {
    std::vector<std::pair<RequesterId, int>> results;
    {
        std::lock_guard lock(m_resultsMutex);
        results.swap(m_results);
    }
    for (const auto& [requester, result] : results)
        OnJobDone(requester, result);
}

void CSvrThread::OnJobDone(RequesterId requester, int result) {
    m_listener.JobEnded(requester);
    const std::string text =
        result ? WithProgramTitle(svr_reply::kOk)
               : SvrFailureReply(g_settings.Get(g_strProject.Get(), project_key::lstprojerrmsg));
    m_listener.SendToClient(requester, text);
}
