#pragma once
// Keeps a program to one running instance per user: the instance that holds an exclusive flock()
// on a lock file of the program's name is the one that runs. The kernel drops the lock when its
// holder ends, however it ends, so a crashed instance never blocks the next one.

#include <string>
#include <string_view>

namespace platform {

// Where lock files live, and whether that folder may hold them.
struct LockDirectory {
    std::string path;
    std::string fault;  // why `path` is refused; empty when it can be used
};

class SingleInstanceLock {
public:
    enum class Result {
        kAcquired,       // this object holds the lock until it is destroyed
        kHeldElsewhere,  // another holder (another process, or another object) has it
        kFailed,         // the lock file could not be opened or locked; `error` says why
    };

    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Tries once, without waiting, to lock the file `name` in `directory` (created, mode 0600,
    // when missing). An object that already holds a lock keeps it and returns kAcquired.
    Result TryAcquire(const std::string& directory, std::string_view name, std::string* error);
    bool Held() const { return m_fd >= 0; }

    // $XDG_RUNTIME_DIR when it is set and not empty, taken as it is. Else this user's own
    // folder `tmpBase`/quarn-UID, made with mode 0700 when missing: a lock must belong to one
    // user's session, and a folder in a shared place could have been planted by someone else.
    // So it is refused unless it is a directory, not a symbolic link, owned by this user, with
    // mode 0700.
    static LockDirectory DefaultDirectory(const std::string& tmpBase = "/tmp");

private:
    int m_fd = -1;
};

}  // namespace platform
