#pragma once
// The text of the variable, page, subroutine and e-mail insert commands and of Process HTML.
//
// The edit fields of the page and e-mail dialogs hold typed text and the substitutions ("?name?",
// "?Cost\#1?") their "Database" and "User Variable" buttons put there: the substitutions are
// written as they stand, everything else escaped so that the script hands on the typed text.

#include <string>
#include <string_view>

#include "tolvane/insert_frame.h"

// The longest subroutine name the script engine reads (the edits of the page and subroutine
// dialogs take no more).
inline constexpr int kMaxSubroutineName = 19;

InsertResult UserVariableText(std::string_view name, const InsertContext& ctx);
// `variable` as the Data Assign dialog shows it ("?name?"); `value` is an expression, as typed.
InsertResult DataAssignText(std::string_view variable, std::string_view value,
                            const InsertContext& ctx);
InsertResult DefsubText(std::string_view name, const InsertContext& ctx);
InsertResult GosubText(std::string_view name);

struct HtmlPageAnswers {
    std::string fileName;
    bool insideSubroutine = false;
    std::string subroutine;
};
InsertResult HtmlPageText(const HtmlPageAnswers& answers, const InsertContext& ctx);

struct EmailAnswers {
    std::string to;
    std::string from;
    std::string server;
    std::string subject;
    bool noFormatting = true;
};
InsertResult EmailText(const EmailAnswers& answers, const InsertContext& ctx);

// Process HTML: the selection with a backslash before each of # & ? \ { }, and the report
// "N characters processed, M substitutions made.".
struct ProcessedHtml {
    std::string text;
    std::string report;
};
ProcessedHtml ProcessHtml(std::string_view selection);
