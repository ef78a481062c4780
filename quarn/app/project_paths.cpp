#include "quarn/app/project_paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

std::string ProjectDirectory() {
    std::string dir = g_szProjectDir.Get();
    return dir.empty() ? std::string(".") : dir;
}

std::string ProjectFile(std::string_view name) {
    return ProjectDirectory() + "/" + std::string(name);
}

std::string HtmlRootDirectory() {
    std::string root = g_settings.Get(g_strProject.Get(), project_key::roothtml);
    std::replace(root.begin(), root.end(), '\\', '/');
    if (!root.empty() && root.front() == '/') return root;
    return root.empty() ? ProjectDirectory() : ProjectDirectory() + "/" + root;
}

bool IsOpenableDirectory(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}
