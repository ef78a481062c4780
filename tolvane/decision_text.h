#pragma once
// The text of the Data Decision command: an "&if" statement testing a database field or a user
// variable, with its block and optionally an "&else" block.

#include <string>

#include "tolvane/insert_frame.h"

struct DecisionAnswers {
    enum Source { kField = 0, kVariable = 1 };
    enum Test { kLogical = 0, kNumeric = 1, kText = 2 };

    int source = kField;
    int test = kLogical;
    bool includeElse = false;
    // The field name as listed, or the variable name without its question marks.
    std::string sourceName;
    // Set: the field belongs to the innermost recordset, and `index` is not written.
    bool currentRecordset = true;
    int index = -1;
    // The phrase (text test) or the number or expression (numeric test), as typed.
    std::string testValue;
    // 0..5: the comparison of the text test, or the relation of the numeric test.
    int testChoice = 0;
    bool caseSensitive = false;
};

// The "&if(...)" line without its line end.
std::string DecisionTestLine(const DecisionAnswers& answers);

// The test line, its block and the "&else" block when asked for; the caret in the first block.
InsertResult DataDecisionText(const DecisionAnswers& answers, const InsertContext& ctx);
