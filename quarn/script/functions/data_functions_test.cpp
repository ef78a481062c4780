#include "quarn/script/functions/data_functions.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/messages.h"
#include "tests/fixtures/test_database.h"

namespace {

using fixtures::DatabaseBackend;
using script_testing::ScriptTestProject;

// --- Test data ---

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

// Where an OLE object built by OlePackage holds the package's 32-bit length.
constexpr std::size_t kOleLengthOffset = 6 + 12 + 8 + 14 + 6 + 9 + 8 + 13;

// An OLE object as a database stores an embedded package: a 6-byte object header, the fixed
// fields and names the package header is made of, then the length and bytes of `payload`.
std::string OlePackage(std::string_view payload) {
    using namespace std::string_literals;
    std::string bytes = "\x15\x1C\x06\x00\xAA\xBB"s;
    bytes += std::string(12, '\x01');
    bytes += "Package\0"s;
    bytes += std::string(14, '\x02');
    bytes += "a.txt\0"s;
    bytes += "C:\\a.txt\0"s;
    bytes += std::string(8, '\x03');
    bytes += "C:\\tmp\\a.txt\0"s;
    const auto length = static_cast<std::uint32_t>(payload.size());
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>(length >> shift & 255);
    bytes += payload;
    bytes += "\xFF\xFF"s;
    return bytes;
}

// A blob literal of `backend` holding `bytes`.
std::string BlobLiteral(DatabaseBackend backend, std::string_view bytes) {
    return backend == DatabaseBackend::kSqlite ? "X'" + Hex(bytes) + "'"
                                               : "'\\x" + Hex(bytes) + "'::bytea";
}

const std::string kBlobBytes("\x00\xFF\x41", 3);

std::string Schema(DatabaseBackend backend) {
    const std::string blob(fixtures::Dialect(backend, "BLOB", "BYTEA"));
    return "CREATE TABLE category(id INTEGER, name VARCHAR(20));"
           "INSERT INTO category VALUES (1, 'Fruit'), (2, 'Tools');"
           "CREATE TABLE product(id INTEGER, cat_id INTEGER, name VARCHAR(20));"
           "INSERT INTO product VALUES (1, 1, 'Apple'), (2, 1, 'Pear'), (3, 2, 'Hammer');"
           "CREATE TABLE item(n INTEGER);"
           "INSERT INTO item VALUES (1), (2), (3), (4), (5);"
           "CREATE TABLE attempt(n INTEGER);"
           "CREATE TABLE blobs(id INTEGER, data " +
           blob + ", note VARCHAR(40));" + "INSERT INTO blobs VALUES (1, " +
           BlobLiteral(backend, kBlobBytes) + ", 'say \"hi\"'), (2, NULL, NULL), (3, " +
           BlobLiteral(backend, OlePackage("hello")) + ", 'ole');";
}

// `text` as the inside of a quoted script argument: backslashes, quotes and question marks
// escaped, so the argument evaluates to `text` itself.
std::string ScriptText(std::string_view text) {
    std::string quoted;
    for (const char c : text) {
        if (c == '\\' || c == '"' || c == '?') quoted += '\\';
        quoted += c;
    }
    return quoted;
}

// --- Running scripts ---

// What a run left, with the final value of each variable the run was given.
struct DataRun {
    int result = 0;
    std::string message;
    std::map<std::string, std::string> values;
};

// Variables defined (name, value) before a run, since they are otherwise defined by built-ins
// outside this family.
using Variables = std::vector<std::pair<std::string, std::string>>;
const Variables kEmptyVariables = {{"v", ""}, {"w", ""}};

DataRun RunWithVariables(const ScriptTestProject& project, std::string_view script,
                         const Variables& variables = kEmptyVariables) {
    DataRun run;
    if (!project.WriteFile(ScriptTestProject::kScriptName, script)) return run;
    CScriptInterpreter interp(nullptr);
    for (const auto& [name, value] : variables) {
        interp.DefineVariable(name);
        interp.SetVariable("?" + name + "?", value);
    }
    run.result = interp.RunScript(ScriptTestProject::kScriptName, 0);
    run.message = interp.m_strMessage;
    for (const auto& [name, value] : variables) {
        const int i = interp.FindVariable(name, 0);
        if (i >= 0) run.values[name] = interp.m_astrVarValues[static_cast<std::size_t>(i)];
    }
    return run;
}

// Every value the listing shows `reference` set to ("Variable ?v? set to X"), in order.
std::vector<std::string> ValuesSet(std::string_view listing, std::string_view reference) {
    const std::string marker = "Variable " + std::string(reference) + " set to ";
    std::vector<std::string> values;
    for (std::size_t at = listing.find(marker); at != std::string_view::npos;
         at = listing.find(marker, at)) {
        at += marker.size();
        const std::size_t end = listing.find_first_of("\r\n", at);
        values.emplace_back(listing.substr(at, end - at));
    }
    return values;
}

std::vector<std::string> Values(std::initializer_list<std::string_view> values) {
    return {values.begin(), values.end()};
}

// Parses the argument list of `call` ("&name(...)...") as the dispatcher does before Execute.
bool PrepareCall(CScriptInterpreter& interp, std::string_view call) {
    interp.m_strText = std::string(call);
    interp.m_bTagForm = 0;
    interp.m_nPos = static_cast<int>(call.find_first_of("({"));
    return interp.ParseArgs() == 1;
}

struct FileStamp {
    ino_t inode = 0;
    timespec modified{};
};

std::optional<FileStamp> Stamp(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileStamp{info.st_ino, info.st_mtim};
}

// Moves the file's modification time into the past, so that a rewrite cannot go unseen.
void AgeFile(const std::string& path) {
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

bool SameStamp(const std::optional<FileStamp>& a, const std::optional<FileStamp>& b) {
    return a && b && a->inode == b->inode && a->modified.tv_sec == b->modified.tv_sec &&
           a->modified.tv_nsec == b->modified.tv_nsec;
}

// --- Tests without a database ---

class DataFunctionsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    DataRun Run(std::string_view script) { return RunWithVariables(m_project, script); }

    ScriptTestProject m_project;
};

TEST_F(DataFunctionsTest, ArgumentCountsOutsideTheRangeFail) {
    const char* const kCalls[] = {
        "&datasource()",
        "&datasource(\"a\", \"b\")",
        "&sql(){}",
        "&sql(\"a\", \"b\"){}",
        "&sqlnr()",
        "&sqlnr(\"a\", \"b\")",
        "&getdata(){}",
        "&getdata(\"a\", 1, 2){}",
        "&foreachrow(1, 2){}",
        "&getrow()",
        "&getrow(1, 2)",
        "&nextrow(1)",
        "&getcol(1)",
        "&getcol(?v?, 1, 2, 3)",
        "&export()",
        "&export(\"a\", 1, 2)",
        "&dataread()",
        "&dataread(?v?, \"a\", \"b\")",
        "&datawrite(\"a\")",
        "&datawrite(\"a\", ?v?, 1, 2)",
    };
    for (const char* call : kCalls) {
        SCOPED_TRACE(call);
        const DataRun run = Run(call);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, LoadMessage(68));
    }
}

TEST_F(DataFunctionsTest, DatasourceListsTheConnectionStringAsItStands) {
    const DataRun run = Run("&datasource(\"Driver=X;PWD=secret;%s%n\")");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_NE(m_project.Listing().find("datasource connect string set to "
                                       "\"Driver=X;PWD=secret;%s%n\"."),
              std::string::npos)
        << m_project.Listing();
}

TEST_F(DataFunctionsTest, CallsNeedingADatasourceFailWithoutOne) {
    struct Case {
        const char* script;
        int message;
    };
    const Case kCases[] = {
        {"&foreachrow(){}", 78},
        {"&getrow(1)", 53},
        {"&getrow(0)", 53},
        {"&nextrow()", 53},
        {"&getcol(?v?, 1, 0)", 59},
        {"&export(\"a.csv\")", 5},
        {"&datawrite(\"a.bin\", ?nosuch?)", 54},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.script);
        const DataRun run = Run(c.script);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, LoadMessage(c.message));
    }
}

TEST_F(DataFunctionsTest, DatawriteWritesAVariablesBytesWithTheChosenConversion) {
    struct Case {
        const char* value;
        const char* flags;  // the third argument, or "" for none
        std::string bytes;
    };
    const Case kCases[] = {
        {"414243", "", "414243"},
        {"414243", "2", "414243"},
        {"414243", "4", "ABC"},
        {"41424", "4", "AB"},
        {"00FF", "4", std::string("\x00\xFF", 2)},
        {"414243", "6", "ABC"},  // hexconv wins over nohexconv
        {"414243", "4.9", "ABC"},
        {"", "4", ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.value) + " flags " + c.flags);
        const std::string flags = *c.flags ? std::string(", ") + c.flags : "";
        const DataRun run = RunWithVariables(
            m_project, "&datawrite(\"conv.bin\", ?v?" + flags + ")", {{"v", c.value}});
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(m_project.Page("conv.bin"), c.bytes);
        EXPECT_NE(m_project.Listing().find("Data written to file conv.bin."), std::string::npos);
    }
}

TEST_F(DataFunctionsTest, DatawriteRefusesWhatIsNotUpperCaseHex) {
    for (const char* value : {"4a", "4G", " 41", "0x41"}) {
        SCOPED_TRACE(value);
        const DataRun run =
            RunWithVariables(m_project, "&datawrite(\"bad.bin\", ?v?, 4)", {{"v", value}});
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, LoadMessage(9));
        EXPECT_FALSE(m_project.Exists("html/bad.bin"));
    }
}

TEST_F(DataFunctionsTest, DatawriteExtractsAnOlePackageOnlyWhenItFits) {
    const std::string package = OlePackage("hello");
    std::string hugeLength = package;
    hugeLength.replace(kOleLengthOffset, 4, "\xFF\xFF\xFF\xFF");
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<std::string> extracted;  // nullopt: ERROR 8
    };
    const Case kCases[] = {
        {"whole package", package, "hello"},
        {"empty payload", OlePackage(""), ""},
        {"length beyond the value", hugeLength, std::nullopt},
        {"payload cut short", package.substr(0, kOleLengthOffset + 6), std::nullopt},
        {"no length", package.substr(0, kOleLengthOffset + 2), std::nullopt},
        {"name not terminated", package.substr(0, 6 + 12 + 4), std::nullopt},
        {"header beyond the value", std::string("\x15\x1C\xFF\x7F\x00\x00", 6), std::nullopt},
        {"shorter than a header", std::string("\x15\x1C\x06", 3), std::nullopt},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ::unlink(m_project.PathOf("html/ole.bin").c_str());
        const DataRun run =
            RunWithVariables(m_project, "&datawrite(\"ole.bin\", ?v?, 5)", {{"v", Hex(c.bytes)}});
        if (c.extracted) {
            ASSERT_EQ(run.result, 1) << run.message;
            EXPECT_EQ(m_project.Page("ole.bin"), *c.extracted);
        } else {
            EXPECT_EQ(run.result, 0);
            EXPECT_EQ(run.message, LoadMessage(8));
            EXPECT_FALSE(m_project.Exists("html/ole.bin"));
        }
    }
}

TEST_F(DataFunctionsTest, ExportAndDatawriteRefuseNamesOutsideTheRoot) {
    const char* const kNames[] = {
        "",         ":",           "a:b",     "/abs.bin",   "\\\\abs.bin",
        "../x.bin", "..\\\\x.bin", "./x.bin", ".\\\\x.bin", "sub/../../x.bin",
        "sub/..",   "..",          ".",
    };
    for (const char* name : kNames) {
        for (const char* call : {"datawrite", "export"}) {
            SCOPED_TRACE(std::string(call) + " \"" + name + "\"");
            const std::string tail = std::string(call) == "datawrite" ? ", ?v?)" : ")";
            const DataRun run = RunWithVariables(
                m_project, "&" + std::string(call) + "(\"" + name + "\"" + tail, {{"v", "x"}});
            EXPECT_EQ(run.result, 0);
            EXPECT_EQ(run.message, LoadMessage(95));
        }
    }
}

TEST_F(DataFunctionsTest, DatawriteAcceptsNamesBelowTheRootAndListsThemNormalised) {
    ASSERT_TRUE(m_project.WriteFile("html/sub/keep", ""));
    const DataRun run = RunWithVariables(
        m_project, "&datawrite(\"sub/x.bin\", ?v?)&datawrite(\"sub\\\\y.bin\", ?v?)",
        {{"v", "data"}});
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(m_project.Page("sub/x.bin"), "data");
    EXPECT_EQ(m_project.Page("sub/y.bin"), "data");
    EXPECT_EQ(m_project.GeneratedFiles(), "sub/x.bin\r\nsub/y.bin\r\n");
    EXPECT_EQ(m_project.ReadFile("htmlgen.chg"), "sub/x.bin\r\nsub/y.bin\r\n");
}

TEST_F(DataFunctionsTest, DatawriteOfUnchangedBytesLeavesTheFileAndItsListingAlone) {
    const std::string path = m_project.PathOf("html/same.bin");
    const std::string script = "&datawrite(\"same.bin\", ?v?)";
    ASSERT_EQ(RunWithVariables(m_project, script, {{"v", "abc"}}).result, 1);
    EXPECT_EQ(m_project.ReadFile("htmlgen.chg"), "same.bin\r\n");

    ::unlink(m_project.PathOf("htmlgen.chg").c_str());
    AgeFile(path);
    const auto before = Stamp(path);
    ASSERT_EQ(RunWithVariables(m_project, script, {{"v", "abc"}}).result, 1);
    EXPECT_TRUE(SameStamp(before, Stamp(path)));
    EXPECT_FALSE(m_project.Exists("htmlgen.chg"));
    EXPECT_EQ(m_project.GeneratedFiles(), "same.bin\r\n");

    m_project.SetProjectKey(project_key::resetupload, 1);
    ASSERT_EQ(RunWithVariables(m_project, script, {{"v", "abc"}}).result, 1);
    EXPECT_FALSE(SameStamp(before, Stamp(path)));
    EXPECT_EQ(m_project.ReadFile("htmlgen.chg"), "same.bin\r\n");

    ASSERT_EQ(RunWithVariables(m_project, script, {{"v", "abcd"}}).result, 1);
    EXPECT_EQ(m_project.Page("same.bin"), "abcd");
}

TEST_F(DataFunctionsTest, DatawriteFailsWhenTheFileCannotBeWritten) {
    ASSERT_TRUE(m_project.WriteFile("html/adir/keep", ""));
    ASSERT_TRUE(m_project.WriteFile("html/old.bin", "old"));
    struct Case {
        const char* name;
        int message;
    };
    const Case kCases[] = {{"nodir/x.bin", 63}, {"adir", 63}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const DataRun run = RunWithVariables(
            m_project, "&datawrite(\"" + std::string(c.name) + "\", ?v?)", {{"v", "new"}});
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, LoadMessage(c.message));
        EXPECT_FALSE(m_project.Exists("htmlgen.chg"));
    }
    m_project.SetProjectKey(project_key::roothtml, "missing");
    const DataRun run = RunWithVariables(m_project, "&datawrite(\"old.bin\", ?v?)", {{"v", "new"}});
    EXPECT_EQ(run.message, LoadMessage(94));
    EXPECT_EQ(m_project.Page("old.bin"), "old");
}

TEST_F(DataFunctionsTest, DatareadTakesAWholeFileIntoAVariable) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case kCases[] = {
        {"lines", "line 1\r\nline 2\nlast"},
        {"empty", ""},
        {"zero byte", std::string("a\0b", 3)},
        {"long", std::string(70000, 'x') + "end"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_project.WriteFile("html/sub/in.txt", c.bytes));
        const DataRun run = RunWithVariables(m_project, "&dataread(?v?, \"sub\\\\in.txt\")");
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(run.values.at("v"), c.bytes);
    }
    EXPECT_NE(m_project.Listing().find("Variable ?v? set to "), std::string::npos);
}

TEST_F(DataFunctionsTest, DatareadFailures) {
    ASSERT_TRUE(m_project.WriteFile("html/in.txt", "text"));
    ASSERT_TRUE(m_project.WriteFile("html/adir/keep", ""));
    // A pipe without a writer is refused, not waited on.
    ASSERT_EQ(::mkfifo(m_project.PathOf("html/apipe").c_str(), 0666), 0);
    struct Case {
        const char* script;
        int message;
    };
    const Case kCases[] = {
        {"&dataread(?v?, \"missing.txt\")", 89}, {"&dataread(?v?, \"adir\")", 89},
        {"&dataread(?v?, \"apipe\")", 89},       {"&dataread(?nosuch?, \"in.txt\")", 54},
        {"&dataread(\"in.txt\")", 74},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.script);
        const DataRun run = RunWithVariables(m_project, c.script);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, LoadMessage(c.message));
    }
    m_project.SetProjectKey(project_key::roothtml, "missing");
    EXPECT_EQ(RunWithVariables(m_project, "&dataread(?v?, \"in.txt\")").message, LoadMessage(94));
}

// --- Tests against each database backend ---

class DataSourceTest : public testing::TestWithParam<DatabaseBackend> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_project.Ok()) << m_project.Error();
        m_database = std::make_unique<fixtures::TestDatabase>(GetParam(), Schema(GetParam()));
        if (m_database->Skipped()) GTEST_SKIP() << m_database->SkipReason();
        ASSERT_TRUE(m_database->Ok()) << m_database->Error();
    }

    const std::string& Connection() const { return m_database->ConnectionString(); }
    std::string Datasource() const { return "&datasource(\"" + ScriptText(Connection()) + "\")"; }
    // Runs `body` after a datasource call naming the test's database.
    DataRun Run(std::string_view body, const Variables& variables = kEmptyVariables) {
        return RunWithVariables(m_project, Datasource() + std::string(body), variables);
    }
    std::vector<std::string> ListedValues(std::string_view reference) const {
        return ValuesSet(m_project.Listing(), reference);
    }

    ScriptTestProject m_project;
    std::unique_ptr<fixtures::TestDatabase> m_database;
};

INSTANTIATE_TEST_SUITE_P(Backends, DataSourceTest, testing::ValuesIn(fixtures::kAllBackends),
                         fixtures::BackendTestName);

TEST_P(DataSourceTest, SqlRunsItsBlockOnceOnTheFirstRowAndClosesItsSource) {
    const DataRun run =
        Run("&sql(\"select name from category order by id\"){&getcol(?v?, 1, 0)}&nextrow()");
    EXPECT_EQ(run.values.at("v"), "Fruit");
    EXPECT_EQ(run.message, LoadMessage(53));
    const std::string listing = m_project.Listing();
    EXPECT_NE(listing.find("datasource connect string set to \"" + Connection() + "\"."),
              std::string::npos);
    const std::size_t executed = listing.find("SQL successfully executed.");
    ASSERT_NE(executed, std::string::npos) << listing;
    EXPECT_NE(listing.find("Datasource closed.", executed), std::string::npos) << listing;
}

TEST_P(DataSourceTest, SqlnrRunsAStatementBesideTheOpenSources) {
    const DataRun run =
        Run("&sql(\"select name from category order by id\"){"
            "&sqlnr(\"insert into item values (6)\")&getcol(?v?, 1, 0)}"
            "&sql(\"select count(*) from item\"){&getcol(?w?, 1, 0)}");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.values.at("v"), "Fruit");
    EXPECT_EQ(run.values.at("w"), "6");
}

TEST_P(DataSourceTest, BadSqlFailsWithTheOdbcDiagnostic) {
    for (const char* call :
         {"&sql(\"select * from no_such_table\"){}", "&sqlnr(\"delete from no_such_table\")",
          "&getdata(\"select * from no_such_table\"){}"}) {
        SCOPED_TRACE(call);
        const DataRun run = Run(call);
        EXPECT_EQ(run.result, 0);
        EXPECT_TRUE(run.message.starts_with("ERROR 1- ")) << run.message;
        EXPECT_GT(run.message.size(), std::string_view("ERROR 1- ").size());
    }
}

TEST_P(DataSourceTest, NestedSourcesReachOuterRowsByLevel) {
    const DataRun run =
        Run("&getdata(\"select id, name from category order by id\"){"
            "&getdata(\"select name from product where cat_id = ?id? order by id\"){"
            "&getcol(?v?, 2, -1)&getcol(?w?, 2, 1)&getcol(?p?, 1, 0)"
            "&datawrite(\"?p?.txt\", ?name[-1]?)&datawrite(\"?p?-own.txt\", ?name?)}}",
            {{"v", ""}, {"w", ""}, {"p", ""}});
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(ListedValues("?p?"), Values({"Apple", "Pear", "Hammer"}));
    EXPECT_EQ(ListedValues("?v?"), Values({"Fruit", "Fruit", "Tools"}));
    EXPECT_EQ(ListedValues("?w?"), Values({"Fruit", "Fruit", "Tools"}));
    EXPECT_EQ(m_project.Page("Apple.txt"), "Fruit");
    EXPECT_EQ(m_project.Page("Hammer.txt"), "Tools");
    EXPECT_EQ(m_project.Page("Pear-own.txt"), "Pear");
}

TEST_P(DataSourceTest, ForeachrowWalksOnFromTheCurrentRow) {
    struct Case {
        const char* block;
        std::vector<std::string> v;
        std::vector<std::string> w;
    };
    const Case kCases[] = {
        {"&foreachrow(){&getcol(?v?, 1, 0)}", Values({"1", "2", "3", "4", "5"}), {}},
        {"&getrow(3)&foreachrow(){&getcol(?v?, 1, 0)}", Values({"3", "4", "5"}), {}},
        {"&foreachrow(2){&getcol(?v?, 1, 0)}&foreachrow(){&getcol(?w?, 1, 0)}", Values({"1", "2"}),
         Values({"3", "4", "5"})},
        {"&foreachrow(2.9){&getcol(?v?, 1, 0)}", Values({"1", "2"}), {}},
        {"&foreachrow(0){&getcol(?v?, 1, 0)}", {}, {}},
        {"&foreachrow(-1){&getcol(?v?, 1, 0)}", Values({"1"}), {}},
        {"&foreachrow(){&getcol(?v?, 1, 0)}&foreachrow(){&getcol(?w?, 1, 0)}",
         Values({"1", "2", "3", "4", "5"}),
         {}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.block);
        const DataRun run =
            Run("&sql(\"select n from item order by n\"){" + std::string(c.block) + "}");
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(ListedValues("?v?"), c.v);
        EXPECT_EQ(ListedValues("?w?"), c.w);
    }
}

TEST_P(DataSourceTest, GetdataRunsItsBlockOncePerRowUpToTheMaximum) {
    struct Case {
        const char* call;
        std::vector<std::string> v;
    };
    const Case kCases[] = {
        {"&getdata(\"select n from item order by n\")", Values({"1", "2", "3", "4", "5"})},
        {"&getdata(\"select n from item order by n\", 2)", Values({"1", "2"})},
        {"&getdata(\"select n from item order by n\", 0)", {}},
        {"&getdata(\"select n from item order by n\", -1)", Values({"1"})},
        {"&getdata(\"select n from item where n > 9\")", {}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.call);
        const DataRun run = Run(std::string(c.call) + "{&getcol(?v?, 1, 0)}&nextrow()");
        EXPECT_EQ(ListedValues("?v?"), c.v);
        // The source is closed once the loop is over, whatever ended it.
        EXPECT_EQ(run.message, LoadMessage(53));
    }
}

TEST_P(DataSourceTest, TagFormBlocksEndAtTheirCloser) {
    const DataRun run =
        Run("<fsql \"select name from category order by id\"><fgetcol ?v?, 1, 0></fsql>"
            "<fgetdata \"select n from item order by n\", 2><fgetcol ?w?, 1, 0></fgetdata>");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.values.at("v"), "Fruit");
    EXPECT_EQ(ListedValues("?w?"), Values({"1", "2"}));
}

TEST_P(DataSourceTest, GetrowSelectsAbsoluteRows) {
    const DataRun run =
        Run("&sql(\"select n from item order by n\"){&getrow(3)&getcol(?v?, 1, 0)"
            "&getrow(2.9)&getcol(?w?, 1, 0)}");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.values.at("v"), "3");
    EXPECT_EQ(run.values.at("w"), "2");
    EXPECT_NE(m_project.Listing().find("Datasource row 3 selected."), std::string::npos);
    EXPECT_NE(m_project.Listing().find("Datasource row 2.9 selected."), std::string::npos);
}

TEST_P(DataSourceTest, GetrowOutsideTheResultSetFails) {
    for (const char* row : {"0", "-1", "6", "1e20"}) {
        SCOPED_TRACE(row);
        const DataRun run =
            Run("&sql(\"select n from item order by n\"){&getrow(" + std::string(row) + ")}");
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, LoadMessage(52));
    }
}

TEST_P(DataSourceTest, GetrowBelowOneKeepsTheCurrentRow) {
    CScriptInterpreter interp(nullptr);
    interp.m_strConnect = Connection();
    ASSERT_EQ(interp.OpenDatasource("select n from item order by n"), 1) << interp.m_strMessage;
    ASSERT_EQ(interp.MoveCursor(2), 1) << interp.m_strMessage;
    ASSERT_TRUE(PrepareCall(interp, "&getrow(0)")) << interp.m_strMessage;
    EXPECT_EQ(CFnGetrow(interp).Execute(), 0);
    EXPECT_EQ(interp.m_strMessage, LoadMessage(52));
    ASSERT_EQ(interp.GetColumn(1, 0), 1) << interp.m_strMessage;
    EXPECT_EQ(interp.m_strMessage, "2");
}

TEST_P(DataSourceTest, NextrowFetchesTheNextRowAndFailsPastTheLast) {
    const DataRun run =
        Run("&sql(\"select n from item order by n\"){&nextrow()&getcol(?v?, 1, 0)}");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.values.at("v"), "2");
    const DataRun past = Run("&sql(\"select n from item order by n\"){&getrow(5)&nextrow()}");
    EXPECT_EQ(past.result, 0);
    EXPECT_EQ(past.message, LoadMessage(52));
}

TEST_P(DataSourceTest, GetcolReadsAColumnOfTheSourceAtALevel) {
    struct Case {
        const char* call;
        const char* value;  // nullptr: fails with `message`
        int message;
    };
    const Case kCases[] = {
        {"&getcol(?v?, 1, 0)", "1", 0},       {"&getcol(?v?, 1.9, 0.5)", "1", 0},
        {"&getcol(?v?, 2, -1)", "Fruit", 0},  {"&getcol(?v?, 2, 1)", "Fruit", 0},
        {"&getcol(?v?, 1, 2)", "1", 0},       {"&getcol(?v?, 1, 3)", nullptr, 59},
        {"&getcol(?v?, 1, -2)", nullptr, 59}, {"&getcol(?v?, 9, 0)", nullptr, 3},
        {"&getcol(?v?, 0, 0)", nullptr, 3},   {"&getcol(?nosuch?, 1, 0)", nullptr, 54},
        {"&getcol(1, 0)", nullptr, 74},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.call);
        const DataRun run =
            Run("&sql(\"select id, name from category order by id\"){"
                "&sql(\"select n from item order by n\"){" +
                std::string(c.call) + "}}");
        if (c.value != nullptr) {
            ASSERT_EQ(run.result, 1) << run.message;
            EXPECT_EQ(run.values.at("v"), c.value);
        } else {
            EXPECT_EQ(run.result, 0);
            EXPECT_EQ(run.message, LoadMessage(c.message));
        }
    }
}

TEST_P(DataSourceTest, UnclosedBlocksAndEmptyResultsFail) {
    struct Case {
        const char* script;
        int message;
    };
    const Case kCases[] = {
        {"&sql(\"select n from item\"){", 79},
        {"&getdata(\"select n from item\"){", 79},
        {"&sql(\"select n from item\"){&foreachrow(){", 79},
        {"&sql(\"select n from item where n > 9\"){&getcol(?v?, 1, 0)}", 13},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.script);
        const DataRun run = Run(c.script);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, LoadMessage(c.message));
    }
}

TEST_P(DataSourceTest, TenSourcesNestButAnEleventhFails) {
    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += "&sql(\"select n from item\"){";
    const std::string close(10, '}');
    const DataRun run = Run(ten + "&getcol(?v?, 1, 1)" + close);
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.values.at("v"), "1");
    const DataRun eleven = Run(ten + "&sql(\"select n from item\"){}" + close);
    EXPECT_EQ(eleven.result, 0);
    EXPECT_EQ(eleven.message, LoadMessage(60));
}

TEST_P(DataSourceTest, ExportWritesTheResultSetAsCsv) {
    struct Case {
        const char* block;
        const char* csv;
    };
    const Case kCases[] = {
        {"&sql(\"select id, name from product order by id\"){&export(\"out.csv\")}",
         "1,\"Apple\"\r\n2,\"Pear\"\r\n3,\"Hammer\"\r\n"},
        {"&sql(\"select id, name from product order by id\"){&nextrow()&export(\"out.csv\", 1)}",
         "2,\"Pear\"\r\n"},
        {"&sql(\"select id, name from product order by id\"){&nextrow()&export(\"out.csv\")}",
         "2,\"Pear\"\r\n3,\"Hammer\"\r\n"},
        {"&sql(\"select id, note from blobs where id = 1\"){&export(\"out.csv\")}",
         "1,\"say \"\"hi\"\"\"\r\n"},
        {"&sql(\"select n from item where n > 9\"){&export(\"out.csv\")}", ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.block);
        const DataRun run = Run(c.block);
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(m_project.Page("out.csv"), c.csv);
        EXPECT_EQ(m_project.GeneratedFiles(), "out.csv\r\n");
        EXPECT_NE(m_project.Listing().find("Recordset exported to file \"out.csv\"."),
                  std::string::npos);
    }
}

TEST_P(DataSourceTest, ExportOfUnchangedTextLeavesTheFileUnlessUploadIsReset) {
    const std::string path = m_project.PathOf("html/p.csv");
    const std::string script =
        "&sql(\"select id, name from product order by id\"){&export(\"p.csv\")}";
    ASSERT_EQ(Run(script).result, 1);
    EXPECT_EQ(m_project.ReadFile("htmlgen.chg"), "p.csv\r\n");

    ::unlink(m_project.PathOf("htmlgen.chg").c_str());
    AgeFile(path);
    const auto before = Stamp(path);
    const DataRun again = Run(script);
    ASSERT_EQ(again.result, 1) << again.message;
    EXPECT_TRUE(SameStamp(before, Stamp(path)));
    EXPECT_FALSE(m_project.Exists("htmlgen.chg"));
    EXPECT_EQ(m_project.GeneratedFiles(), "p.csv\r\n");

    m_project.SetProjectKey(project_key::resetupload, 1);
    ASSERT_EQ(Run(script).result, 1);
    EXPECT_FALSE(SameStamp(before, Stamp(path)));
    EXPECT_EQ(m_project.ReadFile("htmlgen.chg"), "p.csv\r\n");
}

TEST_P(DataSourceTest, ExportFailsWhenTheFileCannotBeWritten) {
    // A write that fails midway is ERROR 6 of ExportRecordset, tested with it.
    const DataRun missing = Run("&sql(\"select id, name from product\"){&export(\"nodir/p.csv\")}");
    EXPECT_EQ(missing.result, 0);
    EXPECT_EQ(missing.message, LoadMessage(4));
    EXPECT_FALSE(m_project.Exists("htmlgen.chg"));
    m_project.SetProjectKey(project_key::roothtml, "missing");
    const DataRun run = Run("&sql(\"select id, name from product\"){&export(\"p.csv\")}");
    EXPECT_EQ(run.message, LoadMessage(94));
}

TEST_P(DataSourceTest, DatawriteWritesColumnValues) {
    struct Case {
        const char* query;
        const char* flags;
        std::optional<std::string> bytes;  // nullopt: no file
    };
    const Case kCases[] = {
        {"select data as v from blobs where id = 1", "", kBlobBytes},
        {"select data as v from blobs where id = 1", ", 4", kBlobBytes},
        {"select data as v from blobs where id = 1", ", 2", Hex(kBlobBytes)},
        {"select note as v from blobs where id = 1", "", "say \"hi\""},
        {"select id as v from blobs where id = 1", "", "1"},
        {"select data as v from blobs where id = 3", ", 1", "hello"},
        {"select data as v from blobs where id = 2", "", std::nullopt},
        {"select note as v from blobs where id = 2", "", std::nullopt},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.query) + c.flags);
        ::unlink(m_project.PathOf("html/col.bin").c_str());
        // The column is named v, but no variable v is defined: the reference finds the column.
        const DataRun run = Run(
            "&sql(\"" + std::string(c.query) + "\"){&datawrite(\"col.bin\", ?v?" + c.flags + ")}",
            {});
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(m_project.Page("col.bin"), c.bytes);
        EXPECT_EQ(m_project.GeneratedFiles(), "col.bin\r\n");
    }
}

TEST_P(DataSourceTest, BinaryColumnsRoundTripThroughHexText) {
    const DataRun run =
        Run("&sql(\"select data from blobs where id = 1\"){&datawrite(\"hex.txt\", ?data?, 2)}"
            "&dataread(?v?, \"hex.txt\")&datawrite(\"back.bin\", ?v?, 4)");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.values.at("v"), "00FF41");
    EXPECT_EQ(m_project.Page("back.bin"), kBlobBytes);
}

TEST_P(DataSourceTest, AFailureBeforeTheBlockPopsTheSourceItOpened) {
    struct Case {
        const char* call;
        std::string message;
    };
    const Case kCases[] = {
        {"&getdata(\"select n from item\", ?nosuch?){}", LoadMessage(55, "nosuch")},
        {"&getdata(\"select n from item\") x", LoadMessage(82)},
        {"&sql(\"select n from item\") x", LoadMessage(82)},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.call);
        CScriptInterpreter interp(nullptr);
        interp.m_strConnect = Connection();
        ASSERT_TRUE(PrepareCall(interp, c.call)) << interp.m_strMessage;
        const std::string_view name(c.call + 1, 3);
        const ScriptResult result =
            name == "sql" ? CFnSql(interp).Execute(1) : CFnGetdata(interp).Execute();
        EXPECT_EQ(result, 0);
        EXPECT_EQ(interp.m_strMessage, c.message);
        EXPECT_EQ(interp.m_nDsTop, -1);
    }
}

TEST_P(DataSourceTest, LoopsPassBreakContinueAndReturnOnAndCloseTheirSource) {
    struct Case {
        const char* name;
        const char* script;
        std::vector<std::string> v;
        const char* w;  // what getcol(?w?, 1, 0) reads after the loop
    };
    const Case kCases[] = {
        {"getdata break",
         "&sql(\"select name from category order by id\"){"
         "&getdata(\"select n from item order by n\"){&getcol(?v?, 1, 0)&if(?n? == 2){&break()}}"
         "&getcol(?w?, 1, 0)}",
         Values({"1", "2"}), "Fruit"},
        {"getdata continue",
         "&sql(\"select name from category order by id\"){"
         "&getdata(\"select n from item order by n\"){&if(?n? == 2){&continue()}"
         "&getcol(?v?, 1, 0)}&getcol(?w?, 1, 0)}",
         Values({"1", "3", "4", "5"}), "Fruit"},
        {"getdata return",
         "&defsub(\"s\"){&getdata(\"select n from item order by n\"){&getcol(?v?, 1, 0)"
         "&return()}}&sql(\"select name from category order by id\"){&s()&getcol(?w?, 1, 0)}",
         Values({"1"}), "Fruit"},
        {"sql return",
         "&defsub(\"s\"){&sql(\"select n from item order by n\"){&getcol(?v?, 1, 0)&return()}}"
         "&sql(\"select name from category order by id\"){&s()&getcol(?w?, 1, 0)}",
         Values({"1"}), "Fruit"},
        {"foreachrow break",
         "&sql(\"select n from item order by n\"){&foreachrow(){&if(?n? == 3){&break()}"
         "&getcol(?v?, 1, 0)}&getcol(?w?, 1, 0)}",
         Values({"1", "2"}), "3"},
        {"foreachrow continue",
         "&sql(\"select n from item order by n\"){&foreachrow(3){&if(?n? == 2){&continue()}"
         "&getcol(?v?, 1, 0)}&getcol(?w?, 1, 0)}",
         Values({"1", "3"}), "4"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const DataRun run = Run(c.script);
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(ListedValues("?v?"), c.v);
        EXPECT_EQ(run.values.at("w"), c.w);
    }
}

TEST_P(DataSourceTest, ElseRunsOnlyWhenTheLoopRanNoPass) {
    struct Case {
        const char* script;  // ELSE stands for the else call
        bool elseRuns;
    };
    const Case kCases[] = {
        {"&getdata(\"select n from item where n > 9\"){}ELSE", true},
        {"&getdata(\"select n from item\", 0){}ELSE", true},
        {"&getdata(\"select n from item\"){}ELSE", false},
        {"&getdata(\"select n from item\", 2){}ELSE", false},
        {"&sql(\"select n from item\"){&foreachrow(){}ELSE}", false},
        {"&sql(\"select n from item\"){&foreachrow(0){}ELSE}", true},
        {"&sql(\"select n from item\"){&foreachrow(){}&foreachrow(){}ELSE}", true},
        {"&sql(\"select n from item where n > 9\"){&foreachrow(){}ELSE}", true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.script);
        ::unlink(m_project.PathOf("html/else.txt").c_str());
        std::string script = c.script;
        script.replace(script.find("ELSE"), 4, "&else(){&datawrite(\"else.txt\", ?v?)}");
        const DataRun run = Run(script, {{"v", "ran"}});
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(m_project.Exists("html/else.txt"), c.elseRuns);
    }
}

TEST_P(DataSourceTest, RetriedFailedOpensNeverPileUpOnTheStack) {
    // The handler counts its calls in the database and retries until the twelfth, more than the
    // stack has room for if each failed open stayed on it.
    const DataRun run = Run(
        "&defsub(\"on_error\"){&sqlnr(\"insert into attempt values (1)\")"
        "&getdata(\"select n from (select count(*) as n from attempt) c where n < 12\"){&retry()}"
        "&ignore()}"
        "&sql(\"select * from no_such_table\"){&getcol(?v?, 1, 0)}"
        "&sql(\"select count(*) from attempt\"){&getcol(?w?, 1, 0)}");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.values.at("v"), "");
    EXPECT_EQ(run.values.at("w"), "12");
    EXPECT_EQ(m_project.Listing().find("ERROR 60"), std::string::npos);
}

TEST_P(DataSourceTest, ValuesGoIntoTheOpenPage) {
    ASSERT_TRUE(m_project.WriteFile("html/in.txt", "<b>read</b>"));
    const DataRun run =
        Run("&sql(\"select id, name from category order by id\"){"
            "&sql(\"select n from item order by n\"){"
            "&html(\"p.html\"){&getcol(2, 1)/&getcol(1, 0)/&dataread(\"in.txt\")}}}");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(m_project.Page("p.html"), "Fruit/1/<b>read</b>");
}

}  // namespace
