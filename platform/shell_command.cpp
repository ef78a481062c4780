#include "platform/shell_command.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

// How the shell is set up before it runs; released when this goes.
class ShellSpawn {
public:
    ShellSpawn() {
        m_bActions = ::posix_spawn_file_actions_init(&m_actions) == 0;
        m_bAttributes = ::posix_spawnattr_init(&m_attributes) == 0;
        sigset_t none;
        sigset_t all;
        ::sigemptyset(&none);
        ::sigfillset(&all);
        m_bReady = m_bActions && m_bAttributes &&
                   ::posix_spawnattr_setsigmask(&m_attributes, &none) == 0 &&
                   ::posix_spawnattr_setsigdefault(&m_attributes, &all) == 0 &&
                   ::posix_spawnattr_setflags(&m_attributes,
                                              POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
    }
    ~ShellSpawn() {
        if (m_bAttributes) ::posix_spawnattr_destroy(&m_attributes);
        if (m_bActions) ::posix_spawn_file_actions_destroy(&m_actions);
    }
    ShellSpawn(const ShellSpawn&) = delete;
    ShellSpawn& operator=(const ShellSpawn&) = delete;

    // In the child, before the shell runs: `from` becomes its descriptor `to`.
    void Redirect(int from, int to) {
        m_bReady = m_bReady && ::posix_spawn_file_actions_adddup2(&m_actions, from, to) == 0;
    }
    // In the child, after the redirections: it changes into `dir`.
    void ChangeDirectory(const std::string& dir) {
        m_bReady = m_bReady && ::posix_spawn_file_actions_addchdir_np(&m_actions, dir.c_str()) == 0;
    }

    // The shell's process id, or nullopt when it could not be started.
    std::optional<pid_t> Start(const std::string& command) {
        char name[] = "sh";
        char option[] = "-c";
        char* argv[] = {name, option, const_cast<char*>(command.c_str()), nullptr};
        pid_t pid = 0;
        if (!m_bReady ||
            ::posix_spawn_file_actions_addclosefrom_np(&m_actions, STDERR_FILENO + 1) != 0 ||
            ::posix_spawn(&pid, "/bin/sh", &m_actions, &m_attributes, argv, environ) != 0)
            return std::nullopt;
        return pid;
    }

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
    bool m_bActions = false;
    bool m_bAttributes = false;
    bool m_bReady = false;
};

int WaitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

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
    ShellSpawn spawn;
    spawn.Redirect(STDERR_FILENO, STDOUT_FILENO);
    const std::optional<pid_t> pid = spawn.Start(command);
    if (!pid) return std::nullopt;
    return WaitForExit(*pid);
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

    ShellSpawn spawn;
    spawn.Redirect(inputRead.Get(), STDIN_FILENO);
    spawn.Redirect(outputWrite.Get(), STDOUT_FILENO);
    spawn.Redirect(outputWrite.Get(), STDERR_FILENO);
    if (!workingDir.empty()) spawn.ChangeDirectory(workingDir);
    const std::optional<pid_t> pid = spawn.Start(command);
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
    return WaitForExit(pid);
}

}  // namespace platform
