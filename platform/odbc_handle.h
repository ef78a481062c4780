#pragma once
// An owned ODBC handle: environment, connection or statement, allocated with the ODBC 2 calls.
// The ODBC headers stay out of this header so that users of COdbcRecordset do not inherit their
// macros (BOOL, HWND, ...): in the driver manager's API a handle is a void* and a return code a
// short. Freeing follows the handle's kind: a statement is dropped (SQL_DROP), a connection that
// connected is disconnected first, an environment is freed last by its owner's member order.

#include <cstddef>
#include <optional>
#include <string>

namespace odbc {

enum class HandleKind { kEnvironment, kConnection, kStatement };

class OdbcHandle {
public:
    explicit OdbcHandle(HandleKind kind) : m_kind(kind) {}
    ~OdbcHandle() { Free(); }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    // Frees any handle held, then allocates one under `parent` (the environment for a
    // connection, the connection for a statement; unused for an environment). Returns the ODBC
    // return code; on failure no handle is held.
    short Allocate(void* parent);
    void* Get() const { return m_handle; }
    // The connection is connected: Free() disconnects it before freeing it.
    void MarkConnected() { m_connected = true; }
    void Free();

private:
    HandleKind m_kind;
    void* m_handle = nullptr;
    bool m_connected = false;
};

// The driver manager's message of the last failure, asked of the most specific handle first
// (statement, then connection, then environment; null handles are passed as null), cut to at
// most `maxBytes` without splitting a UTF-8 sequence. nullopt when no handle has a record.
std::optional<std::string> LastDiagnostic(void* environment, void* connection, void* statement,
                                          std::size_t maxBytes);

// Whether columns of the SQL data type `sqlType` hold numbers (exact or approximate).
bool IsNumericType(short sqlType);

}  // namespace odbc
