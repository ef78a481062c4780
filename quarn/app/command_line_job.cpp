#include "quarn/app/command_line_job.h"

#include "quarn/app/project_switch.h"
#include "quarn/app/publish_job.h"
#include "quarn/app/script_jobs.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"

namespace {

constexpr std::string_view kBadProject =
    "Unable to change to project specified in command line. Check project name.";

int SwitchToProject(const std::string& name, std::string& message) {
    if (EnterListedProject(name)) return 1;
    message = WithProgramTitle(kBadProject);
    return 0;
}

}  // namespace

int PrepareCommandLineJob(const CommandLine& line, const std::string& startDir, CommandLineJob& job,
                          std::string& message) {
    if (line.commandLineProject) {
        job.type = CommandLineJob::Type::kPublish;
        return line.name.empty() ? 1 : SwitchToProject(line.name, message);
    }
    job.type = CommandLineJob::Type::kRunScript;
    job.scriptPath =
        line.name.starts_with('/') || startDir.empty() ? line.name : startDir + "/" + line.name;
    if (job.scriptPath.size() > kMaxPath) {
        message = LoadMessage(66, job.scriptPath);
        return 0;
    }
    return 1;
}

int RunCommandLineJob(const CommandLineJob& job, platform::MessageQueue& window,
                      std::string& result) {
    if (job.type == CommandLineJob::Type::kPublish) return PublishProject(window, result);
    return RunScriptFile(window, job.scriptPath, 0, result);
}
