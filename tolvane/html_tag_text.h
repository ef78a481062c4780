#pragma once
// The texts of the HTML tag commands: the tag handed to the view's tag routine (which adds the
// closing tag as its settings say), or for TABLE the whole table that replaces the selection.
// Attribute values go in as typed, except that every "#" not already escaped gets a backslash, so
// that the script does not take it for a comment.

#include <span>
#include <string>
#include <string_view>

#include "tolvane/insert_frame.h"

// A tag command of the Insert > HTML menu that hands a fixed text to the tag routine.
struct HtmlTagCommand {
    int id;
    std::string_view tag;
};

// The thirteen commands without a dialog, in menu order.
std::span<const HtmlTagCommand> PlainHtmlTagCommands();

// "Insert " + menu text + " tag. Press shift to insert closing tag."
std::string HtmlTagPrompt(std::string_view menuText);

// `value` with a backslash before every "#" that has none before it.
std::string EscapeNumberSigns(std::string_view value);

// "<FONT" with FACE, COLOR and SIZE, each only when not empty, then ">".
std::string FontTag(std::string_view face, std::string_view color, std::string_view size);

// `<IMG SRC="file"`, the alignment (0 none, 1 LEFT, 2 RIGHT, 3 TOP, 4 MIDDLE, 5 BOTTOM), ALT when
// not empty, ">".
std::string ImageTag(std::string_view file, int align, std::string_view alt);

// `<A HREF="url">`.
std::string HyperlinkTag(std::string_view url);

struct TableAnswers {
    std::string cellpadding;
    std::string cellspacing;
    std::string border;
    int columns = 2;
    int rows = 2;
};

// The table's opening line, a "<TR>" line, "<TD></TD>" lines and a "</TR>" line per row, and
// "</TABLE>", every line followed by CRLF and TAB(n); the caret at the end.
InsertResult TableText(const TableAnswers& answers, const InsertContext& ctx);
