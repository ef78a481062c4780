#include "tolvane/onetomany_text.h"

std::string OneToManyStatement(const OneToManyAnswers& answers) {
    std::string statement = answers.function == 1 ? "&sql" : "&getdata";
    statement += "(\"SELECT * FROM " + answers.manyTable + " WHERE " + answers.foreignKey;
    if (answers.keyKind == "I") {
        statement += "=?" + answers.keyField + "?\")";
    } else {
        statement += " LIKE '?" + answers.keyField + "?'\")";
    }
    return statement;
}

InsertText OneToManyRecordsetText(const OneToManyAnswers& answers, const InsertSettings& settings) {
    InsertText insert;
    insert.text = OneToManyStatement(answers);
    insert.text += kCrlf;
    insert.caret = AppendBlock(insert.text, settings.indent,
                               settings.todo ? kRecordsetTodo : std::string_view());
    return insert;
}
