#pragma once
// The script language's built-in function names, in the interpreter's keyword order (its
// keyword numbers index this list). The editor's preview and function lists read the same list.

#include <array>
#include <string_view>

inline constexpr std::array<std::string_view, 88> kScriptKeywords = {
    "sql",       "html",        "nextrow",    "datasource",   "foreachrow", "if",
    "getrow",    "else",        "defvar",     "assign",       "defsub",     "gosub",
    "inc",       "dec",         "loop",       "getdata",      "datawrite",  "dataread",
    "break",     "continue",    "toupper",    "tolower",      "strcmp",     "strin",
    "midstr",    "strlen",      "strtrim",    "return",       "die",        "ftoint",
    "ascii",     "for",         "do",         "delete",       "while",      "arraydelete",
    "arraysize", "msgbox",      "input",      "print",        "log",        "cls",
    "repeat",    "chr",         "dec2hex",    "hex2dec",      "exec",       "sleep",
    "join",      "split",       "runscript",  "htmlrootdir",  "getcol",     "export",
    "replace",   "mkldir",      "filelink",   "filetest",     "format",     "dialup",
    "getmsg",    "pop3session", "msgno",      "getmails",     "unpack",     "http",
    "mailtxt",   "sendmail",    "pack",       "ftpsession",   "ftpput",     "ftpget",
    "ftpdel",    "mailheader",  "elseif",     "sqlnr",        "geterror",   "deletemail",
    "retry",     "ignore",      "striphtml",  "ftpcommand",   "directory",  "ftpmkdir",
    "ftprmdir",  "datecomp",    "dateformat", "voidfunction",
};
