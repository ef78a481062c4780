#include "quarn/script/name_list.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "quarn/script/file_bytes.h"
#include "quarn/script/output_path.h"

std::string ListEntry(std::string_view name) {
    std::string entry(name);
    entry += "\r\n";
    return entry;
}

ListFileRead ReadListFile(const std::string& path, std::string& bytes) {
    switch (ReadFileBytes(path, bytes)) {
        case FileBytesRead::kRead:
            return ListFileRead::kRead;
        case FileBytesRead::kMissing:
            return ListFileRead::kMissing;
        default:
            return ListFileRead::kFailed;
    }
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

std::vector<std::string> NamesUnderRoot(std::string_view text) {
    std::vector<std::string> names;
    for (std::string_view line : TrimmedLines(text)) {
        if (std::optional<std::string> name = NormaliseOutputName(line))
            names.push_back(std::move(*name));
    }
    return names;
}

std::vector<std::string> StaleNames(std::string_view previous, const NameSet& current) {
    std::vector<std::string> stale;
    for (std::string& name : NamesUnderRoot(previous)) {
        if (!current.count(name)) stale.push_back(std::move(name));
    }
    return stale;
}
