#include "quarn/services/odbc_recordset.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/odbc_env.h"
#include "tests/fixtures/postgres_cluster.h"
#include "tests/fixtures/test_database.h"

namespace {

using fixtures::DatabaseBackend;
using fixtures::Dialect;

constexpr std::string_view kProject = "odbc_test";
const std::string kExecuted = "SQL successfully executed.";
const std::string kError3 = "ERROR 3- attempt made to fetch non-existent recordset column.";
const std::string kError13 = "ERROR 13- attempt made to fetch data from empty recordset.";
const std::string kError18 =
    "ERROR 18- datasource column data larger than buffer. Increase ODBC memory allocation.";

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 0x0F];
    }
    return hex;
}

// A binary literal of `bytes`, written in lower-case hex so that upper case in a result comes
// from the recordset, not from the data.
std::string BinaryLiteral(DatabaseBackend backend, std::string_view bytes) {
    std::string hex = Hex(bytes);
    for (char& c : hex)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return backend == DatabaseBackend::kSqlite ? "x'" + hex + "'" : "'\\x" + hex + "'::bytea";
}

// `bytes` bytes of valid UTF-8 text, two-byte characters among ASCII ones.
std::string TextData(int bytes) {
    std::string text;
    while (static_cast<int>(text.size()) < bytes) {
        if (text.size() % 5 == 0 && static_cast<int>(text.size()) + 2 <= bytes) {
            text += "\xC3\xA9";
        } else {
            text += static_cast<char>('a' + text.size() % 26);
        }
    }
    return text;
}

// `bytes` bytes covering every byte value.
std::string BinaryData(int bytes) {
    std::string data;
    for (int i = 0; i < bytes; ++i)
        data += static_cast<char>((i * 37 + 11) % 256);
    return data;
}

std::string SeedSql(DatabaseBackend backend) {
    const std::string blob(Dialect(backend, "BLOB", "BYTEA"));
    return "CREATE TABLE items (id INTEGER, name VARCHAR(10), price NUMERIC(10,2), "
           "ratio DOUBLE PRECISION, data " +
           blob +
           ", notes TEXT);"
           "INSERT INTO items VALUES (1, 'alpha', 1.25, 0.25, " +
           BinaryLiteral(backend, std::string("\x00\xff\x10", 3)) +
           ", 'first');"
           "INSERT INTO items VALUES (2, NULL, NULL, NULL, NULL, NULL);"
           "INSERT INTO items VALUES (3, 'gamma', 30, -2.5, " +
           BinaryLiteral(backend, "\xab\xcd\xef") +
           ", 'third');"
           "CREATE TABLE empty_table (id INTEGER, name VARCHAR(10));"
           "CREATE TABLE texts (id INTEGER, body " +
           std::string(Dialect(backend, "VARCHAR(10)", "TEXT")) + ", bin " + blob + ");";
}

// Points g_settings at a Quarn.ini of the test's own with kProject as the active project.
class ScopedSettings {
public:
    ScopedSettings() : m_previousPath(g_settings.Path()), m_previousProject(g_strProject.Get()) {
        g_settings.SetPath(m_dir.File("Quarn.ini"));
        g_strProject.Set(std::string(kProject));
    }
    ~ScopedSettings() {
        g_settings.SetPath(m_previousPath);
        g_strProject.Set(m_previousProject);
    }
    bool Ok() const { return m_dir.Ok(); }
    void Set(const IntKey& key, int value) {
        std::string error;
        ASSERT_TRUE(g_settings.Set(kProject, key, value, &error)) << error;
    }

private:
    fixtures::TempDir m_dir{"odbc_settings"};
    std::string m_previousPath;
    std::string m_previousProject;
};

class OdbcRecordsetTest : public testing::TestWithParam<DatabaseBackend> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_settings.Ok());
        m_database = std::make_unique<fixtures::TestDatabase>(GetParam(), SeedSql(GetParam()));
        if (m_database->Skipped()) GTEST_SKIP() << m_database->SkipReason();
        ASSERT_TRUE(m_database->Ok()) << m_database->Error();
    }

    DatabaseBackend Backend() const { return GetParam(); }
    const std::string& ConnectionString() const { return m_database->ConnectionString(); }

    // A connected recordset that executed `sql` (with result set): the test stops on failure.
    std::unique_ptr<COdbcRecordset> Open(std::string_view sql) {
        auto recordset = std::make_unique<COdbcRecordset>();
        EXPECT_EQ(recordset->Connect(ConnectionString()), 1) << recordset->GetValue();
        EXPECT_EQ(recordset->ExecuteSql(sql), 1) << recordset->GetValue();
        EXPECT_EQ(recordset->GetValue(), kExecuted);
        return recordset;
    }

    // Runs a statement without result set on a recordset of its own.
    void Run(std::string_view sql) {
        COdbcRecordset recordset;
        ASSERT_EQ(recordset.Connect(ConnectionString()), 1) << recordset.GetValue();
        ASSERT_EQ(recordset.ExecuteSql(sql, false), 1) << recordset.GetValue();
    }

    std::string Variable(COdbcRecordset& recordset, std::string_view name) {
        EXPECT_EQ(recordset.GetVariable(name), 1) << name << ": " << recordset.GetValue();
        return std::string(recordset.GetValue());
    }

    ScopedSettings m_settings;
    std::unique_ptr<fixtures::TestDatabase> m_database;
};

INSTANTIATE_TEST_SUITE_P(Backends, OdbcRecordsetTest, testing::ValuesIn(fixtures::kAllBackends),
                         fixtures::BackendTestName);

TEST_P(OdbcRecordsetTest, WalksRowsForwardAndAbsolute) {
    auto rs = Open("SELECT id, name FROM items ORDER BY id");
    EXPECT_EQ(rs->IsReady(), 1);
    EXPECT_EQ(rs->IsRowAvailable(), 1);
    EXPECT_EQ(Variable(*rs, "rownumber"), "1");
    EXPECT_EQ(Variable(*rs, "recordsetsize"), "3");
    EXPECT_EQ(Variable(*rs, "numcolumns"), "2");
    EXPECT_EQ(Variable(*rs, "id"), "1");

    constexpr bool kNext = true;
    constexpr bool kAbsolute = false;
    struct Step {
        const char* what;
        bool next;
        int absoluteRow;
        int rowAvailable;
        int rowNumber;
        const char* id;  // nullptr: no row to read
    };
    const Step steps[] = {
        {"next", kNext, 0, 1, 2, "2"},
        {"next", kNext, 0, 1, 3, "3"},
        {"next past the end", kNext, 0, 0, 4, nullptr},
        {"next again", kNext, 0, 0, 5, nullptr},
        {"absolute 2", kAbsolute, 2, 1, 2, "2"},
        {"absolute 1", kAbsolute, 1, 1, 1, "1"},
        {"absolute 3", kAbsolute, 3, 1, 3, "3"},
        {"absolute past the end", kAbsolute, 4, 0, 4, nullptr},
        {"absolute 2 after the end", kAbsolute, 2, 1, 2, "2"},
        {"next after absolute", kNext, 0, 1, 3, "3"},
        {"absolute 0: before the first", kAbsolute, 0, 0, 0, nullptr},
        {"next from before the first", kNext, 0, 1, 1, "1"},
        {"absolute -1: the last", kAbsolute, -1, 1, -1, "3"},
        {"absolute -3: the first", kAbsolute, -3, 1, -3, "1"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const int result = step.next ? rs->FetchNext() : rs->FetchRow(step.absoluteRow);
        EXPECT_EQ(result, 1) << rs->GetValue();
        EXPECT_EQ(rs->GetValue(), "");
        EXPECT_EQ(rs->IsRowAvailable(), step.rowAvailable);
        EXPECT_EQ(rs->GetRowNumber(), step.rowNumber);
        EXPECT_EQ(Variable(*rs, "rownumber"), std::to_string(step.rowNumber));
        // Without a row the columns read as empty, not as the last row's data.
        EXPECT_EQ(Variable(*rs, "id"), step.id != nullptr ? step.id : "");
        EXPECT_EQ(rs->GetLength(), step.id != nullptr ? 1 : 0);
    }
}

TEST_P(OdbcRecordsetTest, HandsOutValuesByTypeClass) {
    auto rs = Open("SELECT id, name, price, ratio, data, notes FROM items ORDER BY id");
    struct Cell {
        int row;
        const char* column;
        std::string value;
        int length;
        int type;
    };
    const Cell cells[] = {
        {1, "id", "1", 1, COdbcRecordset::kNumber},
        {1, "name", "alpha", 5, COdbcRecordset::kText},
        {1, "price", "1.25", 4, COdbcRecordset::kNumber},
        {1, "ratio", "0.25", 4, COdbcRecordset::kNumber},
        {1, "data", "00FF10", 6, COdbcRecordset::kBinary},
        {1, "notes", "first", 5, COdbcRecordset::kText},
        {2, "id", "2", 1, COdbcRecordset::kNumber},
        {2, "name", "", -1, COdbcRecordset::kText},
        {2, "price", "", -1, COdbcRecordset::kNumber},
        {2, "ratio", "", -1, COdbcRecordset::kNumber},
        {2, "data", "", -1, COdbcRecordset::kBinary},
        {2, "notes", "", -1, COdbcRecordset::kText},
        {3, "price", std::string(Dialect(Backend(), "30", "30.00")),
         Backend() == DatabaseBackend::kSqlite ? 2 : 5, COdbcRecordset::kNumber},
        {3, "ratio", "-2.5", 4, COdbcRecordset::kNumber},
        {3, "data", "ABCDEF", 6, COdbcRecordset::kBinary},
    };
    for (const Cell& cell : cells) {
        SCOPED_TRACE(std::string("row ") + std::to_string(cell.row) + " " + cell.column);
        ASSERT_EQ(rs->FetchRow(cell.row), 1) << rs->GetValue();
        ASSERT_EQ(rs->GetVariable(cell.column), 1) << rs->GetValue();
        EXPECT_EQ(rs->GetValue(), cell.value);
        EXPECT_EQ(rs->GetLength(), cell.length);
        EXPECT_EQ(rs->GetType(), cell.type);
    }
    // By number, the same value as by name.
    ASSERT_EQ(rs->FetchRow(1), 1);
    ASSERT_EQ(rs->GetColumn(5), 1) << rs->GetValue();
    EXPECT_EQ(rs->GetValue(), "00FF10");
}

TEST_P(OdbcRecordsetTest, BindsAtMost499Columns) {
    std::string sql = "SELECT ";
    for (int i = 1; i <= 600; ++i)
        sql += (i > 1 ? ", " : "") + std::to_string(i) + " AS c" + std::to_string(i);
    auto rs = Open(sql);
    EXPECT_EQ(rs->GetColumnCount(), 499);
    EXPECT_EQ(Variable(*rs, "numcolumns"), "499");
    EXPECT_EQ(Variable(*rs, "c499"), "499");
    ASSERT_EQ(rs->GetColumn(499), 1);
    EXPECT_EQ(rs->GetValue(), "499");
    EXPECT_EQ(rs->GetColumn(500), 0);
    EXPECT_EQ(rs->GetValue(), kError3);
    EXPECT_EQ(rs->GetVariable("c500"), 0);
    EXPECT_EQ(rs->GetValue(), "ERROR 55- ?c500? is not a recognized variable name.");
}

TEST_P(OdbcRecordsetTest, EmptyResultHasNoRowToRead) {
    auto rs = Open("SELECT id, name FROM empty_table");
    EXPECT_EQ(rs->IsRowAvailable(), 0);
    EXPECT_EQ(Variable(*rs, "recordsetsize"), "0");
    EXPECT_EQ(Variable(*rs, "rownumber"), "0");
    EXPECT_EQ(Variable(*rs, "numcolumns"), "2");
    for (const char* name : {"id", "name"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(rs->GetVariable(name), 0);
        EXPECT_EQ(rs->GetValue(), kError13);
    }
    EXPECT_EQ(rs->GetColumn(1), 0);
    EXPECT_EQ(rs->GetValue(), kError13);
    EXPECT_EQ(rs->FetchNext(), 1);
    EXPECT_EQ(rs->IsRowAvailable(), 0);
    EXPECT_EQ(rs->GetRowNumber(), 1);
}

TEST_P(OdbcRecordsetTest, RefusesUnknownColumns) {
    auto rs = Open("SELECT id, name FROM items ORDER BY id");
    struct Case {
        const char* name;
        std::string message;
    };
    const Case names[] = {
        {"ID", "ERROR 55- ?ID? is not a recognized variable name."},
        {"RowNumber", "ERROR 55- ?RowNumber? is not a recognized variable name."},
        {"", "ERROR 55- ?? is not a recognized variable name."},
        {"%s%n", "ERROR 55- ?%s%n? is not a recognized variable name."},
    };
    for (const Case& c : names) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rs->GetVariable(c.name), 0);
        EXPECT_EQ(rs->GetValue(), c.message);
    }
    for (int column : {-1, 0, 3, 500}) {
        SCOPED_TRACE(column);
        EXPECT_EQ(rs->GetColumn(column), 0);
        EXPECT_EQ(rs->GetValue(), kError3);
    }
}

TEST_P(OdbcRecordsetTest, ReportsTheDriverDiagnostic) {
    std::string longName;
    for (int i = 0; i < 300; ++i)
        longName += "\xC3\xA9";
    struct Case {
        const char* what;
        std::string sql;
        std::string detail;  // part of the driver's message
        std::size_t minimumLength = 0;
    };
    const Case cases[] = {
        {"syntax error", "SELEC id FROM items", "syntax error"},
        {"missing table", "SELECT id FROM nosuch", "nosuch"},
        {"missing column", "SELECT nosuchcolumn FROM items", "nosuchcolumn"},
        {"format directives in the text", "SELECT id FROM \"%s%n%d\"", "%s%n%d"},
        {"message beyond 511 bytes",
         Backend() == DatabaseBackend::kSqlite ? "SELECT id FROM \"" + longName + "\""
                                               : "SELECT CAST('" + longName + "' AS INTEGER)",
         std::string(Dialect(Backend(), "no such table", "invalid input syntax")), 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        COdbcRecordset rs;
        ASSERT_EQ(rs.Connect(ConnectionString()), 1) << rs.GetValue();
        EXPECT_EQ(rs.ExecuteSql(c.sql), 0);
        const std::string message(rs.GetValue());
        EXPECT_EQ(message.rfind("ERROR 1- ", 0), 0u) << message;
        EXPECT_NE(message.find(c.detail), std::string::npos) << message;
        // At most 511 bytes of diagnostic, cut between characters.
        EXPECT_LE(message.size(), std::string("ERROR 1- ").size() + 511);
        EXPECT_GE(message.size(), c.minimumLength);
        EXPECT_LT(static_cast<unsigned char>(message.back()), 0xC0) << "ends in a lead byte";
        // Not ready: every later request answers with a diagnostic.
        EXPECT_EQ(rs.IsReady(), 0);
        EXPECT_EQ(rs.GetVariable("id"), 0);
        EXPECT_EQ(rs.GetValue().rfind("ERROR 1- ", 0), 0u) << rs.GetValue();
        EXPECT_EQ(rs.FetchNext(), 0);
        EXPECT_EQ(rs.IsRowAvailable(), 0);
    }
}

TEST_P(OdbcRecordsetTest, ExecutesStatementsWithoutResultSet) {
    struct Case {
        const char* what;
        const char* sql;
        bool withResultSet;
        const char* countSql;
        const char* count;
    };
    // The result-set form of a statement without columns must not fail after it ran: a script
    // retrying a failure would insert twice.
    const Case cases[] = {
        {"insert, execute only", "INSERT INTO items (id, name) VALUES (10, 'new')", false,
         "SELECT COUNT(*) AS n FROM items WHERE id = 10", "1"},
        {"insert, with result set", "INSERT INTO items (id, name) VALUES (11, 'new')", true,
         "SELECT COUNT(*) AS n FROM items WHERE id = 11", "1"},
        {"update of no row, with result set", "UPDATE items SET name = 'x' WHERE id = 999", true,
         "SELECT COUNT(*) AS n FROM items WHERE name = 'x'", "0"},
        {"delete, execute only", "DELETE FROM items WHERE id = 3", false,
         "SELECT COUNT(*) AS n FROM items WHERE id = 3", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        COdbcRecordset rs;
        ASSERT_EQ(rs.Connect(ConnectionString()), 1) << rs.GetValue();
        EXPECT_EQ(rs.ExecuteSql(c.sql, c.withResultSet), 1) << rs.GetValue();
        EXPECT_EQ(rs.GetValue(), kExecuted);
        EXPECT_EQ(rs.IsReady(), 1);
        EXPECT_EQ(rs.GetColumnCount(), 0);
        EXPECT_EQ(rs.GetRowCount(), 0);
        EXPECT_EQ(rs.IsRowAvailable(), 0);
        EXPECT_EQ(rs.GetColumn(1), 0);
        EXPECT_EQ(rs.GetValue(), kError3);

        auto check = Open(c.countSql);
        EXPECT_EQ(Variable(*check, "n"), c.count);
    }
}

TEST_P(OdbcRecordsetTest, ExecutesAgainOnItsConnection) {
    auto rs = Open("SELECT id, name, data FROM items ORDER BY id");
    ASSERT_EQ(rs->FetchRow(3), 1);
    ASSERT_EQ(rs->ExecuteSql("SELECT notes FROM items WHERE id = 1"), 1) << rs->GetValue();
    EXPECT_EQ(Variable(*rs, "numcolumns"), "1");
    EXPECT_EQ(Variable(*rs, "recordsetsize"), "1");
    EXPECT_EQ(Variable(*rs, "notes"), "first");
    EXPECT_EQ(rs->GetVariable("name"), 0);
    EXPECT_EQ(rs->GetValue(), "ERROR 55- ?name? is not a recognized variable name.");
}

TEST_P(OdbcRecordsetTest, ReturnsLongValuesWholeOrRefusesThem) {
    struct Case {
        const char* what;
        int kilobytes;  // odbccolsize
        bool binary;
        int bytes;
        bool whole;  // else ERROR 18
    };
    const Case cases[] = {
        {"text beyond its declared size", 4, false, 3000, true},
        {"text of limit - 10", 4, false, 4096 - 10, true},
        {"text of limit - 9", 4, false, 4096 - 9, false},
        {"text beyond the limit", 4, false, 10000, false},
        {"text of 1020 bytes, limit 1 KB", 1, false, 1020, false},
        {"limit 0 reads as 1 KB", 0, false, 1014, true},
        {"text past the driver's display size", 64, false, 20000, true},
        {"binary beyond its declared size", 4, true, 1500, true},
        {"binary, hex of limit - 10", 4, true, (4096 - 10) / 2, true},
        {"binary, hex beyond limit - 10", 4, true, (4096 - 10) / 2 + 1, false},
        {"binary beyond half the limit", 4, true, 3000, false},
    };
    int id = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_settings.Set(project_key::odbccolsize, c.kilobytes);
        const std::string bytes = c.binary ? BinaryData(c.bytes) : TextData(c.bytes);
        const std::string value = c.binary ? BinaryLiteral(Backend(), bytes) : "'" + bytes + "'";
        ++id;
        Run("INSERT INTO texts (id, " + std::string(c.binary ? "bin" : "body") + ") VALUES (" +
            std::to_string(id) + ", " + value + ")");

        auto rs = Open("SELECT id, " + std::string(c.binary ? "bin" : "body") +
                       " FROM texts WHERE id = " + std::to_string(id));
        const std::string expected = c.binary ? Hex(bytes) : bytes;
        EXPECT_EQ(rs->GetColumn(2), c.whole ? 1 : 0);
        if (c.whole) {
            EXPECT_TRUE(rs->GetValue() == expected) << rs->GetValue().substr(0, 100) << "...";
            EXPECT_EQ(rs->GetLength(), static_cast<int>(expected.size()));
        } else {
            EXPECT_EQ(rs->GetValue(), kError18);
        }
        EXPECT_EQ(Variable(*rs, "id"), std::to_string(id));
    }
}

TEST_P(OdbcRecordsetTest, GrowsColumnsWhileWalkingUnlessTheCursorLibraryServesThem) {
    // Row 2 is longer than the first buffers: text beyond its declared or display size, binary
    // beyond its declared size (a BYTEA column gets the whole limit at once).
    const std::string longText(10000, 'L');
    const std::string longBinary(2000, '\xEE');
    const bool binaryGrows = Backend() == DatabaseBackend::kSqlite;
    Run("INSERT INTO texts VALUES (1, 'short', " + BinaryLiteral(Backend(), "\x01") + ")");
    Run("INSERT INTO texts VALUES (2, '" + longText + "', " + BinaryLiteral(Backend(), longBinary) +
        ")");
    Run("INSERT INTO texts VALUES (3, 'tiny', NULL)");
    m_settings.Set(project_key::odbccolsize, 16);

    struct Row {
        int id;
        std::string body;
        std::string bin;
    };
    const Row rows[] = {{1, "short", "01"}, {2, longText, Hex(longBinary)}, {3, "tiny", ""}};
    for (int cursorLibrary : {0, 1, 2}) {
        SCOPED_TRACE("odbccursorlib " + std::to_string(cursorLibrary));
        // The cursor library serves rows from a cache of the first buffers: no growing there,
        // so a longer value is refused, never cut.
        const bool canGrow = cursorLibrary != 0;
        m_settings.Set(project_key::odbccursorlib, cursorLibrary);
        auto rs = Open("SELECT id, body, bin FROM texts ORDER BY id");
        EXPECT_EQ(Variable(*rs, "recordsetsize"), "3");
        // Forward (the long row grows the buffers), then back to the rows before and after.
        const int order[] = {1, 2, 3, 1, 2};
        for (std::size_t step = 0; step < std::size(order); ++step) {
            const Row& row = rows[order[step] - 1];
            SCOPED_TRACE("row " + std::to_string(row.id));
            if (step > 0) {
                const int result = step < 3 ? rs->FetchNext() : rs->FetchRow(row.id);
                ASSERT_EQ(result, 1) << rs->GetValue();
            }
            EXPECT_EQ(Variable(*rs, "id"), std::to_string(row.id));
            const bool longRow = row.id == 2;
            const struct {
                const char* column;
                const std::string& value;
                bool whole;
            } cells[] = {{"body", row.body, !longRow || canGrow},
                         {"bin", row.bin, !longRow || canGrow || !binaryGrows}};
            for (const auto& cell : cells) {
                SCOPED_TRACE(cell.column);
                EXPECT_EQ(rs->GetVariable(cell.column), cell.whole ? 1 : 0);
                EXPECT_EQ(rs->GetValue(), cell.whole ? cell.value : kError18);
            }
        }
    }
}

TEST(OdbcRecordset, ReportsConnectionFailures) {
    ScopedSettings settings;
    ASSERT_TRUE(fixtures::OdbcEnvironment::Install().Ok());
    struct Case {
        const char* what;
        std::string connectionString;
        std::string detail;
    };
    const Case cases[] = {
        {"driver that does not exist", "Driver=NoSuchDriver;Database=x", "NoSuchDriver"},
        {"data source that does not exist", "DSN=NoSuchSource", "Data source name not found"},
        {"longer than 1023 bytes", "Driver=SQLite3;Database=" + std::string(1000, 'd'),
         "longer than 1023"},
        {"zero byte", std::string("Driver=SQLite3;Database=a\0b", 27), "zero byte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        COdbcRecordset rs;
        EXPECT_EQ(rs.Connect(c.connectionString), 0);
        const std::string message(rs.GetValue());
        EXPECT_EQ(message.rfind("ERROR 1- ", 0), 0u) << message;
        EXPECT_NE(message.find(c.detail), std::string::npos) << message;
        EXPECT_EQ(rs.IsReady(), 0);
        EXPECT_EQ(rs.ExecuteSql("SELECT 1"), 0);
        EXPECT_EQ(rs.GetValue().rfind("ERROR 1- ", 0), 0u) << rs.GetValue();
    }
}

TEST(OdbcRecordset, AnswersEveryRequestBeforeConnecting) {
    ScopedSettings settings;
    COdbcRecordset rs;
    const std::string noRecord = "ERROR 1- ODBC error without diagnostic record (return code -2)";
    EXPECT_EQ(rs.IsReady(), 0);
    EXPECT_EQ(rs.GetRowNumber(), 0);
    EXPECT_EQ(rs.ExecuteSql("SELECT 1"), 0);
    EXPECT_EQ(rs.GetValue(), noRecord);
    EXPECT_EQ(rs.FetchNext(), 0);
    EXPECT_EQ(rs.GetValue(), noRecord);
    EXPECT_EQ(rs.FetchRow(1), 0);
    EXPECT_EQ(rs.GetVariable("rownumber"), 0);
    EXPECT_EQ(rs.GetValue(), noRecord);
    EXPECT_EQ(rs.GetColumn(1), 0);
    EXPECT_EQ(rs.GetValue(), kError3);
}

// A fetch that fails after rows were read: the server ends the session while psqlODBC still has
// rows to fetch from it (declare/fetch mode, two rows at a time). SQLite reads a result whole at
// execution, so it cannot fail there.
TEST(OdbcRecordset, FailedFetchLeavesNoRowAvailable) {
    ScopedSettings settings;
    fixtures::PostgresCluster& cluster = fixtures::PostgresCluster::Shared();
    if (!cluster.IsRunning()) GTEST_SKIP() << cluster.FailureReason();
    std::string error;
    const std::string db = cluster.CreateDatabase(
        "CREATE TABLE t (a INTEGER); INSERT INTO t SELECT generate_series(1, 10);", &error);
    ASSERT_FALSE(db.empty()) << error;
    COdbcRecordset rs;
    ASSERT_EQ(rs.Connect(cluster.ConnectionString(db) + ";UseDeclareFetch=1;Fetch=2"), 1)
        << rs.GetValue();
    ASSERT_EQ(rs.ExecuteSql("SELECT a FROM t ORDER BY a"), 1) << rs.GetValue();
    ASSERT_EQ(rs.FetchNext(), 1) << rs.GetValue();
    ASSERT_EQ(rs.IsRowAvailable(), 1);

    // The DO block is one transaction, and pg_stat_activity is a snapshot that lasts until it is
    // cleared: without the clear, a backend still ending at the first look is waited for forever.
    ASSERT_TRUE(
        cluster.RunSql("postgres",
                       "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                       "WHERE datname = '" +
                           db +
                           "';"
                           "DO $$ BEGIN WHILE EXISTS (SELECT 1 FROM pg_stat_activity "
                           "WHERE datname = '" +
                           db +
                           "') LOOP PERFORM pg_sleep(0.01); PERFORM pg_stat_clear_snapshot(); "
                           "END LOOP; END $$;",
                       &error))
        << error;
    EXPECT_EQ(rs.FetchNext(), 0);
    EXPECT_EQ(rs.GetValue().rfind("ERROR 1- ", 0), 0u) << rs.GetValue();
    EXPECT_EQ(rs.IsRowAvailable(), 0);
    EXPECT_EQ(rs.GetRowNumber(), 3);
}

}  // namespace
