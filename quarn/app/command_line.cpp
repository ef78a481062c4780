#include "quarn/app/command_line.h"

#include <string_view>

namespace {

bool IsFlag(std::string_view arg) {
    if (arg.size() < 2) return false;
    if (arg[0] == '-') return true;
    return arg[0] == '/' && arg.find_first_of("/.", 1) == std::string_view::npos;
}

bool IsPublishFlag(std::string_view flag) {
    return flag.size() == 1 && (flag[0] == 'p' || flag[0] == 'P');
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string> args) {
    CommandLine line;
    bool haveName = false;
    for (const std::string& arg : args) {
        if (IsFlag(arg)) {
            if (arg == "--help" || arg == "-h") line.help = true;
            if (IsPublishFlag(std::string_view(arg).substr(1))) line.commandLineProject = true;
        } else if (!haveName) {
            line.name = arg;
            haveName = true;
        }
    }
    line.runFromCommandLine = line.commandLineProject || haveName;
    return line;
}
