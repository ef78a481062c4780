#include "quarn/app/script_jobs.h"

#include "quarn/script/script_interpreter.h"
#include "quarn/services/program_context.h"

namespace {

constexpr std::string_view kRunningScript = "Running script file ";

std::string_view FileName(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

int RunScriptFile(platform::MessageQueue& window, std::string_view path, int level,
                  std::string& result) {
    std::string status = WithProgramTitle(kRunningScript);
    status.append("\"").append(FileName(path)).append("\"");
    PostStatusText(window, std::move(status));

    CScriptInterpreter interp(&window);
    const int ok = interp.RunScript(path, level);
    result = interp.m_strMessage;
    return ok;
}
