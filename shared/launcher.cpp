#include "shared/launcher.h"

#include <unistd.h>

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

std::vector<std::string> SplitCommandLine(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::string ResolveProgramIn(const std::string& programDir, const std::string& name) {
    if (name == "notepad" || name == "notepad.exe") return "xdg-open";
    if (name.find('/') != std::string::npos) return name;
    const std::string local = programDir + "/" + name;
    if (::access(local.c_str(), X_OK) == 0) return local;
    return name;
}

std::optional<LaunchCommand> SettingCommandIn(const std::string& programDir,
                                              std::string_view setting,
                                              std::vector<std::string> extra,
                                              std::string workingDirectory) {
    std::vector<std::string> words = SplitCommandLine(setting);
    if (words.empty()) return std::nullopt;
    LaunchCommand command{ResolveProgramIn(programDir, words.front()),
                          std::vector<std::string>(words.begin() + 1, words.end()),
                          std::move(workingDirectory)};
    for (std::string& arg : extra)
        command.args.push_back(std::move(arg));
    return command;
}

LaunchCommand BrowserCommandIn(const std::string& programDir, std::string_view webb,
                               std::string page) {
    if (std::optional<LaunchCommand> command = SettingCommandIn(programDir, webb, {page}, {}))
        return *command;
    return LaunchCommand{"xdg-open", {std::move(page)}, {}};
}
