#include "quarn/app/remote_users.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_descriptor.h"

namespace {

// The whole file; false when a read fails.
bool ReadAll(int fd, std::string& bytes) {
    char buffer[4096];
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

std::string_view WithoutLineEnd(std::string_view line) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

}  // namespace

RemoteLogon CheckRemoteUser(const std::string& path, std::string_view user,
                            std::string_view password) {
    const platform::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) return RemoteLogon::kNoFile;
    std::string bytes;
    if (!ReadAll(file.Get(), bytes)) return RemoteLogon::kReadFailed;

    std::string wanted(user);
    wanted.append(" ").append(password);
    std::string_view rest = bytes;
    for (int index = 0; !rest.empty(); ++index) {
        const std::size_t end = rest.find('\n');
        const std::size_t length = end == std::string_view::npos ? rest.size() : end + 1;
        if (WithoutLineEnd(rest.substr(0, length)) == wanted)
            return index == 0 ? RemoteLogon::kFirstUser : RemoteLogon::kUser;
        rest.remove_prefix(length);
    }
    return RemoteLogon::kRefused;
}
