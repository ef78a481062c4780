#include "quarn/services/html_root.h"

#include <algorithm>
#include <filesystem>

#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

std::string HtmlRootDirectory(std::string_view projectDir) {
    return ResolveHtmlRoot(projectDir, g_settings.Get(g_strProject.Get(), project_key::roothtml));
}

std::string ResolveHtmlRoot(std::string_view projectDir, std::string_view roothtml) {
    std::string key(roothtml);
    std::replace(key.begin(), key.end(), '\\', '/');
    std::filesystem::path root(key);
    if (root.is_relative()) root = std::filesystem::path(projectDir) / root;
    std::string normal = root.lexically_normal().string();
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}
