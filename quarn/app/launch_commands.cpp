#include "quarn/app/launch_commands.h"

#include <unistd.h>

#include "quarn/services/program_context.h"

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

std::string ResolveProgram(const std::string& name) {
    if (name == "notepad" || name == "notepad.exe") return "xdg-open";
    if (name.find('/') != std::string::npos) return name;
    const std::string local = g_strProgramDir + "/" + name;
    if (::access(local.c_str(), X_OK) == 0) return local;
    return name;
}

std::optional<LaunchCommand> SettingCommand(std::string_view setting,
                                            std::vector<std::string> extra,
                                            std::string workingDirectory) {
    std::vector<std::string> words = SplitCommandLine(setting);
    if (words.empty()) return std::nullopt;
    LaunchCommand command{ResolveProgram(words.front()),
                          std::vector<std::string>(words.begin() + 1, words.end()),
                          std::move(workingDirectory)};
    for (std::string& arg : extra)
        command.args.push_back(std::move(arg));
    return command;
}

LaunchCommand BrowserCommand(std::string_view webb, std::string page) {
    if (std::optional<LaunchCommand> command = SettingCommand(webb, {page}, {})) return *command;
    return LaunchCommand{"xdg-open", {std::move(page)}, {}};
}

LaunchCommand ProgramDirCommand(std::string_view name) {
    return LaunchCommand{g_strProgramDir + "/" + std::string(name), {}, {}};
}
