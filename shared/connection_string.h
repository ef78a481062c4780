#pragma once
// The connection strings the connection wizards of tolvane and kestrel make: from a data source
// name and from a database file. Values go in as typed, except one that holds ";" or begins with
// "{": that one is written "{value}" with every "}" inside doubled, so that it stays one value.

#include <string>
#include <string_view>

// "DSN=" name, then ";UID=" user and ";PWD=" password, each only when not empty.
std::string DsnConnectionString(std::string_view dsn, std::string_view user,
                                std::string_view password);

// The extension of `path`: from its last "." to the end, lower-cased; "" when it has no ".".
std::string FileExtension(std::string_view path);

// The driver part ("Driver={...};") that the extension of `path` names, or "" when it names none
// and the user must choose a driver.
std::string DriverPartForFile(std::string_view path);

// "Driver={description};", for a driver the user chose.
std::string DriverPart(std::string_view description);

// The whole string for the database file `path` reached through `driverPart`: the file's
// directory for the extensions whose drivers open a directory (".txt", ".csv", ".dbf", ".db"),
// else the path; "SourceType=" and "SourceDB=" for a Visual FoxPro driver, "DBQ=" for the other
// drivers an extension names, "Database=" for a chosen one; then ";UID=" and ";PWD=" when not
// empty. Both "\" and "/" separate directories.
std::string FileConnectionString(std::string_view path, std::string_view driverPart,
                                 std::string_view user, std::string_view password);
