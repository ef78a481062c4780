#pragma once
// The text of the "One To Many" Recordset command: a recordset over the "many" table whose rows
// match the key of the current row of the enclosing "one" recordset, with its block.

#include <string>

#include "tolvane/insert_text.h"

// What the one-to-many wizard collects. The names are ready for the script: the many table and
// the foreign key bracketed when they hold a blank, all three escaped.
struct OneToManyAnswers {
    int function = 0;  // 0 &getdata, 1 &sql
    std::string manyTable;
    std::string keyField;
    std::string foreignKey;
    std::string keyKind;  // "I" numeric, "T" other
};

inline constexpr std::string_view kRecordsetTodo =
    "# TODO- insert your database data and extra HTML after this line.";

// `&getdata("SELECT * FROM many WHERE fk=?key?")` for a numeric key, `... WHERE fk LIKE '?key?'")`
// for another, or the same with &sql.
std::string OneToManyStatement(const OneToManyAnswers& answers);

// The statement, CRLF and its block, the caret on the empty line inside.
InsertText OneToManyRecordsetText(const OneToManyAnswers& answers, const InsertSettings& settings);
