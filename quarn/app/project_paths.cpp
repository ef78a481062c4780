#include "quarn/app/project_paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>

#include "quarn/services/program_context.h"

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string ProjectDirectory() {
    std::string dir = g_szProjectDir.Get();
    return dir.empty() ? std::string(".") : dir;
}

std::string ProjectFile(std::string_view name) {
    return ProjectDirectory() + "/" + std::string(name);
}

bool IsOpenableDirectory(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}
