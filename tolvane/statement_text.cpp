#include "tolvane/statement_text.h"

#include <cctype>

namespace {

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool IsWhereAt(std::string_view text, std::size_t at) {
    constexpr std::string_view kWhere = "where";
    if (at + kWhere.size() > text.size()) return false;
    for (std::size_t i = 0; i < kWhere.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != kWhere[i]) return false;
    const bool startsWord = at == 0 || !IsNameCharacter(text[at - 1]);
    const std::size_t after = at + kWhere.size();
    return startsWord && (after == text.size() || !IsNameCharacter(text[after]));
}

// What may stand between the question marks of a substitution: a name, perhaps with an index,
// that neither begins nor ends with a blank and holds no double quote. Other text between two
// typed question marks is taken as written.
bool IsReferenceName(std::string_view name) {
    return !name.empty() && name.front() != ' ' && name.back() != ' ' &&
           name.find('"') == std::string_view::npos;
}

}  // namespace

std::string EscapeScriptName(std::string_view name) {
    std::string escaped;
    for (const char c : name) {
        if (std::string_view("\\&{}#?").find(c) != std::string_view::npos) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string BracketIfBlank(std::string_view name) {
    if (name.find(' ') == std::string_view::npos) return std::string(name);
    return "[" + std::string(name) + "]";
}

std::string BetweenQuotes(std::string_view statement) {
    const std::size_t first = statement.find('"');
    const std::size_t last = statement.rfind('"');
    if (first == std::string_view::npos || last == first) return {};
    return std::string(statement.substr(first + 1, last - first - 1));
}

std::string QueryWithoutWhere(std::string_view query) {
    for (std::size_t at = 0; at < query.size(); ++at)
        if (IsWhereAt(query, at)) return std::string(query.substr(0, at));
    return std::string(query);
}

std::string EscapeTextKeepingReferences(std::string_view text) {
    std::string escaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '?') {
            const std::size_t close = text.find('?', i + 1);
            if (close != std::string_view::npos &&
                IsReferenceName(text.substr(i + 1, close - i - 1))) {
                escaped += text.substr(i, close - i + 1);
                i = close;
                continue;
            }
            escaped += '\\';
        } else if (std::string_view("\\\"#&{}").find(c) != std::string_view::npos) {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
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
        for (const char c : std::string_view(statement).substr(open + 1, close - open - 1)) {
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
