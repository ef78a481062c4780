#pragma once
// The banner the message log starts with: the settings text split into lines.

#include <string>
#include <string_view>
#include <vector>

// Splits `text` into lines. A backslash with at least two more characters after it escapes the
// next one: backslash and "n" end a line, a backslash with any other character gives that
// character. Any other character (a backslash near the end too) is kept. Always one line at
// least.
std::vector<std::string> SplitWelcomeText(std::string_view text);
