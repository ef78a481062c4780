#pragma once
// quarn's settings file "Quarn.ini": section "global", one section per project, and the keys of
// both with the defaults every reader uses (settings_keys.h). Start-up points g_settings at the
// file in the program directory; tolvane and kestrel open the same file the same way.

#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_file.h"
#include "quarn/services/settings_keys.h"

class CSettings {
public:
    CSettings() = default;
    explicit CSettings(std::string path) : m_file(std::move(path)) {}

    void SetPath(std::string path) { m_file.SetPath(std::move(path)); }
    std::string Path() const { return m_file.Path(); }

    std::string Get(std::string_view section, const StringKey& key) const;
    int Get(std::string_view section, const IntKey& key) const;
    // Return 1 on success, 0 with `error` (when given) saying, for the user, that the file could
    // not be written, where it is and why.
    int Set(std::string_view section, const StringKey& key, std::string_view value,
            std::string* error = nullptr);
    int Set(std::string_view section, const IntKey& key, int value, std::string* error = nullptr);

    std::string GetGlobal(const StringKey& key) const { return Get(kGlobalSection, key); }
    int GetGlobal(const IntKey& key) const { return Get(kGlobalSection, key); }

    // The project list: "profile0", "profile1", ... up to the first empty value.
    std::vector<std::string> ReadProjectList() const;
    // The auto-publish times "ctime0" .. "ctime<n-1>" as typed, n = numberoftimes (a negative
    // count reads as 0, one above kMaxScheduleTimes as kMaxScheduleTimes); keys from n on are
    // left alone and never read.
    std::vector<std::string> ReadScheduleTimes() const;

    platform::ProfileFile& File() { return m_file; }
    const platform::ProfileFile& File() const { return m_file; }

private:
    // `ok`, as 1 or 0; a failure's platform error in `error` becomes the user's message.
    int Written(bool ok, std::string* error) const;

    platform::ProfileFile m_file;
};

// The settings file of this process.
extern CSettings g_settings;
