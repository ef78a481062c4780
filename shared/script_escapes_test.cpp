#include "shared/script_escapes.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
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

// Texts cut out of statements are handed to the database as the script engine reads them.
TEST(ScriptEscapesTest, UnescapingReadsEachEscapeAsTheScriptEngineDoes) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"DBQ=C:\\\\data\\\\shop.mdb", "DBQ=C:\\data\\shop.mdb"},
        {"SELECT * FROM [we\\\"ird]", "SELECT * FROM [we\"ird]"},
        {"PWD=a\\#b\\?c\\&d\\{e\\}", "PWD=a#b?c&d{e}"},
        {"\\n\\r\\t\\a\\b\\f\\v\\0x", std::string_view("\n\r\t\a\b\f\v\0x", 9)},
        {"?name? Café", "?name? Café"},
        {"", ""},
        {"end\\", "end\\"},
    };
    for (const auto& [escaped, plain] : cases) {
        SCOPED_TRACE(escaped);
        EXPECT_EQ(UnescapedScriptText(escaped), plain);
    }
}

TEST(ScriptEscapesTest, EscapedTextReadsBackAsTyped) {
    const std::string typed = "A & B #1 {x} \"q\" C:\\t Why? naïve";
    EXPECT_EQ(UnescapedScriptText(EscapedFor(typed, kQuotedSpecials)), typed);
    EXPECT_EQ(UnescapedScriptText(EscapeTextKeepingReferences(typed)), typed);
}

}  // namespace
