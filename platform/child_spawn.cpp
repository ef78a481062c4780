#include "platform/child_spawn.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

ChildSpawn::ChildSpawn() {
    m_bActions = ::posix_spawn_file_actions_init(&m_actions) == 0;
    m_bAttributes = ::posix_spawnattr_init(&m_attributes) == 0;
    sigset_t none;
    sigset_t all;
    ::sigemptyset(&none);
    ::sigfillset(&all);
    m_bReady =
        m_bActions && m_bAttributes && ::posix_spawnattr_setsigmask(&m_attributes, &none) == 0 &&
        ::posix_spawnattr_setsigdefault(&m_attributes, &all) == 0 &&
        ::posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) ==
            0;
}

ChildSpawn::~ChildSpawn() {
    if (m_bAttributes) ::posix_spawnattr_destroy(&m_attributes);
    if (m_bActions) ::posix_spawn_file_actions_destroy(&m_actions);
}

void ChildSpawn::Redirect(int fd, int target) {
    m_bReady = m_bReady && ::posix_spawn_file_actions_adddup2(&m_actions, fd, target) == 0;
}

void ChildSpawn::Open(int target, const char* path, int flags) {
    m_bReady =
        m_bReady && ::posix_spawn_file_actions_addopen(&m_actions, target, path, flags, 0) == 0;
}

void ChildSpawn::ChangeDirectory(const std::string& dir) {
    m_bReady = m_bReady && ::posix_spawn_file_actions_addchdir_np(&m_actions, dir.c_str()) == 0;
}

std::optional<pid_t> ChildSpawn::Start(const std::string& program,
                                       const std::vector<std::string>& argv) {
    m_bReady =
        m_bReady && ::posix_spawn_file_actions_addclosefrom_np(&m_actions, STDERR_FILENO + 1) == 0;
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (!m_bReady ||
        ::posix_spawnp(&pid, program.c_str(), &m_actions, &m_attributes, args.data(), environ) != 0)
        return std::nullopt;
    return pid;
}

int WaitForChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

}  // namespace platform
