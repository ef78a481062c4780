#include "quarn/script/name_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "quarn/script/output_path.h"

namespace {

ListFileRead ReadOpenFile(int fd, std::string& bytes) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return ListFileRead::kFailed;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return ListFileRead::kRead;
        if (n > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
        } else if (errno != EINTR) {
            return ListFileRead::kFailed;
        }
    }
}

}  // namespace

ListFileRead ReadListFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ListFileRead::kMissing : ListFileRead::kFailed;
    const ListFileRead result = ReadOpenFile(fd, bytes);
    ::close(fd);
    return result;
}

std::string_view TrimTrailingSpace(std::string_view text) {
    const std::size_t last = text.find_last_not_of(" \t\r\n\v\f");
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::vector<std::string_view> TrimmedLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = TrimTrailingSpace(text.substr(0, end));
        if (!line.empty()) lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

std::string NameKey(std::string_view name) {
    if (std::optional<std::string> normal = NormaliseOutputName(name)) return *normal;
    std::string key(name);
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

NameSet NameKeys(std::string_view text) {
    NameSet keys;
    for (std::string_view line : TrimmedLines(text))
        keys.insert(NameKey(line));
    return keys;
}
