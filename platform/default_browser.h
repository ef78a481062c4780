#pragma once
// The desktop's web browser, for a program that has none set: the first word of $BROWSER, else
// xdg-open, which hands a page to the browser the desktop chose.

#include <string>

namespace platform {

std::string DefaultBrowser();

}  // namespace platform
