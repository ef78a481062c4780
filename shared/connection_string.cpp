#include "shared/connection_string.h"

#include <algorithm>
#include <array>
#include <fstream>
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

bool IsNamedDriver(std::string_view driverPart) {
    return std::any_of(kKnownDrivers.begin(), kKnownDrivers.end(),
                       [&](const auto& known) { return driverPart == known.second; });
}

// The named drivers read the file from "DBQ"; the file drivers of unixODBC (SQLite's among them)
// read "Database" and ignore "DBQ", which would leave them with no file at all.
std::string_view LocationKey(std::string_view driverPart) {
    return IsNamedDriver(driverPart) ? "DBQ=" : "Database=";
}

// Only the named drivers of these extensions open a directory; any other reads the file itself.
bool OpensDirectory(std::string_view extension, std::string_view driverPart) {
    return (extension == ".txt" || extension == ".csv" || extension == ".dbf" ||
            extension == ".db") &&
           IsNamedDriver(driverPart);
}

// The installed driver for SQLite 3 files: the one named "SQLite3", else the first whose name
// holds it (in any case).
const std::string* SqliteDriver(const std::vector<std::string>& installed) {
    const std::string* holding = nullptr;
    for (const std::string& driver : installed) {
        const std::string lower = platform::AsciiLowered(driver);
        if (lower == "sqlite3") return &driver;
        if (holding == nullptr && lower.find("sqlite3") != std::string::npos) holding = &driver;
    }
    return holding;
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

bool IsSqliteFile(const std::string& path) {
    static constexpr std::string_view kHeader("SQLite format 3\0", 16);
    std::ifstream file(path, std::ios::binary);
    std::array<char, kHeader.size()> start{};
    return file.read(start.data(), start.size()) &&
           std::string_view(start.data(), start.size()) == kHeader;
}

std::string DriverPartForFile(const std::string& path, const std::vector<std::string>& installed) {
    if (IsSqliteFile(path)) {
        const std::string* sqlite = SqliteDriver(installed);
        return sqlite == nullptr ? std::string() : DriverPart(*sqlite);
    }
    const std::string extension = FileExtension(path);
    for (const auto& [known, driverPart] : kKnownDrivers) {
        if (extension != known) continue;
        // "Driver={" description "};": installed under that description, or not usable.
        const std::string_view description = driverPart.substr(8, driverPart.size() - 10);
        const bool isInstalled =
            std::find(installed.begin(), installed.end(), description) != installed.end();
        return isInstalled ? std::string(driverPart) : std::string();
    }
    return {};
}

std::string DriverPartForFile(const std::string& path, IOdbcCatalog& catalog) {
    return catalog.ListDrivers() ? DriverPartForFile(path, catalog.Names()) : std::string();
}

std::string DriverPart(std::string_view description) {
    return "Driver=" + Braced(description) + ";";
}

std::string FileConnectionString(std::string_view path, std::string_view driverPart,
                                 std::string_view user, std::string_view password) {
    const std::string extension = FileExtension(path);
    std::string_view location = path;
    if (OpensDirectory(extension, driverPart)) {
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
