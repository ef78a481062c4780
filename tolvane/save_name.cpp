#include "tolvane/save_name.h"

std::string FilterExtension(std::string_view filter) {
    const size_t open = filter.rfind('(');
    const size_t close = filter.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return "";
    const std::string_view patterns = filter.substr(open + 1, close - open - 1);
    if (patterns.size() < 3 || patterns.substr(0, 2) != "*.") return "";
    const std::string_view extension = patterns.substr(1);
    if (extension.find_first_of(" ;*?[") != std::string_view::npos) return "";
    return std::string(extension);
}

std::string SaveFileName(std::string_view typed, std::string_view filter) {
    const size_t slash = typed.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? typed : typed.substr(slash + 1);
    std::string result(typed);
    if (!name.empty() && name.find('.') == std::string_view::npos)
        result += FilterExtension(filter);
    return result;
}
