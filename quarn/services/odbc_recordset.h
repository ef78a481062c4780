#pragma once
// COdbcRecordset: one ODBC connection with one statement and its bound result columns, the item
// of the interpreter's data-source stack. Use: Connect, one ExecuteSql, then any number of
// fetches and column requests. Every operation returns 1 or 0 and leaves its result or its
// message as the current value (GetValue); nothing throws. Column values are text: numbers and
// text as the driver formats them, binary data as upper-case hex. A value is never cut silently:
// one longer than the `odbccolsize` limit allows is ERROR 18. Not thread-safe: one thread (the
// task thread) uses an object.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc_handle.h"

class COdbcRecordset {
public:
    static constexpr int kMaxColumns = 499;
    // Column type classes (GetType).
    static constexpr int kNumber = 1;
    static constexpr int kBinary = 2;
    static constexpr int kText = 3;

    // There are no windows here: drivers are never given a parent for a dialog and never prompt,
    // so the owner window is accepted for the data-source stack's sake and not kept.
    explicit COdbcRecordset(const void* ownerWindow = nullptr);
    // Frees the column buffers, drops the statement, disconnects, frees connection and
    // environment.
    virtual ~COdbcRecordset();
    COdbcRecordset(const COdbcRecordset&) = delete;
    COdbcRecordset& operator=(const COdbcRecordset&) = delete;

    // Connects with `connectionString` (at most 1023 bytes, no zero byte) and prepares a static
    // cursor; the project key `odbccursorlib` chooses the cursor library. 1 and ready, or 0 with
    // "ERROR 1- <diagnostic>". A recordset connected before is disconnected first.
    int Connect(std::string_view connectionString);
    // Executes `statement`. With `withResultSet`, binds the result's columns (at most 499),
    // counts its rows and fetches the first. 1 with "SQL successfully executed.", or 0 with a
    // message; after 0 the recordset is not ready and answers every request with a diagnostic.
    int ExecuteSql(std::string_view statement, bool withResultSet = true);
    // Fetch absolute row `row` / the next row. The row number becomes `row` / one more, whatever
    // the outcome. 1 with "" (row available, or 0 when the cursor left the result), or 0 with the
    // diagnostic and no row available.
    int FetchRow(int row);
    int FetchNext();
    int IsRowAvailable() const { return m_bRowAvailable; }
    // The pseudo-columns "rownumber", "recordsetsize", "numcolumns" (type class number), else the
    // first column of that name (GetColumn); names compare byte for byte. 0 with ERROR 55 for an
    // unknown name. A column of the cursor's row reads as "" (length 0) when no row is available.
    int GetVariable(std::string_view name);
    // Column `column` (1-based) of the current row: 1 with its value, length (-1 for NULL) and
    // type class; 0 with ERROR 3 (no such column), 13 (empty result) or 18 (too long).
    int GetColumn(int column);

    // The current value: the result or message of the last operation. It stays valid until the
    // next operation and is followed by a zero byte.
    std::string_view GetValue() const { return m_value; }
    int GetLength() const { return m_nLength; }
    int GetType() const { return m_nType; }

    int GetColumnCount() const { return m_nColumnCount; }
    int GetRowCount() const { return m_nRowCount; }
    int GetRowNumber() const { return m_nRowNumber; }
    int IsReady() const { return m_bReady; }

private:
    struct Column;
    enum class FetchOutcome { kFailed, kRow, kNoData };

    int Diagnostic();
    int Fail(std::string message);
    void SetValue(std::string text, int type);
    void ReleaseColumns();
    int BindColumns();
    int CountRows();
    FetchOutcome Fetch(short orientation, std::int64_t offset);
    void TrackCursor(short orientation, std::int64_t offset, bool delivered);
    int GrowTruncatedColumns(bool* grown);
    void EmptyColumnBuffers();
    std::int64_t CapacityLimit(const Column& column) const;

    // Member order is release order in reverse: columns go first, the environment last.
    odbc::OdbcHandle m_environment{odbc::HandleKind::kEnvironment};
    odbc::OdbcHandle m_connection{odbc::HandleKind::kConnection};
    odbc::OdbcHandle m_statement{odbc::HandleKind::kStatement};
    // Sized once per execution, never resized while bound: the driver holds the addresses of
    // each column's buffer and length indicator.
    std::vector<Column> m_columns;

    int m_nColumnCount = 0;
    int m_nRowCount = 0;
    int m_nRowNumber = 0;
    int m_bRowAvailable = 0;
    int m_bReady = 0;
    // False under the ODBC cursor library: a column then keeps the buffer of its first bind.
    bool m_bColumnsCanGrow = false;
    // Return code of the last ODBC call, named in a diagnostic that has no record.
    short m_nLastReturn;
    // Bytes a column value may take, from `odbccolsize`, read at each execution.
    std::int64_t m_nColumnSizeLimit = 0;
    // The result row the cursor stands on: 0 before the first, row count + 1 after the last.
    // A grown column is refetched from here.
    std::int64_t m_nCursorRow = 0;

    // Messages, pseudo-column values and hex texts; m_value points here or into a column buffer.
    std::string m_valueBuffer;
    std::string_view m_value;
    int m_nLength = 0;
    int m_nType = kText;
};
