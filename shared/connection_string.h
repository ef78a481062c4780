#pragma once
// The connection strings the connection wizards of tolvane and kestrel make: from a data source
// name and from a database file. Values go in as typed, except one that holds ";" or begins with
// "{": that one is written "{value}" with every "}" inside doubled, so that it stays one value.

#include <string>
#include <string_view>
#include <vector>

#include "shared/odbc_catalog.h"

// "DSN=" name, then ";UID=" user and ";PWD=" password, each only when not empty.
std::string DsnConnectionString(std::string_view dsn, std::string_view user,
                                std::string_view password);

// The extension of `path`: from its last "." to the end, lower-cased; "" when it has no ".".
std::string FileExtension(std::string_view path);

// The driver part ("Driver={...};") for the database file `path` among the `installed` drivers
// (their descriptions, as the driver manager lists them): a file that begins with SQLite's header
// goes to the installed SQLite3 driver whatever its name; any other file to the driver its
// extension names when that one is installed. "" when the user must choose a driver.
std::string DriverPartForFile(const std::string& path, const std::vector<std::string>& installed);

// DriverPartForFile among the drivers `catalog` lists; "" when it cannot list them (the driver
// dialog then reports why).
std::string DriverPartForFile(const std::string& path, IOdbcCatalog& catalog);

// Whether the file at `path` begins with the 16 bytes "SQLite format 3\0".
bool IsSqliteFile(const std::string& path);

// "Driver={description};", for a driver the user chose.
std::string DriverPart(std::string_view description);

// The whole string for the database file `path` reached through `driverPart`: the file's
// directory for the extensions whose named drivers open a directory (".txt", ".csv", ".dbf",
// ".db"), else the path; "SourceType=" and "SourceDB=" for a Visual FoxPro driver, "DBQ=" for the
// other drivers an extension names, "Database=" for a chosen one; then ";UID=" and ";PWD=" when not
// empty. Both "\" and "/" separate directories.
std::string FileConnectionString(std::string_view path, std::string_view driverPart,
                                 std::string_view user, std::string_view password);
