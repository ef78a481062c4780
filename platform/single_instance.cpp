#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

LockDirectory SingleInstanceLock::DefaultDirectory(const std::string& tmpBase) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return {runtime, ""};
    const uid_t uid = ::geteuid();
    LockDirectory dir{tmpBase + "/quarn-" + std::to_string(uid), ""};
    const std::string refused = "cannot use the lock folder " + dir.path + ": ";
    if (::mkdir(dir.path.c_str(), 0700) != 0 && errno != EEXIST) {
        dir.fault = "cannot make the lock folder " + dir.path + ": " + std::strerror(errno);
        return dir;
    }
    // lstat names a link for what it is; the owner and mode come from the directory opened
    // without following a link, so a name swapped in between is never trusted.
    struct stat st {};
    if (::lstat(dir.path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        dir.fault =
            refused + (S_ISLNK(st.st_mode) ? "it is a symbolic link" : "it is not a folder");
        return dir;
    }
    const int fd = ::open(dir.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        dir.fault = refused + std::strerror(errno);
        return dir;
    }
    const int statted = ::fstat(fd, &st);
    const int cause = errno;
    ::close(fd);
    if (statted != 0) {
        dir.fault = refused + std::strerror(cause);
    } else if (st.st_uid != uid) {
        dir.fault = refused + "it belongs to user " + std::to_string(st.st_uid);
    } else if ((st.st_mode & 07777) != 0700) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        dir.fault = refused + "its mode is " + mode + ", not 0700";
    }
    return dir;
}

}  // namespace platform
