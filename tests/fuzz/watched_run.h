#pragma once
// One interpreter run under a watchdog, on a thread with the task thread's 64 MiB stack: after
// kCancelAfter the cancel flag is raised, as the user's Cancel would; a run that has not returned
// kGiveUpAfter later counts as hung.

#include <chrono>
#include <string>
#include <string_view>

#include "quarn/script/testing/script_test_support.h"

namespace fuzz {

inline constexpr auto kCancelAfter = std::chrono::seconds(2);
inline constexpr auto kGiveUpAfter = std::chrono::seconds(10);

struct WatchedRun {
    bool finished = false;   // false: hung, still running on its thread
    bool cancelled = false;  // the watchdog raised the cancel flag
    script_testing::ScriptRun run;
};

// Runs the project's file `scriptName` at level 0. A hung run's thread is left running (it
// cannot be stopped from outside), so after one the caller must end the process.
WatchedRun RunWatched(const script_testing::ScriptTestProject& project,
                      std::string_view scriptName);

// "" when `watched` ended as every run must: success with "Script execution complete.", or a
// failure whose message starts with "ERROR", or the cancel message after a cancel. A script that
// calls die may fail with a text of its own (`mayDieWithText`). Otherwise what is wrong.
std::string OutcomeFault(const WatchedRun& watched, bool mayDieWithText);

}  // namespace fuzz
