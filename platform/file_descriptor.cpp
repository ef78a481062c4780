#include "platform/file_descriptor.h"

#include <cerrno>

namespace platform {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written == 0) {
            errno = EIO;
            return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool ReadAll(int fd, std::string& bytes) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (errno != EINTR) {
            return false;
        }
    }
}

}  // namespace platform
