#include "quarn/app/project_name.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool IsIllegal(char c) {
    static constexpr std::string_view kIllegal = "\\/:*?\"<>|[]";
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f || kIllegal.find(c) != std::string_view::npos;
}

}  // namespace

ProjectNameFault CheckProjectName(std::string_view name) {
    if (name.empty()) return ProjectNameFault::kEmpty;
    if (std::any_of(name.begin(), name.end(), IsIllegal))
        return ProjectNameFault::kIllegalCharacter;
    static constexpr std::array<std::string_view, 2> kSections = {"global", "tolvane"};
    if (name == "." || name == ".." ||
        std::any_of(kSections.begin(), kSections.end(),
                    [&](std::string_view section) { return EqualsIgnoringCase(name, section); }))
        return ProjectNameFault::kReserved;
    if (name.back() == ' ') return ProjectNameFault::kEndsInBlank;
    return ProjectNameFault::kNone;
}
