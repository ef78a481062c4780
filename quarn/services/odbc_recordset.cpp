#include "quarn/services/odbc_recordset.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <climits>
#include <new>

#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

// An unnumbered text of the string table.
constexpr std::string_view kExecutedText = "SQL successfully executed.";

constexpr std::size_t kMaxConnectionString = 1023;
constexpr std::size_t kMaxDiagnostic = 511;
constexpr SQLSMALLINT kColumnNameBuffer = 65;
constexpr SQLSMALLINT kCompletedConnectionBuffer = 256;
constexpr SQLLEN kDisplaySizeMargin = 256;
constexpr SQLLEN kLengthMargin = 10;

bool Succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}
bool IsError(SQLRETURN rc) {
    return rc == SQL_ERROR || rc == SQL_INVALID_HANDLE;
}

int TypeClassOf(SQLSMALLINT sqlType) {
    if (odbc::IsNumericType(sqlType)) return COdbcRecordset::kNumber;
    switch (sqlType) {
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return COdbcRecordset::kBinary;
        default:
            return COdbcRecordset::kText;
    }
}

SQLUINTEGER CursorLibraryOption(int setting) {
    if (setting == 0) return SQL_CUR_USE_ODBC;
    if (setting == 1) return SQL_CUR_USE_IF_NEEDED;
    return SQL_CUR_USE_DRIVER;
}

// Whether the driver itself serves the fetches. The ODBC cursor library serves them from a cache
// laid out at the first fetch for the buffers bound then: a buffer bound later in their place
// would be filled from a record of the old size, so columns can grow only without it. The driver
// manager uses the library always for setting 0, and for setting 1 when the driver's static
// cursors cannot fetch an absolute row.
bool DriverServesFetches(SQLHDBC connection, int setting) {
    if (setting == 0) return false;
    if (setting != 1) return true;
    SQLUINTEGER attributes = 0;
    return SQLGetInfo(connection, SQL_STATIC_CURSOR_ATTRIBUTES1, &attributes, sizeof attributes,
                      nullptr) == SQL_SUCCESS &&
           (attributes & SQL_CA1_ABSOLUTE) != 0;
}

// `odbccolsize` is in KB; below 1 reads as 1. Capped so that every length fits an int.
std::int64_t ReadColumnSizeLimit() {
    const std::int64_t kilobytes = g_settings.Get(g_strProject.Get(), project_key::odbccolsize);
    return std::min<std::int64_t>(std::max<std::int64_t>(kilobytes, 1) * 1024, INT_MAX);
}

// Upper-case hex, two digits a byte.
std::string ToHex(const unsigned char* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex(count * 2, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        hex[2 * i] = kDigits[bytes[i] >> 4];
        hex[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    return hex;
}

}  // namespace

struct COdbcRecordset::Column {
    std::string name;
    int typeClass = kText;
    std::unique_ptr<char[]> buffer;
    SQLLEN bufferSize = 0;
    SQLLEN indicator = 0;

    SQLSMALLINT CType() const { return typeClass == kBinary ? SQL_C_BINARY : SQL_C_CHAR; }
    // The driver had more than the buffer holds. Text needs room for its terminating zero.
    bool Truncated() const {
        if (indicator == SQL_NO_TOTAL) return true;
        if (indicator < 0) return false;
        return typeClass == kBinary ? indicator > bufferSize : indicator >= bufferSize;
    }
};

COdbcRecordset::COdbcRecordset(const void* /*ownerWindow*/) : m_nLastReturn(SQL_INVALID_HANDLE) {}

COdbcRecordset::~COdbcRecordset() = default;

int COdbcRecordset::Connect(std::string_view connectionString) {
    m_bReady = 0;
    ReleaseColumns();
    m_statement.Free();
    m_connection.Free();
    if (connectionString.size() > kMaxConnectionString ||
        connectionString.find('\0') != std::string_view::npos)
        return Fail(LoadMessage(1,
                                "connection string longer than 1023 bytes or holding a zero "
                                "byte"));

    m_nLastReturn = m_environment.Allocate(nullptr);
    if (!Succeeded(m_nLastReturn)) return Diagnostic();
    m_nLastReturn = m_connection.Allocate(m_environment.Get());
    if (!Succeeded(m_nLastReturn)) return Diagnostic();
    const int cursorLibrary = g_settings.Get(g_strProject.Get(), project_key::odbccursorlib);
    m_nLastReturn = SQLSetConnectOption(m_connection.Get(), SQL_ODBC_CURSORS,
                                        CursorLibraryOption(cursorLibrary));
    if (!Succeeded(m_nLastReturn)) return Diagnostic();

    SQLCHAR completed[kCompletedConnectionBuffer];
    SQLSMALLINT completedLength = 0;
    m_nLastReturn =
        SQLDriverConnect(m_connection.Get(), nullptr,
                         reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.data())),
                         static_cast<SQLSMALLINT>(connectionString.size()), completed,
                         sizeof completed, &completedLength, SQL_DRIVER_COMPLETE);
    if (!Succeeded(m_nLastReturn)) return Diagnostic();
    m_connection.MarkConnected();
    m_bColumnsCanGrow = DriverServesFetches(m_connection.Get(), cursorLibrary);

    m_nLastReturn = m_statement.Allocate(m_connection.Get());
    if (!Succeeded(m_nLastReturn)) return Diagnostic();
    m_nLastReturn = SQLSetStmtOption(m_statement.Get(), SQL_CURSOR_TYPE, SQL_CURSOR_STATIC);
    if (!Succeeded(m_nLastReturn)) return Diagnostic();
    m_bReady = 1;
    return 1;
}

int COdbcRecordset::ExecuteSql(std::string_view statement, bool withResultSet) {
    if (!m_bReady) return Diagnostic();
    m_bReady = 0;
    m_bRowAvailable = 0;
    m_nColumnSizeLimit = ReadColumnSizeLimit();
    ReleaseColumns();

    m_nLastReturn = SQLExecDirect(m_statement.Get(),
                                  reinterpret_cast<SQLCHAR*>(const_cast<char*>(statement.data())),
                                  static_cast<SQLINTEGER>(statement.size()));
    if (IsError(m_nLastReturn)) return Diagnostic();

    if (withResultSet) {
        if (!BindColumns()) return 0;
        // A statement without result columns has no rows to count or fetch.
        if (m_nColumnCount > 0) {
            if (!CountRows()) return 0;
            const FetchOutcome first = Fetch(SQL_FETCH_FIRST, 0);
            if (first == FetchOutcome::kFailed) return 0;
            if (first == FetchOutcome::kRow) {
                m_bRowAvailable = 1;
                if (m_nRowNumber < INT_MAX) ++m_nRowNumber;
            }
        }
    }
    SetValue(WithProgramTitle(kExecutedText), kText);
    m_bReady = 1;
    return 1;
}

int COdbcRecordset::FetchRow(int row) {
    if (!m_bReady) return Diagnostic();
    const FetchOutcome outcome = Fetch(SQL_FETCH_ABSOLUTE, row);
    m_nRowNumber = row;
    m_bRowAvailable = outcome == FetchOutcome::kRow;
    if (outcome == FetchOutcome::kFailed) return 0;
    SetValue("", kText);
    return 1;
}

int COdbcRecordset::FetchNext() {
    if (!m_bReady) return Diagnostic();
    const FetchOutcome outcome = Fetch(SQL_FETCH_NEXT, 0);
    if (m_nRowNumber < INT_MAX) ++m_nRowNumber;
    m_bRowAvailable = outcome == FetchOutcome::kRow;
    if (outcome == FetchOutcome::kFailed) return 0;
    SetValue("", kText);
    return 1;
}

int COdbcRecordset::GetVariable(std::string_view name) {
    if (!m_bReady) return Diagnostic();
    const std::pair<std::string_view, int> pseudoColumns[] = {
        {"rownumber", m_nRowNumber},
        {"recordsetsize", m_nRowCount},
        {"numcolumns", m_nColumnCount},
    };
    for (const auto& [pseudoName, number] : pseudoColumns) {
        if (name == pseudoName) {
            SetValue(std::to_string(number), kNumber);
            return 1;
        }
    }
    for (int j = 0; j < m_nColumnCount; ++j) {
        if (m_columns[j].name == name) return GetColumn(j + 1);
    }
    return Fail(LoadMessage(55, name));
}

int COdbcRecordset::GetColumn(int column) {
    if (column < 1 || column > m_nColumnCount) return Fail(LoadMessage(3));
    if (m_nRowCount == 0) return Fail(LoadMessage(13));
    const Column& c = m_columns[column - 1];
    if (c.indicator == SQL_NULL_DATA) {
        SetValue("", c.typeClass);
        m_nLength = -1;
        return 1;
    }
    if (c.Truncated()) return Fail(LoadMessage(18));
    const SQLLEN length = c.typeClass == kBinary ? 2 * c.indicator : c.indicator;
    if (length > m_nColumnSizeLimit - kLengthMargin) return Fail(LoadMessage(18));
    if (c.typeClass == kBinary) {
        std::string hex = ToHex(reinterpret_cast<const unsigned char*>(c.buffer.get()),
                                static_cast<std::size_t>(c.indicator));
        SetValue(std::move(hex), kBinary);
        return 1;
    }
    m_value = std::string_view(c.buffer.get(), static_cast<std::size_t>(length));
    m_nLength = static_cast<int>(length);
    m_nType = c.typeClass;
    return 1;
}

int COdbcRecordset::Diagnostic() {
    if (const std::optional<std::string> text = odbc::LastDiagnostic(
            m_environment.Get(), m_connection.Get(), m_statement.Get(), kMaxDiagnostic)) {
        return Fail(LoadMessage(1, *text));
    }
    return Fail(LoadMessage(1, "ODBC error without diagnostic record (return code " +
                                   std::to_string(m_nLastReturn) + ")"));
}

int COdbcRecordset::Fail(std::string message) {
    SetValue(std::move(message), kText);
    return 0;
}

void COdbcRecordset::SetValue(std::string text, int type) {
    m_valueBuffer = std::move(text);
    m_value = m_valueBuffer;
    m_nLength = static_cast<int>(m_valueBuffer.size());
    m_nType = type;
}

void COdbcRecordset::ReleaseColumns() {
    if (m_statement.Get() != nullptr) {
        SQLFreeStmt(m_statement.Get(), SQL_CLOSE);
        SQLFreeStmt(m_statement.Get(), SQL_UNBIND);
    }
    m_columns.clear();
    m_nColumnCount = 0;
    m_nRowCount = 0;
    m_nCursorRow = 0;
}

int COdbcRecordset::BindColumns() {
    SQLSMALLINT count = 0;
    m_nLastReturn = SQLNumResultCols(m_statement.Get(), &count);
    if (IsError(m_nLastReturn)) return Diagnostic();
    const int bound = std::clamp<int>(count, 0, kMaxColumns);
    m_columns.resize(static_cast<std::size_t>(bound));

    for (int j = 0; j < bound; ++j) {
        Column& column = m_columns[j];
        const SQLUSMALLINT number = static_cast<SQLUSMALLINT>(j + 1);
        SQLCHAR name[kColumnNameBuffer] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, decimals = 0, nullable = 0;
        SQLULEN precision = 0;
        m_nLastReturn = SQLDescribeCol(m_statement.Get(), number, name, kColumnNameBuffer,
                                       &nameLength, &sqlType, &precision, &decimals, &nullable);
        if (IsError(m_nLastReturn)) return Diagnostic();
        column.name = reinterpret_cast<const char*>(name);
        column.typeClass = TypeClassOf(sqlType);

        SQLLEN displaySize = 0;
        m_nLastReturn = SQLColAttributes(m_statement.Get(), number, SQL_COLUMN_DISPLAY_SIZE,
                                         nullptr, 0, nullptr, &displaySize);
        if (IsError(m_nLastReturn)) return Diagnostic();
        const std::int64_t capacity = CapacityLimit(column);
        // A size the driver cannot tell (SQL_NO_TOTAL, 0, negative) or beyond the limit takes
        // the limit; 64-bit arithmetic, so a huge size cannot wrap.
        std::int64_t size = displaySize;
        size = size <= 0 || size > m_nColumnSizeLimit
                   ? capacity
                   : std::min<std::int64_t>(size + kDisplaySizeMargin, capacity);
        column.buffer.reset(new (std::nothrow) char[static_cast<std::size_t>(size)]);
        if (!column.buffer) return Fail(LoadMessage(19));
        column.buffer[0] = '\0';
        column.bufferSize = static_cast<SQLLEN>(size);
        m_nLastReturn = SQLBindCol(m_statement.Get(), number, column.CType(), column.buffer.get(),
                                   column.bufferSize, &column.indicator);
        if (m_nLastReturn != SQL_SUCCESS) return Diagnostic();
        m_nColumnCount = j + 1;
    }
    return 1;
}

int COdbcRecordset::CountRows() {
    for (;;) {
        m_nLastReturn = SQLFetchScroll(m_statement.Get(), SQL_FETCH_NEXT, 0);
        if (m_nLastReturn == SQL_NO_DATA) return 1;
        if (!Succeeded(m_nLastReturn)) return Diagnostic();
        if (m_nRowCount < INT_MAX) ++m_nRowCount;
    }
}

COdbcRecordset::FetchOutcome COdbcRecordset::Fetch(short orientation, std::int64_t offset) {
    EmptyColumnBuffers();
    m_nLastReturn = SQLFetchScroll(m_statement.Get(), orientation, static_cast<SQLLEN>(offset));
    if (m_nLastReturn == SQL_NO_DATA) {
        TrackCursor(orientation, offset, false);
        return FetchOutcome::kNoData;
    }
    if (!Succeeded(m_nLastReturn)) {
        Diagnostic();
        return FetchOutcome::kFailed;
    }
    TrackCursor(orientation, offset, true);

    bool grown = false;
    if (!GrowTruncatedColumns(&grown)) return FetchOutcome::kFailed;
    if (!grown) return FetchOutcome::kRow;
    // The grown buffers are empty: the same row again fills them whole.
    EmptyColumnBuffers();
    m_nLastReturn =
        SQLFetchScroll(m_statement.Get(), SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(m_nCursorRow));
    if (Succeeded(m_nLastReturn)) return FetchOutcome::kRow;
    // The static cursor cannot lose the row it stood on; SQL_NO_DATA here is a driver fault.
    Diagnostic();
    return FetchOutcome::kFailed;
}

void COdbcRecordset::TrackCursor(short orientation, std::int64_t offset, bool delivered) {
    const std::int64_t afterLast = std::int64_t{m_nRowCount} + 1;
    if (orientation == SQL_FETCH_FIRST) {
        m_nCursorRow = delivered ? 1 : afterLast;
    } else if (orientation == SQL_FETCH_NEXT) {
        m_nCursorRow = delivered ? m_nCursorRow + 1 : afterLast;
    } else if (delivered) {  // absolute; a negative offset counts from the end
        m_nCursorRow = offset > 0 ? offset : afterLast + offset;
    } else {
        m_nCursorRow = offset > 0 ? afterLast : 0;
    }
}

int COdbcRecordset::GrowTruncatedColumns(bool* grown) {
    if (!m_bColumnsCanGrow) return 1;
    for (int j = 0; j < m_nColumnCount; ++j) {
        Column& column = m_columns[j];
        const std::int64_t capacity = CapacityLimit(column);
        if (!column.Truncated() || column.bufferSize >= capacity) continue;
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(capacity)]);
        if (!buffer) return Fail(LoadMessage(19));
        buffer[0] = '\0';
        m_nLastReturn =
            SQLBindCol(m_statement.Get(), static_cast<SQLUSMALLINT>(j + 1), column.CType(),
                       buffer.get(), static_cast<SQLLEN>(capacity), &column.indicator);
        if (m_nLastReturn != SQL_SUCCESS) return Diagnostic();
        column.buffer = std::move(buffer);
        column.bufferSize = static_cast<SQLLEN>(capacity);
        *grown = true;
    }
    return 1;
}

void COdbcRecordset::EmptyColumnBuffers() {
    for (Column& column : m_columns) {
        if (column.buffer) column.buffer[0] = '\0';
        column.indicator = 0;
    }
}

std::int64_t COdbcRecordset::CapacityLimit(const Column& column) const {
    // Binary data is handed out as hex, twice its size, and the limit applies to the hex text.
    return column.typeClass == kBinary ? m_nColumnSizeLimit / 2 : m_nColumnSizeLimit;
}
