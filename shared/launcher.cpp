#include "shared/launcher.h"

#include <thread>

#include "platform/child_spawn.h"

int CProcessLauncher::Launch(const LaunchCommand& command) {
    platform::ChildSpawn spawn;
    if (!command.workingDirectory.empty()) spawn.ChangeDirectory(command.workingDirectory);
    std::vector<std::string> argv{command.program};
    argv.insert(argv.end(), command.args.begin(), command.args.end());
    const std::optional<pid_t> pid = spawn.Start(command.program, argv);
    if (!pid) return 0;
    std::thread([child = *pid] { platform::WaitForChild(child); }).detach();
    return 1;
}
