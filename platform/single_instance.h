#pragma once
// Keeps a program to one running instance per user: the instance that holds an exclusive flock()
// on a lock file of the program's name is the one that runs. The kernel drops the lock when its
// holder ends, however it ends, so a crashed instance never blocks the next one.

#include <string>
#include <string_view>

namespace platform {

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

    // Where lock files live: $XDG_RUNTIME_DIR when it is set and not empty, else "/tmp".
    static std::string DefaultDirectory();

private:
    int m_fd = -1;
};

}  // namespace platform
