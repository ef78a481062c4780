#pragma once
// Pieces of script statements that the insert dialogs read and write: names escaped for the
// script, the quoted part of a statement, a query without its WHERE clause, and the variables a
// "&defvar" statement defines.

#include <string>
#include <string_view>
#include <vector>

// `name` with a backslash before each \ & { } # and ?, so that the script reads it back as typed.
std::string EscapeScriptName(std::string_view name);

// `name` enclosed in "[" and "]" when it holds a blank, else unchanged.
std::string BracketIfBlank(std::string_view name);

// The text between the first and the last double quote of `statement`; "" when it has fewer than
// two.
std::string BetweenQuotes(std::string_view statement);

// `query` cut before its first word WHERE, in any case, that stands between characters which
// cannot be part of a name; unchanged without one.
std::string QueryWithoutWhere(std::string_view query);

// User text that may hold substitutions ("?name?"), made to read back as typed: a backslash goes
// before each \ " # & { } outside the substitutions and before a "?" that opens none. A
// substitution's name neither begins nor ends with a blank and holds no double quote.
std::string EscapeTextKeepingReferences(std::string_view text);

// The variables the "&defvar" statements define, each as "?" name "?", in statement order: the
// text between a statement's first "(" and last ")", without blanks, commas and "?", split at the
// commas. Empty names are left out.
std::vector<std::string> VariableEntries(const std::vector<std::string>& defvarStatements);
