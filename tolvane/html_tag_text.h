#pragma once
// The texts of the HTML tag commands: the tag handed to the view's tag routine (which adds the
// closing tag as its settings say), or for TABLE the whole table that replaces the selection.
// Attribute values are escaped for the script, so that the page gets exactly the typed text; a
// hyperlink keeps its substitutions ("page?id?.html"), as the page names it is chosen from do.

#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// "<FONT" with FACE, COLOR and SIZE, each only when not empty, then ">".
std::string FontTag(std::string_view face, std::string_view color, std::string_view size);

// `<IMG SRC="file"`, the alignment (0 none, 1 LEFT, 2 RIGHT, 3 TOP, 4 MIDDLE, 5 BOTTOM), ALT when
// not empty, ">".
std::string ImageTag(std::string_view file, int align, std::string_view alt);

// The hyperlink list: the page name of each "&html" statement as the page is called.
std::vector<std::string> HyperlinkEntries(const std::vector<std::string>& htmlStatements);

// `<A HREF="url">`; `url` is text that may hold substitutions.
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
