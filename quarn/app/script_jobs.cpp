#include "quarn/app/script_jobs.h"

#include "quarn/script/output_tracker.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr std::string_view kRunningScript = "Running script file ";
constexpr std::string_view kPublishComplete = "Publish operation complete.";

std::string_view FileName(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// Runs one publish script at level 1, rotating the lists first when it is the job's first.
int RunPublishScript(platform::MessageQueue& window, COutputTracker& tracker,
                     const std::string& path, bool& scriptRan, std::string& result) {
    if (!scriptRan && !tracker.RotateLogs()) {
        result = tracker.Message();
        return 0;
    }
    scriptRan = true;
    return RunScriptFile(window, path, 1, result);
}

}  // namespace

int RunScriptFile(platform::MessageQueue& window, std::string_view path, int level,
                  std::string& result) {
    std::string status(kRunningScript);
    ApplyProgramTitle(status);
    status.append("\"").append(FileName(path)).append("\"");
    PostStatusText(window, std::move(status));

    CScriptInterpreter interp(&window);
    const int ok = interp.RunScript(path, level);
    result = interp.m_strMessage;
    return ok;
}

int PublishProject(platform::MessageQueue& window, std::string& result) {
    const std::string project = g_strProject.Get();
    COutputTracker tracker(g_szProjectDir.Get());
    const std::string script1 = g_settings.Get(project, project_key::scriptfilename);
    const std::string script2 = g_settings.Get(project, project_key::script2filename);
    bool scriptRan = false;

    if (g_settings.Get(project, project_key::runscriptcheck) != 0 && !script1.empty() &&
        !RunPublishScript(window, tracker, script1, scriptRan, result))
        return 0;
    if (g_settings.Get(project, project_key::runscript2checkInPublish) != 0 && !script2.empty() &&
        !RunPublishScript(window, tracker, script2, scriptRan, result))
        return 0;
    if (scriptRan && g_settings.Get(project, project_key::delh) != 0 &&
        !tracker.DeleteStaleOutput()) {
        result = tracker.Message();
        return 0;
    }
    result = kPublishComplete;
    ApplyProgramTitle(result);
    return 1;
}
