#pragma once
// Makes sure the Internet connection named in the program settings is up before quarn publishes
// or a script goes on line, and takes it down afterwards when it brought it up itself. Created
// per use on the task thread: Dial, the work, HangUp.

#include <string>

#include "platform/dialup_backend.h"
#include "platform/message_queue.h"

class CRasDialer {
public:
    // Status lines go to `hNotifyWnd` (none when null). Uses the process's dial-up backend.
    explicit CRasDialer(platform::MessageQueue* hNotifyWnd);
    // Never hangs up: a connection this object dialled stays up unless HangUp was called.
    virtual ~CRasDialer();

    // Reads addressbook, isplogon, isppassword and numretry from section global. Returns 1 when
    // the entry is up, found already or dialled (at most numretry attempts, one second apart;
    // g_bCancelRequested stops them, set before the first too); else 0 with m_strMessage.
    int Dial();
    // Hangs up the connection this object dialled, if any; one that was already up stays.
    // Returns 1.
    int HangUp();

    std::string m_strMessage;

private:
    // Waits the pause between two attempts; false when a cancel arrived first.
    static bool PauseUnlessCancelled();

    platform::DialupBackend& m_backend;
    platform::MessageQueue* m_hNotifyWnd;
    platform::DialupHandle m_hConnection;  // what this object dialled
};
