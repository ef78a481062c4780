#include "quarn/app/svr_listen_socket.h"

#include <algorithm>

#include "quarn/app/svr_logon_event.h"
#include "quarn/services/event_log.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

// Connections taken per readiness of the listener, so a flood of new ones cannot starve the
// connections already there.
constexpr int kAcceptsPerRound = 64;

}  // namespace

CSvrListenSocket::CSvrListenSocket(ITaskPoster& tasks, platform::MessageQueue* mainWnd,
                                   std::size_t maxConnections,
                                   CLogonThrottle::Milliseconds firstWait)
    : m_tasks(tasks),
      m_hMainWnd(mainWnd),
      m_nMaxConnections(maxConnections),
      m_throttle(firstWait) {}

CSvrListenSocket::~CSvrListenSocket() {
    Close();
}

bool CSvrListenSocket::Listen(int port, std::string* error) {
    return m_socket.Listen(port, kBacklog, error);
}

void CSvrListenSocket::SyncInterest(platform::EventPoller& poller) {
    if (!m_bListenerRegistered && m_socket.Descriptor() >= 0)
        m_bListenerRegistered = poller.Add(m_socket.Descriptor(), EPOLLIN, kListenerKey);
    for (const RequesterId id : m_touched) {
        const auto found = m_connections.find(id);
        if (found == m_connections.end()) continue;
        const auto wanted = static_cast<std::uint32_t>(found->second->PollEvents());
        const auto registered = m_registered.find(id);
        const auto key = static_cast<std::uint64_t>(id);
        if (registered == m_registered.end()) {
            // A connection that cannot be watched would never be served.
            if (!poller.Add(found->second->Descriptor(), wanted, key)) {
                EndConnection(id);
                continue;
            }
            m_registered.emplace(id, wanted);
        } else if (registered->second != wanted &&
                   poller.Modify(found->second->Descriptor(), wanted, key)) {
            registered->second = wanted;
        }
    }
    m_touched.clear();
}

void CSvrListenSocket::OnReady(std::uint64_t key, short revents) {
    if (key == kListenerKey) {
        OnAccept();
        return;
    }
    const auto owner = static_cast<RequesterId>(key);
    // The connection may have ended earlier in this round.
    const auto found = m_connections.find(owner);
    if (found == m_connections.end()) return;
    found->second->OnReady(revents);
    m_touched.push_back(owner);
    EndIfEnded(*found->second);
}

void CSvrListenSocket::OnAccept() {
    for (int round = 0; round < kAcceptsPerRound; ++round) {
        if (m_connections.size() >= m_nMaxConnections) {
            if (!m_socket.Shed()) return;
            continue;
        }
        platform::UniqueFd socket;
        const auto accepted = m_socket.Accept(&socket);
        if (accepted == platform::PollListener::Accepted::kShed) continue;
        if (accepted != platform::PollListener::Accepted::kConnection) return;
        const RequesterId id = m_nextId++;
        const std::uint32_t peer = platform::PeerAddress(socket.Get());
        auto connection = std::make_unique<CSvrClientSocket>(*this, id, std::move(socket), peer);
        CSvrClientSocket& attached = *connection;
        m_connections.emplace(id, std::move(connection));
        m_touched.push_back(id);
        const CLogonThrottle::TimePoint now = CLogonThrottle::Clock::now();
        const CLogonThrottle::TimePoint due = m_throttle.GreetingTime(peer, now);
        if (due > now) {
            m_held.emplace(due, id);
            m_heldUntil.emplace(id, due);
        } else {
            Greet(attached);
        }
    }
}

void CSvrListenSocket::Greet(CSvrClientSocket& connection) {
    connection.SendGreeting();
    EndIfEnded(connection);
}

int CSvrListenSocket::TimerWaitMs(CLogonThrottle::TimePoint now) const {
    CLogonThrottle::Milliseconds wait(-1);
    if (!m_held.empty()) {
        // Rounded up, so the loop never wakes just before the greeting is due.
        wait =
            std::max(CLogonThrottle::Milliseconds(0),
                     std::chrono::ceil<CLogonThrottle::Milliseconds>(m_held.begin()->first - now));
    }
    if (!m_statusLines.empty() && (wait.count() < 0 || wait > kStatusRetry)) wait = kStatusRetry;
    return static_cast<int>(wait.count());
}

void CSvrListenSocket::OnTimer(CLogonThrottle::TimePoint now) {
    while (!m_held.empty() && m_held.begin()->first <= now) {
        const RequesterId id = m_held.begin()->second;
        m_held.erase(m_held.begin());
        m_heldUntil.erase(id);
        m_touched.push_back(id);
        Greet(*m_connections.at(id));
    }
    PostStatusLines();
}

void CSvrListenSocket::LogonRefused(std::uint32_t peer, std::string_view user) {
    m_throttle.OnFailure(peer, CLogonThrottle::Clock::now());
    std::string text = LogonRefusedText(user, peer);
    if (g_settings.GetGlobal(global_key::logen) != 0) AppendEventLog(text);
    if (m_hMainWnd == nullptr) return;
    if (m_statusLines.size() >= kMaxWaitingStatusLines) m_statusLines.pop_front();
    m_statusLines.push_back(std::move(text));
    PostStatusLines();
}

void CSvrListenSocket::LogonAccepted(std::uint32_t peer) {
    m_throttle.OnSuccess(peer);
}

void CSvrListenSocket::PostStatusLines() {
    // Never waits for the main window: the server goes on serving while the window is slow.
    while (!m_statusLines.empty() && TryPostStatusText(*m_hMainWnd, m_statusLines.front()))
        m_statusLines.pop_front();
}

void CSvrListenSocket::SendToClient(RequesterId requester, std::string_view text) {
    const auto found = m_connections.find(requester);
    if (found == m_connections.end()) return;
    found->second->SendIfLoggedIn(text);
    m_touched.push_back(requester);
    EndIfEnded(*found->second);
}

void CSvrListenSocket::EndIfEnded(const CSvrClientSocket& connection) {
    if (connection.Ended()) EndConnection(connection.Id());
}

void CSvrListenSocket::EndConnection(RequesterId id) {
    const auto found = m_connections.find(id);
    if (found == m_connections.end()) return;
    RequesterId holder = id;
    g_nLockHolder.compare_exchange_strong(holder, kNoRequester);
    if (const auto held = m_heldUntil.find(id); held != m_heldUntil.end()) {
        m_held.erase({held->second, id});
        m_heldUntil.erase(held);
    }
    platform::CloseAfterSending(found->second->TakeSocket());
    m_connections.erase(found);
    m_registered.erase(id);
}

void CSvrListenSocket::Close() {
    m_socket.Close();
    m_bListenerRegistered = false;
    while (!m_connections.empty())
        EndConnection(m_connections.begin()->first);
}

void CSvrListenSocket::PostJob(TaskJob job) {
    m_awaited = job.requester;
    m_tasks.PostJob(std::move(job));
}

void CSvrListenSocket::JobEnded(RequesterId requester) {
    if (requester == m_awaited) m_awaited = kNoRequester;
}
