#pragma once
// COdbcInfo: the real ODBC catalog, through the driver manager (unixODBC). Every operation
// allocates its own handles and frees them before it returns, whatever the outcome. Drivers are
// given no window, so they never prompt. Connection strings are read as they come from a script
// statement (escapes undone as the script engine undoes them) unless the owner says they are
// plain text; so are the queries ListColumns describes.

#include <string>
#include <string_view>

#include "platform/odbc_handle.h"
#include "shared/odbc_catalog.h"

class COdbcInfo : public IOdbcCatalog {
public:
    enum class Strings { kFromScript, kPlain };
    static constexpr int kMaxColumns = 99;

    explicit COdbcInfo(Strings strings = Strings::kFromScript) : m_strings(strings) {}

    int ListDataSources() override;
    int ListDrivers() override;
    int ListTables(std::string_view connectionString) override;
    // The query is prepared and its columns described; it is never executed. A driver that
    // cannot describe a statement before running it gives no columns.
    int ListColumns(std::string_view connectionString, std::string_view query) override;

private:
    // Enumerates with SQLDataSources or SQLDrivers (`dataSources`), from the first entry on.
    int ListEntries(bool dataSources);
    // `text` as the driver is to read it.
    std::string Plain(std::string_view text) const;
    // Environment, connection and statement, connected with `connectionString`.
    int Open(std::string_view connectionString);
    // Appends column `column` of the current row as a whole text.
    int AppendText(unsigned short column);
    // Names emptied, the message set from the driver manager's last diagnostic; returns 0.
    int ReportError();
    // Names emptied, the message set to "ODBC ERROR: " + `text`; returns 0.
    int Fail(std::string_view text);
    bool Succeeded() const;
    // Frees the handles, statement first.
    void Release();

    Strings m_strings;
    odbc::OdbcHandle m_environment{odbc::HandleKind::kEnvironment};
    odbc::OdbcHandle m_connection{odbc::HandleKind::kConnection};
    odbc::OdbcHandle m_statement{odbc::HandleKind::kStatement};
    short m_nLastReturn = 0;
};
