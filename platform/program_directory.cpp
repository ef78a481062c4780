#include "platform/program_directory.h"

#include <limits.h>
#include <unistd.h>

namespace platform {

std::string ProgramDirectory(const std::string& fallback) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return fallback;
    const std::string path(buffer, static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return fallback;
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace platform
