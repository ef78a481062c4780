#pragma once
// Running a command line the way quarn runs every command: through /bin/sh -c.
//
// The shell inherits no descriptor but its three standard ones, not even one a library opened
// without close-on-exec, and starts with an empty signal mask and every signal at its default,
// so a command behaves as in a terminal although this process ignores SIGPIPE. Only the child's
// descriptors are set up: this process's own standard handles are never touched, so other
// threads may keep using them meanwhile.

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>

#include "platform/file_descriptor.h"

namespace platform {

// Runs "/bin/sh -c `command`" in the current directory and waits for it to end.
// The shell's standard output goes to this process's standard error, because a headless run's
// standard output carries only its status lines, in the order they were posted; its standard
// input and error are this process's.
// Returns the shell's exit status (128 + the signal number when a signal ended it; -1 when its
// status was lost because SIGCHLD is ignored), or nullopt when the shell could not be started
// (an argument too long for the kernel, no processes left).
std::optional<int> RunShellCommand(const std::string& command);

// A shell command whose standard output and error this process reads through one pipe. Its
// standard input is a pipe whose write end is closed as soon as it runs, so it reads end of file
// at once instead of waiting for input that never comes. One owner, one thread; destroying a
// started command finishes it (Finish).
class PipedShellCommand {
public:
    enum class StartFailure { kNone, kOutputPipe, kInputPipe, kSpawn };

    PipedShellCommand() = default;
    ~PipedShellCommand();
    PipedShellCommand(const PipedShellCommand&) = delete;
    PipedShellCommand& operator=(const PipedShellCommand&) = delete;

    // Starts "/bin/sh -c `command`" in `workingDir` (the current directory when empty). kSpawn
    // also when the shell cannot enter `workingDir`. Call once.
    StartFailure Start(const std::string& command, const std::string& workingDir);
    // Reads up to `size` bytes of the output, retrying interrupted reads: their count, 0 once
    // every writer has closed the pipe (the shell and what it started have ended), or -1 with
    // errno set.
    ssize_t Read(char* buffer, std::size_t size);
    // Closes this end of the output pipe, so that further writes of the command fail (EPIPE, or
    // SIGPIPE ends it) instead of blocking, and waits for the shell to end. Returns its exit
    // status as RunShellCommand does; -1 when nothing runs (not started, or finished before).
    int Finish();

private:
    UniqueFd m_output;
    pid_t m_pid = -1;
};

}  // namespace platform
