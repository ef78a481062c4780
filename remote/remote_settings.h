#pragma once
// remote's six settings, kept where its registry key (the user's Software\Tarnby\remote, section
// "config") maps to on Linux: the INI file "Tarnby/remote.ini" under $XDG_CONFIG_HOME (else
// ~/.config), created with mode 0600 and replaced atomically on every write.

#include <string>
#include <string_view>

#include "platform/profile_file.h"

inline constexpr int kDefaultRemotePort = 124;
inline constexpr int kMinRemotePort = 1;
inline constexpr int kMaxRemotePort = 10000;

struct RemoteSettings {
    std::string serverIp;
    int serverPort = kDefaultRemotePort;
    std::string userName;
    // Kept as typed: the server takes it as it stands.
    std::string password;
    std::string script;
    std::string project;

    bool operator==(const RemoteSettings&) const = default;
};

// The settings file for these environment values (either may be null or empty); "" when there
// is neither.
std::string RemoteSettingsPath(const char* xdgConfigHome, const char* home);

class CRemoteSettingsStore {
public:
    // `path` "" stores nothing: every load gives the defaults and every save fails.
    explicit CRemoteSettingsStore(std::string path);

    const std::string& Path() const { return m_path; }
    // The six values, each missing one at its default.
    RemoteSettings Load() const;
    // Writes all six (the port as an integer), making the file's directory when missing.
    // 1, or 0 with m_strMessage; values written before a failure stay written.
    int Save(const RemoteSettings& settings);

    std::string m_strMessage;

private:
    std::string m_path;
    platform::ProfileFile m_file;
};

// The settings dialog's port field: 1 with `port`, or 0 with the message that refuses it (not
// a whole number, or outside kMinRemotePort to kMaxRemotePort).
int ParseRemotePort(std::string_view text, int* port, std::string* message);
