#pragma once
// How programs that write scripts put a user's text into them so that the script engine reads
// back exactly that text: backslash escapes for the language's special characters, and SQL names
// that survive blanks and punctuation. Shared by the script wizard and the editor's insert
// commands.

#include <algorithm>
#include <string>
#include <string_view>

// The script language's special characters, escaped in names written into substitutions.
inline constexpr std::string_view kScriptSpecials = "\\&{}#?";
// Escaped in any other text the script should hand on exactly as typed: a quoted argument or the
// page text around calls (where a double quote would end an argument or an HTML attribute).
inline constexpr std::string_view kQuotedSpecials = "\\&{}#?\"";

// The byte the escape "\c" stands for: '0' 0, 'a' 7, 'b' 8, 'f' 12, 'n' 10, 'r' 13, 't' 9,
// 'v' 11, any other character itself. The script engine reads every escape by this rule.
inline constexpr char ScriptEscapeByte(char c) {
    switch (c) {
        case '0':
            return 0;
        case 'a':
            return 7;
        case 'b':
            return 8;
        case 'f':
            return 12;
        case 'n':
            return 10;
        case 'r':
            return 13;
        case 't':
            return 9;
        case 'v':
            return 11;
        default:
            return c;
    }
}

// A text cut out of a script statement (a connection string, a query) as the script engine
// hands it to the database: every "\c" becomes the byte it stands for; a backslash that ends the
// text stays. Substitutions are left as written.
inline std::string UnescapedScriptText(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            plain += ScriptEscapeByte(text[++i]);
        } else {
            plain += text[i];
        }
    }
    return plain;
}

// A backslash before every character of `specials` in `text`.
inline std::string EscapedFor(std::string_view text, std::string_view specials) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (specials.find(c) != std::string_view::npos) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// `name` as an SQL statement names a table or column: in square brackets unless it is a plain
// identifier (ASCII letters, digits and "_"), so blanks, "#" and the like reach the database.
inline std::string SqlName(std::string_view name) {
    const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
    return plain ? std::string(name) : "[" + std::string(name) + "]";
}

// `name` as a statement of the script names a table or column: SqlName's form, escaped for the
// quoted argument that holds the statement.
inline std::string ScriptSqlName(std::string_view name) {
    return EscapedFor(SqlName(name), kQuotedSpecials);
}

// User text that may hold substitutions ("?name?"), made to read back as typed between double
// quotes: a backslash goes before each \ " # & { } outside the substitutions and before a "?" that
// opens none. A substitution's name neither begins nor ends with a blank and holds no double
// quote; other text between two typed question marks is taken as written.
inline std::string EscapeTextKeepingReferences(std::string_view text) {
    static constexpr std::string_view kSpecials = "\\\"#&{}";
    const auto isReferenceName = [](std::string_view name) {
        return !name.empty() && name.front() != ' ' && name.back() != ' ' &&
               name.find('"') == std::string_view::npos;
    };
    std::string escaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '?') {
            const std::size_t close = text.find('?', i + 1);
            if (close != std::string_view::npos &&
                isReferenceName(text.substr(i + 1, close - i - 1))) {
                escaped += text.substr(i, close - i + 1);
                i = close;
                continue;
            }
            escaped += '\\';
        } else if (kSpecials.find(c) != std::string_view::npos) {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}
