#pragma once
// Byte tests and case folding for the ASCII letters and digits only: names, keys and hex texts
// are bytes, and the <cctype> functions would read the process locale.

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A copy of `text` with its ASCII letters lower-cased.
inline std::string AsciiLowered(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    return lower;
}

// Equal byte for byte once ASCII letters are lower-cased.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// The value of a hexadecimal digit of either case, or -1.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// HexDigitValue for "0"-"9" and "A"-"F" only; -1 for a lower-case digit too.
constexpr int UpperHexDigitValue(char c) {
    return c >= 'a' && c <= 'f' ? -1 : HexDigitValue(c);
}

// `text` without the ASCII white space (blank, tab, CR, LF, VT, FF) at either end.
constexpr std::string_view TrimAsciiSpace(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

}  // namespace platform
