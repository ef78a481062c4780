#include "tolvane/insert_data_text.h"

#include "shared/script_escapes.h"

namespace {

std::string Line(int indent, std::string_view text) {
    return Tabs(indent) + std::string(text) + std::string(kCrlf);
}

std::string FunctionName(RecordsetFunction function) {
    return function == RecordsetFunction::kSql ? "&sql" : "&getdata";
}

// `first` (the line holding the formatted value), then the value in ?temp? and its deletion.
std::string FormattedInTemp(std::string_view first, const InsertContext& ctx) {
    const int n = ctx.indent;
    std::string text = "&defvar(?temp?)" + std::string(kCrlf) + Line(n, first);
    if (ctx.todo) text += Line(n, kTodoFormattedData);
    return text + Line(n, "?temp?") + Line(n, "&delete(?temp?)") + Tabs(n);
}

}  // namespace

InsertResult DataSourceText(std::string_view connection, const InsertContext& ctx) {
    const int n = ctx.indent;
    std::string text = "&datasource(\"" + EscapedFor(connection, kQuotedSpecials) + "\")";
    text += kCrlf;
    if (ctx.todo) text += Line(n, kTodoConnection1) + Line(n, kTodoConnection2);
    return AtEnd(text + Tabs(n));
}

std::string TableForQuery(std::string_view table) {
    return ScriptSqlName(table);
}

std::string FieldForScript(std::string_view field) {
    return EscapedFor(field, kScriptSpecials);
}

std::string RecordsetStatement(RecordsetFunction function, std::string_view table) {
    return FunctionName(function) + "(\"SELECT * FROM " + std::string(table) + "\")";
}

std::string OneToManyStatement(RecordsetFunction function, std::string_view manyTable,
                               std::string_view foreignKey, std::string_view oneKey,
                               std::string_view keyKind) {
    std::string statement = FunctionName(function) + "(\"SELECT * FROM " + std::string(manyTable) +
                            " WHERE " + std::string(foreignKey);
    if (keyKind == "I") return statement + "=?" + std::string(oneKey) + "?\")";
    return statement + " LIKE '?" + std::string(oneKey) + "?'\")";
}

InsertResult RecordsetBlock(std::string_view statement, const InsertContext& ctx) {
    InsertResult result = Block(statement, ctx.indent, kTodoRecordset, ctx);
    result.text += std::string(kCrlf) + Tabs(ctx.indent);
    return result;
}

std::string FieldReference(std::string_view field, bool inCurrentRecordset, int index) {
    std::string reference = "?" + FieldForScript(field);
    if (!inCurrentRecordset) reference += "[" + std::to_string(index) + "]";
    return reference + "?";
}

InsertResult DatabaseDataText(std::string_view reference, DataFormat format,
                              const InsertContext& ctx) {
    const std::string r(reference);
    const int n = ctx.indent;
    switch (format) {
        case DataFormat::kNone:
            return AtEnd(r);
        case DataFormat::kDate:
            return AtEnd(FormattedInTemp("&format(?temp?,\"&d.d-m-y\",\"" + r + "\")", ctx));
        case DataFormat::kTime:
            return AtEnd(FormattedInTemp("&format(?temp?,\"&t.h:m:s\",\"" + r + "\")", ctx));
        case DataFormat::kCurrency:
            return AtEnd(FormattedInTemp("&format(?temp?,\"%D.2f\"," + r + ")", ctx));
        case DataFormat::kHyperlink:
            return AtEnd("&split(?temp?,\"" + r + "\",\"\\#\")" + std::string(kCrlf) +
                         Line(n, "<A HREF=\"?temp[2]?\">?temp[1]?</A>") +
                         Line(n, "&arraydelete(?temp?)") + Tabs(n));
    }
    return AtEnd(r);
}
