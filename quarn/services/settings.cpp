#include "quarn/services/settings.h"

#include <algorithm>

#include "quarn/services/file_fault.h"

CSettings g_settings;

int CSettings::Written(bool ok, std::string* error) const {
    if (!ok && error != nullptr)
        *error = FileFaultText("settings file", Path(), "written", ReasonOfPlatformError(*error));
    return ok ? 1 : 0;
}

std::string CSettings::Get(std::string_view section, const StringKey& key) const {
    return m_file.GetString(section, key.name, key.defaultValue);
}

int CSettings::Get(std::string_view section, const IntKey& key) const {
    return m_file.GetInt(section, key.name, key.defaultValue);
}

int CSettings::Set(std::string_view section, const StringKey& key, std::string_view value,
                   std::string* error) {
    return Written(m_file.WriteString(section, key.name, value, error), error);
}

int CSettings::Set(std::string_view section, const IntKey& key, int value, std::string* error) {
    return Written(m_file.WriteInt(section, key.name, value, error), error);
}

std::vector<std::string> CSettings::ReadProjectList() const {
    std::vector<std::string> projects;
    for (int index = 0;; ++index) {
        std::string name = m_file.GetString(kGlobalSection, ProjectListKey(index), "");
        if (name.empty()) return projects;
        projects.push_back(std::move(name));
    }
}

std::vector<std::string> CSettings::ReadScheduleTimes() const {
    const int count = std::clamp(GetGlobal(global_key::numberoftimes), 0, kMaxScheduleTimes);
    std::vector<std::string> times;
    times.reserve(count);
    for (int index = 0; index < count; ++index)
        times.push_back(m_file.GetString(kGlobalSection, ScheduleTimeKey(index), ""));
    return times;
}
