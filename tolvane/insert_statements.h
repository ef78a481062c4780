#pragma once
// What the insert dialogs cut out of the statements the view's scanner collects.

#include <string>
#include <string_view>
#include <vector>

// The text between the first and the last double quote of `statement`; "" when it holds fewer
// than two.
std::string TextBetweenQuotes(std::string_view statement);

// `query` cut before its first word WHERE in any case (bounded by characters that cannot be
// part of a name), so that its columns can be listed without the condition's values; the whole
// query when it has none.
std::string QueryBeforeWhere(std::string_view query);

// The variables the "&defvar" statements define, each as its name between question marks, in
// statement order: blanks and "?" dropped, a comma ending each name; empty names left out.
std::vector<std::string> VariableEntries(const std::vector<std::string>& defvarStatements);

// The names between the quotes of each statement ("&defsub", "&html"), in statement order.
std::vector<std::string> QuotedNames(const std::vector<std::string>& statements);
