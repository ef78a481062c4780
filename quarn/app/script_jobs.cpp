#include "quarn/app/script_jobs.h"

#include "quarn/app/project_paths.h"
#include "quarn/script/ext_script_runner.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr std::string_view kRunningScript = "Running script file ";

std::string_view FileName(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// The external parser gets the script's full path in double quotes.
int RunExternalParser(platform::MessageQueue& window, std::string_view path, int level,
                      std::string& result) {
    const std::string full =
        path.starts_with('/') ? std::string(path) : CurrentDirectory() + "/" + std::string(path);
    if (full.size() > kMaxPath) {
        result = LoadMessage(66, full);
        return 0;
    }
    CExtScriptRunner runner(&window);
    const int ok = runner.Run("\"" + full + "\"", level);
    result = runner.m_strMessage;
    return ok;
}

}  // namespace

int RunScriptFile(platform::MessageQueue& window, std::string_view path, int level,
                  std::string& result) {
    std::string status = WithProgramTitle(kRunningScript);
    status.append("\"").append(FileName(path)).append("\"");
    PostStatusText(window, std::move(status));

    if (g_settings.Get(g_strProject.Get(), project_key::useexternalscript) != 0)
        return RunExternalParser(window, path, level, result);
    CScriptInterpreter interp(&window);
    const int ok = interp.RunScript(path, level);
    result = interp.m_strMessage;
    return ok;
}
