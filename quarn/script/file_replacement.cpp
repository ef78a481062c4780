#include "quarn/script/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "platform/file_descriptor.h"

namespace {

// Attempts at a free temporary name before giving up; names only collide with leftovers of a
// process that had the same id.
constexpr int kNameAttempts = 100;

std::atomic<unsigned> g_nTemporaryCounter{0};

// The directory part of `path` with its trailing "/", or "" for a name in the current directory.
std::string_view DirectoryPrefix(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

// A name of fixed short length, so a page whose own name is near the length limit still gets
// one; the leading dot keeps it out of ordinary listings while it exists.
std::string TemporaryName(std::string_view path) {
    std::string name(DirectoryPrefix(path));
    name += ".quarn-";
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(g_nTemporaryCounter.fetch_add(1));
    name += ".tmp";
    return name;
}

}  // namespace

bool RemoveIfPresent(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

CFileReplacement::CFileReplacement(std::string path)
    : CFileReplacement(AT_FDCWD, std::move(path)) {}

CFileReplacement::CFileReplacement(int dir, std::string name)
    : m_nDir(dir), m_strPath(std::move(name)) {}

CFileReplacement::~CFileReplacement() {
    Discard();
}

bool CFileReplacement::Open() {
    Discard();
    // While nothing stands at the path there is nothing to keep whole: the file is written in
    // place and removed again if anything fails. O_EXCL makes sure it is our own new file.
    m_fd = ::openat(m_nDir, m_strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
    if (m_fd >= 0) {
        m_strTemporary = m_strPath;
        m_bInPlace = true;
        return true;
    }
    if (errno != EEXIST) return false;
    struct stat existing {};
    const bool replacesFile =
        ::fstatat(m_nDir, m_strPath.c_str(), &existing, 0) == 0 && S_ISREG(existing.st_mode);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string temporary = TemporaryName(m_strPath);
        m_fd = ::openat(m_nDir, temporary.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_strTemporary = std::move(temporary);
            break;
        }
        if (errno != EEXIST) return false;
    }
    if (m_fd < 0) return false;
    if (replacesFile && ::fchmod(m_fd, existing.st_mode & 07777) != 0) {
        const int cause = errno;
        Discard();
        errno = cause;
        return false;
    }
    return true;
}

bool CFileReplacement::Write(std::string_view bytes) {
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    return platform::WriteAll(m_fd, bytes);
}

bool CFileReplacement::Commit() {
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    const bool closed = ::close(std::exchange(m_fd, -1)) == 0;
    if (closed && (m_bInPlace ||
                   ::renameat(m_nDir, m_strTemporary.c_str(), m_nDir, m_strPath.c_str()) == 0)) {
        m_strTemporary.clear();
        return true;
    }
    const int cause = errno;
    Discard();
    errno = cause;
    return false;
}

bool CFileReplacement::ReplaceWith(const std::string& path, std::string_view bytes) {
    return ReplaceWith(AT_FDCWD, path, bytes);
}

bool CFileReplacement::ReplaceWith(int dir, const std::string& name, std::string_view bytes) {
    CFileReplacement replacement(dir, name);
    return replacement.Open() && replacement.Write(bytes) && replacement.Commit();
}

void CFileReplacement::Discard() {
    if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
    if (!m_strTemporary.empty()) {
        ::unlinkat(m_nDir, m_strTemporary.c_str(), 0);
        m_strTemporary.clear();
    }
    m_bInPlace = false;
}
