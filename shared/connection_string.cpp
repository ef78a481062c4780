#include "shared/connection_string.h"

#include <array>
#include <utility>

#include "platform/ascii.h"

namespace {

// "{" value "}", with every "}" of the value doubled.
std::string Braced(std::string_view value) {
    std::string braced = "{";
    for (char c : value) {
        braced += c;
        if (c == '}') braced += '}';
    }
    braced += '}';
    return braced;
}

// One "KEY=value" pair's value, braced when it would otherwise end the pair early or be read as
// a braced value.
std::string Value(std::string_view value) {
    if (value.find(';') == std::string_view::npos && !value.starts_with('{')) {
        return std::string(value);
    }
    return Braced(value);
}

void AppendLogin(std::string& connection, std::string_view user, std::string_view password) {
    if (!user.empty()) connection.append(";UID=").append(Value(user));
    if (!password.empty()) connection.append(";PWD=").append(Value(password));
}

// The extensions whose driver the wizard knows, with their driver parts.
constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kKnownDrivers = {{
    {".mdb", "Driver={Microsoft Access Driver (*.mdb)};"},
    {".xls", "Driver={Microsoft Excel Driver (*.xls)};"},
    {".db", "Driver={Microsoft Paradox Driver (*.db )};"},
    {".txt", "Driver={Microsoft Text Driver (*.txt; *.csv)};"},
    {".csv", "Driver={Microsoft Text Driver (*.txt; *.csv)};"},
    {".dbc", "Driver={Microsoft Visual FoxPro Driver};"},
}};

// The named drivers read the file from "DBQ"; the file drivers of unixODBC (SQLite's among them)
// read "Database" and ignore "DBQ", which would leave them with no file at all.
std::string_view LocationKey(std::string_view driverPart) {
    for (const auto& known : kKnownDrivers) {
        if (driverPart == known.second) return "DBQ=";
    }
    return "Database=";
}

bool OpensDirectory(std::string_view extension) {
    return extension == ".txt" || extension == ".csv" || extension == ".dbf" || extension == ".db";
}

}  // namespace

std::string DsnConnectionString(std::string_view dsn, std::string_view user,
                                std::string_view password) {
    std::string connection = "DSN=" + Value(dsn);
    AppendLogin(connection, user, password);
    return connection;
}

std::string FileExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    return platform::AsciiLowered(path.substr(dot));
}

std::string DriverPartForFile(std::string_view path) {
    const std::string extension = FileExtension(path);
    for (const auto& [known, driverPart] : kKnownDrivers) {
        if (extension == known) return std::string(driverPart);
    }
    return {};
}

std::string DriverPart(std::string_view description) {
    return "Driver=" + Braced(description) + ";";
}

std::string FileConnectionString(std::string_view path, std::string_view driverPart,
                                 std::string_view user, std::string_view password) {
    const std::string extension = FileExtension(path);
    std::string_view location = path;
    if (OpensDirectory(extension)) {
        const std::size_t separator = path.find_last_of("\\/");
        if (separator != std::string_view::npos) location = path.substr(0, separator);
    }
    std::string connection(driverPart);
    if (driverPart.find("Visual FoxPro") != std::string_view::npos) {
        connection.append(extension == ".dbc" ? "SourceType=DBC;" : "SourceType=DBF;");
        connection.append("SourceDB=").append(Value(location));
    } else {
        connection.append(LocationKey(driverPart)).append(Value(location));
    }
    AppendLogin(connection, user, password);
    return connection;
}
