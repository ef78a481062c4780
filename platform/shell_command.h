#pragma once
// Running a command line the way quarn runs every command: through /bin/sh -c, waited for.

#include <optional>
#include <string>

namespace platform {

// Runs "/bin/sh -c `command`" in the current directory and waits for it to end.
// The shell's standard output goes to this process's standard error, because a headless run's
// standard output carries only its status lines, in the order they were posted; its standard
// input and error are this process's. It inherits no other descriptor, not even one a library
// opened without close-on-exec, and starts with an empty signal mask and every signal at its
// default, so a command behaves as in a terminal although this process ignores SIGPIPE.
// Returns the shell's exit status (128 + the signal number when a signal ended it; -1 when its
// status was lost because SIGCHLD is ignored), or nullopt when the shell could not be started
// (an argument too long for the kernel, no processes left).
std::optional<int> RunShellCommand(const std::string& command);

}  // namespace platform
