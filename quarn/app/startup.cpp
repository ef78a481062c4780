#include "quarn/app/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "quarn/app/project_name.h"
#include "quarn/app/project_paths.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr std::string_view kDefaultProject = "default";

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && IsDirectory(path));
}

// Makes the project's directory (with "html" when the directory is new) and enters it.
bool EnterProject(const std::string& projectsDir, const std::string& project, std::string& error) {
    const std::string dir = projectsDir + "/" + project;
    if (!IsDirectory(dir) && (!MakeDirectory(dir) || !MakeDirectory(dir + "/html"))) {
        error = "Unable to create the project directory " + dir + ": " + std::strerror(errno);
        return false;
    }
    if (::chdir(dir.c_str()) != 0) {
        error = "Unable to enter the project directory " + dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

std::string InstanceChannelPath(const std::string& lockDir) {
    return lockDir + "/" + std::string(kInstanceLockName) + ".sock";
}

StartupResult StartQuarn(const StartupPaths& paths, platform::SingleInstanceLock& lock,
                         std::vector<std::string>& notices) {
    g_strProgramDir = paths.programDir;
    g_settings.SetPath(paths.programDir + "/Quarn.ini");
    g_strProgramTitle.Set(g_settings.GetGlobal(global_key::progtitle));

    if (g_settings.GetGlobal(global_key::allowmultiinst) == 0) {
        std::string error = paths.lockDir.fault;
        const auto result = error.empty()
                                ? lock.TryAcquire(paths.lockDir.path, kInstanceLockName, &error)
                                : platform::SingleInstanceLock::Result::kFailed;
        switch (result) {
            case platform::SingleInstanceLock::Result::kAcquired:
                break;
            case platform::SingleInstanceLock::Result::kHeldElsewhere:
                notices.emplace_back(kAlreadyRunningNotice);
                return StartupResult::kAlreadyRunning;
            case platform::SingleInstanceLock::Result::kFailed:
                // A lock file that cannot be used must not keep the user from working, but
                // the user learns that a second instance is not kept out.
                notices.push_back(error + std::string(kRunsUnlockedNotice));
                break;
        }
    }

    std::string project = g_settings.GetGlobal(global_key::defprofile);
    if (CheckProjectName(project) != ProjectNameFault::kNone) project = kDefaultProject;

    const std::string firstKey = ProjectListKey(0);
    const StringKey firstProject{firstKey, ""};
    if (g_settings.GetGlobal(firstProject).empty())
        g_settings.Set(kGlobalSection, firstProject, kDefaultProject);

    const std::string projectsDir = paths.programDir + "/projects";
    MakeDirectory(projectsDir);
    std::string error;
    if (!EnterProject(projectsDir, project, error)) {
        notices.push_back(error);
        if (project == kDefaultProject) return StartupResult::kFailed;
        project = kDefaultProject;
        if (!EnterProject(projectsDir, project, error)) {
            notices.push_back(error);
            return StartupResult::kFailed;
        }
    }
    g_szProjectDir.Set(CurrentDirectory());
    g_strProject.Set(project);
    return StartupResult::kReady;
}
