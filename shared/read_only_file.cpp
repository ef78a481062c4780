#include "shared/read_only_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

// O_NONBLOCK lets a pipe without a writer open at once, for IsRegularFile to refuse it; reads of
// a plain file never block anyway.
CReadOnlyFile::CReadOnlyFile(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)),
      m_nOpenError(m_fd < 0 ? errno : 0) {}

CReadOnlyFile::CReadOnlyFile(int dir, const std::string& name)
    : m_fd(::openat(dir, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW)),
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

ssize_t CReadOnlyFile::ReadAt(char* data, std::size_t size, off_t offset) const {
    for (;;) {
        const ssize_t got = ::pread(m_fd, data, size, offset);
        if (got >= 0 || errno != EINTR) return got;
    }
}

bool FileHoldsBytes(const std::string& path, std::string_view text) {
    return FileHoldsBytes(CReadOnlyFile(path), text);
}

bool FileHoldsBytes(const CReadOnlyFile& file, std::string_view text) {
    if (!file.IsOpen()) return false;
    // An empty device such as /dev/null reads as empty too; only the empty page pays for a look
    // at the file's type, since a page of bytes never matches a directory (EISDIR) or a pipe or
    // terminal (they cannot be read at an offset).
    if (text.empty()) {
        struct stat info {};
        return file.IsRegularFile(info) && info.st_size == 0;
    }

    // Compared chunk by chunk, the last read asking for one byte past the page's end: a plain file
    // ends where a read comes back short, so a page of ordinary size costs one read and no status
    // call, and a longer file shows up as that extra byte.
    constexpr std::size_t kChunk = 64 * 1024;
    char chunk[kChunk];
    std::size_t offset = 0;
    for (;;) {
        const std::size_t left = text.size() - offset;
        const std::size_t want = std::min(kChunk, left + 1);
        const ssize_t got = file.ReadAt(chunk, want, static_cast<off_t>(offset));
        if (got < 0 || static_cast<std::size_t>(got) > left) return false;
        const auto read = static_cast<std::size_t>(got);
        if (std::memcmp(chunk, text.data() + offset, read) != 0) return false;
        if (read < want) return read == left;
        offset += read;
    }
}
