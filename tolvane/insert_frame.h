#pragma once
// What every insert command of the editing view shares: what it takes from the view before its
// dialog opens (InsertContext), what it gives back (InsertResult), the indentation and the TODO
// comment lines of generated blocks. Text is bytes (UTF-8) with CR LF line ends.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Every uncommented statement of a keyword ("&datasource", "&defvar", ...) in the view's whole
// text, in text order: the view's statement scanner.
using StatementCollector = std::function<std::vector<std::string>(std::string_view keyword)>;

struct InsertContext {
    // TAB characters at the start of the caret line, taken before the dialog opens.
    int indent = 0;
    // The "Include TODO statements" setting (section "tolvane", key "todo").
    bool todo = true;
    // The selected text (Process HTML works on it).
    std::string selection;
    StatementCollector collect;
};

// The data statements last chosen or generated; the view keeps them between commands, and the
// data commands read and update them.
struct DataMemory {
    std::string lastDatasource;
    std::string lastRecordset;
};

// The text that replaces the selection (one undo step) and where the caret goes: a byte offset
// into `text`, counted from the selection's start.
struct InsertResult {
    std::string text;
    std::size_t caret = 0;
};

inline constexpr std::string_view kCrlf = "\r\n";

inline constexpr std::string_view kTodoConnection1 =
    "# TODO- you can insert a recordset after this line,";
inline constexpr std::string_view kTodoConnection2 =
    "# although you will probably want to place it inside an HTML page.";
inline constexpr std::string_view kTodoRecordset =
    "# TODO- insert your database data and extra HTML after this line.";
inline constexpr std::string_view kTodoHtmlPage =
    "# TODO- insert your database recordset and/or HTML after this line.";
inline constexpr std::string_view kTodoSubroutine =
    "# TODO- insert your subroutine functions after this line.";
inline constexpr std::string_view kTodoFormattedData =
    "# The user-defined variable on the following line contains your formatted data.";

std::string Tabs(int count);

// A result whose caret ends after the whole text.
InsertResult AtEnd(std::string text);

// `opening` (the statement that owns the block, written at the caret), CR LF, then "{" at
// `indent`, the TODO line `todo` at indent + 1 when `ctx.todo` is set, the caret's empty line at
// indent + 1 and "}" at `indent`. Nothing follows the "}".
InsertResult Block(std::string_view opening, int indent, std::string_view todo,
                   const InsertContext& ctx);
