#include "platform/run_program.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/child_spawn.h"
#include "platform/file_descriptor.h"

namespace platform {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<int> RunProgram(const std::vector<std::string>& argv, std::string& output) {
    output.clear();
    if (argv.empty()) return std::nullopt;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    ChildSpawn spawn;
    spawn.Open(STDIN_FILENO, "/dev/null", O_RDONLY);
    spawn.Redirect(writeEnd.Get(), STDOUT_FILENO);
    const std::optional<pid_t> pid = spawn.Start(argv[0], argv);
    // Only the child may hold the write end now, so its exit ends the read.
    writeEnd.Close();
    if (!pid) return std::nullopt;
    // A read error ends the output early; the exit status is still the child's.
    ReadAll(readEnd.Get(), output);
    return WaitForChild(*pid);
}

std::optional<std::string> FindOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return std::nullopt;
    std::string_view rest = path;
    for (;;) {
        const std::size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        std::string candidate = dir.empty() ? std::string(".") : std::string(dir);
        candidate.append("/").append(name);
        if (IsExecutableFile(candidate)) return candidate;
        if (colon == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(colon + 1);
    }
}

}  // namespace platform
