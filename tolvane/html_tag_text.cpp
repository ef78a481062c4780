#include "tolvane/html_tag_text.h"

#include <array>

#include "shared/script_escapes.h"
#include "tolvane/insert_statements.h"

namespace {

constexpr std::array<HtmlTagCommand, 13> kPlainTags = {{
    {32774, "<HTML>"},
    {32775, "<HEAD>"},
    {32786, "<TITLE>"},
    {32776, "<BODY>"},
    {32824, "<B>"},
    {32825, "<I>"},
    {32782, "<P>"},
    {32781, "<BR>"},
    {32823, "<HR>"},
    {32819, "<CENTER>"},
    {32820, "<OL>"},
    {32821, "<UL>"},
    {32822, "<LI>"},
}};

constexpr std::array<std::string_view, 6> kAlignments = {
    "", " ALIGN=LEFT", " ALIGN=RIGHT", " ALIGN=TOP", " ALIGN=MIDDLE", " ALIGN=BOTTOM"};

// ` NAME="value"` when the value is not empty.
std::string Attribute(std::string_view name, std::string_view value) {
    if (value.empty()) return {};
    return " " + std::string(name) + "=\"" + EscapedFor(value, kQuotedSpecials) + "\"";
}

}  // namespace

std::span<const HtmlTagCommand> PlainHtmlTagCommands() {
    return kPlainTags;
}

std::string HtmlTagPrompt(std::string_view menuText) {
    return "Insert " + std::string(menuText) + " tag. Press shift to insert closing tag.";
}

std::string FontTag(std::string_view face, std::string_view color, std::string_view size) {
    return "<FONT" + Attribute("FACE", face) + Attribute("COLOR", color) + Attribute("SIZE", size) +
           ">";
}

std::string ImageTag(std::string_view file, int align, std::string_view alt) {
    const std::size_t at = align >= 0 && align < 6 ? static_cast<std::size_t>(align) : 0;
    return "<IMG SRC=\"" + EscapedFor(file, kQuotedSpecials) + "\"" + std::string(kAlignments[at]) +
           Attribute("ALT", alt) + ">";
}

std::vector<std::string> HyperlinkEntries(const std::vector<std::string>& htmlStatements) {
    std::vector<std::string> entries = QuotedNames(htmlStatements);
    for (std::string& entry : entries)
        entry = UnescapedScriptText(entry);
    return entries;
}

std::string HyperlinkTag(std::string_view url) {
    return "<A HREF=\"" + EscapeTextKeepingReferences(url) + "\">";
}

InsertResult TableText(const TableAnswers& answers, const InsertContext& ctx) {
    const std::string lineEnd = std::string(kCrlf) + Tabs(ctx.indent);
    std::string text = "<TABLE" + Attribute("CELLPADDING", answers.cellpadding) +
                       Attribute("CELLSPACING", answers.cellspacing) +
                       Attribute("BORDER", answers.border) + ">" + lineEnd;
    for (int row = 0; row < answers.rows; ++row) {
        text += "<TR>" + lineEnd;
        for (int column = 0; column < answers.columns; ++column)
            text += "<TD></TD>" + lineEnd;
        text += "</TR>" + lineEnd;
    }
    text += "</TABLE>" + lineEnd;
    return AtEnd(std::move(text));
}
