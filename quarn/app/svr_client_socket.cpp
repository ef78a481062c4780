#include "quarn/app/svr_client_socket.h"

#include <poll.h>

#include <mutex>

#include "platform/poll_socket.h"
#include "quarn/app/project_switch.h"
#include "quarn/app/remote_users.h"
#include "quarn/app/svr_listen_socket.h"
#include "quarn/app/svr_replies.h"
#include "quarn/services/messages.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

}  // namespace

CSvrClientSocket::CSvrClientSocket(CSvrListenSocket& listener, RequesterId id,
                                   platform::UniqueFd socket, std::uint32_t peer)
    : m_listener(listener), m_id(id), m_socket(std::move(socket)), m_nPeer(peer) {}

short CSvrClientSocket::PollEvents() const {
    // Input sent before the greeting waits in the socket: reading it would skip the wait.
    if (!m_bGreeted) return POLLRDHUP;
    const std::size_t queued = m_strOutput.size() - m_nOutputSent;
    short events = queued > kMaxQueuedOutput ? 0 : POLLIN;
    if (queued > 0) events |= POLLOUT;
    return events;
}

void CSvrClientSocket::SendGreeting() {
    m_bGreeted = true;
    m_nState = 0;
    Reply(svr_reply::kGreeting);
    Flush();
}

void CSvrClientSocket::OnReady(short revents) {
    if (!m_bGreeted) {
        if (revents & (POLLRDHUP | POLLHUP | POLLERR)) m_bEnded = true;
        return;
    }
    if (!m_bEnded && (revents & (POLLIN | POLLHUP | POLLERR))) OnReceive();
    // The replies to every line of this receive leave together.
    if (!m_bEnded) Flush();
}

void CSvrClientSocket::SendLine(std::string_view text) {
    m_strOutput.append(text).append("\r\n");
}

void CSvrClientSocket::SendIfLoggedIn(std::string_view text) {
    if (!LoggedOn()) return;
    SendLine(text);
    Flush();
}

platform::UniqueFd CSvrClientSocket::TakeSocket() {
    // A last try for what waits: a reply sent just before the end ("530 Access denied") arrives.
    Flush();
    return std::move(m_socket);
}

void CSvrClientSocket::Flush() {
    while (m_nOutputSent < m_strOutput.size()) {
        const long sent =
            platform::SendNow(m_socket.Get(), std::string_view(m_strOutput).substr(m_nOutputSent));
        if (sent < 0) {
            m_bEnded = true;
            return;
        }
        if (sent == 0) return;  // the rest goes when poll() reports room
        m_nOutputSent += static_cast<std::size_t>(sent);
    }
    m_strOutput.clear();
    m_nOutputSent = 0;
}

void CSvrClientSocket::OnReceive() {
    char buffer[kReceiveSize];
    const long got = platform::ReceiveNow(m_socket.Get(), buffer, sizeof buffer);
    if (got == platform::kNothingYet) return;
    if (got <= 0) {
        m_bEnded = true;
        return;
    }
    m_strPending.append(buffer, static_cast<std::size_t>(got));
    std::size_t from = 0;
    for (std::size_t lineEnd;
         !m_bEnded && (lineEnd = m_strPending.find('\n', from)) != std::string::npos;
         from = lineEnd + 1) {
        if (lineEnd - from > kMaxLine) {
            m_bEnded = true;
            return;
        }
        OnCommand(std::string(m_strPending, from, lineEnd - from));
    }
    m_strPending.erase(0, from);
    if (m_strPending.size() > kMaxLine) m_bEnded = true;
}

void CSvrClientSocket::OnCommand(std::string_view line) {
    line = Trimmed(line);
    const std::size_t blank = line.find(' ');
    const std::string word = Upper(Trimmed(line.substr(0, blank)));
    const std::string_view argument =
        blank == std::string_view::npos ? std::string_view() : Trimmed(line.substr(blank + 1));

    int command = 0;
    while (command < static_cast<int>(kSvrCommands.size()) && kSvrCommands[command] != word)
        ++command;
    switch (command) {
        case SVR_RUN:
            return OnJob(TASK_RUN_SCRIPT, argument);
        case SVR_FTP:
            return OnJob(TASK_UPLOAD, argument);
        case SVR_PUBLISH:
            return OnJob(TASK_PUBLISH, argument);
        case SVR_USER:
            return OnUser(argument);
        case SVR_PASS:
            return OnPass(argument);
        case SVR_HELP:
            return OnHelp();
        case SVR_STATE:
            return OnState();
        case SVR_LOGOF:
            m_bEnded = true;
            return;
        case SVR_LOCK:
            return OnLock();
        case SVR_UNLOCK:
            return OnUnlock();
        case SVR_PROJECT:
            return OnProject(argument);
        default:
            SendLine(svr_reply::kUnknownCommand);
    }
}

void CSvrClientSocket::Reply(std::string_view fixedText) {
    SendLine(WithProgramTitle(fixedText));
}

bool CSvrClientSocket::LockedByOther() const {
    const RequesterId holder = g_nLockHolder;
    return holder != kNoRequester && holder != m_id;
}

bool CSvrClientSocket::JobPending() const {
    return g_bTaskBusy != 0 || m_listener.JobAwaited();
}

void CSvrClientSocket::OnJob(unsigned code, std::string_view argument) {
    if (!LoggedOn()) return Reply(svr_reply::kLogOnFirst);
    if (JobPending() || LockedByOther()) return Reply(svr_reply::kBusy);
    const std::string project = g_strProject.Get();
    TaskJob job{code, 0, {}, m_id};
    if (code == TASK_RUN_SCRIPT) {
        job.scriptPath = argument.empty() ? g_settings.Get(project, project_key::scriptfilename)
                                          : std::string(argument);
        // Refused rather than cut: a cut path could name another script.
        if (job.scriptPath.size() > kMaxPath)
            return SendLine(SvrFailureReply(LoadMessage(66, job.scriptPath)));
    } else if (code == TASK_UPLOAD) {
        job.param = g_settings.Get(project, project_key::uploadchg);
    }
    m_listener.PostJob(std::move(job));
}

void CSvrClientSocket::OnUser(std::string_view name) {
    if (LoggedOn()) return Reply(svr_reply::kAlreadyLoggedOn);
    m_strUser = name;
    m_nState = 1;
    SendLine(WithProgramTitle(svr_reply::kPasswordRequired) + SvrReplyValue(name));
}

void CSvrClientSocket::OnPass(std::string_view password) {
    if (LoggedOn()) return Reply(svr_reply::kAlreadyLoggedOn);
    if (m_nState == 0) return Reply(svr_reply::kLogOnFirst);
    const std::string file = g_strProgramDir + "/" + std::string(kRemoteUsersFile);
    const RemoteLogon logon = CheckRemoteUser(file, m_strUser, password);
    if (logon == RemoteLogon::kFirstUser || logon == RemoteLogon::kUser) {
        m_nState = logon == RemoteLogon::kFirstUser ? 3 : 2;
        m_listener.LogonAccepted(m_nPeer);
        return Reply(svr_reply::kLoggedOn);
    }
    m_listener.LogonRefused(m_nPeer, m_strUser);
    m_nState = 0;
    Reply(svr_reply::kAccessDenied);
    // A missing file keeps the connection, so the client may try again once it exists.
    if (logon != RemoteLogon::kNoFile) m_bEnded = true;
}

void CSvrClientSocket::OnHelp() {
    Reply(svr_reply::kHelpHeading);
    for (std::string_view word : kSvrCommands)
        SendLine(word);
    Reply(svr_reply::kDone);
}

void CSvrClientSocket::OnState() {
    SendLine(WithProgramTitle(svr_reply::kSystemState) + std::to_string(m_nState));
    Reply(svr_reply::kOk);
}

void CSvrClientSocket::OnLock() {
    if (!LoggedOn()) return Reply(svr_reply::kLogOnFirst);
    if (JobPending() || g_nLockHolder != kNoRequester) return Reply(svr_reply::kBusy);
    g_nLockHolder = m_id;
    Reply(svr_reply::kDone);
}

void CSvrClientSocket::OnUnlock() {
    if (!LoggedOn()) return Reply(svr_reply::kLogOnFirst);
    if (LockedByOther()) return Reply(svr_reply::kBusy);
    g_nLockHolder = kNoRequester;
    Reply(svr_reply::kDone);
}

void CSvrClientSocket::OnProject(std::string_view name) {
    if (!LoggedOn()) return Reply(svr_reply::kLogOnFirst);
    if (JobPending() || LockedByOther()) return Reply(svr_reply::kBusy);
    {
        // Never waits: whoever holds the project (a job, a modal project command) makes it busy.
        std::unique_lock project(g_csProject, std::try_to_lock);
        if (!project.owns_lock()) return Reply(svr_reply::kBusy);
        if (!SwitchActiveProject(std::string(name)))
            return SendLine(SvrFailureReply(WithProgramTitle(svr_reply::kInvalidProject)));
    }
    g_szPendingProject.Set(std::string(name));
    if (platform::MessageQueue* window = m_listener.MainWindow())
        window->Post(WM_FRAMENOTIFY, FRAME_SELECT_PROJECT, 0);
    Reply(svr_reply::kDone);
}
