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
// Escaped in a text between double quotes.
inline constexpr std::string_view kQuotedSpecials = "\\#?\"";

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
