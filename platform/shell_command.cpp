#include "platform/shell_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/child_spawn.h"

namespace platform {
namespace {

// A close-on-exec descriptor for `fd` above the standard three, so that redirecting one standard
// descriptor in the child never overwrites another pipe end (this process may run with a
// standard descriptor closed, and pipe() then hands out that number).
bool LiftAboveStandard(UniqueFd& fd) {
    if (fd.Get() > STDERR_FILENO) return true;
    UniqueFd lifted(::fcntl(fd.Get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
    if (!lifted) return false;
    fd = std::move(lifted);
    return true;
}

bool MakePipe(UniqueFd& readEnd, UniqueFd& writeEnd) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return false;
    readEnd = UniqueFd(ends[0]);
    writeEnd = UniqueFd(ends[1]);
    return LiftAboveStandard(readEnd) && LiftAboveStandard(writeEnd);
}

}  // namespace

std::optional<int> RunShellCommand(const std::string& command) {
    ChildSpawn spawn;
    spawn.Redirect(STDERR_FILENO, STDOUT_FILENO);
    const std::optional<pid_t> pid = spawn.Start("/bin/sh", {"sh", "-c", command});
    if (!pid) return std::nullopt;
    return WaitForChild(*pid);
}

PipedShellCommand::~PipedShellCommand() {
    Finish();
}

PipedShellCommand::StartFailure PipedShellCommand::Start(const std::string& command,
                                                         const std::string& workingDir) {
    UniqueFd outputRead;
    UniqueFd outputWrite;
    if (!MakePipe(outputRead, outputWrite)) return StartFailure::kOutputPipe;
    UniqueFd inputRead;
    UniqueFd inputWrite;
    if (!MakePipe(inputRead, inputWrite)) return StartFailure::kInputPipe;

    ChildSpawn spawn;
    spawn.Redirect(inputRead.Get(), STDIN_FILENO);
    spawn.Redirect(outputWrite.Get(), STDOUT_FILENO);
    spawn.Redirect(outputWrite.Get(), STDERR_FILENO);
    if (!workingDir.empty()) spawn.ChangeDirectory(workingDir);
    const std::optional<pid_t> pid = spawn.Start("/bin/sh", {"sh", "-c", command});
    if (!pid) return StartFailure::kSpawn;
    // Only the child holds the write end now, so the output ends when it does; and the input
    // pipe's write end goes with this scope, so the child reads end of file.
    m_pid = *pid;
    m_output = std::move(outputRead);
    return StartFailure::kNone;
}

ssize_t PipedShellCommand::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(m_output.Get(), buffer, size);
        if (got >= 0 || errno != EINTR) return got;
    }
}

int PipedShellCommand::Finish() {
    m_output.Close();
    if (m_pid < 0) return -1;
    const pid_t pid = m_pid;
    m_pid = -1;
    return WaitForChild(pid);
}

}  // namespace platform
