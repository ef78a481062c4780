#include "tolvane/statement_text.h"

#include <gtest/gtest.h>

namespace {

TEST(StatementTextTest, QueryLosesItsWhereClauseWhateverTheCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"SELECT * FROM Kinds WHERE KindId=1", "SELECT * FROM Kinds "},
        {"SELECT * FROM Kinds where Name LIKE 'a'", "SELECT * FROM Kinds "},
        {"SELECT * FROM Kinds Where x=1 WHERE y=2", "SELECT * FROM Kinds "},
        // A name that only holds the word keeps the query whole.
        {"SELECT Somewhere FROM Kinds", "SELECT Somewhere FROM Kinds"},
        {"SELECT * FROM where_used", "SELECT * FROM where_used"},
        {"SELECT * FROM [Kind List]\nWHERE(x=1)", "SELECT * FROM [Kind List]\n"},
    };
    for (const auto& [query, cut] : cases) {
        SCOPED_TRACE(query);
        EXPECT_EQ(QueryWithoutWhere(query), cut);
    }
}

TEST(StatementTextTest, QuotedPartAndBrackets) {
    EXPECT_EQ(BetweenQuotes("&getdata(\"SELECT * FROM \\\"a\\\"\")"), "SELECT * FROM \\\"a\\\"");
    EXPECT_EQ(BetweenQuotes("&getdata(x)"), "");
    EXPECT_EQ(BetweenQuotes("&getdata(\"x)"), "");
    EXPECT_EQ(BracketIfBlank("Order Lines"), "[Order Lines]");
    EXPECT_EQ(BracketIfBlank("Orders"), "Orders");
    EXPECT_EQ(EscapeScriptName("a\\b&c{d}e#f?g"), "a\\\\b\\&c\\{d\\}e\\#f\\?g");
}

TEST(StatementTextTest, UserTextKeepsItsReferencesAndEscapesTheRest) {
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

TEST(StatementTextTest, EveryDefinedVariableIsListedBetweenQuestionMarks) {
    EXPECT_EQ(VariableEntries({"&defvar(?a?, ?b? ,?c?)", "&defvar(?total?)", "&defvar()"}),
              (std::vector<std::string>{"?a?", "?b?", "?c?", "?total?"}));
}

}  // namespace
