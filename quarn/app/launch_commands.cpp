#include "quarn/app/launch_commands.h"

#include "quarn/services/program_context.h"

std::string ResolveProgram(const std::string& name) {
    return ResolveProgramIn(g_strProgramDir, name);
}

std::optional<LaunchCommand> SettingCommand(std::string_view setting,
                                            std::vector<std::string> extra,
                                            std::string workingDirectory) {
    return SettingCommandIn(g_strProgramDir, setting, std::move(extra),
                            std::move(workingDirectory));
}

LaunchCommand BrowserCommand(std::string_view webb, std::string page) {
    return BrowserCommandIn(g_strProgramDir, webb, std::move(page));
}

LaunchCommand ProgramDirCommand(std::string_view name) {
    return LaunchCommand{g_strProgramDir + "/" + std::string(name), {}, {}};
}
