#include "quarn/app/command_line_job.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "quarn/app/project_name.h"
#include "quarn/app/project_paths.h"
#include "quarn/app/publish_job.h"
#include "quarn/app/script_jobs.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr std::string_view kBadProject =
    "Unable to change to project specified in command line. Check project name.";

int SwitchToProject(const std::string& name, std::string& message) {
    const std::vector<std::string> listed = g_settings.ReadProjectList();
    const bool valid = name.size() <= kMaxPath &&
                       CheckProjectName(name) == ProjectNameFault::kNone &&
                       std::find(listed.begin(), listed.end(), name) != listed.end();
    const std::string dir = g_strProgramDir + "/projects/" + name;
    if (!valid || ::chdir(dir.c_str()) != 0) {
        message = WithProgramTitle(kBadProject);
        return 0;
    }
    const std::string cwd = CurrentDirectory();
    g_szProjectDir.Set(cwd.empty() ? dir : cwd);
    g_strProject.Set(name);
    g_settings.Set(kGlobalSection, global_key::defprofile, name);
    return 1;
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
