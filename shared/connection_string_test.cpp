#include "shared/connection_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct DsnCase {
    const char* dsn;
    const char* user;
    const char* password;
    const char* expected;
};

TEST(ConnectionStringTest, DsnRule) {
    const DsnCase cases[] = {
        {"Shop", "", "", "DSN=Shop"},
        {"Shop", "ann", "", "DSN=Shop;UID=ann"},
        {"Shop", "ann", "secret", "DSN=Shop;UID=ann;PWD=secret"},
        {"Shop", "", "secret", "DSN=Shop;PWD=secret"},
        // A value that would end its pair early, or read as a braced one, is braced.
        {"Shop", "ann", "a;b", "DSN=Shop;UID=ann;PWD={a;b}"},
        {"Shop", "{ann", "x}y;", "DSN=Shop;UID={{ann};PWD={x}}y;}"},
        {"My;Shop", "", "", "DSN={My;Shop}"},
        // Anything else keeps its exact text.
        {"Shop", "a}b", "p=q {r}", "DSN=Shop;UID=a}b;PWD=p=q {r}"},
    };
    for (const DsnCase& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(DsnConnectionString(c.dsn, c.user, c.password), c.expected);
    }
}

// The drivers the extensions name, all installed.
const std::vector<std::string> kNamedDrivers = {
    "Microsoft Access Driver (*.mdb)",  "Microsoft Excel Driver (*.xls)",
    "Microsoft Paradox Driver (*.db )", "Microsoft Text Driver (*.txt; *.csv)",
    "Microsoft Visual FoxPro Driver",   "SQLite3"};

TEST(ConnectionStringTest, DriverPartFollowsTheExtensionInAnyCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\data\\shop.mdb", "Driver={Microsoft Access Driver (*.mdb)};"},
        {"/data/sheet.XLS", "Driver={Microsoft Excel Driver (*.xls)};"},
        {"/data/parts.Db", "Driver={Microsoft Paradox Driver (*.db )};"},
        {"/data/notes.txt", "Driver={Microsoft Text Driver (*.txt; *.csv)};"},
        {"/data/orders.CSV", "Driver={Microsoft Text Driver (*.txt; *.csv)};"},
        {"/data/shop.dbc", "Driver={Microsoft Visual FoxPro Driver};"},
        // The user chooses: no extension the wizard knows.
        {"/data/parts.dbf", ""},
        {"/data/shop.sqlite", ""},
        {"/data/archive", ""},
        {"/data/shop.mdb.bak", ""},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(DriverPartForFile(path, kNamedDrivers), expected);
        // A driver that is not installed could not connect: the user chooses.
        EXPECT_EQ(DriverPartForFile(path, {"SQLite3", "PostgreSQL"}), "");
    }
    EXPECT_EQ(DriverPart("SQLite3"), "Driver={SQLite3};");
    EXPECT_EQ(DriverPart("Odd} Driver"), "Driver={Odd}} Driver};");
}

struct FileCase {
    const char* path;
    // "" takes the driver part the extension gives.
    const char* chosenDriver;
    const char* user;
    const char* password;
    const char* expected;
};

TEST(ConnectionStringTest, FileRule) {
    const FileCase cases[] = {
        {"C:\\data\\shop.mdb", "", "ann", "",
         "Driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\data\\shop.mdb;UID=ann"},
        {"/home/ann/sheet.xls", "", "", "",
         "Driver={Microsoft Excel Driver (*.xls)};DBQ=/home/ann/sheet.xls"},
        // Drivers that open a directory get the file's directory, by either separator.
        {"/data/orders.csv", "", "", "", "Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=/data"},
        {"C:\\data\\notes.TXT", "", "", "",
         "Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=C:\\data"},
        {"/data/parts.db", "", "ann", "pw",
         "Driver={Microsoft Paradox Driver (*.db )};DBQ=/data;UID=ann;PWD=pw"},
        {"orders.csv", "", "", "", "Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=orders.csv"},
        {"/data/shop.dbc", "", "", "",
         "Driver={Microsoft Visual FoxPro Driver};SourceType=DBC;SourceDB=/data/shop.dbc"},
        {"/data/PARTS.DBF", "Microsoft Visual FoxPro Driver", "", "",
         "Driver={Microsoft Visual FoxPro Driver};SourceType=DBF;SourceDB=/data"},
        // A chosen driver replaces the extension's and reads the file itself, unless it is a
        // named driver that opens a directory.
        {"/data/parts.dbf", "SQLite3", "", "", "Driver={SQLite3};Database=/data/parts.dbf"},
        {"/data/shop.db", "SQLite3", "", "", "Driver={SQLite3};Database=/data/shop.db"},
        {"/data/shop.mdb", "PostgreSQL", "", "", "Driver={PostgreSQL};Database=/data/shop.mdb"},
        {"/data/orders.csv", "PostgreSQL", "", "pw",
         "Driver={PostgreSQL};Database=/data/orders.csv;PWD=pw"},
        {"/data/orders.db", "Microsoft Text Driver (*.txt; *.csv)", "", "",
         "Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=/data"},
        {"/data/my;shop.sqlite", "SQLite3", "", "x;y",
         "Driver={SQLite3};Database={/data/my;shop.sqlite};PWD={x;y}"},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.expected);
        const std::string driverPart = *c.chosenDriver != '\0'
                                           ? DriverPart(c.chosenDriver)
                                           : DriverPartForFile(c.path, kNamedDrivers);
        EXPECT_EQ(FileConnectionString(c.path, driverPart, c.user, c.password), c.expected);
    }
}

}  // namespace
