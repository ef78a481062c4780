#pragma once
// The editing rules of the script view on plain text, apart from any widget: block indentation,
// automatic indentation, HTML tag insertion and the statement scanner. Texts are UTF-8 with "\n"
// line breaks; every rule that looks at characters looks at ASCII ones only.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A whole-line block with one TAB put before its first character and after every line feed
// (indent), or with one TAB taken from each line that begins with one (outdent). `change` gets
// the number of TABs added (positive) or removed (negative).
std::string IndentBlock(std::string_view block, bool outdent, int& change);

// The number of TABs at the start of `line`, counted over at most 32000 characters.
int IndentLevel(std::string_view line);

// The last character of `line` (the caret line without its line break); 0 for an empty line.
char LastLineChar(std::string_view line);

// What Enter inserts with auto-tab on, the caret being on `line`: a line break and the line's
// leading TABs, one more when the line ends with "{".
std::string AutoTabBreak(std::string_view line);

// Whether a "}" typed at `column` of `line` with auto-tab on replaces the character before the
// caret: the line's last character is a TAB and so is the character just before the caret.
bool BraceReplacesTab(std::string_view line, std::size_t column);

// What inserting the HTML tag `tag` puts in place of the selection, and where the caret ends (an
// offset in bytes into `text`). `openClose` is the `openclosehtml` setting, `shift` whether
// Shift is held.
struct TagInsertion {
    std::string text;
    std::size_t caret = 0;
};
TagInsertion HtmlTagInsertion(std::string_view tag, bool openClose, bool shift);

// Every uncommented statement of `keyword` in `text`, in text order: from the keyword to the
// line feed or to where its parentheses balance, trailing white space removed. A statement
// counts when the keyword is followed by a blank or "(" and no "#" stands before it on its line.
std::vector<std::string> CollectStatements(std::string_view text, std::string_view keyword);

// A 0-based line brought into 0 .. lineCount - 1.
int ClampLine(int line, int lineCount);
