#include "quarn/app/command_line_job.h"

#include "quarn/app/project_switch.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr std::string_view kBadProject =
    "Unable to change to project specified in command line. Check project name.";

int SwitchToProject(const std::string& name, std::string& message) {
    if (SwitchActiveProject(name)) return 1;
    message = WithProgramTitle(kBadProject);
    return 0;
}

}  // namespace

int PrepareCommandLineJob(const CommandLine& line, const std::string& startDir, TaskJob& job,
                          std::string& message) {
    if (line.commandLineProject) {
        job = TaskJob{TASK_PUBLISH, 0, "", kNoRequester};
        return line.name.empty() ? 1 : SwitchToProject(line.name, message);
    }
    job = TaskJob{
        TASK_RUN_SCRIPT, 0,
        line.name.starts_with('/') || startDir.empty() ? line.name : startDir + "/" + line.name,
        kNoRequester};
    if (job.scriptPath.size() > kMaxPath) {
        message = LoadMessage(66, job.scriptPath);
        return 0;
    }
    return 1;
}
