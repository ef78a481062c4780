#include "shared/script_escapes.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(ScriptEscapesTest, UserTextKeepsItsReferencesAndEscapesTheRest) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain words", "plain words"},
        {"?name? and ?x[2]?", "?name? and ?x[2]?"},
        {"say \"hi\" C:\\temp", "say \\\"hi\\\" C:\\\\temp"},
        {"#1 & {x}", "\\#1 \\& \\{x\\}"},
        {"Why?", "Why\\?"},
        {"?a? Why?", "?a? Why\\?"},
        {"Why? Because ?x?", "Why\\? Because ?x?"},
        {"#1?\" ?Item?", "\\#1\\?\\\" ?Item?"},
    };
    for (const auto& [typed, written] : cases) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(EscapeTextKeepingReferences(typed), written);
    }
}

}  // namespace
