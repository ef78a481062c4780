#include "quarn/script/script_context.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/test_database.h"

namespace {

using fixtures::DatabaseBackend;
using fixtures::Dialect;

const std::string kError3 = "ERROR 3- attempt made to fetch non-existent recordset column.";
const std::string kError4 = "ERROR 4- unable to open export file for writing.";
const std::string kError5 = "ERROR 5- no valid recordset available.";
const std::string kError6 = "ERROR 6- error writing to export file.";
const std::string kError18 =
    "ERROR 18- datasource column data larger than buffer. Increase ODBC memory allocation.";
const std::string kError32 = "ERROR 32- arithmetic/Boolean expression contains syntax errors.";
const std::string kError33 = "ERROR 33- arithmetic/Boolean expression contains illegal characters.";
const std::string kError34 = "ERROR 34- divide by zero in arithmetic/Boolean expression.";
const std::string kError48 = "ERROR 48- syntax error in variable name.";
const std::string kError50 = "ERROR 50- variable name ?? not allowed.";
const std::string kError52 =
    "ERROR 52- function attempted to set datasource cursor after the last record in the "
    "recordset.";
const std::string kError53 =
    "ERROR 53- reference made to database when no database connections exist.";
const std::string kError54 = "ERROR 54- unrecognised variable name.";
const std::string kError57 = "ERROR 57- closing character not found on variable name or index.";
const std::string kError58 =
    "ERROR 58- variable index must be followed by closing '?' of variable name.";
const std::string kError59 = "ERROR 59- invalid index supplied to datasource variable.";
const std::string kError60 =
    "ERROR 60- datasource SQL open failed due to too many open datasources.";
const std::string kError64 = "ERROR 64- variable name exceeds maximum allowed length.";
const std::string kExecuted = "SQL successfully executed.";

std::string Error55(std::string_view name) {
    return "ERROR 55- ?" + std::string(name) + "? is not a recognized variable name.";
}

// Appends a definition without going through the operations under test.
void Define(CScriptContext& context, std::string_view name, std::string_view value) {
    context.m_astrVarNames.emplace_back(name);
    context.m_astrVarValues.emplace_back(value);
}

// One expansion: the expected text when error is empty, else the exact failure message.
struct ExpandCase {
    std::string text;
    std::string expected;
    std::string error;
};

void ExpectExpansion(CScriptContext& context, const ExpandCase& row) {
    SCOPED_TRACE("text: " + row.text);
    const int result = context.ExpandText(row.text);
    if (row.error.empty()) {
        EXPECT_EQ(result, 1) << context.m_strMessage;
        EXPECT_EQ(context.m_strMessage, row.expected);
    } else {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(context.m_strMessage, row.error);
    }
}

// 2024-03-05 14:07:09 UTC, a Tuesday.
constexpr std::time_t kFixedTime = 1709647629;
std::time_t FixedTime() {
    return kFixedTime;
}

// The process runs at kFixedTime in UTC until the object goes.
class FixedClockInUtc {
public:
    FixedClockInUtc() {
        if (const char* tz = std::getenv("TZ")) m_savedTz = tz;
        m_hadTz = std::getenv("TZ") != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
        m_previous = platform::SetTimeSource(&FixedTime);
    }
    ~FixedClockInUtc() {
        platform::SetTimeSource(m_previous);
        if (m_hadTz) {
            setenv("TZ", m_savedTz.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    FixedClockInUtc(const FixedClockInUtc&) = delete;
    FixedClockInUtc& operator=(const FixedClockInUtc&) = delete;

private:
    std::string m_savedTz;
    bool m_hadTz = false;
    platform::TimeSource m_previous = nullptr;
};

class ScriptContextTest : public testing::Test {
protected:
    ScriptContextTest() {
        Define(m_context, "a", "first");
        Define(m_context, "i", "1");
        Define(m_context, "a", "second");
        Define(m_context, "n", "-1");
        Define(m_context, "b", "3");
        Define(m_context, "a", "third");
        Define(m_context, "x[1]", "bracketed");
        Define(m_context, "q?", "question");
        Define(m_context, "quarndate.y", "1999");
        Define(m_context, "Name", "upper");
        Define(m_context, "name", "lower");
        Define(m_context, "r", "?i?");
    }

    FixedClockInUtc m_clock;
    CScriptContext m_context{nullptr};
};

TEST_F(ScriptContextTest, ExpandsSubstitutionsEscapesAndIndexes) {
    const std::string longName(CScriptContext::kMaxNameLength, 'x');
    const std::vector<ExpandCase> rows = {
        {"", "", ""},
        {"plain text, no references", "plain text, no references", ""},
        // Occurrences: 1 the oldest, 0 or none the newest, -1 the one before the newest.
        {"?a?", "third", ""},
        {"?a[0]?", "third", ""},
        {"?a[1]?", "first", ""},
        {"?a[2]?", "second", ""},
        {"?a[3]?", "third", ""},
        {"?a[-1]?", "second", ""},
        {"?a[-2]?", "first", ""},
        {"?a[4]?", "", kError54},
        {"?a[-3]?", "", kError54},
        // Indexes are expressions, truncated toward zero; huge ones saturate instead of wrapping
        // round to a valid occurrence, and NaN counts as 0.
        {"?a[1.9]?", "first", ""},
        {"?a[-1.9]?", "second", ""},
        {"?a[ (1 + 1) * 1 ]?", "second", ""},
        {"?a[4294967297]?", "", kError54},
        {"?a[-4294967295]?", "", kError54},
        {"?a[sqrt(-1)]?", "third", ""},
        {"?a[]?", "third", ""},
        // An index holding substitutions is expanded before it is evaluated.
        {"?a[?i?+1]?", "second", ""},
        {"?a[?n?]?", "second", ""},
        {"?a[?a[?b?]?]?", "", kError33},
        {"?a[?b?]?", "third", ""},
        {"?a[?i??i?]?", "", kError54},
        {"<td>?a?</td><td>?i?</td>", "<td>third</td><td>1</td>", ""},
        {"?i??i?", "11", ""},
        // A value is inserted as it is, never expanded again.
        {"?r?", "?i?", ""},
        // A backslash puts the next character into the name.
        {"?x\\[1\\]?", "bracketed", ""},
        {"?q\\??", "question", ""},
        // Built-in names come first and ignore any index.
        {"?quarndate.y?", "2024", ""},
        {"?quarndate.y[1]?", "2024", ""},
        // Names compare byte for byte.
        {"?Name?|?name?", "upper|lower", ""},
        {"?NAME?", "", kError54},
        {"?nosuch?", "", kError54},
        // Escapes.
        {"a\\0b", std::string("a\0b", 3), ""},
        {"\\a\\b\\f\\n\\r\\t\\v", "\a\b\f\n\r\t\v", ""},
        {"\\q\\\\\\[\\\"", "q\\[\"", ""},
        {"\\?a\\?", "?a?", ""},
        {"ends in \\", "ends in \\", ""},
        // Malformed references.
        {"??", "", kError50},
        {"text ?a", "", kError57},
        {"?a[1?", "", kError57},
        {"?a\\?", "", kError57},
        {"?a[1]x?", "", kError58},
        {"?a[?zz]?", "", kError57},
        {"?a[?zz?]?", "", kError54},
        {"?a[1+]?", "", kError32},
        {"?a[$]?", "", kError33},
        {"?a[1/0]?", "", kError34},
        // At most 255 characters between the question marks.
        {"?" + longName + "?", "", kError54},
        {"?" + longName + "x?", "", kError64},
        {"?" + longName + "x", "", kError64},
        {"?" + longName, "", kError57},
    };
    for (const ExpandCase& row : rows)
        ExpectExpansion(m_context, row);
}

TEST_F(ScriptContextTest, ExpandsTextThatViewsItsOwnMessage) {
    m_context.m_strMessage = "<?a?> and <?i?>";
    EXPECT_EQ(m_context.ExpandText(m_context.m_strMessage), 1);
    EXPECT_EQ(m_context.m_strMessage, "<third> and <1>");
}

TEST_F(ScriptContextTest, ParsesReferences) {
    struct Row {
        std::string reference;
        std::string name;
        int index;
        std::string error;
    };
    const std::string longName(CScriptContext::kMaxNameLength, 'n');
    const std::vector<Row> rows = {
        {"?a?", "a", 0, ""},
        {"?a[3]?", "a", 3, ""},
        {"?a[-2]?", "a", -2, ""},
        {"?a[2.7]?", "a", 2, ""},
        {"?a[-2.7]?", "a", -2, ""},
        {"?a[?i?+1]?", "a", 2, ""},
        {"?a[?b?]?", "a", 3, ""},
        {"?a[(1)]?", "a", 1, ""},
        {"?a[]?", "a", 0, ""},
        {"?a]b?", "ab", 0, ""},
        {"?x\\[1\\]?", "x[1]", 0, ""},
        {"?a[\\x]?", "ax", 0, ""},
        {"?[2]?", "", 2, ""},
        {"?" + longName + "?", longName, 0, ""},
        {"?", "", 0, kError50},
        {"??", "", 0, kError50},
        {"", "", 0, kError48},
        {"a", "", 0, kError48},
        {"?a", "", 0, kError48},
        {"a?", "", 0, kError48},
        {"?a[1]x?", "", 0, kError58},
        {"?a[1?", "", 0, kError58},
        {"?" + longName + "n?", "", 0, kError64},
        {"?a[1/0]?", "", 0, kError34},
        {"?a[?zz?]?", "", 0, kError54},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("reference: " + row.reference);
        m_context.m_nRefIndex = 99;
        const int result = m_context.ParseVariableRef(row.reference);
        if (row.error.empty()) {
            EXPECT_EQ(result, 1) << m_context.m_strMessage;
            EXPECT_EQ(m_context.m_strMessage, row.name);
            EXPECT_EQ(m_context.m_nRefIndex, row.index);
        } else {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(m_context.m_strMessage, row.error);
        }
    }
}

TEST_F(ScriptContextTest, FindsOccurrencesFromEitherEnd) {
    struct Row {
        int n;
        int index;  // into the store; a is defined at 0, 2 and 5
    };
    const Row rows[] = {{1, 0}, {2, 2}, {3, 5}, {4, -1}, {0, 5}, {-1, 2}, {-2, 0}, {-3, -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE("n = " + std::to_string(row.n));
        EXPECT_EQ(m_context.FindVariable("a", row.n), row.index);
    }
    EXPECT_EQ(m_context.FindVariable("A", 0), -1);
}

TEST_F(ScriptContextTest, SetsCountsAndDeletesVariables) {
    EXPECT_EQ(m_context.SetVariable("?a[1]?", "new first"), 1);
    EXPECT_EQ(m_context.m_strMessage, "Variable ?a[1]? set to new first\r\n");
    EXPECT_EQ(m_context.m_astrVarValues[0], "new first");

    EXPECT_EQ(m_context.SetVariable("?a?", "new third"), 1);
    EXPECT_EQ(m_context.m_astrVarValues[5], "new third");
    EXPECT_EQ(m_context.SetVariable("?a[?n?]?", "new second"), 1);
    EXPECT_EQ(m_context.m_astrVarValues[2], "new second");

    // The value may be the message string itself.
    m_context.m_strMessage = "from the message";
    EXPECT_EQ(m_context.SetVariable("?i?", m_context.m_strMessage), 1);
    EXPECT_EQ(m_context.m_astrVarValues[1], "from the message");
    EXPECT_EQ(m_context.m_strMessage, "Variable ?i? set to from the message\r\n");

    EXPECT_EQ(m_context.SetVariable("?a[4]?", "x"), 0);
    EXPECT_EQ(m_context.m_strMessage, kError54);
    EXPECT_EQ(m_context.SetVariable("?nosuch?", "x"), 0);
    EXPECT_EQ(m_context.m_strMessage, kError54);
    EXPECT_EQ(m_context.SetVariable("a", "x"), 0);
    EXPECT_EQ(m_context.m_strMessage, kError48);

    // Counting ignores the index.
    EXPECT_EQ(m_context.CountVariable("?a?"), 3);
    EXPECT_EQ(m_context.CountVariable("?a[2]?"), 3);
    EXPECT_EQ(m_context.CountVariable("?nosuch?"), 0);
    EXPECT_EQ(m_context.m_strMessage, kError54);

    // Deleting removes only the newest definition, whatever the index says; the one before it
    // becomes visible again.
    EXPECT_EQ(m_context.DeleteVariable("?a[1]?"), 1);
    EXPECT_EQ(m_context.m_strMessage, "Variable ?a? deleted.");
    EXPECT_EQ(m_context.CountVariable("?a?"), 2);
    ASSERT_EQ(m_context.ExpandText("?a?|?a[1]?"), 1);
    EXPECT_EQ(m_context.m_strMessage, "new second|new first");
    EXPECT_EQ(m_context.m_astrVarNames.size(), m_context.m_astrVarValues.size());
    EXPECT_EQ(m_context.DeleteVariable("?nosuch?"), 0);
    EXPECT_EQ(m_context.m_strMessage, kError54);

    EXPECT_EQ(m_context.DeleteArray("?a?"), 1);
    EXPECT_EQ(m_context.m_strMessage, "Array ??a?? deleted.");
    EXPECT_EQ(m_context.FindVariable("a", 0), -1);
    EXPECT_EQ(m_context.DeleteArray("?a?"), 0);
    EXPECT_EQ(m_context.m_strMessage, kError54);
    EXPECT_EQ(m_context.m_astrVarNames.size(), m_context.m_astrVarValues.size());

    EXPECT_EQ(m_context.DefineVariable("fresh"), 1);
    EXPECT_EQ(m_context.m_astrVarNames.back(), "fresh");
    EXPECT_EQ(m_context.m_astrVarValues.back(), "");
    // The name may be an entry of the store that growing it moves.
    m_context.m_astrVarNames.shrink_to_fit();
    m_context.m_astrVarValues.shrink_to_fit();
    EXPECT_EQ(m_context.DefineVariable(m_context.m_astrVarNames[0]), 1);
    EXPECT_EQ(m_context.m_astrVarNames.back(), m_context.m_astrVarNames[0]);
}

TEST_F(ScriptContextTest, LooksUpValuesWithoutDatasources) {
    m_context.m_strMessage = "untouched";
    EXPECT_EQ(m_context.GetVariableValue("a", 1), 1);
    EXPECT_EQ(m_context.m_strValue, "first");
    EXPECT_EQ(m_context.GetVariableValue("nosuch", 0), 0);
    EXPECT_EQ(m_context.m_strMessage, "untouched");

    EXPECT_EQ(m_context.LookupValue("a", -1), 1);
    EXPECT_EQ(m_context.m_strValue, "second");
    EXPECT_EQ(m_context.LookupValue("nosuch", 0), 0);
    EXPECT_EQ(m_context.m_strMessage, kError54);

    EXPECT_EQ(m_context.GetValueRef("?a[2]?"), 1);
    EXPECT_EQ(std::string(m_context.m_pRefValue, m_context.m_nRefLength), "second");
    EXPECT_EQ(m_context.m_nRefType, CScriptContext::kVariableType);
    EXPECT_EQ(m_context.GetValueRef("?quarndate.d?"), 1);
    EXPECT_EQ(std::string(m_context.m_pRefValue, m_context.m_nRefLength), "05");
    EXPECT_EQ(m_context.m_nRefType, CScriptContext::kVariableType);
    EXPECT_EQ(m_context.GetValueRef("?nosuch?"), 0);
    EXPECT_EQ(m_context.m_strMessage, kError54);
    EXPECT_EQ(m_context.GetValueRef("nosuch"), 0);
    EXPECT_EQ(m_context.m_strMessage, kError48);
}

// The built-in date and time names, at a fixed time in UTC, in the C locale and in a German one:
// the output never depends on the process locale.
class ScriptContextBuiltinTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        m_savedLocale = std::setlocale(LC_ALL, nullptr);
        if (std::setlocale(LC_ALL, GetParam()) == nullptr)
            GTEST_SKIP() << "locale " << GetParam() << " is not installed";
    }
    void TearDown() override { std::setlocale(LC_ALL, m_savedLocale.c_str()); }

    std::string m_savedLocale;
    FixedClockInUtc m_clock;
};

TEST_P(ScriptContextBuiltinTest, FormatsTheCurrentTime) {
    CScriptContext context(nullptr);
    const std::vector<ExpandCase> rows = {
        {"?quarntime?", "14:07:09", ""},   {"?quarntime.s?", "09", ""},
        {"?quarntime.m?", "07", ""},       {"?quarntime.h?", "14", ""},
        {"?quarndate?", "03/05/24", ""},   {"?quarndate.d?", "05", ""},
        {"?quarndate.dn?", "Tue", ""},     {"?quarndate.m?", "03", ""},
        {"?quarndate.mn?", "Mar", ""},     {"?quarndate.y?", "2024", ""},
        {"?quarndate.y[-5]?", "2024", ""}, {"?QuarnDate?", "", kError54},
    };
    for (const ExpandCase& row : rows)
        ExpectExpansion(context, row);
    ASSERT_EQ(context.m_astrBuiltinNames.size(), 10u);
    EXPECT_EQ(context.m_astrBuiltinNames[0], "quarntime");
    EXPECT_EQ(context.m_astrBuiltinNames[9], "quarndate.y");
}

INSTANTIATE_TEST_SUITE_P(Locales, ScriptContextBuiltinTest, testing::Values("C", "de_DE.UTF-8"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "C" ? "CLocale" : "GermanLocale";
                         });

TEST(ScriptContextStack, CursorOperationsNeedADatasource) {
    CScriptContext context(nullptr);
    EXPECT_EQ(context.m_nDsTop, -1);
    EXPECT_EQ(context.CurrentRowValid(), 0);
    EXPECT_EQ(context.MoveCursor(1), 0);
    EXPECT_EQ(context.m_strMessage, kError53);
    context.m_strMessage.clear();
    EXPECT_EQ(context.NextRow(), 0);
    EXPECT_EQ(context.m_strMessage, kError53);
    EXPECT_EQ(context.GetColumn(1, 0), 0);
    EXPECT_EQ(context.m_strMessage, kError59);
    EXPECT_EQ(context.ExportRecordset("never.csv", -1), 0);
    EXPECT_EQ(context.m_strMessage, kError5);
    EXPECT_EQ(context.CloseDatasource(), 1);
    EXPECT_EQ(context.m_nDsTop, -1);
}

// Points g_settings at a settings file of the test's own, with a project of its own active.
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
    ScopedSettings(const ScopedSettings&) = delete;
    ScopedSettings& operator=(const ScopedSettings&) = delete;

    bool Ok() const { return m_dir.Ok(); }
    void Set(const IntKey& key, int value) {
        std::string error;
        ASSERT_TRUE(g_settings.Set(kProject, key, value, &error)) << error;
    }

private:
    static constexpr std::string_view kProject = "context_test";
    fixtures::TempDir m_dir{"context_settings"};
    std::string m_previousPath;
    std::string m_previousProject;
};

std::string SeedSql(DatabaseBackend backend) {
    const std::string lineBreak(Dialect(backend, "char(13) || char(10)", "chr(13) || chr(10)"));
    return "CREATE TABLE outer_t (id INTEGER, label VARCHAR(20));"
           "INSERT INTO outer_t VALUES (1, 'outer1');"
           "INSERT INTO outer_t VALUES (2, 'outer2');"
           "CREATE TABLE inner_t (id INTEGER, label VARCHAR(20), extra VARCHAR(20));"
           "INSERT INTO inner_t VALUES (10, 'inner10', NULL);"
           "INSERT INTO inner_t VALUES (20, 'inner20', 'y');"
           "INSERT INTO inner_t VALUES (30, 'inner30', 'z');"
           "CREATE TABLE export_t (id INTEGER, label VARCHAR(40), qty INTEGER);"
           "INSERT INTO export_t VALUES (1, 'plain', 5);"
           "INSERT INTO export_t VALUES (2, 'a,b', NULL);"
           "INSERT INTO export_t VALUES (3, 'say \"hi\"', 7);"
           "INSERT INTO export_t VALUES (4, 'two' || " +
           lineBreak +
           " || 'lines', 0);"
           "INSERT INTO export_t VALUES (5, NULL, -3);"
           "CREATE TABLE long_t (id INTEGER, body TEXT);"
           "INSERT INTO long_t VALUES (1, 'short');"
           "INSERT INTO long_t VALUES (2, '" +
           std::string(2000, 'x') + "');";
}

constexpr std::string_view kOuterSql = "SELECT id, label FROM outer_t ORDER BY id";
constexpr std::string_view kInnerSql = "SELECT id, label, extra FROM inner_t ORDER BY id";
constexpr std::string_view kExportSql = "SELECT id, label, qty FROM export_t ORDER BY id";
const std::string kExportedRows[] = {
    "1,\"plain\",5\r\n",        "2,\"a,b\",\r\n", "3,\"say \"\"hi\"\"\",7\r\n",
    "4,\"two\r\nlines\",0\r\n", "5,\"\",-3\r\n",
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ScriptContextDatabaseTest : public testing::TestWithParam<DatabaseBackend> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_settings.Ok());
        ASSERT_TRUE(m_dir.Ok()) << m_dir.Error();
        m_database = std::make_unique<fixtures::TestDatabase>(GetParam(), SeedSql(GetParam()));
        if (m_database->Skipped()) GTEST_SKIP() << m_database->SkipReason();
        ASSERT_TRUE(m_database->Ok()) << m_database->Error();
        m_context.m_strConnect = m_database->ConnectionString();
    }

    void Open(std::string_view sql) {
        ASSERT_EQ(m_context.OpenDatasource(sql), 1) << m_context.m_strMessage;
        EXPECT_EQ(m_context.m_strMessage, kExecuted);
    }

    ScopedSettings m_settings;
    fixtures::TempDir m_dir{"context_export"};
    std::unique_ptr<fixtures::TestDatabase> m_database;
    CScriptContext m_context{nullptr};
};

INSTANTIATE_TEST_SUITE_P(Backends, ScriptContextDatabaseTest,
                         testing::ValuesIn(fixtures::kAllBackends), fixtures::BackendTestName);

TEST_P(ScriptContextDatabaseTest, ResolvesColumnsByLevel) {
    Open(kOuterSql);
    Open(kInnerSql);
    ASSERT_EQ(m_context.m_nDsTop, 1);
    // Index 0 and below count from the innermost source, 1 and above from the outermost.
    const std::vector<ExpandCase> rows = {
        {"?label?", "inner10", ""},
        {"?label[0]?", "inner10", ""},
        {"?label[-1]?", "outer1", ""},
        {"?label[1]?", "outer1", ""},
        {"?label[2]?", "inner10", ""},
        {"?label[3]?", "", kError59},
        {"?label[-2]?", "", kError59},
        {"?label[-2147483648]?", "", kError59},
        {"?id?|?id[-1]?", "10|1", ""},
        {"?extra?", "", ""},
        {"?extra[-1]?", "", Error55("extra")},
        {"?recordsetsize?|?recordsetsize[1]?", "3|2", ""},
        {"?numcolumns?|?numcolumns[-1]?", "3|2", ""},
        {"?rownumber?", "1", ""},
        {"?Label?", "", Error55("Label")},
    };
    for (const ExpandCase& row : rows)
        ExpectExpansion(m_context, row);

    struct ColumnRow {
        int column;
        int level;
        std::string value;
        int result;
    };
    const ColumnRow columns[] = {
        {2, 0, "inner10", 1}, {2, -1, "outer1", 1}, {2, 1, "outer1", 1},  {2, 2, "inner10", 1},
        {1, 0, "10", 1},      {2, 3, kError59, 0},  {2, -2, kError59, 0}, {3, -1, kError3, 0},
    };
    for (const ColumnRow& row : columns) {
        SCOPED_TRACE("column " + std::to_string(row.column) + " level " +
                     std::to_string(row.level));
        EXPECT_EQ(m_context.GetColumn(row.column, row.level), row.result);
        EXPECT_EQ(m_context.m_strMessage, row.value);
    }

    EXPECT_EQ(m_context.LookupValue("label", -1), 1);
    EXPECT_EQ(m_context.m_strValue, "outer1");
    EXPECT_EQ(m_context.LookupValue("label", 3), 0);
    EXPECT_EQ(m_context.m_strMessage, kError59);

    EXPECT_EQ(m_context.GetValueRef("?id?"), 1);
    EXPECT_EQ(std::string(m_context.m_pRefValue, m_context.m_nRefLength), "10");
    EXPECT_EQ(m_context.m_nRefType, COdbcRecordset::kNumber);
    EXPECT_EQ(m_context.GetValueRef("?label[1]?"), 1);
    EXPECT_EQ(std::string(m_context.m_pRefValue, m_context.m_nRefLength), "outer1");
    EXPECT_EQ(m_context.m_nRefType, COdbcRecordset::kText);
    EXPECT_EQ(m_context.GetValueRef("?extra?"), 1);
    EXPECT_EQ(m_context.m_nRefLength, -1);
    EXPECT_EQ(m_context.GetValueRef("?nosuch?"), 0);
    EXPECT_EQ(m_context.m_strMessage, Error55("nosuch"));

    // A variable hides a column of the same name; its index then counts occurrences, and a
    // reference with no such occurrence falls through to the column at that level.
    Define(m_context, "label", "variable");
    ExpectExpansion(m_context, {"?label?|?label[1]?|?label[-1]?", "variable|variable|outer1", ""});
    EXPECT_EQ(m_context.GetValueRef("?label?"), 1);
    EXPECT_EQ(m_context.m_nRefType, CScriptContext::kVariableType);
}

TEST_P(ScriptContextDatabaseTest, MovesTheInnermostCursor) {
    Open(kOuterSql);
    Open(kInnerSql);
    EXPECT_EQ(m_context.CurrentRowValid(), 1);
    EXPECT_EQ(m_context.NextRow(), 1);
    ExpectExpansion(m_context, {"?id?/?id[-1]?", "20/1", ""});
    EXPECT_EQ(m_context.NextRow(), 1);
    EXPECT_EQ(m_context.NextRow(), 2);
    EXPECT_EQ(m_context.m_strMessage, kError52);
    EXPECT_EQ(m_context.CurrentRowValid(), 0);

    EXPECT_EQ(m_context.MoveCursor(2), 1);
    EXPECT_EQ(m_context.CurrentRowValid(), 1);
    ExpectExpansion(m_context, {"?id?|?rownumber?", "20|2", ""});
    EXPECT_EQ(m_context.MoveCursor(9), 0);
    EXPECT_EQ(m_context.m_strMessage, kError52);

    EXPECT_EQ(m_context.CloseDatasource(), 1);
    EXPECT_EQ(m_context.m_strMessage, "Datasource closed.");
    EXPECT_EQ(m_context.m_nDsTop, 0);
    EXPECT_EQ(m_context.m_apDatasource[1], nullptr);
    ExpectExpansion(m_context, {"?label?", "outer1", ""});
}

TEST_P(ScriptContextDatabaseTest, StacksAtMostTenDatasources) {
    for (int i = 0; i < CScriptContext::kMaxDatasources - 1; ++i)
        Open(kOuterSql);
    // A failed open leaves the stack as it was, so retries never use up the slots.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        EXPECT_EQ(m_context.OpenDatasource("SELECT nosuch FROM nowhere"), 0);
        EXPECT_EQ(m_context.m_strMessage.rfind("ERROR 1- ", 0), 0u) << m_context.m_strMessage;
        EXPECT_EQ(m_context.m_nDsTop, 8);
        EXPECT_EQ(m_context.m_apDatasource[9], nullptr);
    }
    // The statement may be the message string itself.
    m_context.m_strMessage = std::string(kInnerSql);
    ASSERT_EQ(m_context.OpenDatasource(m_context.m_strMessage), 1) << m_context.m_strMessage;
    EXPECT_EQ(m_context.m_nDsTop, 9);
    ExpectExpansion(m_context, {"?label?|?label[1]?|?label[9]?", "inner10|outer1|outer1", ""});

    EXPECT_EQ(m_context.OpenDatasource(kOuterSql), 0);
    EXPECT_EQ(m_context.m_strMessage, kError60);
    EXPECT_EQ(m_context.m_nDsTop, 9);
    ExpectExpansion(m_context, {"?label?", "inner10", ""});

    m_context.CloseAllDatasources();
    EXPECT_EQ(m_context.m_nDsTop, -1);
    for (const auto& slot : m_context.m_apDatasource)
        EXPECT_EQ(slot, nullptr);
    ExpectExpansion(m_context, {"?label?", "", kError54});
}

TEST_P(ScriptContextDatabaseTest, FailedConnectionLeavesNoSource) {
    const std::string connect = m_context.m_strConnect;
    m_context.m_strConnect = "Driver=NoSuchDriver";
    EXPECT_EQ(m_context.OpenDatasource(kOuterSql), 0);
    EXPECT_EQ(m_context.m_strMessage.rfind("ERROR 1- ", 0), 0u) << m_context.m_strMessage;
    EXPECT_EQ(m_context.m_nDsTop, -1);
    EXPECT_EQ(m_context.ExecuteSql("DELETE FROM outer_t"), 0);
    EXPECT_EQ(m_context.m_strMessage.rfind("ERROR 1- ", 0), 0u) << m_context.m_strMessage;

    m_context.m_strConnect = connect;
    Open(kOuterSql);
    EXPECT_EQ(m_context.ResetDatasources(), 1);
    EXPECT_EQ(m_context.m_nDsTop, -1);
    EXPECT_EQ(m_context.m_strConnect, "");
}

TEST_P(ScriptContextDatabaseTest, ExecutesStatementsOffTheStack) {
    Open(kOuterSql);
    EXPECT_EQ(m_context.ExecuteSql("INSERT INTO outer_t VALUES (3, 'outer3')"), 1)
        << m_context.m_strMessage;
    EXPECT_EQ(m_context.m_strMessage, kExecuted);
    EXPECT_EQ(m_context.m_nDsTop, 0);
    ExpectExpansion(m_context, {"?recordsetsize?", "2", ""});

    EXPECT_EQ(m_context.ExecuteSql("INSERT INTO nowhere VALUES (1)"), 0);
    EXPECT_EQ(m_context.m_strMessage.rfind("ERROR 1- ", 0), 0u) << m_context.m_strMessage;
    EXPECT_EQ(m_context.m_nDsTop, 0);

    Open("SELECT COUNT(*) AS n FROM outer_t");
    ExpectExpansion(m_context, {"?n?", "3", ""});
}

TEST_P(ScriptContextDatabaseTest, ExportsCsvFromTheCurrentRow) {
    Open(kExportSql);
    const std::string all = m_dir.File("all.csv");
    EXPECT_EQ(m_context.ExportRecordset(all, -1), 1) << m_context.m_strMessage;
    std::string expected;
    for (const std::string& row : kExportedRows)
        expected += row;
    EXPECT_EQ(ReadFile(all), expected);
    EXPECT_EQ(m_context.CurrentRowValid(), 0);

    struct Row {
        const char* what;
        int startRow;
        int rows;
        std::string expected;
    };
    const Row rows[] = {
        {"two rows from row 3", 3, 2, kExportedRows[2] + kExportedRows[3]},
        {"all from row 4", 4, -1, kExportedRows[3] + kExportedRows[4]},
        {"more rows than are left", 5, 10, kExportedRows[4]},
        {"no rows", 1, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(m_context.MoveCursor(row.startRow), 1) << m_context.m_strMessage;
        const std::string path = m_dir.File(std::string(row.what) + ".csv");
        EXPECT_EQ(m_context.ExportRecordset(path, row.rows), 1) << m_context.m_strMessage;
        EXPECT_EQ(ReadFile(path), row.expected);
    }

    // With the cursor past the last row there is nothing to write, not a row of empty fields.
    EXPECT_EQ(m_context.MoveCursor(6), 0);
    const std::string past = m_dir.File("past.csv");
    EXPECT_EQ(m_context.ExportRecordset(past, -1), 1) << m_context.m_strMessage;
    EXPECT_EQ(ReadFile(past), "");
}

TEST_P(ScriptContextDatabaseTest, LeavesAnUnchangedExportAlone) {
    Open(kExportSql);
    const std::string path = m_dir.File("same.csv");
    ASSERT_EQ(m_context.ExportRecordset(path, -1), 1) << m_context.m_strMessage;
    const timespec old[2] = {{946684800, 0}, {946684800, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);

    ASSERT_EQ(m_context.MoveCursor(1), 1);
    m_context.m_strMessage = "kept";
    EXPECT_EQ(m_context.ExportRecordset(path, -1), 2);
    EXPECT_EQ(m_context.m_strMessage, "kept");
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);

    // Other rows are a change.
    ASSERT_EQ(m_context.MoveCursor(2), 1);
    EXPECT_EQ(m_context.ExportRecordset(path, -1), 1);
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);

    // resetupload makes every output count as changed.
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    m_settings.Set(project_key::resetupload, 1);
    ASSERT_EQ(m_context.MoveCursor(2), 1);
    EXPECT_EQ(m_context.ExportRecordset(path, -1), 1);
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
}

TEST_P(ScriptContextDatabaseTest, ExportFailuresWriteNothing) {
    Open(kExportSql);
    EXPECT_EQ(m_context.ExportRecordset(m_dir.File("missing/dir/x.csv"), -1), 0);
    EXPECT_EQ(m_context.m_strMessage, kError4);

    {
        ASSERT_EQ(m_context.MoveCursor(1), 1);
        const script_testing::FileSizeLimit limit(8);
        EXPECT_EQ(m_context.ExportRecordset(m_dir.File("big.csv"), -1), 0);
        EXPECT_EQ(m_context.m_strMessage, kError6);
        EXPECT_NE(access(m_dir.File("big.csv").c_str(), F_OK), 0);
    }

    // A column that cannot be read fails the export before anything is written.
    m_settings.Set(project_key::odbccolsize, 1);
    Open("SELECT id, body FROM long_t ORDER BY id");
    const std::string path = m_dir.File("long.csv");
    std::string error;
    ASSERT_TRUE(fixtures::WriteTextFile(path, "old content", &error)) << error;
    EXPECT_EQ(m_context.ExportRecordset(path, -1), 0);
    EXPECT_EQ(m_context.m_strMessage, kError18);
    EXPECT_EQ(ReadFile(path), "old content");
}

}  // namespace
