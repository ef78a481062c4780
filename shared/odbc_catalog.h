#pragma once
// IOdbcCatalog: what the connection wizards and the insert dialogs ask of the ODBC catalog, so a
// window can be given the real one (COdbcInfo) or a fake. Each operation first empties the names;
// it returns 1 with its names, or 0 with the names empty and the message set. The kinds are
// parallel to the names ListColumns gave and are appended to, never emptied. A catalog is made
// for one dialog step and used on one thread.

#include <string>
#include <string_view>
#include <vector>

class IOdbcCatalog {
public:
    virtual ~IOdbcCatalog() = default;

    // The data source names the driver manager reports, in its order.
    virtual int ListDataSources() = 0;
    // The installed drivers' descriptions, in the driver manager's order.
    virtual int ListDrivers() = 0;
    // The tables and views of the database, in catalog order.
    virtual int ListTables(std::string_view connectionString) = 0;
    // The result columns of `query` (at most 99), in order; "I" (numeric) or "T" per column is
    // appended to the kinds.
    virtual int ListColumns(std::string_view connectionString, std::string_view query) = 0;

    const std::vector<std::string>& Names() const { return m_names; }
    const std::vector<std::string>& Kinds() const { return m_kinds; }
    // "ODBC ERROR: " and the driver manager's message, after an operation returned 0.
    const std::string& Message() const { return m_strMessage; }

protected:
    std::vector<std::string> m_names;
    std::vector<std::string> m_kinds;
    std::string m_strMessage;
};
