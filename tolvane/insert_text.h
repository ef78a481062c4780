#pragma once
// What an insert command gives the editing view, and what the view gives it: the text that
// replaces the selection with the caret's place in it, and the caret line's indentation with the
// "Include TODO statements" setting. Generated lines end in CR LF; later lines are indented with
// TABs, the first line is written at the caret.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct InsertText {
    std::string text;
    // Byte offset into `text` where the caret goes after the replacement.
    std::size_t caret = 0;
};

struct InsertSettings {
    // The number of leading TABs of the caret line.
    int indent = 0;
    // Generated blocks get TODO comment lines.
    bool todo = true;
};

// The view's remembered statements, which preselect the statement combos of the field and
// recordset dialogs; they outlive one command.
struct RememberedStatements {
    std::string lastDatasource;
    std::string lastRecordset;
};

// The view's uncommented statements of a keyword ("&datasource", "&getdata", ...), whole, in text
// order.
using StatementCollector = std::function<std::vector<std::string>(std::string_view keyword)>;

inline constexpr std::string_view kCrlf = "\r\n";

std::string Tabs(int count);

// Appends TAB(n) "{" CRLF, the TODO line at TAB(n+1) when `todoLine` is not empty, TAB(n+1) (the
// caret), CRLF, TAB(n) "}" CRLF TAB(n); returns the caret's offset in `text`.
std::size_t AppendBlock(std::string& text, int n, std::string_view todoLine);
