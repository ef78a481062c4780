#include "quarn/app/publish_job.h"

#include <chrono>
#include <functional>
#include <thread>

#include "platform/shell_command.h"
#include "quarn/app/script_jobs.h"
#include "quarn/app/upload.h"
#include "quarn/script/output_tracker.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/ras_dialer.h"
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

// Calls `attempt` until it returns 1, the project key ftpretry attempts were made (below 1: no
// limit) or the user cancels, posting kUploadFailedPausing and pausing ftpretrypause minutes
// between attempts. A cancel gives 0 with ERROR 31.
int RetryAttempts(platform::MessageQueue& window, const std::function<int()>& attempt,
                  std::string& result) {
    const std::string project = g_strProject.Get();
    const int attempts = g_settings.Get(project, project_key::ftpretry);
    const int pause = g_settings.Get(project, project_key::ftpretrypause);
    int ok = 0;
    // Counted only against a limit, so that an unlimited run never overflows.
    for (int made = 0;;) {
        ok = attempt();
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

}  // namespace

int PauseBeforeRetry(int minutes) {
    const long long seconds = 60LL * minutes;
    for (long long second = 0; second < seconds && !g_bCancelRequested; ++second)
        std::this_thread::sleep_for(std::chrono::seconds(1));
    return g_bCancelRequested ? 0 : 1;
}

int UploadWithRetries(platform::MessageQueue& window, int type, std::string& result) {
    const bool dialupen = g_settings.Get(g_strProject.Get(), project_key::dialupen) != 0;
    CRasDialer dialer(&window);
    return RetryAttempts(
        window,
        [&] {
            // Nothing to dial for when a changed-only upload has no change list.
            const bool dial = dialupen && (type != UPLOAD_CHANGED_ONLY || ChangeListsExist());
            if (dial && !dialer.Dial()) {
                result = dialer.m_strMessage;
                return 0;
            }
            const int ok = RunUploadAttempt(&window, type, result);
            if (dial) dialer.HangUp();
            return ok;
        },
        result);
}

int PublishProject(platform::MessageQueue& window, std::string& result) {
    const std::string project = g_strProject.Get();
    CRasDialer dialer(&window);
    COutputTracker tracker(g_szProjectDir.Get());
    const std::string script1 = g_settings.Get(project, project_key::scriptfilename);
    const std::string script2 = g_settings.Get(project, project_key::script2filename);
    const bool dialupen = g_settings.Get(project, project_key::dialupen) != 0;
    const int uploadType = g_settings.Get(project, project_key::uploadchg);
    bool scriptRan = false;
    bool connected = false;
    const auto hangUp = [&] {
        if (connected) dialer.HangUp();
        connected = false;
    };

    if (g_settings.Get(project, project_key::runscriptcheck) != 0 && !script1.empty() &&
        !RunPublishScript(window, tracker, script1, scriptRan, result))
        return 0;
    const bool somethingToUpload = uploadType == UPLOAD_ALL_OUTPUT ||
                                   uploadType == UPLOAD_ALL_IN_DIRECTORY || ChangeListsExist();
    const bool script2Pending =
        g_settings.Get(project, project_key::runscript2checkInPublish) != 0 && !script2.empty();
    if (dialupen && (somethingToUpload || script2Pending)) {
        if (!dialer.Dial()) {
            result = dialer.m_strMessage;
            return 0;
        }
        connected = true;
    }
    if (script2Pending && !RunPublishScript(window, tracker, script2, scriptRan, result)) {
        hangUp();
        return 0;
    }
    if (scriptRan && g_settings.Get(project, project_key::delh) != 0 &&
        !tracker.DeleteStaleOutput()) {
        result = tracker.Message();
        hangUp();
        return 0;
    }
    if (g_settings.Get(project, project_key::ftpcheck) != 0) {
        const int ok = RetryAttempts(
            window,
            [&] {
                if (!connected && somethingToUpload && dialupen) {
                    if (!dialer.Dial()) {
                        result = dialer.m_strMessage;
                        return 0;
                    }
                    connected = true;
                }
                const int uploaded = RunUploadAttempt(&window, uploadType, result);
                hangUp();
                return uploaded;
            },
            result);
        if (!ok) return 0;
    }
    hangUp();
    const std::string command = g_settings.Get(project, project_key::execname);
    // Neither the command's exit status nor a shell that cannot start is looked at.
    if (g_settings.Get(project, project_key::execcheck) != 0 && !command.empty())
        platform::RunShellCommand(command);
    result = WithProgramTitle(kPublishComplete);
    return 1;
}
