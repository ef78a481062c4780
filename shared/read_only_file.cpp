#include "shared/read_only_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

// O_NONBLOCK lets a pipe without a writer open at once, for IsRegularFile to refuse it; reads of
// a plain file never block anyway.
CReadOnlyFile::CReadOnlyFile(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)),
      m_nOpenError(m_fd < 0 ? errno : 0) {}

CReadOnlyFile::~CReadOnlyFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CReadOnlyFile::IsRegularFile(struct stat& info) const {
    return m_fd >= 0 && ::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode);
}

ssize_t CReadOnlyFile::Read(char* data, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(m_fd, data + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}
