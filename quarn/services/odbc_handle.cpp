#include "quarn/services/odbc_handle.h"

#include <sql.h>

#include <type_traits>

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

}  // namespace odbc
