#include "quarn/script/beneath_root.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

using platform::UniqueFd;

UniqueFd OpenDirectory(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

std::pair<std::string_view, std::string> SplitLast(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    if (slash == std::string_view::npos) return {{}, std::string(name)};
    return {name.substr(0, slash), std::string(name.substr(slash + 1))};
}

UniqueFd OpenDirBeneath(int base, std::string_view dir) {
    UniqueFd current(::fcntl(base, F_DUPFD_CLOEXEC, 0));
    while (current && !dir.empty()) {
        const std::size_t slash = std::min(dir.find('/'), dir.size());
        const std::string component(dir.substr(0, slash));
        current = UniqueFd(::openat(current.Get(), component.c_str(),
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        dir.remove_prefix(std::min(slash + 1, dir.size()));
    }
    return current;
}

void DeleteFileBeneath(int root, std::string_view name) {
    const auto [dir, leaf] = SplitLast(name);
    if (const UniqueFd parent = OpenDirBeneath(root, dir))
        ::unlinkat(parent.Get(), leaf.c_str(), 0);
}
