#include "platform/shell_command.h"

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
        m_bReady =
            m_bActions && m_bAttributes &&
            ::posix_spawn_file_actions_adddup2(&m_actions, STDERR_FILENO, STDOUT_FILENO) == 0 &&
            ::posix_spawn_file_actions_addclosefrom_np(&m_actions, STDERR_FILENO + 1) == 0 &&
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

    // The shell's process id, or nullopt when it could not be started.
    std::optional<pid_t> Start(const std::string& command) {
        char name[] = "sh";
        char option[] = "-c";
        char* argv[] = {name, option, const_cast<char*>(command.c_str()), nullptr};
        pid_t pid = 0;
        if (!m_bReady ||
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

}  // namespace

std::optional<int> RunShellCommand(const std::string& command) {
    const std::optional<pid_t> pid = ShellSpawn().Start(command);
    if (!pid) return std::nullopt;
    int status = 0;
    while (::waitpid(*pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

}  // namespace platform
