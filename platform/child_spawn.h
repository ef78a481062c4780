#pragma once
// How quarn starts every child process. The child inherits no descriptor beyond its standard
// input, output and error, not even one a library opened without close-on-exec, and starts with
// an empty signal mask and every signal at its default, so it behaves as in a terminal although
// this process ignores SIGPIPE.

#include <spawn.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

// One child's set-up; released when this goes. Redirections apply in the order they were made.
class ChildSpawn {
public:
    ChildSpawn();
    ~ChildSpawn();
    ChildSpawn(const ChildSpawn&) = delete;
    ChildSpawn& operator=(const ChildSpawn&) = delete;

    // The child's descriptor `target` becomes a copy of this process's `fd`.
    void Redirect(int fd, int target);
    // The child's descriptor `target` is `path` opened with `flags`.
    void Open(int target, const char* path, int flags);
    // The child changes into `dir` after the redirections.
    void ChangeDirectory(const std::string& dir);

    // Starts `program` (looked up on PATH when it holds no '/') with `argv` and this process's
    // environment. The child's process id, or nullopt when it could not be started.
    std::optional<pid_t> Start(const std::string& program, const std::vector<std::string>& argv);

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
    bool m_bActions = false;
    bool m_bAttributes = false;
    bool m_bReady = false;
};

// Waits for the child `pid` to end. Its exit status; 128 + the signal number when a signal ended
// it; -1 when its status was lost because SIGCHLD is ignored.
int WaitForChild(pid_t pid);

}  // namespace platform
