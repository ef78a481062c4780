#include "platform/shell_command.h"

#include <unistd.h>

#include "platform/child_spawn.h"

namespace platform {

std::optional<int> RunShellCommand(const std::string& command) {
    ChildSpawn spawn;
    spawn.Redirect(STDERR_FILENO, STDOUT_FILENO);
    const std::optional<pid_t> pid = spawn.Start("/bin/sh", {"sh", "-c", command});
    if (!pid) return std::nullopt;
    return WaitForChild(*pid);
}

}  // namespace platform
