#include "quarn/app/remote_users_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_descriptor.h"
#include "quarn/script/file_replacement.h"
#include "quarn/services/file_fault.h"

namespace {

constexpr mode_t kPrivate = 0600;
constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

// The whole file; false when it cannot be opened or read.
bool ReadFile(const std::string& path, std::string& bytes) {
    const platform::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return file && platform::ReadAll(file.Get(), bytes);
}

// The lines without their CR LF, LF or lone trailing CR.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
    }
    return lines;
}

std::string_view NameOf(std::string_view line) {
    const std::size_t blank = line.find(' ');
    return blank == std::string_view::npos ? std::string_view() : line.substr(0, blank);
}

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Whether the file's last byte is LF; an empty file counts as ending in one.
bool EndsInLineFeed(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size == 0) return true;
    char last = 0;
    return ::pread(fd, &last, 1, info.st_size - 1) == 1 && last == '\n';
}

}  // namespace

std::vector<std::string> CRemoteUsersFile::Names() const {
    std::string bytes;
    std::vector<std::string> names;
    if (!ReadFile(m_strPath, bytes)) return names;
    for (std::string_view line : Lines(bytes))
        names.emplace_back(NameOf(line));
    return names;
}

int CRemoteUsersFile::Add(std::string_view user, std::string_view password) {
    const std::size_t nameEnd = user.find_last_not_of(kWhiteSpace);
    user = nameEnd == std::string_view::npos ? std::string_view() : user.substr(0, nameEnd + 1);
    const std::size_t passwordStart = password.find_first_not_of(kWhiteSpace);
    password = passwordStart == std::string_view::npos ? std::string_view()
                                                       : password.substr(passwordStart);
    if (user.empty()) {
        m_strMessage = "User must have a username";
        return 0;
    }
    if (password.empty()) {
        m_strMessage = "User must have a password";
        return 0;
    }
    // The file holds one user a line: a line break would make a second, unchecked user.
    if (HoldsLineBreak(user) || HoldsLineBreak(password)) {
        m_strMessage = "User names and passwords cannot contain line breaks";
        return 0;
    }

    platform::UniqueFd file(
        ::open(m_strPath.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, kPrivate));
    if (!file) return Fail("written");
    std::string line = EndsInLineFeed(file.Get()) ? "" : "\r\n";
    line.append(user).append(" ").append(password).append("\r\n");
    if (::fchmod(file.Get(), kPrivate) != 0 || !platform::WriteAll(file.Get(), line))
        return Fail("written");
    if (!file.Close()) return Fail("written");
    return 1;
}

int CRemoteUsersFile::Remove(std::string_view name) {
    std::string bytes;
    if (!ReadFile(m_strPath, bytes)) return Fail("read");
    std::string kept;
    for (std::string_view line : Lines(bytes)) {
        if (NameOf(line) != name) kept.append(line).append("\r\n");
    }
    // The temporary keeps the old file's mode; the file of users stays private whatever it was.
    if (!CFileReplacement::ReplaceWith(m_strPath, kept) ||
        ::chmod(m_strPath.c_str(), kPrivate) != 0)
        return Fail("written");
    return 1;
}

int CRemoteUsersFile::Fail(std::string_view done) {
    m_strMessage = FileFaultText("remote users file", m_strPath, done, ReasonInWords(errno));
    return 0;
}
