#include "quarn/app/project_name.h"

#include <algorithm>
#include <array>

#include "platform/ascii.h"

namespace {

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
        std::any_of(kSections.begin(), kSections.end(), [&](std::string_view section) {
            return platform::EqualsIgnoringAsciiCase(name, section);
        }))
        return ProjectNameFault::kReserved;
    if (name.back() == ' ') return ProjectNameFault::kEndsInBlank;
    return ProjectNameFault::kNone;
}
