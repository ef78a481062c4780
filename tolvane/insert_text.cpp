#include "tolvane/insert_text.h"

std::string Tabs(int count) {
    return std::string(count > 0 ? static_cast<std::size_t>(count) : 0, '\t');
}

std::size_t AppendBlock(std::string& text, int n, std::string_view todoLine) {
    text += Tabs(n);
    text += "{";
    text += kCrlf;
    if (!todoLine.empty()) {
        text += Tabs(n + 1);
        text += todoLine;
        text += kCrlf;
    }
    text += Tabs(n + 1);
    const std::size_t caret = text.size();
    text += kCrlf;
    text += Tabs(n);
    text += "}";
    text += kCrlf;
    text += Tabs(n);
    return caret;
}
