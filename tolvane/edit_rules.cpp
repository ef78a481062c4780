#include "tolvane/edit_rules.h"

#include <algorithm>

namespace {

constexpr std::string_view kEmptyElements =
    "<AREA> <BASE> <BASEFONT> <BGSOUND> <BR> <COL> <COLGROUP> <DD> <DT> <EMBED> <FRAME> <HR> "
    "<IMG> <INPUT> <ISINDEX> <LI> <LINK> <META> <OBJECT> <OPTION> <TEXTAREA> <WBR> ";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::string IndentBlock(std::string_view block, bool outdent, int& change) {
    std::string result;
    result.reserve(block.size() + block.size() / 16 + 1);
    change = 0;
    bool lineStart = true;
    for (const char c : block) {
        if (lineStart) {
            if (!outdent) {
                result += '\t';
                ++change;
            } else if (c == '\t') {
                --change;
                lineStart = false;
                continue;
            }
        }
        result += c;
        lineStart = c == '\n';
    }
    if (lineStart && !outdent) {
        result += '\t';
        ++change;
    }
    return result;
}

int IndentLevel(std::string_view line) {
    int level = 0;
    const std::size_t limit = std::min<std::size_t>(line.size(), 32000);
    while (static_cast<std::size_t>(level) < limit && line[level] == '\t')
        ++level;
    return level;
}

char LastLineChar(std::string_view line) {
    return line.empty() ? 0 : line.back();
}

std::string AutoTabBreak(std::string_view line) {
    const int tabs = IndentLevel(line) + (LastLineChar(line) == '{' ? 1 : 0);
    std::string text(static_cast<std::size_t>(tabs) + 1, '\t');
    text.front() = '\n';
    return text;
}

bool BraceReplacesTab(std::string_view line, std::size_t column) {
    return LastLineChar(line) == '\t' && column >= 1 && column <= line.size() &&
           line[column - 1] == '\t';
}

TagInsertion HtmlTagInsertion(std::string_view tag, bool openClose, bool shift) {
    const std::size_t blank = tag.find(' ');
    const std::string opening = blank == std::string_view::npos
                                    ? std::string(tag)
                                    : std::string(tag.substr(0, blank)) + ">";
    const bool empty = kEmptyElements.find(tag.substr(0, 4)) != std::string_view::npos;
    const std::string closing =
        empty ? "" : "</" + opening.substr(std::min<std::size_t>(1, opening.size()));
    if (openClose) return {std::string(tag) + closing, tag.size()};
    if (!shift) return {std::string(tag), tag.size()};
    return {closing, closing.size()};
}

std::vector<std::string> CollectStatements(std::string_view text, std::string_view keyword) {
    std::vector<std::string> statements;
    if (keyword.empty()) return statements;
    std::size_t from = 0;
    std::size_t previousEnd = 0;
    while (true) {
        const std::size_t start = text.find(keyword, from);
        if (start == std::string_view::npos) break;
        const std::size_t after = start + keyword.size();
        const char next = after < text.size() ? text[after] : 0;

        int depth = 0;
        bool opened = false;
        std::size_t end = start;
        while (end < text.size()) {
            const char c = text[end++];
            if (c == '\n') break;
            if (c == '(') {
                ++depth;
                opened = true;
            } else if (c == ')') {
                --depth;
            }
            if (opened && depth == 0) break;
        }
        std::size_t trimmed = end;
        while (trimmed > start && IsBlank(text[trimmed - 1]))
            --trimmed;

        const std::size_t lineFeed = text.rfind('\n', start);
        std::size_t lineStart = previousEnd;
        if (lineFeed != std::string_view::npos && lineFeed >= previousEnd) lineStart = lineFeed;
        const std::string_view linePart = text.substr(lineStart, trimmed - lineStart);
        const std::size_t hash = linePart.find('#');
        const bool commented = hash != std::string_view::npos && hash < linePart.find(keyword);

        if (!commented && (next == ' ' || next == '('))
            statements.emplace_back(text.substr(start, trimmed - start));
        from = std::max(end, after);
        previousEnd = end;
    }
    return statements;
}

int ClampLine(int line, int lineCount) {
    return std::clamp(line, 0, std::max(0, lineCount - 1));
}
