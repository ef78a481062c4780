#include "tolvane/insert_other_text.h"

#include "shared/script_escapes.h"

namespace {

std::string Line(int indent, std::string_view text) {
    return Tabs(indent) + std::string(text) + std::string(kCrlf);
}

}  // namespace

InsertResult UserVariableText(std::string_view name, const InsertContext& ctx) {
    return AtEnd("&defvar(?" + std::string(name) + "?)" + std::string(kCrlf) + Tabs(ctx.indent));
}

InsertResult DataAssignText(std::string_view variable, std::string_view value,
                            const InsertContext& ctx) {
    return AtEnd("&assign(" + std::string(variable) + "," + std::string(value) + ")" +
                 std::string(kCrlf) + Tabs(ctx.indent));
}

InsertResult DefsubText(std::string_view name, const InsertContext& ctx) {
    return Block("&defsub(\"" + std::string(name) + "\")", ctx.indent, kTodoSubroutine, ctx);
}

InsertResult GosubText(std::string_view name) {
    return AtEnd("&" + std::string(name));
}

InsertResult HtmlPageText(const HtmlPageAnswers& answers, const InsertContext& ctx) {
    const int n = ctx.indent;
    const std::string page = "&html(\"" + EscapeTextKeepingReferences(answers.fileName) + "\")";
    if (!answers.insideSubroutine) return Block(page, n, kTodoHtmlPage, ctx);
    const InsertResult inner = Block(page, n + 1, kTodoHtmlPage, ctx);
    std::string text =
        "&defsub(\"" + answers.subroutine + "\")" + std::string(kCrlf) + Line(n, "{") + Tabs(n + 1);
    const std::size_t caret = text.size() + inner.caret;
    text += inner.text + std::string(kCrlf) + Tabs(n) + "}";
    return {std::move(text), caret};
}

InsertResult EmailText(const EmailAnswers& answers, const InsertContext& ctx) {
    const int n = ctx.indent;
    // Without formatting the engine sends the block as written, and a line of the header must
    // start at the line's start to be read as one.
    const int inner = answers.noFormatting ? 0 : n + 1;
    const std::string from = EscapeTextKeepingReferences(answers.from);
    const std::string to = EscapeTextKeepingReferences(answers.to);
    std::string text = "&sendmail(\"" + EscapeTextKeepingReferences(answers.server) + "\",\"" +
                       from + "\",\"" + to + "\"";
    if (answers.noFormatting) text += ",formatnone";
    text += ")" + std::string(kCrlf) + Line(n, "{");
    text += Line(inner, "HEADER:");
    text += Line(inner, "From: " + from);
    text += Line(inner, "To: " + to);
    text += Line(inner, "Subject: " + EscapeTextKeepingReferences(answers.subject));
    text += Line(inner,
                 "Date: ?quarndate.dn?, ?quarndate.d? ?quarndate.mn? ?quarndate.y? "
                 "?quarntime?");
    text += Line(inner, "BODY:");
    text += Tabs(inner);
    const std::size_t caret = text.size();
    text += std::string(kCrlf) + Tabs(n) + "}";
    return {std::move(text), caret};
}

ProcessedHtml ProcessHtml(std::string_view selection) {
    const std::string text = EscapedFor(selection, kScriptSpecials);
    const std::size_t added = text.size() - selection.size();
    // Characters, not bytes: UTF-8 continuation bytes do not count.
    std::size_t characters = 0;
    for (char c : selection)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return {text, std::to_string(characters) + " characters processed, " + std::to_string(added) +
                      " substitutions made."};
}
