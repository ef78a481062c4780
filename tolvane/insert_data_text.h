#pragma once
// The text of the data insert commands: connection, recordset ("one to many" too) and database
// data, from the answers of their dialogs. Names and strings are escaped here, so that the
// script engine reads back exactly what the user chose.

#include <string>
#include <string_view>

#include "tolvane/insert_frame.h"

enum class RecordsetFunction { kGetdata, kSql };

// Format types of the Data format dialog, in its radio order.
enum class DataFormat { kNone, kDate, kTime, kCurrency, kHyperlink };

// `&datasource("...")` for a connection string as the wizard built it (single backslashes),
// with the connection TODO lines.
InsertResult DataSourceText(std::string_view connection, const InsertContext& ctx);

// A table name as a recordset query names it: bracketed unless a plain identifier, then escaped
// for the script (a backslash before \ & { } # ? and the double quote).
std::string TableForQuery(std::string_view table);

// A column name as a field reference names it: a backslash before \ & { } # ?.
std::string FieldForScript(std::string_view field);

// `&getdata("SELECT * FROM table")` or `&sql(...)`; `table` as TableForQuery gives it.
std::string RecordsetStatement(RecordsetFunction function, std::string_view table);

// The "one to many" statement: the many table's rows whose `foreignKey` matches the current
// value of `oneKey`, compared as a number when `keyKind` is "I", else as text (LIKE).
std::string OneToManyStatement(RecordsetFunction function, std::string_view manyTable,
                               std::string_view foreignKey, std::string_view oneKey,
                               std::string_view keyKind);

// `statement` with its block, caret inside: the text the two recordset commands write.
InsertResult RecordsetBlock(std::string_view statement, const InsertContext& ctx);

// "?field?", or "?field[index]?" for data outside the current recordset; `field` escaped.
std::string FieldReference(std::string_view field, bool inCurrentRecordset, int index);

// The Database Data command's text for `reference` (as FieldReference gives it) in `format`.
InsertResult DatabaseDataText(std::string_view reference, DataFormat format,
                              const InsertContext& ctx);
