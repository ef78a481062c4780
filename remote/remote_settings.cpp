#include "remote/remote_settings.h"

#include <sys/stat.h>

#include <charconv>
#include <filesystem>

namespace {

constexpr std::string_view kSection = "config";

}  // namespace

std::string RemoteSettingsPath(const char* xdgConfigHome, const char* home) {
    std::string base;
    if (xdgConfigHome != nullptr && *xdgConfigHome != '\0')
        base = xdgConfigHome;
    else if (home != nullptr && *home != '\0')
        base = std::string(home) + "/.config";
    else
        return "";
    return base + "/Tarnby/remote.ini";
}

CRemoteSettingsStore::CRemoteSettingsStore(std::string path)
    : m_path(std::move(path)), m_file(m_path) {}

RemoteSettings CRemoteSettingsStore::Load() const {
    RemoteSettings settings;
    if (m_path.empty()) return settings;
    settings.serverIp = m_file.GetString(kSection, "serverip", "");
    settings.serverPort = m_file.GetInt(kSection, "serverport", kDefaultRemotePort);
    settings.userName = m_file.GetString(kSection, "username", "");
    settings.password = m_file.GetString(kSection, "password", "");
    settings.script = m_file.GetString(kSection, "script", "");
    settings.project = m_file.GetString(kSection, "project", "");
    return settings;
}

int CRemoteSettingsStore::Save(const RemoteSettings& settings) {
    if (m_path.empty()) {
        m_strMessage = "No place for the settings: neither XDG_CONFIG_HOME nor HOME is set.";
        return 0;
    }
    const std::filesystem::path dir = std::filesystem::path(m_path).parent_path();
    std::error_code made;
    if (std::filesystem::create_directories(dir, made)) ::chmod(dir.c_str(), 0700);
    if (made) {
        m_strMessage = "Cannot create " + dir.string() + ": " + made.message();
        return 0;
    }
    std::string error;
    const bool written = m_file.WriteString(kSection, "serverip", settings.serverIp, &error) &&
                         m_file.WriteInt(kSection, "serverport", settings.serverPort, &error) &&
                         m_file.WriteString(kSection, "username", settings.userName, &error) &&
                         m_file.WriteString(kSection, "password", settings.password, &error) &&
                         m_file.WriteString(kSection, "script", settings.script, &error) &&
                         m_file.WriteString(kSection, "project", settings.project, &error);
    if (!written) {
        m_strMessage = "Cannot write " + m_path + ": " + error;
        return 0;
    }
    return 1;
}

int ParseRemotePort(std::string_view text, int* port, std::string* message) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || stop != end || ec == std::errc::invalid_argument) {
        *message = "Please enter an integer.";
        return 0;
    }
    if (ec == std::errc::result_out_of_range || value < kMinRemotePort || value > kMaxRemotePort) {
        *message = "Please enter an integer between " + std::to_string(kMinRemotePort) + " and " +
                   std::to_string(kMaxRemotePort) + ".";
        return 0;
    }
    *port = value;
    return 1;
}
