#include "remote/remote_session.h"

#include <sys/socket.h>

#include <algorithm>

#include "platform/leading_int.h"

std::atomic<long long> CRemoteSession::s_timeoutMs{CRemoteSession::kDefaultTimeout.count()};

void CRemoteSession::SetTimeout(Milliseconds timeout) {
    s_timeoutMs = std::min(timeout, kJobWait).count();
}

CRemoteSession::Milliseconds CRemoteSession::Timeout() {
    return Milliseconds(s_timeoutMs.load());
}

int ReplyCode(std::string_view line) {
    return platform::LeadingInt(line);
}

std::string ReplyText(std::string_view line) {
    return line.size() > 4 ? std::string(line.substr(4)) : std::string();
}

std::optional<RemoteMessage> CRemoteSession::LogOn(const std::string& host, int port,
                                                   const std::string& user,
                                                   const std::string& password) {
    m_bLoggedOn = false;
    std::string error;
    if (!m_pSocket.Create(&error)) return remote_message::SocketError();
    if (!m_pSocket.Connect(host, port, Timeout(), &error)) {
        m_pSocket.Close();
        return remote_message::ConnectError();
    }
    m_connectedFd = m_pSocket.Descriptor();
    if (m_aborted) return remote_message::NetworkError();
    m_pReader = std::make_unique<platform::TcpLineReader>(m_pSocket);

    std::string reply;
    if (!ReadReply(&reply, Timeout()) || ReplyCode(reply) != 220)
        return remote_message::InvalidGreeting();
    SendLine("user " + user + "\r\n");
    if (!ReadReply(&reply, Timeout()) || ReplyCode(reply) != 331)
        return remote_message::InvalidUserReply();
    SendLine("pass " + password + "\r\n");
    if (!ReadReply(&reply, Timeout()) || ReplyCode(reply) != 230)
        return remote_message::AccessDenied();
    m_bLoggedOn = true;
    return std::nullopt;
}

RemoteMessage CRemoteSession::SendCommand(std::string_view command, const std::string& project,
                                          const std::string& script) {
    if (!m_bLoggedOn) return remote_message::NotLoggedOn();
    std::string reply;
    if (!project.empty()) {
        SendLine("lock\r\n");
        if (!ReadReply(&reply, Timeout())) return remote_message::NetworkError();
        if (ReplyCode(reply) == 551) return remote_message::Busy();
        SendLine("project " + project + "\r\n");
        const bool read = ReadReply(&reply, Timeout());
        if (!read || ReplyCode(reply) != 214) {
            Unlock();
            return read ? remote_message::ProjectError() : remote_message::NetworkError();
        }
    }
    SendLine(command == "run" ? "run " + script + "\r\n" : std::string(command) + "\r\n");
    // A failed read leaves the lock taken: the server frees it when the connection ends.
    if (!ReadReply(&reply, kJobWait)) return remote_message::NetworkError();
    if (!project.empty() && !Unlock()) return remote_message::NetworkError();
    switch (ReplyCode(reply)) {
        case 551:
            return remote_message::Busy();
        case 200:
            return remote_message::CommandSuccessful();
        default:
            return remote_message::CommandFailed(ReplyText(reply));
    }
}

void CRemoteSession::Abort() {
    m_aborted = true;
    const int fd = m_connectedFd.load();
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

void CRemoteSession::SendLine(std::string_view line) {
    std::string error;
    m_pSocket.SendAll(line, Timeout(), &error);
}

bool CRemoteSession::ReadReply(std::string* line, Milliseconds timeout) {
    std::string error;
    switch (m_pReader->ReadLine(line, timeout, &error)) {
        case platform::TcpLineReader::Result::kLine:
            return true;
        case platform::TcpLineReader::Result::kEnd:
            line->clear();
            return true;
        case platform::TcpLineReader::Result::kError:
            break;
    }
    return false;
}

bool CRemoteSession::Unlock() {
    SendLine("unlock\r\n");
    std::string reply;
    return ReadReply(&reply, Timeout());
}
