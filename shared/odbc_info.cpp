#include "shared/odbc_info.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

#include "shared/script_escapes.h"

namespace {

constexpr std::size_t kMaxMessage = 511;
constexpr std::string_view kMessagePrefix = "ODBC ERROR: ";
// First sizes of the name buffers (with the closing zero); a longer name makes them grow.
constexpr std::size_t kDataSourceBuffer = 33;
constexpr std::size_t kDriverBuffer = 256;
constexpr std::size_t kTableBuffer = 129;
constexpr std::size_t kColumnBuffer = 65;
// Blanks after the comma would hide the views from drivers that do not trim them.
constexpr char kTableTypes[] = "TABLE,VIEW";

// A driver may report the length it copied rather than the whole length, so a name that fills
// its buffer may have been cut: the buffer grows and the name is read again, up to the largest
// buffer a length can describe.
constexpr std::size_t kLargestNameBuffer = SHRT_MAX;

bool MayBeCut(SQLSMALLINT length, std::size_t bufferSize) {
    return bufferSize < kLargestNameBuffer && static_cast<std::size_t>(length) + 1 >= bufferSize;
}

void Grow(std::vector<SQLCHAR>& buffer, SQLSMALLINT length) {
    buffer.resize(std::min(kLargestNameBuffer,
                           std::max(static_cast<std::size_t>(length) + 1, 2 * buffer.size())));
}

SQLCHAR* Text(std::string_view text) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.data()));
}

}  // namespace

int COdbcInfo::ListDataSources() {
    return ListEntries(true);
}

int COdbcInfo::ListDrivers() {
    return ListEntries(false);
}

int COdbcInfo::ListEntries(bool dataSources) {
    m_names.clear();
    m_nLastReturn = m_environment.Allocate(nullptr);
    if (!Succeeded()) return ReportError();
    std::vector<SQLCHAR> name(dataSources ? kDataSourceBuffer : kDriverBuffer);
    SQLCHAR detail[256];
    // A name longer than the buffer makes the buffer grow and the whole enumeration start over,
    // since the driver manager cannot step back one entry.
    bool complete = false;
    while (!complete) {
        m_names.clear();
        complete = true;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        for (;;) {
            SQLSMALLINT length = 0;
            SQLSMALLINT detailLength = 0;
            const auto size = static_cast<SQLSMALLINT>(name.size());
            m_nLastReturn = dataSources
                                ? SQLDataSources(m_environment.Get(), direction, name.data(), size,
                                                 &length, detail, sizeof detail, &detailLength)
                                : SQLDrivers(m_environment.Get(), direction, name.data(), size,
                                             &length, detail, sizeof detail, &detailLength);
            if (!Succeeded()) break;
            direction = SQL_FETCH_NEXT;
            if (MayBeCut(length, name.size())) {
                Grow(name, length);
                complete = false;
                break;
            }
            m_names.emplace_back(reinterpret_cast<const char*>(name.data()),
                                 static_cast<std::size_t>(length));
        }
    }
    Release();
    return 1;
}

int COdbcInfo::ListTables(std::string_view connectionString) {
    m_names.clear();
    if (!Open(connectionString)) return 0;
    m_nLastReturn = SQLTables(m_statement.Get(), nullptr, 0, nullptr, 0, nullptr, 0,
                              Text(kTableTypes), SQL_NTS);
    if (!Succeeded()) return ReportError();
    while ((m_nLastReturn = SQLFetch(m_statement.Get())) == SQL_SUCCESS ||
           m_nLastReturn == SQL_SUCCESS_WITH_INFO) {
        if (!AppendText(3)) return 0;
    }
    if (m_nLastReturn != SQL_NO_DATA) return ReportError();
    Release();
    return 1;
}

int COdbcInfo::ListColumns(std::string_view connectionString, std::string_view query) {
    m_names.clear();
    const std::string statement = Plain(query);
    if (statement.size() > static_cast<std::size_t>(INT_MAX)) return Fail("Query too long");
    if (!Open(connectionString)) return 0;
    m_nLastReturn =
        SQLPrepare(m_statement.Get(), Text(statement), static_cast<SQLINTEGER>(statement.size()));
    if (!Succeeded()) return ReportError();
    SQLSMALLINT count = 0;
    m_nLastReturn = SQLNumResultCols(m_statement.Get(), &count);
    if (!Succeeded()) return ReportError();
    if (count > kMaxColumns) count = kMaxColumns;

    std::vector<std::string> kinds;
    std::vector<SQLCHAR> name(kColumnBuffer);
    for (SQLUSMALLINT column = 1; column <= count;) {
        SQLSMALLINT length = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT decimals = 0;
        SQLSMALLINT nullable = 0;
        m_nLastReturn = SQLDescribeCol(m_statement.Get(), column, name.data(),
                                       static_cast<SQLSMALLINT>(name.size()), &length, &type, &size,
                                       &decimals, &nullable);
        if (!Succeeded()) return ReportError();
        if (MayBeCut(length, name.size())) {
            Grow(name, length);
            continue;
        }
        m_names.emplace_back(reinterpret_cast<const char*>(name.data()),
                             static_cast<std::size_t>(length));
        kinds.emplace_back(odbc::IsNumericType(type) ? "I" : "T");
        ++column;
    }
    m_kinds.insert(m_kinds.end(), kinds.begin(), kinds.end());
    Release();
    return 1;
}

std::string COdbcInfo::Plain(std::string_view text) const {
    return m_strings == Strings::kFromScript ? UnescapedScriptText(text) : std::string(text);
}

int COdbcInfo::Open(std::string_view connectionString) {
    const std::string plain = Plain(connectionString);
    if (plain.size() > static_cast<std::size_t>(SHRT_MAX)) {
        return Fail("Connection string too long");
    }
    m_nLastReturn = m_environment.Allocate(nullptr);
    if (!Succeeded()) return ReportError();
    m_nLastReturn = m_connection.Allocate(m_environment.Get());
    if (!Succeeded()) return ReportError();
    m_nLastReturn = SQLDriverConnect(m_connection.Get(), nullptr, Text(plain),
                                     static_cast<SQLSMALLINT>(plain.size()), nullptr, 0, nullptr,
                                     SQL_DRIVER_COMPLETE);
    if (!Succeeded()) return ReportError();
    m_connection.MarkConnected();
    m_nLastReturn = m_statement.Allocate(m_connection.Get());
    if (!Succeeded()) return ReportError();
    return 1;
}

int COdbcInfo::AppendText(SQLUSMALLINT column) {
    std::string text;
    std::vector<char> buffer(kTableBuffer);
    for (;;) {
        SQLLEN indicator = 0;
        m_nLastReturn = SQLGetData(m_statement.Get(), column, SQL_C_CHAR, buffer.data(),
                                   static_cast<SQLLEN>(buffer.size()), &indicator);
        if (m_nLastReturn == SQL_NO_DATA || indicator == SQL_NULL_DATA) break;
        if (!Succeeded()) return ReportError();
        const std::size_t room = buffer.size() - 1;
        const bool whole = indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) <= room;
        text.append(buffer.data(), whole ? static_cast<std::size_t>(indicator) : room);
        if (whole) break;
        // The rest comes with the next call; make room for all of it when its length is known.
        buffer.resize(indicator == SQL_NO_TOTAL ? 2 * buffer.size()
                                                : static_cast<std::size_t>(indicator) - room + 1);
    }
    m_names.push_back(std::move(text));
    return 1;
}

int COdbcInfo::ReportError() {
    const std::optional<std::string> diagnostic = odbc::LastDiagnostic(
        m_environment.Get(), m_connection.Get(), m_statement.Get(), kMaxMessage);
    return Fail(diagnostic
                    ? *diagnostic
                    : "No diagnostic record (return code " + std::to_string(m_nLastReturn) + ")");
}

int COdbcInfo::Fail(std::string_view text) {
    Release();
    m_names.clear();
    m_strMessage.assign(kMessagePrefix).append(text);
    return 0;
}

bool COdbcInfo::Succeeded() const {
    return m_nLastReturn == SQL_SUCCESS || m_nLastReturn == SQL_SUCCESS_WITH_INFO;
}

void COdbcInfo::Release() {
    if (m_statement.Get() != nullptr) SQLFreeStmt(m_statement.Get(), SQL_CLOSE);
    m_statement.Free();
    m_connection.Free();
    m_environment.Free();
}
