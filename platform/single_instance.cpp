#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {

SingleInstanceLock::~SingleInstanceLock() {
    // Closing the descriptor releases the lock; the file stays for the next instance.
    if (m_fd >= 0) ::close(m_fd);
}

SingleInstanceLock::Result SingleInstanceLock::TryAcquire(const std::string& directory,
                                                          std::string_view name,
                                                          std::string* error) {
    if (m_fd >= 0) return Result::kAcquired;
    std::string path = directory;
    path.append("/").append(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
        return Result::kFailed;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int cause = errno;
        ::close(fd);
        if (cause == EWOULDBLOCK) return Result::kHeldElsewhere;
        if (error) *error = "cannot lock " + path + ": " + std::strerror(cause);
        return Result::kFailed;
    }
    m_fd = fd;
    return Result::kAcquired;
}

std::string SingleInstanceLock::DefaultDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime ? std::string(runtime) : std::string("/tmp");
}

}  // namespace platform
