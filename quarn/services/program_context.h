#pragma once
// quarn's program-wide objects. They live for the whole process; start-up fills the strings
// before any other thread starts. Shared strings are written under their own mutex and read as
// copies; flags are atomics.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/critical_section.h"
#include "platform/guarded.h"
#include "platform/message_queue.h"
#include "quarn/services/status_mailbox.h"

// Guards the process's current directory and the active project (name, directory, settings).
extern platform::CriticalSection g_csProject;
// Guards the auto-publish schedule keys. Never held together with g_csProject.
extern platform::CriticalSection g_csSchedule;

extern platform::Guarded<std::string> g_strProject;
extern platform::Guarded<std::string> g_strProgramTitle;
// Set once at start-up, before other threads exist; read-only afterwards.
extern std::string g_strProgramDir;
extern platform::Guarded<std::string> g_szProjectDir;
extern platform::Guarded<std::string> g_szPendingProject;

extern std::atomic<bool> g_bCancelRequested;
// Set by a stop signal, never cleared: the program is ending.
extern std::atomic<bool> g_bStopRequested;
extern std::atomic<int> g_bTaskBusy;
// The remote-control connection (its id) that holds the server lock; -1: none.
extern std::atomic<std::int64_t> g_nLockHolder;

extern CStatusMailbox g_szStatusMailbox;
extern std::atomic<int> g_nProgressPos;
extern platform::Guarded<std::string> g_szProgressText;

// Clears g_bCancelRequested for a new job or transfer, unless a stop signal asked the program to
// end: its cancel holds even when the signal came just before the clear.
void ClearCancelRequest();

// Longest path the 260-byte hand-over buffers take; a longer one is refused, never cut.
constexpr std::size_t kMaxPath = 259;

// Replaces every case-sensitive "Quarn" in `text` by the program title. The search goes on after
// each inserted title, so a title holding the word is inserted once per occurrence.
void ApplyProgramTitle(std::string& text);
// A copy of `text` with ApplyProgramTitle applied.
std::string WithProgramTitle(std::string_view text);

// Hands one status line to `window`: waits until the mailbox is free, fills it and posts
// WM_FRAMENOTIFY with FRAME_STATUS_TEXT. Always returns 1.
int PostStatusText(platform::MessageQueue& window, std::string text);
// The same without waiting, for an event loop: 0 when the mailbox is still full (`text` is kept
// for a later try).
int TryPostStatusText(platform::MessageQueue& window, std::string& text);
