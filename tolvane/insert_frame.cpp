#include "tolvane/insert_frame.h"

std::string Tabs(int count) {
    return std::string(count > 0 ? count : 0, '\t');
}

InsertResult AtEnd(std::string text) {
    const std::size_t end = text.size();
    return {std::move(text), end};
}

InsertResult Block(std::string_view opening, int indent, std::string_view todo,
                   const InsertContext& ctx) {
    std::string text(opening);
    text += kCrlf;
    text += Tabs(indent) + "{" + std::string(kCrlf);
    if (ctx.todo) text += Tabs(indent + 1) + std::string(todo) + std::string(kCrlf);
    text += Tabs(indent + 1);
    const std::size_t caret = text.size();
    text += std::string(kCrlf) + Tabs(indent) + "}";
    return {std::move(text), caret};
}
