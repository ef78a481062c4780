#include "quarn/app/publish_job.h"

#include <chrono>
#include <thread>

#include "platform/shell_command.h"
#include "quarn/app/script_jobs.h"
#include "quarn/app/upload.h"
#include "quarn/script/output_tracker.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr std::string_view kPublishComplete = "Publish operation complete.";

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

int PauseBeforeRetry(int minutes) {
    const long long seconds = 60LL * minutes;
    for (long long second = 0; second < seconds && !g_bCancelRequested; ++second)
        std::this_thread::sleep_for(std::chrono::seconds(1));
    return g_bCancelRequested ? 0 : 1;
}

int UploadWithRetries(platform::MessageQueue& window, int type, std::string& result) {
    const std::string project = g_strProject.Get();
    const int attempts = g_settings.Get(project, project_key::ftpretry);
    const int pause = g_settings.Get(project, project_key::ftpretrypause);
    int ok = 0;
    // Counted only against a limit, so that an unlimited run never overflows.
    for (int made = 0;;) {
        ok = RunUploadAttempt(&window, type, result);
        if ((attempts > 0 && ++made == attempts) || g_bCancelRequested || ok) break;
        PostStatusText(window, std::string(kUploadFailedPausing));
        if (!PauseBeforeRetry(pause)) break;
    }
    if (g_bCancelRequested) {
        result = LoadMessage(31);
        return 0;
    }
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
    if (g_settings.Get(project, project_key::ftpcheck) != 0 &&
        !UploadWithRetries(window, g_settings.Get(project, project_key::uploadchg), result))
        return 0;
    const std::string command = g_settings.Get(project, project_key::execname);
    // Neither the command's exit status nor a shell that cannot start is looked at.
    if (g_settings.Get(project, project_key::execcheck) != 0 && !command.empty())
        platform::RunShellCommand(command);
    result = WithProgramTitle(kPublishComplete);
    return 1;
}
