#pragma once
// A private-profile settings file ("[section]" lines, then "key=value" lines), read and written
// with the semantics Windows programs expect of one:
//  - sections and keys are matched without regard to (ASCII) case, blanks around names ignored;
//    the first matching section, and the first matching key in it, win;
//  - a value is everything after the first "=" up to the line end, kept byte for byte;
//  - a missing key reads as the caller's default; every read sees the file as it is now;
//  - integers read as the leading, optionally signed, decimal digits of the value, saturated to
//    the int range; a missing key or a value of only blanks gives the default;
//  - writing a key creates its section and key as needed; a whole section can be dropped.
// Lines that are neither section nor key ("; notes", blank lines) are kept as they are.
// Writes go to a temporary file "<file>.tmp.XXXXXX" beside the target, are fsynced and renamed
// over it, so a reader or a crash sees the old file or the new one, never a mix; a temporary left
// by a writer that died is removed by the next write. Read-modify-write cycles hold an in-process
// mutex and an flock() on "<file>.lock", so writers in several processes lose nothing. The file
// is created with mode 0600 and keeps its mode. Lines end in CR LF; LF is read as well.
// Thread-safe.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/guarded.h"

namespace platform {

class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(std::string path) : m_path(std::move(path)) {}
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    void SetPath(std::string path);
    std::string Path() const;

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

    // Each returns true on success. On failure nothing in the file has changed and `error`, when
    // given, holds the reason; the one exception is a failing sync of the directory after the
    // rename, where the new file is in place but may not survive a crash. A section or key name
    // holding CR, LF, NUL, "[", "]" or "=" (or, for a key, an empty name) is refused; CR and LF
    // inside a value are written as blanks. A change that leaves the file's lines as they were
    // writes nothing.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                     std::string* error = nullptr);
    bool WriteInt(std::string_view section, std::string_view key, int value,
                  std::string* error = nullptr);
    // Removes every line of the key in the section that reads see, so no duplicate shows through.
    bool DeleteKey(std::string_view section, std::string_view key, std::string* error = nullptr);
    // Removes every section of that name: its header and all lines up to the next section.
    bool DeleteSection(std::string_view section, std::string* error = nullptr);

    // While one lives, reads on its thread trust the values last read from the file instead of
    // looking at the file again: a job that reads the same keys for every page it makes costs one
    // look at the file, not one per key. A write through any ProfileFile of this process is still
    // seen at once; a change by another process shows after the hold ends. Holds nest.
    class ReadHold {
    public:
        ReadHold();
        ~ReadHold();
        ReadHold(const ReadHold&) = delete;
        ReadHold& operator=(const ReadHold&) = delete;
    };

private:
    // Which file a snapshot was read from. Every write replaces the file by rename (a new inode),
    // and an edit in place changes its time or size, so an unchanged identity means unchanged
    // bytes: a read costs one stat() and a lookup while nothing changed, and still sees every
    // change. The file is parsed only when it changed, so reads do not grow with its size.
    struct FileIdentity {
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = 0, mtimeSeconds = 0, mtimeNanoseconds = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    // Values by section and key, both folded to lower case; the first section of a name and the
    // first key of a name in it are the ones kept.
    using SectionValues = std::unordered_map<std::string, std::string>;
    using Values = std::unordered_map<std::string, SectionValues>;
    struct Snapshot {
        bool valid = false;
        std::string path;
        FileIdentity identity;
        std::uint64_t writesBefore = 0;  // this process's writes counted before the file was read
        Values values;
    };

    static Values ParseValues(std::string_view bytes);
    std::optional<std::string> ReadValue(std::string_view section, std::string_view key) const;
    static std::optional<std::string> LookUp(const Values& values, std::string_view section,
                                             std::string_view key);

    // Serialises this object's read-modify-write cycles; the lock file serialises processes.
    std::mutex m_mutex;
    Guarded<std::string> m_path;
    mutable std::mutex m_snapshotMutex;
    mutable Snapshot m_snapshot;
};

}  // namespace platform
