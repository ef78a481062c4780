#include "shared/read_only_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

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

bool FileHoldsBytes(const std::string& path, std::string_view text) {
    const CReadOnlyFile file(path);
    struct stat info {};
    if (!file.IsRegularFile(info)) return false;
    if (static_cast<std::uint64_t>(info.st_size) != text.size()) return false;

    // Compared chunk by chunk up to the size fstat gave, so that a page of ordinary size costs
    // one read; a file that shrank since shows up as a short read.
    constexpr std::size_t kChunk = 64 * 1024;
    char chunk[kChunk];
    std::size_t offset = 0;
    while (offset < text.size()) {
        const std::size_t want = std::min(kChunk, text.size() - offset);
        if (file.Read(chunk, want) != static_cast<ssize_t>(want)) return false;
        if (std::memcmp(chunk, text.data() + offset, want) != 0) return false;
        offset += want;
    }
    return true;
}
