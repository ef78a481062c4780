#pragma once
// The one-slot status mailbox through which the task thread hands lines to the main window.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>

class CStatusMailbox {
public:
    // The slot holds at most this many bytes; a longer line is cut at a UTF-8 boundary.
    static constexpr std::size_t kMaxText = 31999;

    // Waits, in 100 ms steps and without a time-out, until the slot is empty, then fills it.
    // An empty line fills the slot too.
    void Put(std::string text);
    // Fills the slot when it is empty and returns true; never waits. A full slot: false, and
    // `text` is left as it was.
    bool TryPut(std::string& text);
    // The main window's side: takes the line and frees the slot. "" when empty.
    std::string Take();
    bool IsEmpty() const;
    // How many Put() calls wait for the slot to empty: each of them is blocked until a Take().
    int WaitingWriters() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_emptied;
    std::string m_text;
    bool m_bFull = false;  // a line waits, possibly an empty one
    int m_nWaitingWriters = 0;
};
