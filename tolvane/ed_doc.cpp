#include "tolvane/ed_doc.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/replace_file.h"
#include "shared/read_only_file.h"

namespace {

std::string Reason(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
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
    // A new script gets the usual mode under the umask; an existing one keeps its own.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (!platform::ReplaceFile(path, saved.Save(text), 0666 & ~mask, nullptr)) {
        m_strMessage = Reason("Unable to write", path, errno);
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
