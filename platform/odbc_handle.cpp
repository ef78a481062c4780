#include "platform/odbc_handle.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/utf8.h"

static_assert(std::is_same_v<SQLRETURN, short> && std::is_same_v<SQLHANDLE, void*>,
              "odbc_handle.h spells the driver manager's types as short and void*");

namespace odbc {

short OdbcHandle::Allocate(void* parent) {
    Free();
    SQLHANDLE handle = SQL_NULL_HANDLE;
    SQLRETURN rc = SQL_ERROR;
    switch (m_kind) {
        case HandleKind::kEnvironment:
            rc = SQLAllocEnv(&handle);
            break;
        case HandleKind::kConnection:
            rc = SQLAllocConnect(parent, &handle);
            break;
        case HandleKind::kStatement:
            rc = SQLAllocStmt(parent, &handle);
            break;
    }
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) m_handle = handle;
    return rc;
}

void OdbcHandle::Free() {
    if (m_handle == nullptr) return;
    switch (m_kind) {
        case HandleKind::kEnvironment:
            SQLFreeEnv(m_handle);
            break;
        case HandleKind::kConnection:
            if (m_connected) SQLDisconnect(m_handle);
            SQLFreeConnect(m_handle);
            break;
        case HandleKind::kStatement:
            SQLFreeStmt(m_handle, SQL_DROP);
            break;
    }
    m_handle = nullptr;
    m_connected = false;
}

std::optional<std::string> LastDiagnostic(void* environment, void* connection, void* statement,
                                          std::size_t maxBytes) {
    struct HandleSet {
        SQLHENV environment;
        SQLHDBC connection;
        SQLHSTMT statement;
    };
    const HandleSet sets[] = {
        {environment, connection, statement},
        {environment, connection, SQL_NULL_HSTMT},
        {environment, SQL_NULL_HDBC, SQL_NULL_HSTMT},
    };
    // Room for twice the limit, so that the cut falls on a whole UTF-8 sequence.
    std::vector<SQLCHAR> message(2 * (maxBytes + 1));
    for (const HandleSet& set : sets) {
        if (set.environment == SQL_NULL_HENV) break;
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1];
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        std::fill(message.begin(), message.end(), SQLCHAR{0});
        const SQLRETURN rc =
            SQLError(set.environment, set.connection, set.statement, state, &nativeError,
                     message.data(), static_cast<SQLSMALLINT>(message.size()), &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) continue;
        const char* text = reinterpret_cast<const char*>(message.data());
        std::string result(text, strnlen(text, message.size()));
        platform::CutAtUtf8Boundary(result, maxBytes);
        return result;
    }
    return std::nullopt;
}

bool IsNumericType(short sqlType) {
    switch (sqlType) {
        case SQL_NUMERIC:
        case SQL_DECIMAL:
        case SQL_INTEGER:
        case SQL_SMALLINT:
        case SQL_FLOAT:
        case SQL_REAL:
        case SQL_DOUBLE:
        case SQL_TINYINT:
        case SQL_BIGINT:
            return true;
        default:
            return false;
    }
}

}  // namespace odbc
