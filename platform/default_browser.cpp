#include "platform/default_browser.h"

#include <cstdlib>
#include <string_view>

namespace platform {

std::string DefaultBrowser() {
    const char* variable = std::getenv("BROWSER");
    std::string_view browser = variable != nullptr ? variable : "";
    const std::size_t start = browser.find_first_not_of(" \t");
    if (start == std::string_view::npos) return "xdg-open";
    browser.remove_prefix(start);
    return std::string(browser.substr(0, browser.find_first_of(" \t")));
}

}  // namespace platform
