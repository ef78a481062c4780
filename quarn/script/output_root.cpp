#include "quarn/script/output_root.h"

#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "quarn/script/beneath_root.h"

using platform::UniqueFd;

namespace {

constexpr int kDirectoryFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// Where the open descriptor `fd` lies; "" when that cannot be told.
std::string RealLocation(int fd) {
    char link[32];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link, target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return {};
    return std::string(target, static_cast<std::size_t>(length));
}

std::string RealPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : std::string();
}

}  // namespace

PlaceResult COutputRoot::Place(const std::string& root, std::string_view normalName,
                               OutputPlace& place) {
    const auto [dir, leaf] = SplitLast(normalName);
    place.holder = UniqueFd();
    if (dir.empty()) {
        place.dir = AT_FDCWD;
        place.name = root + "/" + leaf;
        return PlaceResult::kPlaced;
    }
    place.holder = UniqueFd(::open((root + "/").append(dir).c_str(), kDirectoryFlags));
    if (!place.holder) return PlaceResult::kNoDirectory;
    if (!Inside(root, place.holder.Get())) return PlaceResult::kOutside;
    place.dir = place.holder.Get();
    place.name = leaf;
    return PlaceResult::kPlaced;
}

PlaceResult COutputRoot::DirectoryAt(const std::string& root, const OutputPlace& place) {
    const UniqueFd dir(::openat(place.dir, place.name.c_str(), kDirectoryFlags));
    if (!dir) return PlaceResult::kNoDirectory;
    return Inside(root, dir.Get()) ? PlaceResult::kPlaced : PlaceResult::kOutside;
}

bool COutputRoot::Inside(const std::string& root, int fd) {
    if (root != m_strRoot || m_strRealRoot.empty()) {
        m_strRoot = root;
        m_strRealRoot = RealPath(root);
    }
    if (m_strRealRoot.empty()) return false;
    const std::string real = RealLocation(fd);
    if (!real.starts_with(m_strRealRoot)) return false;
    return real.size() == m_strRealRoot.size() || m_strRealRoot == "/" ||
           real[m_strRealRoot.size()] == '/';
}
