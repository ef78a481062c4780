#include "quarn/app/remote_users.h"

#include <fcntl.h>

#include "platform/file_descriptor.h"

namespace {

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
    if (!platform::ReadAll(file.Get(), bytes)) return RemoteLogon::kReadFailed;

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
