#pragma once
// One connection of the remote-control server: reads its command lines, runs them and queues the
// replies. Owned by its CSvrListenSocket and used only on the server thread.
//
// A connection never deletes itself: when it must end (LOGOF, the peer's close, a receive or send
// error, over-long input, a refused password) Ended() turns true and the listener ends it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_descriptor.h"
#include "quarn/app/task_job.h"

class CSvrListenSocket;

class CSvrClientSocket {
public:
    // Longest line, without its LF, that a client may send; a longer one ends the connection.
    static constexpr std::size_t kMaxLine = 512;
    // Most bytes one receive takes.
    static constexpr std::size_t kReceiveSize = 1024;
    // While more reply bytes than this wait to be sent, the connection's input is not read, so
    // a client that sends without reading cannot make the queue grow without bound.
    static constexpr std::size_t kMaxQueuedOutput = 64 * 1024;

    // `peer` is the client's IPv4 address (host order). The connection neither reads nor writes
    // before SendGreeting.
    CSvrClientSocket(CSvrListenSocket& listener, RequesterId id, platform::UniqueFd socket,
                     std::uint32_t peer);
    CSvrClientSocket(const CSvrClientSocket&) = delete;
    CSvrClientSocket& operator=(const CSvrClientSocket&) = delete;

    RequesterId Id() const { return m_id; }
    int Descriptor() const { return m_socket.Get(); }
    bool Ended() const { return m_bEnded; }
    bool Greeted() const { return m_bGreeted; }
    // The poll() events this connection waits for now.
    short PollEvents() const;

    // Session state 0 and the greeting.
    void SendGreeting();
    // Handles poll() readiness `revents`: sends what waits, reads and runs complete lines. Before
    // the greeting only the peer's giving up counts: it ends the connection.
    void OnReady(short revents);
    // Queues `text` + CR LF; it leaves with the next flush (after the lines of a receive).
    void SendLine(std::string_view text);
    // SendLine and a flush while the session is logged on (state 2 or 3); otherwise nothing.
    void SendIfLoggedIn(std::string_view text);
    // Hands the socket over for closing; the queued replies go with one last send.
    platform::UniqueFd TakeSocket();

private:
    void Flush();
    void OnReceive();
    void OnCommand(std::string_view line);

    // RUN, FTP and PUBLISH: posts the job; its reply comes when it has ended.
    void OnJob(unsigned code, std::string_view argument);
    void OnUser(std::string_view name);
    void OnPass(std::string_view password);
    void OnHelp();
    void OnState();
    void OnLock();
    void OnUnlock();
    void OnProject(std::string_view name);

    // A reply whose fixed text passes through the program title.
    void Reply(std::string_view fixedText);
    bool LoggedOn() const { return m_nState >= 2; }
    bool LockedByOther() const;
    // A job is running or a remote job's result is awaited.
    bool JobPending() const;

    CSvrListenSocket& m_listener;
    const RequesterId m_id;
    platform::UniqueFd m_socket;
    const std::uint32_t m_nPeer;
    bool m_bGreeted = false;
    // 0 greeted, 1 user name given, 2 logged on, 3 logged on as the first remote user.
    int m_nState = 0;
    std::string m_strUser;
    std::string m_strPending;  // received text not yet a whole line
    std::string m_strOutput;   // replies not yet sent, from m_nOutputSent on
    std::size_t m_nOutputSent = 0;
    bool m_bEnded = false;
};
