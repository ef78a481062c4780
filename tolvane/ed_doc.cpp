#include "tolvane/ed_doc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "shared/read_only_file.h"

namespace {

std::string Reason(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

int CEdDoc::Open(const std::string& path) {
    CReadOnlyFile file(path);
    struct stat info {};
    if (!file.IsRegularFile(info)) {
        m_strMessage = Reason("Unable to open", path, file.IsOpen() ? EISDIR : file.OpenError());
        return 0;
    }
    std::string bytes;
    char chunk[65536];
    ssize_t got = 0;
    while ((got = file.Read(chunk, sizeof chunk)) > 0)
        bytes.append(chunk, static_cast<std::size_t>(got));
    if (got < 0) {
        m_strMessage = Reason("Unable to read", path, errno);
        return 0;
    }
    m_file.Load(bytes);
    m_path = path;
    return 1;
}

int CEdDoc::Save(const std::string& path, std::string_view text) {
    CScriptFile saved = m_file;
    const std::string bytes = saved.Save(text);
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0666;
    std::vector<char> temp(path.begin(), path.end());
    const std::string_view suffix = ".tmp.XXXXXX";
    temp.insert(temp.end(), suffix.begin(), suffix.end());
    temp.push_back('\0');
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        m_strMessage = Reason("Unable to write", path, errno);
        return 0;
    }
    // mkostemp creates 0600; a new script gets the usual mode under the umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool ok = ::fchmod(fd, old.st_mode != 0 ? mode : (mode & ~mask)) == 0 &&
                    WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !ok || ::rename(temp.data(), path.c_str()) != 0) {
        const int reason = ok ? errno : error;
        ::unlink(temp.data());
        m_strMessage = Reason("Unable to write", path, reason);
        return 0;
    }
    m_file = std::move(saved);
    m_path = path;
    return 1;
}

std::string CEdDoc::FileName() const {
    const std::size_t slash = m_path.rfind('/');
    return slash == std::string::npos ? m_path : m_path.substr(slash + 1);
}
