#include "platform/profile_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/ascii.h"
#include "platform/file_descriptor.h"
#include "platform/leading_int.h"
#include "platform/replace_file.h"

namespace platform {
namespace {

using Lines = std::vector<std::string>;

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kForbiddenInNames{"\r\n\0[]=", 6};

// The ReadHolds alive on this thread.
thread_local int t_nReadHolds = 0;
// Writes this process made, to any file: a held snapshot is trusted only while it is the same.
std::atomic<std::uint64_t> g_nWrites{0};

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The name a "[name]" line opens; text after the last "]" is ignored, as Windows does.
std::optional<std::string_view> SectionHeaderName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const auto close = line.rfind(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::size_t valueStart;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    if (SectionHeaderName(line)) return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const auto key = Trim(line.substr(0, equals));
    if (key.empty()) return std::nullopt;
    return KeyLine{key, equals + 1};
}

// Lines without their CR LF, LF or lone trailing CR; a last line needs no line end.
Lines SplitLines(std::string_view bytes) {
    Lines lines;
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        auto line = bytes.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + 1);
    }
    return lines;
}

std::string JoinLines(const Lines& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

// A section's lines [header, end): its "[name]" line and the lines up to the next header.
struct Section {
    std::size_t header;
    std::size_t end;
};

std::optional<Section> FindSection(const Lines& lines, std::string_view name) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto header = SectionHeaderName(lines[i]);
        if (!header || !EqualsIgnoringAsciiCase(*header, name)) continue;
        auto end = i + 1;
        while (end < lines.size() && !SectionHeaderName(lines[end]))
            ++end;
        return Section{i, end};
    }
    return std::nullopt;
}

bool IsKeyLine(const std::string& line, std::string_view key) {
    const auto parsed = ParseKeyLine(line);
    return parsed && EqualsIgnoringAsciiCase(parsed->key, key);
}

std::optional<std::size_t> FindKey(const Lines& lines, Section section, std::string_view key) {
    for (auto i = section.header + 1; i < section.end; ++i) {
        if (IsKeyLine(lines[i], key)) return i;
    }
    return std::nullopt;
}

// Where a new key goes: after the section's last key line (before its trailing blank lines).
std::size_t InsertionPoint(const Lines& lines, Section section) {
    auto after = section.header + 1;
    for (auto i = after; i < section.end; ++i) {
        if (ParseKeyLine(lines[i])) after = i + 1;
    }
    return after;
}

// CR and LF would end the line early; they are written as blanks.
std::string OnOneLine(std::string_view value) {
    std::string line(value);
    for (const char lineBreak : {'\r', '\n'}) {
        for (auto i = line.find(lineBreak); i != std::string::npos;
             i = line.find(lineBreak, i + 1)) {
            line[i] = ' ';
        }
    }
    return line;
}

bool Fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return false;
}

bool Fail(std::string* error, std::string_view what, const std::string& path, int cause) {
    return Fail(error,
                std::string(what) + " " + path + ": " + std::generic_category().message(cause));
}

bool CheckName(std::string_view what, std::string_view name, std::string* error) {
    if (name.find_first_of(kForbiddenInNames) == std::string_view::npos) return true;
    return Fail(error, std::string(what) + " name holds CR, LF, NUL, \"[\", \"]\" or \"=\"");
}

bool CheckKeyName(std::string_view key, std::string* error) {
    if (!CheckName("key", key, error)) return false;
    return !Trim(key).empty() || Fail(error, "key name is empty");
}

// A missing file reads as empty.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    bytes.clear();
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) return errno == ENOENT || Fail(error, "cannot open", path, errno);
    return ReadAll(file.Get(), bytes) || Fail(error, "cannot read", path, errno);
}

std::string BaseNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// Called under the writers' lock, when no writer is between creating its temporary and renaming
// it: a "<file>.tmp.XXXXXX" found now is from a writer that died, and may hold old settings.
// Removal is best effort; a leftover that stays is never read.
void RemoveStaleTemporaries(int directory, const std::string& path) {
    const std::string prefix = BaseNameOf(path) + std::string(kReplaceTemporaryInfix);
    const int listing = ::fcntl(directory, F_DUPFD_CLOEXEC, 0);
    if (listing < 0) return;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() == prefix.size() + kReplaceTemporarySuffix.size() &&
            name.starts_with(prefix)) {
            ::unlinkat(directory, entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

// Replaces the file, first removing what a writer that died left (the caller holds the lock).
bool ReplaceSettingsFile(const std::string& path, std::string_view bytes, std::string* error) {
    UniqueFd directory(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0) RemoveStaleTemporaries(directory.Get(), path);
    return ReplaceFile(path, bytes, 0600, error);
}

// One read-modify-write under the lock file. Nothing is written when `change` leaves the lines
// as they were, so a no-op neither creates the file nor rewrites its line ends.
bool Modify(const std::string& path, const std::function<void(Lines&)>& change,
            std::string* error) {
    if (path.empty()) return Fail(error, "no settings file path is set");
    const std::string lockPath = path + ".lock";
    UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.Get() < 0) return Fail(error, "cannot open lock file", lockPath, errno);
    while (::flock(lock.Get(), LOCK_EX) != 0) {
        if (errno != EINTR) return Fail(error, "cannot lock", lockPath, errno);
    }
    std::string before;
    if (!ReadWholeFile(path, before, error)) return false;
    const Lines original = SplitLines(before);
    Lines lines = original;
    change(lines);
    const bool done = lines == original || ReplaceSettingsFile(path, JoinLines(lines), error);
    // Counted once the file is in place, so that a snapshot read before it is not trusted after.
    ++g_nWrites;
    return done;
}

std::string FoldedName(std::string_view name) {
    return AsciiLowered(Trim(name));
}

}  // namespace

ProfileFile::ReadHold::ReadHold() {
    ++t_nReadHolds;
}

ProfileFile::ReadHold::~ReadHold() {
    --t_nReadHolds;
}

ProfileFile::Values ProfileFile::ParseValues(std::string_view bytes) {
    Values values;
    SectionValues* section = nullptr;  // null outside a section and in a repeated one
    for (const std::string& line : SplitLines(bytes)) {
        if (const auto header = SectionHeaderName(line)) {
            const auto [entry, added] = values.try_emplace(FoldedName(*header));
            section = added ? &entry->second : nullptr;
        } else if (const auto parsed = ParseKeyLine(line); parsed && section) {
            section->try_emplace(FoldedName(parsed->key), line.substr(parsed->valueStart));
        }
    }
    return values;
}

std::optional<std::string> ProfileFile::ReadValue(std::string_view sectionName,
                                                  std::string_view keyName) const {
    const std::string path = m_path.Get();
    if (path.empty()) return std::nullopt;
    struct stat info {};
    std::lock_guard lock(m_snapshotMutex);
    const std::uint64_t writes = g_nWrites.load();
    if (t_nReadHolds > 0 && m_snapshot.valid && m_snapshot.path == path &&
        m_snapshot.writesBefore == writes) {
        return LookUp(m_snapshot.values, sectionName, keyName);
    }
    if (::stat(path.c_str(), &info) != 0) {
        m_snapshot = {};
        return std::nullopt;  // a missing file reads as empty
    }
    const FileIdentity identity{
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
        static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
        static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
    if (!m_snapshot.valid || m_snapshot.path != path || !(m_snapshot.identity == identity)) {
        m_snapshot = {};
        std::string bytes;
        if (!ReadWholeFile(path, bytes, nullptr)) return std::nullopt;
        m_snapshot.values = ParseValues(bytes);
        m_snapshot.path = path;
        m_snapshot.identity = identity;
        m_snapshot.valid = true;
    }
    m_snapshot.writesBefore = writes;
    return LookUp(m_snapshot.values, sectionName, keyName);
}

std::optional<std::string> ProfileFile::LookUp(const Values& values, std::string_view sectionName,
                                               std::string_view keyName) {
    const auto section = values.find(FoldedName(sectionName));
    if (section == values.end()) return std::nullopt;
    const auto value = section->second.find(FoldedName(keyName));
    if (value == section->second.end()) return std::nullopt;
    return value->second;
}

void ProfileFile::SetPath(std::string path) {
    m_path.Set(std::move(path));
}

std::string ProfileFile::Path() const {
    return m_path.Get();
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    auto value = ReadValue(section, key);
    return value ? std::move(*value) : std::string(defaultValue);
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const auto value = ReadValue(section, key);
    return value && !Trim(*value).empty() ? LeadingInt(*value) : defaultValue;
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value, std::string* error) {
    if (!CheckName("section", section, error) || !CheckKeyName(key, error)) return false;
    const auto sectionName = Trim(section);
    const auto keyName = Trim(key);
    const std::string flatValue = OnOneLine(value);

    std::lock_guard lock(m_mutex);
    return Modify(
        m_path.Get(),
        [&](Lines& lines) {
            const auto found = FindSection(lines, sectionName);
            if (!found) {
                if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
                lines.push_back("[" + std::string(sectionName) + "]");
                lines.push_back(std::string(keyName) + "=" + flatValue);
            } else if (const auto index = FindKey(lines, *found, keyName)) {
                std::string& line = lines[*index];
                line.replace(ParseKeyLine(line)->valueStart, std::string::npos, flatValue);
            } else {
                lines.insert(lines.begin() + InsertionPoint(lines, *found),
                             std::string(keyName) + "=" + flatValue);
            }
        },
        error);
}

bool ProfileFile::WriteInt(std::string_view section, std::string_view key, int value,
                           std::string* error) {
    return WriteString(section, key, std::to_string(value), error);
}

bool ProfileFile::DeleteKey(std::string_view section, std::string_view key, std::string* error) {
    if (!CheckName("section", section, error) || !CheckKeyName(key, error)) return false;
    const auto sectionName = Trim(section);
    const auto keyName = Trim(key);

    std::lock_guard lock(m_mutex);
    return Modify(
        m_path.Get(),
        [&](Lines& lines) {
            const auto found = FindSection(lines, sectionName);
            if (!found) return;
            const auto first = lines.begin() + found->header + 1;
            const auto end = lines.begin() + found->end;
            lines.erase(
                std::remove_if(first, end,
                               [&](const std::string& line) { return IsKeyLine(line, keyName); }),
                end);
        },
        error);
}

bool ProfileFile::DeleteSection(std::string_view section, std::string* error) {
    if (!CheckName("section", section, error)) return false;
    const auto sectionName = Trim(section);

    std::lock_guard lock(m_mutex);
    return Modify(
        m_path.Get(),
        [&](Lines& lines) {
            while (const auto found = FindSection(lines, sectionName)) {
                lines.erase(lines.begin() + found->header, lines.begin() + found->end);
            }
        },
        error);
}

}  // namespace platform
