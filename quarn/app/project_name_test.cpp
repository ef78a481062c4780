#include "quarn/app/project_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProjectName, Rules) {
    using F = ProjectNameFault;
    const struct {
        std::string name;
        ProjectNameFault fault;
    } kCases[] = {
        {"default", F::kNone},
        {"My Site 2", F::kNone},
        {"caf\xc3\xa9", F::kNone},
        {"", F::kEmpty},
        {"global", F::kReserved},
        {"GLOBAL", F::kReserved},
        {"Tolvane", F::kReserved},
        {"globals", F::kNone},
        {".", F::kReserved},
        {"..", F::kReserved},
        {"...", F::kNone},
        {"a/b", F::kIllegalCharacter},
        {"a\\b", F::kIllegalCharacter},
        {"c:", F::kIllegalCharacter},
        {"a*", F::kIllegalCharacter},
        {"a?", F::kIllegalCharacter},
        {"\"a\"", F::kIllegalCharacter},
        {"<a>", F::kIllegalCharacter},
        {"a|b", F::kIllegalCharacter},
        {"[global]", F::kIllegalCharacter},
        {"a]", F::kIllegalCharacter},
        {"a\tb", F::kIllegalCharacter},
        {"a\nb", F::kIllegalCharacter},
        {"a\x7f", F::kIllegalCharacter},
        {"site ", F::kEndsInBlank},
        {" ", F::kEndsInBlank},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE("name \"" + c.name + "\"");
        EXPECT_EQ(CheckProjectName(c.name), c.fault);
    }
}

}  // namespace
