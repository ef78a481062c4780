#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/file_descriptor.h"

namespace platform {
namespace {

bool Fail(std::string* error, std::string_view what, const std::string& path, int cause) {
    if (error)
        *error = std::string(what) + " " + path + ": " + std::generic_category().message(cause);
    errno = cause;
    return false;
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool ReplaceFile(const std::string& path, std::string_view bytes, mode_t newFileMode,
                 std::string* error) {
    const std::string directoryPath = DirectoryOf(path);
    UniqueFd directory(::open(directoryPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() < 0) return Fail(error, "cannot open directory", directoryPath, errno);
    mode_t mode = newFileMode;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else if (errno != ENOENT) {
        return Fail(error, "cannot stat", path, errno);
    }

    std::string temporary =
        path + std::string(kReplaceTemporaryInfix) + std::string(kReplaceTemporarySuffix);
    UniqueFd file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.Get() < 0) return Fail(error, "cannot create", temporary, errno);
    const char* failed = nullptr;
    if (!WriteAll(file.Get(), bytes)) {
        failed = "cannot write";
    } else if (::fchmod(file.Get(), mode) != 0) {
        failed = "cannot set the mode of";
    } else if (::fsync(file.Get()) != 0) {
        failed = "cannot sync";
    } else if (!file.Close()) {
        failed = "cannot close";
    } else if (::rename(temporary.c_str(), path.c_str()) != 0) {
        failed = "cannot rename";
    }
    if (failed) {
        const int cause = errno;
        ::unlink(temporary.c_str());
        return Fail(error, failed, temporary, cause);
    }
    if (::fsync(directory.Get()) != 0)
        return Fail(error, "replaced the file, but cannot sync directory", directoryPath, errno);
    return true;
}

}  // namespace platform
