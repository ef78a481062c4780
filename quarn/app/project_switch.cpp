#include "quarn/app/project_switch.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "quarn/app/project_name.h"
#include "quarn/app/project_paths.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

int EnterListedProject(const std::string& name) {
    const std::vector<std::string> listed = g_settings.ReadProjectList();
    if (name.size() > kMaxPath || CheckProjectName(name) != ProjectNameFault::kNone ||
        std::find(listed.begin(), listed.end(), name) == listed.end())
        return 0;
    const std::string dir = g_strProgramDir + "/projects/" + name;
    if (::chdir(dir.c_str()) != 0) return 0;
    const std::string cwd = CurrentDirectory();
    g_szProjectDir.Set(cwd.empty() ? dir : cwd);
    g_strProject.Set(name);
    return 1;
}

int SwitchActiveProject(const std::string& name) {
    if (!EnterListedProject(name)) return 0;
    g_settings.Set(kGlobalSection, global_key::defprofile, name);
    return 1;
}
