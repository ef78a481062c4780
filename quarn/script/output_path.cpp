#include "quarn/script/output_path.h"

#include <algorithm>

std::optional<std::string> NormaliseOutputName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\') return std::nullopt;
    if (name.find_first_of(std::string_view(":\r\n\0", 4)) != std::string_view::npos) {
        return std::nullopt;
    }
    std::string result;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view component = name.substr(start, end - start);
        if (component == "..") return std::nullopt;
        if (!component.empty() && component != ".") {
            if (!result.empty()) result += '/';
            result += component;
        }
        start = end + 1;
    }
    if (result.empty()) return std::nullopt;
    return result;
}

std::optional<std::string> CheckedOutputName(std::string_view name) {
    if (name.starts_with("./") || name.starts_with(".\\")) return std::nullopt;
    return NormaliseOutputName(name);
}

std::string FileSystemPath(std::string_view path) {
    std::string converted(path);
    std::replace(converted.begin(), converted.end(), '\\', '/');
    return converted;
}

std::string PathBelowRoot(std::string_view root, std::string_view name) {
    std::string path = FileSystemPath(name);
    if (path.starts_with('/')) return path;
    return std::string(root).append("/").append(path);
}
