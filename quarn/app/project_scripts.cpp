#include "quarn/app/project_scripts.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "quarn/app/project_paths.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kScriptExtension = ".scp";
constexpr int kDefaultOffset = 124;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsScriptName(std::string_view name) {
    if (name.size() <= kScriptExtension.size()) return false;
    const std::string_view end = name.substr(name.size() - kScriptExtension.size());
    return std::equal(end.begin(), end.end(), kScriptExtension.begin(),
                      [](char a, char b) { return Lower(a) == b; });
}

bool LessWithoutCase(const std::string& a, const std::string& b) {
    const auto byLower = [](char x, char y) { return Lower(x) < Lower(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), byLower)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), byLower)) return false;
    return a < b;
}

}  // namespace

std::string ProjectScriptDirectory() {
    std::string key = g_settings.Get(g_strProject.Get(), project_key::pscriptdir);
    key.erase(0, key.find_first_not_of(" \t\r\n\v\f"));
    std::replace(key.begin(), key.end(), '\\', '/');
    fs::path dir(key);
    if (dir.is_relative()) dir = fs::path(ProjectDirectory()) / dir;
    std::string normal = dir.lexically_normal().string();
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

std::vector<std::string> ListProjectScripts() {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(ProjectScriptDirectory(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code ignored;
        if (IsScriptName(name) && !it->is_directory(ignored)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), LessWithoutCase);
    return names;
}

std::string ProjectScriptPath(std::string_view name) {
    std::string path = ProjectScriptDirectory();
    if (!name.empty()) path.append("/").append(name);
    return path;
}

bool DeleteProjectScript(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return false;
    const fs::path path = ProjectScriptPath(name);
    std::error_code error;
    if (fs::symlink_status(path, error).type() == fs::file_type::directory) return false;
    return fs::remove(path, error);
}

ScriptsWindowPlacement ReadScriptsPlacement(int frameLeft, int frameTop) {
    using namespace global_key;
    return {g_settings.GetGlobal(WithDefault(pswindowx2, frameLeft - kDefaultOffset)),
            g_settings.GetGlobal(WithDefault(pswindowy2, frameTop)),
            g_settings.GetGlobal(pswindowx1), g_settings.GetGlobal(pswindowy1),
            g_settings.GetGlobal(pswindowvis)};
}

void WriteScriptsPlacement(const ScriptsWindowPlacement& placement) {
    using namespace global_key;
    g_settings.Set(kGlobalSection, pswindowx1, placement.width);
    g_settings.Set(kGlobalSection, pswindowx2, placement.left);
    g_settings.Set(kGlobalSection, pswindowy1, placement.height);
    g_settings.Set(kGlobalSection, pswindowy2, placement.top);
    g_settings.Set(kGlobalSection, pswindowvis, placement.show);
}
