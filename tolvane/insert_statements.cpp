#include "tolvane/insert_statements.h"

#include <cctype>

namespace {

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsWhereAt(std::string_view text, std::size_t at) {
    static constexpr std::string_view kWhere = "where";
    if (at + kWhere.size() > text.size()) return false;
    for (std::size_t i = 0; i < kWhere.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != kWhere[i]) return false;
    const bool startsWord = at == 0 || !IsNameChar(text[at - 1]);
    const std::size_t end = at + kWhere.size();
    return startsWord && (end == text.size() || !IsNameChar(text[end]));
}

}  // namespace

std::string TextBetweenQuotes(std::string_view statement) {
    const std::size_t first = statement.find('"');
    const std::size_t last = statement.rfind('"');
    if (first == std::string_view::npos || last == first) return {};
    return std::string(statement.substr(first + 1, last - first - 1));
}

std::string QueryBeforeWhere(std::string_view query) {
    for (std::size_t at = 0; at < query.size(); ++at)
        if (IsWhereAt(query, at)) return std::string(query.substr(0, at));
    return std::string(query);
}

std::vector<std::string> VariableEntries(const std::vector<std::string>& defvarStatements) {
    std::vector<std::string> entries;
    const auto add = [&entries](std::string& name) {
        if (!name.empty()) entries.push_back("?" + name + "?");
        name.clear();
    };
    for (const std::string& statement : defvarStatements) {
        const std::size_t open = statement.find('(');
        const std::size_t close = statement.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open) continue;
        std::string name;
        for (char c : std::string_view(statement).substr(open + 1, close - open - 1)) {
            if (c == ',') {
                add(name);
            } else if (c != ' ' && c != '?') {
                name += c;
            }
        }
        add(name);
    }
    return entries;
}

std::vector<std::string> QuotedNames(const std::vector<std::string>& statements) {
    std::vector<std::string> names;
    for (const std::string& statement : statements)
        names.push_back(TextBetweenQuotes(statement));
    return names;
}
