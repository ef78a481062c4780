#include "shared/odbc_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shared/connection_string.h"
#include "tests/fixtures/odbc_env.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/test_database.h"

namespace {

using fixtures::DatabaseBackend;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::StartsWith;

constexpr std::string_view kNoDsn =
    "ODBC ERROR: [unixODBC][Driver Manager]Data source name not found and no default driver "
    "specified";

std::string Schema(DatabaseBackend backend) {
    return std::string(fixtures::Dialect(
        backend,
        "CREATE TABLE customers (id INTEGER, name VARCHAR(40), price NUMERIC(10,2), "
        "ratio DOUBLE, born DATE);"
        "CREATE TABLE orders (id INTEGER, customer INTEGER);"
        "CREATE VIEW named_customers AS SELECT id, name FROM customers;",
        "CREATE TABLE customers (id INTEGER, name VARCHAR(40), price NUMERIC(10,2), "
        "ratio DOUBLE PRECISION, born DATE);"
        "CREATE TABLE orders (id INTEGER, customer INTEGER);"
        "CREATE VIEW named_customers AS SELECT id, name FROM customers;"));
}

// "SELECT 1 AS c1, ..., n AS cn".
std::string WideQuery(int columns) {
    std::string query = "SELECT ";
    for (int i = 1; i <= columns; ++i) {
        if (i > 1) query += ", ";
        query += std::to_string(i) + " AS c" + std::to_string(i);
    }
    return query;
}

class OdbcInfoTest : public testing::TestWithParam<DatabaseBackend> {};

INSTANTIATE_TEST_SUITE_P(Backends, OdbcInfoTest, testing::ValuesIn(fixtures::kAllBackends),
                         fixtures::BackendTestName);

TEST_P(OdbcInfoTest, ListsTablesAndViews) {
    fixtures::TestDatabase db(GetParam(), Schema(GetParam()));
    if (db.Skipped()) GTEST_SKIP() << db.SkipReason();
    ASSERT_TRUE(db.Ok()) << db.Error();

    COdbcInfo info;
    ASSERT_EQ(info.ListTables(db.ConnectionString()), 1) << info.Message();
    // In the order each driver's catalog gives them.
    if (GetParam() == DatabaseBackend::kSqlite) {
        EXPECT_THAT(info.Names(), ElementsAre("customers", "orders", "named_customers"));
    } else {
        EXPECT_THAT(info.Names(), ElementsAre("customers", "named_customers", "orders"));
    }
}

TEST_P(OdbcInfoTest, ListsColumnsWithTheirKinds) {
    fixtures::TestDatabase db(GetParam(), Schema(GetParam()));
    if (db.Skipped()) GTEST_SKIP() << db.SkipReason();
    ASSERT_TRUE(db.Ok()) << db.Error();

    COdbcInfo info;
    ASSERT_EQ(info.ListColumns(db.ConnectionString(), "SELECT * FROM customers"), 1)
        << info.Message();
    EXPECT_THAT(info.Names(), ElementsAre("id", "name", "price", "ratio", "born"));
    EXPECT_THAT(info.Kinds(), ElementsAre("I", "T", "I", "I", "T"));

    // The kinds of a second listing follow the first's; the names are only the second's.
    ASSERT_EQ(info.ListColumns(db.ConnectionString(), "SELECT name, id FROM named_customers"), 1)
        << info.Message();
    EXPECT_THAT(info.Names(), ElementsAre("name", "id"));
    EXPECT_THAT(info.Kinds(), ElementsAre("I", "T", "I", "I", "T", "T", "I"));
}

TEST_P(OdbcInfoTest, ListsTheFirst99ColumnsOfAWideQuery) {
    fixtures::TestDatabase db(GetParam(), "CREATE TABLE unused (id INTEGER);");
    if (db.Skipped()) GTEST_SKIP() << db.SkipReason();
    ASSERT_TRUE(db.Ok()) << db.Error();

    COdbcInfo info;
    ASSERT_EQ(info.ListColumns(db.ConnectionString(), WideQuery(150)), 1) << info.Message();
    ASSERT_EQ(info.Names().size(), 99u);
    EXPECT_EQ(info.Names().front(), "c1");
    EXPECT_EQ(info.Names().back(), "c99");
    EXPECT_EQ(info.Kinds().size(), 99u);
}

TEST_P(OdbcInfoTest, NamesLongerThanTheFirstBuffersComeWhole) {
    const std::string table(300, 't');
    const std::string column(80, 'c');
    fixtures::TestDatabase db(GetParam(),
                              "CREATE TABLE \"" + table + "\" (\"" + column + "\" INTEGER);");
    if (db.Skipped()) GTEST_SKIP() << db.SkipReason();
    ASSERT_TRUE(db.Ok()) << db.Error();

    COdbcInfo info;
    ASSERT_EQ(info.ListColumns(db.ConnectionString(), "SELECT * FROM \"" + table + "\""), 1)
        << info.Message();
    // PostgreSQL itself keeps 63 bytes of a name.
    EXPECT_THAT(info.Names(),
                ElementsAre(fixtures::Dialect(GetParam(), column, column.substr(0, 63))));
    ASSERT_EQ(info.ListTables(db.ConnectionString()), 1) << info.Message();
    EXPECT_THAT(info.Names(),
                ElementsAre(fixtures::Dialect(GetParam(), table, table.substr(0, 63))));
}

TEST_P(OdbcInfoTest, DescribesAStatementWithoutRunningIt) {
    fixtures::TestDatabase db(GetParam(), "CREATE TABLE orders (id INTEGER);");
    if (db.Skipped()) GTEST_SKIP() << db.SkipReason();
    ASSERT_TRUE(db.Ok()) << db.Error();

    COdbcInfo info;
    ASSERT_EQ(info.ListColumns(db.ConnectionString(), "CREATE TABLE made_by_listing (x INTEGER)"),
              1)
        << info.Message();
    EXPECT_THAT(info.Names(), IsEmpty());
    ASSERT_EQ(info.ListTables(db.ConnectionString()), 1) << info.Message();
    EXPECT_THAT(info.Names(), ElementsAre("orders"));
}

TEST_P(OdbcInfoTest, AFailureLeavesNoNamesAndTheDriverManagersMessage) {
    fixtures::TestDatabase db(GetParam(), Schema(GetParam()));
    if (db.Skipped()) GTEST_SKIP() << db.SkipReason();
    ASSERT_TRUE(db.Ok()) << db.Error();

    COdbcInfo info;
    ASSERT_EQ(info.ListColumns(db.ConnectionString(), "SELECT * FROM customers"), 1);
    EXPECT_EQ(info.ListColumns(db.ConnectionString(), "SELECT * FROM no_such_table"), 0);
    EXPECT_THAT(info.Names(), IsEmpty());
    EXPECT_THAT(info.Message(), StartsWith("ODBC ERROR: "));
    EXPECT_THAT(info.Message(), testing::HasSubstr("no_such_table"));
    EXPECT_EQ(info.Kinds().size(), 5u);

    ASSERT_EQ(info.ListTables(db.ConnectionString()), 1);
    EXPECT_EQ(info.ListTables("DSN=NoSuchSource"), 0);
    EXPECT_THAT(info.Names(), IsEmpty());
    EXPECT_EQ(info.Message(), kNoDsn);
    EXPECT_EQ(info.ListColumns("DSN=NoSuchSource", "SELECT 1"), 0);
    EXPECT_EQ(info.Message(), kNoDsn);
}

// A directory whose name holds a backslash, as a path of a script statement may.
TEST(OdbcInfoStringsTest, AStringFromAScriptConnectsWithSingleBackslashes) {
    ASSERT_TRUE(fixtures::OdbcEnvironment::Install().Ok());
    fixtures::SqliteDatabase made("CREATE TABLE parts (id INTEGER);");
    ASSERT_TRUE(made.Ok()) << made.Error();
    fixtures::TempDir dir("odbc_info");
    const std::filesystem::path sub = std::filesystem::path(dir.Path()) / "back\\slash";
    std::filesystem::create_directory(sub);
    std::filesystem::copy_file(made.Path(), sub / "parts.db");
    const std::string plain = "Driver=SQLite3;Database=" + (sub / "parts.db").string();
    std::string escaped;
    for (char c : plain) {
        if (c == '\\') escaped += '\\';
        escaped += c;
    }

    COdbcInfo fromScript;
    ASSERT_EQ(fromScript.ListTables(escaped), 1) << fromScript.Message();
    EXPECT_THAT(fromScript.Names(), ElementsAre("parts"));

    COdbcInfo asIs(COdbcInfo::Strings::kPlain);
    ASSERT_EQ(asIs.ListTables(plain), 1) << asIs.Message();
    EXPECT_THAT(asIs.Names(), ElementsAre("parts"));
}

// A recordset statement names its table with script escapes; the catalog describes the query the
// script engine would run.
TEST(OdbcInfoStringsTest, AQueryFromAScriptIsDescribedWithItsEscapesUndone) {
    ASSERT_TRUE(fixtures::OdbcEnvironment::Install().Ok());
    fixtures::SqliteDatabase made("CREATE TABLE \"we\"\"ird\" (\"a b\" TEXT, \"n#1\" INTEGER);");
    ASSERT_TRUE(made.Ok()) << made.Error();
    COdbcInfo fromScript;
    ASSERT_EQ(fromScript.ListColumns(made.ConnectionString(), "SELECT * FROM [we\\\"ird]"), 1)
        << fromScript.Message();
    EXPECT_THAT(fromScript.Names(), ElementsAre("a b", "n#1"));

    COdbcInfo asIs(COdbcInfo::Strings::kPlain);
    ASSERT_EQ(asIs.ListColumns(made.ConnectionString(), "SELECT * FROM [we\"ird]"), 1)
        << asIs.Message();
    EXPECT_THAT(asIs.Names(), ElementsAre("a b", "n#1"));
}

// A SQLite file connects through the installed SQLite3 driver, whatever its name says; a file
// whose extension names a driver that is not installed leaves the choice to the user.
TEST(OdbcInfoStringsTest, ASqliteFileConnectsThroughTheInstalledDriverWhateverItsName) {
    ASSERT_TRUE(fixtures::OdbcEnvironment::Install().Ok());
    fixtures::SqliteDatabase made("CREATE TABLE parts (id INTEGER);");
    ASSERT_TRUE(made.Ok()) << made.Error();
    fixtures::TempDir dir("odbc_sqlite_names");
    for (const char* name : {"shop.db", "shop.sqlite", "shop.sqlite3", "shop", "shop.mdb"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.File(name);
        std::filesystem::copy_file(made.Path(), path);
        COdbcInfo drivers(COdbcInfo::Strings::kPlain);
        const std::string driverPart = DriverPartForFile(path, drivers);
        EXPECT_EQ(driverPart, "Driver={SQLite3};");
        COdbcInfo info(COdbcInfo::Strings::kPlain);
        ASSERT_EQ(info.ListTables(FileConnectionString(path, driverPart, "", "")), 1)
            << info.Message();
        EXPECT_THAT(info.Names(), ElementsAre("parts"));
    }
    const std::string notSqlite = dir.File("notes.db");
    std::string error;
    ASSERT_TRUE(fixtures::WriteTextFile(notSqlite, "SQLite format 2 and more text", &error))
        << error;
    COdbcInfo drivers(COdbcInfo::Strings::kPlain);
    EXPECT_EQ(DriverPartForFile(notSqlite, drivers), "");
    EXPECT_EQ(DriverPartForFile(dir.File("missing.db"), drivers), "");
}

// The string the wizards build for a database file and a chosen driver reaches the file.
TEST(OdbcInfoStringsTest, AFileStringWithAChosenDriverConnects) {
    ASSERT_TRUE(fixtures::OdbcEnvironment::Install().Ok());
    fixtures::SqliteDatabase made("CREATE TABLE parts (id INTEGER);");
    ASSERT_TRUE(made.Ok()) << made.Error();
    COdbcInfo info(COdbcInfo::Strings::kPlain);
    ASSERT_EQ(info.ListTables(FileConnectionString(made.Path(), DriverPart("SQLite3"), "", "")), 1)
        << info.Message();
    EXPECT_THAT(info.Names(), ElementsAre("parts"));
}

// The data sources of the test's own odbc.ini, written once per process: the driver manager
// keeps what it read of the file for 20 seconds, so the file must not change under it.
struct TestSources {
    TestSources() {
        const fixtures::OdbcEnvironment& env = fixtures::OdbcEnvironment::Install();
        if (!env.Ok()) {
            error = env.Error();
            return;
        }
        std::string ini = "[Shop]\nDriver=SQLite3\nDatabase=" + shop.Path() + "\n\n[" + longName +
                          "]\nDriver=SQLite3\nDatabase=" + shop.Path() + "\n";
        ini += "\n[Accounts]\nDriver=PostgreSQL\nServername=localhost\n";
        if (!fixtures::WriteTextFile(dir.File("odbc.ini"), ini, &error)) return;
        ::setenv("ODBCINI", dir.File("odbc.ini").c_str(), 1);
    }

    fixtures::SqliteDatabase shop{"CREATE TABLE items (id INTEGER, title TEXT);"};
    fixtures::TempDir dir{"odbc_info_ini"};
    const std::string longName = std::string(40, 'L');
    std::string error;
};

const TestSources& Sources() {
    static const TestSources sources;
    return sources;
}

TEST(OdbcInfoSourcesTest, ListsTheDataSourcesAndDriversOfTheDriverManager) {
    const TestSources& sources = Sources();
    ASSERT_TRUE(sources.error.empty()) << sources.error;

    COdbcInfo info;
    ASSERT_EQ(info.ListDataSources(), 1) << info.Message();
    EXPECT_THAT(info.Names(), ElementsAre("Shop", sources.longName, "Accounts"));
    ASSERT_EQ(info.ListDrivers(), 1) << info.Message();
    EXPECT_THAT(info.Names(), ElementsAre(fixtures::kSqliteDriver, fixtures::kPostgresDriver));
}

TEST(OdbcInfoSourcesTest, ConnectsByTheDsnRule) {
    const TestSources& sources = Sources();
    ASSERT_TRUE(sources.error.empty()) << sources.error;

    COdbcInfo info;
    ASSERT_EQ(info.ListTables(DsnConnectionString("Shop", "", "")), 1) << info.Message();
    EXPECT_THAT(info.Names(), ElementsAre("items"));
    ASSERT_EQ(info.ListColumns(DsnConnectionString("Shop", "ann", "secret"), "SELECT * FROM items"),
              1)
        << info.Message();
    EXPECT_THAT(info.Names(), ElementsAre("id", "title"));
}

}  // namespace
