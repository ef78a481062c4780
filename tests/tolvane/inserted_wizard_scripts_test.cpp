// Scripts assembled from what the one-to-many, data decision and HTML tag commands insert, each
// text placed at a caret in a nested block and at the top level, run by the real quarn program
// over SQLite and PostgreSQL. The pages must show exactly the data and the typed values.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shared/script_escapes.h"
#include "tests/fixtures/postgres_cluster.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/tolvane/inserted_scripts_fixture.h"
#include "tolvane/decision_text.h"
#include "tolvane/html_tag_text.h"
#include "tolvane/insert_data_text.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kShop =
    "CREATE TABLE Kinds (KindId INTEGER, \"Kind Name\" TEXT);"
    "INSERT INTO Kinds VALUES (1, 'Tools'), (2, 'Food');"
    "CREATE TABLE \"Order Lines\" (\"Kind Id\" INTEGER, Item TEXT, \"Cost#1\" INTEGER);"
    "INSERT INTO \"Order Lines\" VALUES (1, 'Hammer', 12), (2, 'Bread', 3), (1, 'Saw', 7);";

InsertContext Context(int indent, bool todo) {
    InsertContext ctx;
    ctx.indent = indent;
    ctx.todo = todo;
    return ctx;
}

// The inserted text with `body` typed at its caret.
std::string AtCaret(const InsertResult& insert, const std::string& body) {
    return insert.text.substr(0, insert.caret) + body + insert.text.substr(insert.caret);
}

// A page over the shop: the "one" recordset of kinds at the top level of the page, the text
// inserted inside its block (indent 1) or, for indent 0, the same text with the page's own lines
// unindented.
std::string ShopScript(const std::string& connection, const std::string& inside) {
    return "&datasource(\"" + EscapedFor(connection, kScriptSpecials) +
           "\")\r\n&html(\"index.html\")\r\n{\r\n" +
           "&getdata(\"SELECT * FROM Kinds ORDER BY KindId\")\r\n{\r\n\t?Kind Name?:\r\n\t" +
           inside + "\r\n}\r\n}\r\n";
}

class InsertedWizardScriptsTest : public InsertedScriptsTest {
protected:
    // Writes `script` into the project, runs it through quarn, which must complete it, and gives
    // the lines of the page `page`.
    std::vector<std::string> RunAndRead(const std::string& script, const std::string& page) {
        Run(script);
        return PageLines(page);
    }

    // The one-to-many recordsets over the kinds at `connection` whose many table and key names
    // are given as the catalog lists them. &getdata runs its block for every row, &sql once.
    void ExpectOneToManyPages(const std::string& connection, const std::string& many,
                              const std::string& key, const std::string& foreignKey,
                              const std::string& body) {
        const std::vector<std::string> everyRow = {"Tools:", "Hammer costs 12;", "Saw costs 7;",
                                                   "Food:", "Bread costs 3;"};
        const std::vector<std::string> firstRow = {"Tools:", "Hammer costs 12;",
                                                   "Food:", "Bread costs 3;"};
        for (const int function : {0, 1}) {
            const std::string statement = OneToManyStatement(
                function == 0 ? RecordsetFunction::kGetdata : RecordsetFunction::kSql,
                TableForQuery(many), TableForQuery(foreignKey), FieldForScript(key), "I");
            for (const int indent : {0, 1}) {
                for (const bool todo : {false, true}) {
                    SCOPED_TRACE(std::to_string(function) + ", indent " + std::to_string(indent) +
                                 (todo ? ", TODO" : ""));
                    const InsertResult insert = RecordsetBlock(statement, Context(indent, todo));
                    const std::string script = ShopScript(connection, AtCaret(insert, body));
                    EXPECT_EQ(RunAndRead(script, "index.html"),
                              function == 0 ? everyRow : firstRow);
                }
            }
        }
    }
};

TEST_F(InsertedWizardScriptsTest, OneToManyRecordsetsListTheManyRowsOfEachOneRow) {
    fixtures::SqliteDatabase database(kShop);
    ASSERT_TRUE(database.Ok()) << database.Error();
    ExpectOneToManyPages(database.ConnectionString(), "Order Lines", "KindId", "Kind Id",
                         "?Item? costs ?Cost\\#1?;");

    // A text key compares with LIKE.
    const InsertResult insert = RecordsetBlock(
        OneToManyStatement(RecordsetFunction::kGetdata, "[Order Lines]", "Item", "Kind Name", "T"),
        Context(1, true));
    EXPECT_EQ(RunAndRead(ShopScript(database.ConnectionString(), AtCaret(insert, "?Item?")),
                         "index.html"),
              (std::vector<std::string>{"Tools:", "Food:"}));
}

TEST_F(InsertedWizardScriptsTest, OneToManyRecordsetsRunOverPostgres) {
    auto& cluster = fixtures::PostgresCluster::Shared();
    if (!cluster.IsRunning()) GTEST_SKIP() << cluster.FailureReason();
    std::string error;
    // PostgreSQL folds unquoted names to lower case and knows no square brackets.
    const std::string name = cluster.CreateDatabase(
        "CREATE TABLE Kinds (KindId INTEGER, \"Kind Name\" TEXT);"
        "INSERT INTO Kinds VALUES (1, 'Tools'), (2, 'Food');"
        "CREATE TABLE Lines (KindId INTEGER, Item TEXT, \"Cost#1\" INTEGER);"
        "INSERT INTO Lines VALUES (1, 'Hammer', 12), (2, 'Bread', 3), (1, 'Saw', 7);",
        &error);
    ASSERT_FALSE(name.empty()) << error;
    ExpectOneToManyPages(cluster.ConnectionString(name), "lines", "kindid", "kindid",
                         "?item? costs ?Cost\\#1?;");
}

// Every test type and comparison, on a field of the innermost recordset, a field one level out
// and a variable; each decision writes T or F into the page.
TEST_F(InsertedWizardScriptsTest, DataDecisionsTestWhatTheAnswersSay) {
    fixtures::SqliteDatabase database(kShop);
    ASSERT_TRUE(database.Ok()) << database.Error();
    const auto field = [](int test, int choice, std::string value) {
        DecisionAnswers a;
        a.source = DecisionAnswers::kField;
        a.test = test;
        a.sourceName = "Cost#1";
        a.testChoice = choice;
        a.testValue = std::move(value);
        a.includeElse = true;
        return a;
    };
    const auto variable = [](int choice, std::string phrase, bool caseSensitive) {
        DecisionAnswers a;
        a.source = DecisionAnswers::kVariable;
        a.test = DecisionAnswers::kText;
        a.sourceName = "said";
        a.testChoice = choice;
        a.testValue = std::move(phrase);
        a.caseSensitive = caseSensitive;
        a.includeElse = true;
        return a;
    };
    // The variable holds: She said "C:\x #1?" and the row's item.
    const std::string said = "She said \\\"C:\\\\x \\#1\\?\\\" ?Item?";
    struct Case {
        const char* what;
        DecisionAnswers answers;
        const char* expected;  // per row: Hammer (12), Saw (7)
    };
    std::vector<Case> cases = {
        {"logical", field(0, 0, ""), "TT"},
        {"== 12", field(1, 0, "12"), "TF"},
        {"!= 12", field(1, 1, "12"), "FT"},
        {"< 12", field(1, 2, "12"), "FT"},
        {"<= 7", field(1, 3, "7"), "FT"},
        {"> 7", field(1, 4, "7"), "TF"},
        {">= ?Cost\\#1? (a reference)", field(1, 5, "?Cost\\#1?"), "TT"},
        {"phrase is the same", variable(0, "She said \"C:\\x #1?\" Hammer", true), "TF"},
        {"phrase is different", variable(1, "She said \"C:\\x #1?\" Hammer", true), "FT"},
        {"in the phrase", variable(2, "Intro: she said \"C:\\x #1?\" hammer!", false), "TF"},
        {"contains, case", variable(3, "\"C:\\x #1?\" ham", true), "FF"},
        {"contains, no case", variable(3, "\"C:\\x #1?\" ham", false), "TF"},
        {"not in the phrase", variable(4, "x", false), "TT"},
        {"does not contain", variable(5, "saw", false), "TF"},
    };
    DecisionAnswers outer = field(1, 0, "1");
    outer.sourceName = "KindId";
    outer.currentRecordset = false;
    outer.index = -1;
    cases.push_back({"field one level out", outer, "TT"});
    for (const Case& c : cases) {
        for (const int indent : {0, 2}) {
            SCOPED_TRACE(std::string(c.what) + ", indent " + std::to_string(indent));
            const InsertResult decision = DataDecisionText(c.answers, Context(indent, indent == 2));
            // "F" goes on the empty line of the else block, the last one of the text.
            std::string inserted = AtCaret(decision, "T");
            inserted.insert(inserted.rfind(Tabs(indent + 1) + "\r\n") + indent + 1, "F");
            const std::string script =
                "&datasource(\"" + EscapedFor(database.ConnectionString(), kScriptSpecials) +
                "\")\r\n&html(\"index.html\")\r\n{\r\n"
                "&getdata(\"SELECT * FROM Kinds WHERE KindId=1\")\r\n{\r\n"
                "&getdata(\"SELECT * FROM [Order Lines] WHERE [Kind Id]=1 ORDER BY Item\")\r\n{\r\n"
                "&defvar(?said?)\r\n&assign(?said?,\"" +
                said + "\")\r\n" + Tabs(indent) + inserted +
                "\r\n&delete(?said?)\r\n}\r\n}\r\n}\r\n";
            std::string marks;
            for (const std::string& line : RunAndRead(script, "index.html"))
                marks += line;
            EXPECT_EQ(marks, c.expected);
        }
    }
}

// The tags, with their values, and a table, inside a page and at its top.
TEST_F(InsertedWizardScriptsTest, HtmlTagsReachThePageAsTyped) {
    const std::string tags = FontTag("Arial", "#ff0000", "+1") + "Hi</FONT>\r\n" +
                             ImageTag("logo#1.gif", 4, "Our #1 ?name?") + "\r\n" +
                             HyperlinkTag("page?n?.html#top") + "go</A>\r\n";
    const std::vector<std::string> tagLines = {
        "<FONT FACE=\"Arial\" COLOR=\"#ff0000\" SIZE=\"+1\">Hi</FONT>",
        "<IMG SRC=\"logo#1.gif\" ALIGN=MIDDLE ALT=\"Our #1 ?name?\">",
        "<A HREF=\"page7.html#top\">go</A>"};
    for (const int indent : {0, 1}) {
        SCOPED_TRACE(indent);
        const InsertResult table = TableText({"2", "", "1", 2, 1}, Context(indent, true));
        const std::string script =
            "&defvar(?name?,?n?)\r\n&assign(?name?,\"me\")\r\n"
            "&assign(?n?,\"7\")\r\n&html(\"index.html\")\r\n{\r\n" +
            Tabs(indent) + tags + Tabs(indent) + table.text + "\r\n}\r\n";
        std::vector<std::string> expected = tagLines;
        for (const char* line : {"<TABLE CELLPADDING=\"2\" BORDER=\"1\">", "<TR>", "<TD></TD>",
                                 "<TD></TD>", "</TR>", "</TABLE>"})
            expected.push_back(line);
        EXPECT_EQ(RunAndRead(script, "index.html"), expected);
    }
}

}  // namespace
