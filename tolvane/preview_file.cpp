#include "tolvane/preview_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/file_descriptor.h"

namespace {

namespace fs = std::filesystem;

std::string WithoutClosingSlash(const fs::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// Errors that another program's hold on the file can cause and that may pass; the others (no
// such directory, no permission) stay, so retrying them would only freeze the window.
bool MayPass(int error) {
    return error == EINTR || error == EAGAIN || error == EBUSY || error == ETXTBSY ||
           error == EMFILE || error == ENFILE;
}

}  // namespace

std::string PreviewDirectory(const std::string& currentDirectory, const std::string& programDir,
                             const std::string& defprofile, const std::string& roothtml) {
    const fs::path root(roothtml);
    if (root.is_absolute()) return WithoutClosingSlash(root);
    std::error_code error;
    const fs::path below = fs::path(currentDirectory) / root;
    if (fs::is_directory(below, error)) return WithoutClosingSlash(below);
    return WithoutClosingSlash(fs::path(programDir) / "projects" / defprofile / root);
}

CPreviewFile::~CPreviewFile() {
    RemoveLast();
}

void CPreviewFile::RemoveLast() {
    if (!m_strLastFile.empty()) ::unlink(m_strLastFile.c_str());
    m_strLastFile.clear();
}

std::string CPreviewFile::Write(const std::string& directory, std::string_view page,
                                bool refreshLine) {
    RemoveLast();
    const std::string path = directory + "/" + std::string(kPreviewFileName);
    int fd = -1;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0 || !MayPass(errno)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPauseMs));
    }
    if (fd < 0) return {};
    const bool written = (!refreshLine || platform::WriteAll(fd, kPreviewRefreshLine)) &&
                         platform::WriteAll(fd, page);
    if (::close(fd) != 0 || !written) {
        ::unlink(path.c_str());
        return {};
    }
    m_strLastFile = path;
    return path;
}
