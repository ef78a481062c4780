#pragma once
// remote's connection to quarn's remote-control server: the connect-and-logon steps, then one
// command at a time with its project switch (lock, project, command, unlock). Every step reads
// the reply before it sends the next line. Connect, sends and replies wait at most Timeout(),
// except the reply to a command, which comes when quarn's job has ended and is waited for as
// long as the job takes. A time-out counts as that step's connect or read failure.
//
// Used by one thread at a time (the dialog's worker), except Abort(), which another thread may
// call at any time.

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/tcp_stream.h"
#include "remote/remote_messages.h"

class CRemoteSession {
public:
    using Milliseconds = std::chrono::milliseconds;

    static constexpr Milliseconds kDefaultTimeout = std::chrono::seconds(60);
    // How long a command's reply is waited for: a job's length has no bound.
    static constexpr Milliseconds kJobWait = std::chrono::hours(24 * 365 * 10);

    // Applies to every session from its next wait on (at most kJobWait). Thread-safe.
    static void SetTimeout(Milliseconds timeout);
    static Milliseconds Timeout();

    CRemoteSession() = default;
    CRemoteSession(const CRemoteSession&) = delete;
    CRemoteSession& operator=(const CRemoteSession&) = delete;

    // Connects and logs on, once per session. nullopt when logged on; else the message to show,
    // and the session stays not logged on (and is never retried).
    std::optional<RemoteMessage> LogOn(const std::string& host, int port, const std::string& user,
                                       const std::string& password);
    // Asks quarn for `command` ("run", "publish" or "ftp"; "run" sends `script` with it), first
    // switching to `project` under quarn's lock when it is not empty. The message to show.
    RemoteMessage SendCommand(std::string_view command, const std::string& project,
                              const std::string& script);

    bool LoggedOn() const { return m_bLoggedOn; }
    // Ends a wait of the thread using the session: the connection is shut down (a connect in
    // progress runs to its end, and the session then stops). The session is of no further use.
    void Abort();

private:
    // Sends `line` (with its CR LF). A failure shows in the next read.
    void SendLine(std::string_view line);
    // One line without its line end; false on a read error or time-out. The end of the stream
    // reads as an empty line.
    bool ReadReply(std::string* line, Milliseconds timeout);
    // "unlock" and one reply; false when the reply could not be read.
    bool Unlock();

    static std::atomic<long long> s_timeoutMs;

    platform::TcpStream m_pSocket;
    std::unique_ptr<platform::TcpLineReader> m_pReader;
    bool m_bLoggedOn = false;
    // The connected socket's descriptor for Abort(); -1 until connected.
    std::atomic<int> m_connectedFd{-1};
    std::atomic<bool> m_aborted{false};
};

// The decimal number at the start of a reply line (0 when there is none).
int ReplyCode(std::string_view line);
// A reply's text: the line from its fifth character on, "" for a shorter line.
std::string ReplyText(std::string_view line);
