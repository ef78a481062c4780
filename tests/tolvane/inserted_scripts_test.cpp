// Scripts typed the way a user builds them with the editor's insert commands, each command's
// text put where the caret stands, run by the real quarn program against real databases. Names
// and values hold quotes, backslashes, "?", "#" and "&", and must come back as typed.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "shared/odbc_info.h"
#include "tests/fixtures/postgres_cluster.h"
#include "tests/fixtures/smtp_server.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/tolvane/inserted_scripts_fixture.h"
#include "tolvane/html_tag_text.h"
#include "tolvane/insert_data_text.h"
#include "tolvane/insert_other_text.h"
#include "tolvane/insert_statements.h"

namespace {

namespace fs = std::filesystem;

// The editing view as far as the insert commands see it: a text with a caret. The indent count
// is taken from the caret line, as the view does before a dialog opens.
class ScriptBuffer {
public:
    InsertContext Context(bool todo = true) const {
        InsertContext ctx;
        const std::size_t lineStart = m_text.rfind('\n', m_caret == 0 ? 0 : m_caret - 1);
        std::size_t at = (lineStart == std::string::npos || m_caret == 0) ? 0 : lineStart + 1;
        while (at < m_text.size() && m_text[at] == '\t') {
            ++ctx.indent;
            ++at;
        }
        ctx.todo = todo;
        return ctx;
    }
    void Insert(const InsertResult& result) {
        m_text.insert(m_caret, result.text);
        m_caret += result.caret;
    }
    void Type(std::string_view text) { Insert(AtEnd(std::string(text))); }
    void GoToEnd() { m_caret = m_text.size(); }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    std::size_t m_caret = 0;
};

constexpr std::string_view kShop =
    "CREATE TABLE \"Kind List\" (KindId INTEGER, \"Kind Name\" TEXT);"
    "INSERT INTO \"Kind List\" VALUES (1, 'Tools'), (2, 'Café');"
    "CREATE TABLE \"Q&A \"\"x\"\" #1\" (\"Kind Id\" INTEGER, Name TEXT, \"Cost#1\" REAL, "
    "\"Why?\" TEXT, \"a\\b{c}\" TEXT, Link TEXT);"
    "INSERT INTO \"Q&A \"\"x\"\" #1\" VALUES (1, 'Hammer', 9.5, 'it''s \"heavy\"', 'x',"
    " 'Site#http://h.example/#top#'), (2, 'Crème', 3, 'naïve', 'y', 'S#http://s/#'),"
    " (1, 'Saw', 12.25, '?', 'z', 'T#http://t/#');";

// A whole site made of inserted statements, nested the way the commands nest them: a connection,
// a variable, a subroutine, a page inside a subroutine holding a recordset and formatted data,
// and a "one to many" page.
TEST_F(InsertedScriptsTest, InsertedStatementsBuildTheSite) {
    // The database lives under a directory whose name needs every escape of a quoted string.
    fixtures::SqliteDatabase shop(kShop);
    ASSERT_TRUE(shop.Ok()) << shop.Error();
    const std::string awkward = m_scratch.File("a#b?c\\d\"e");
    fs::create_directories(awkward);
    fs::copy_file(shop.Path(), awkward + "/shop.db");
    std::string connection = shop.ConnectionString();
    connection.replace(connection.find(shop.Path()), shop.Path().size(), awkward + "/shop.db");

    const std::string table = "Q&A \"x\" #1";
    ScriptBuffer script;
    script.Insert(DataSourceText(connection, script.Context()));
    script.Insert(UserVariableText("count", script.Context()));
    script.Insert(DataAssignText("?count?", "0", script.Context(false)));
    script.Insert(DefsubText("line", script.Context()));
    script.Type("<HR>");
    script.GoToEnd();
    script.Type("\r\n");
    script.Insert(HtmlPageText({"items.html", true, "items"}, script.Context()));
    script.Insert(RecordsetBlock(
        RecordsetStatement(RecordsetFunction::kGetdata, TableForQuery(table)), script.Context()));
    for (const char* field : {"Name", "Why?", "a\\b{c}"}) {
        script.Insert(
            DatabaseDataText(FieldReference(field, true, -1), DataFormat::kNone, script.Context()));
        script.Type(" ");
    }
    script.Insert(DatabaseDataText(FieldReference("Cost#1", true, -1), DataFormat::kCurrency,
                                   script.Context()));
    script.Insert(DatabaseDataText(FieldReference("Link", true, -1), DataFormat::kHyperlink,
                                   script.Context(false)));
    script.Insert(DataAssignText("?count?", "?count?+1", script.Context()));
    script.Insert(GosubText("line"));
    script.Type(ProcessHtml("\r\n{&?#\\}").text);
    script.GoToEnd();
    script.Type("\r\n");
    script.Insert(GosubText("items"));
    script.Type("\r\n");
    script.Insert(HtmlPageText({"kinds ?count?.html", false, ""}, script.Context(false)));
    script.Insert(
        RecordsetBlock(RecordsetStatement(RecordsetFunction::kGetdata, TableForQuery("Kind List")),
                       script.Context()));
    script.Insert(DatabaseDataText(FieldReference("Kind Name", true, -1), DataFormat::kNone,
                                   script.Context()));
    script.Type(":");
    script.Insert(
        RecordsetBlock(OneToManyStatement(RecordsetFunction::kGetdata, TableForQuery(table),
                                          "[Kind Id]", "KindId", "I"),
                       script.Context()));
    script.Insert(
        DatabaseDataText(FieldReference("Name", true, -1), DataFormat::kNone, script.Context()));
    script.Type(",");
    script.GoToEnd();
    script.Type("\r\n");
    Run(script.Text());

    const std::string rows =
        "Hammer it's \"heavy\" x 9.50\n<A HREF=\"http://h.example/\">Site</A>\n<HR>\n{&?#\\}\n"
        "Crème naïve y 3.00\n<A HREF=\"http://s/\">S</A>\n<HR>\n{&?#\\}\n"
        "Saw ? z 12.25\n<A HREF=\"http://t/\">T</A>\n<HR>\n{&?#\\}\n";
    EXPECT_EQ(Pages(), (std::map<std::string, std::string>{
                           {"items.html", rows},
                           {"kinds 3.html", "Tools:\nHammer,\nSaw,\nCafé:\nCrème,\n"},
                       }))
        << script.Text();
}

// The recordset the editor writes for an awkward table is the one its data dialogs describe: the
// catalog reads the statement's escapes as quarn does.
TEST_F(InsertedScriptsTest, AWrittenRecordsetIsDescribedAsQuarnRunsIt) {
    fixtures::SqliteDatabase db(
        "CREATE TABLE \"we\"\"ird\" (\"a b\" TEXT, \"Cost#1\" REAL);"
        "INSERT INTO \"we\"\"ird\" VALUES ('Crème & \"x\" {y}', 2.5);");
    ASSERT_TRUE(db.Ok()) << db.Error();
    ScriptBuffer script;
    script.Insert(DataSourceText(db.ConnectionString(), script.Context()));
    script.Insert(HtmlPageText({"index.html", false, ""}, script.Context()));
    const std::string recordset =
        RecordsetStatement(RecordsetFunction::kGetdata, TableForQuery("we\"ird"));
    script.Insert(RecordsetBlock(recordset, script.Context()));
    script.Insert(
        DatabaseDataText(FieldReference("a b", true, -1), DataFormat::kNone, script.Context()));
    script.Type("=");
    script.Insert(DatabaseDataText(FieldReference("Cost#1", true, -1), DataFormat::kNone,
                                   script.Context(false)));
    Run(script.Text());
    EXPECT_EQ(Pages(),
              (std::map<std::string, std::string>{{"index.html", "Crème & \"x\" {y}=2.5\n"}}))
        << script.Text();

    const std::string datasource = DataSourceText(db.ConnectionString(), {}).text;
    COdbcInfo catalog;
    ASSERT_EQ(catalog.ListColumns(TextBetweenQuotes(datasource),
                                  QueryBeforeWhere(TextBetweenQuotes(recordset))),
              1)
        << catalog.Message();
    EXPECT_EQ(catalog.Names(), (std::vector<std::string>{"a b", "Cost#1"}));
}

// What a user types into a tag or insert dialog reaches the page byte for byte, however many of
// the script's special characters it holds.
TEST_F(InsertedScriptsTest, TypedTextReachesThePageExactly) {
    const std::string typed = "A & B #1 {x} \"q\" C:\\temp\\n Why? naïve ?";
    const std::string tableLines = "<TR>\r\n<TD></TD>\r\n</TR>\r\n</TABLE>\r\n";
    // A page name holds no ":" and no directory separator.
    const std::string pageName = "A & B #1 {x} \"q\" Why? naïve ?.html";
    const std::string pageStatement = HtmlPageText({pageName, false, ""}, {}).text;
    struct Case {
        const char* dialog;
        std::string written;
        std::string page;
    };
    const Case cases[] = {
        {"font", FontTag(typed, typed, typed),
         "<FONT FACE=\"" + typed + "\" COLOR=\"" + typed + "\" SIZE=\"" + typed + "\">"},
        {"image", ImageTag(typed, 1, typed),
         "<IMG SRC=\"" + typed + "\" ALIGN=LEFT ALT=\"" + typed + "\">"},
        {"typed hyperlink", HyperlinkTag(typed), "<A HREF=\"" + typed + "\">"},
        {"chosen hyperlink", HyperlinkTag(HyperlinkEntries({pageStatement}).at(0)),
         "<A HREF=\"" + pageName + "\">"},
        {"table", TableText({typed, typed, typed, 1, 1}, {}).text,
         "<TABLE CELLPADDING=\"" + typed + "\" CELLSPACING=\"" + typed + "\" BORDER=\"" + typed +
             "\">\r\n" + tableLines},
        {"process html", ProcessHtml(typed).text, typed},
    };
    std::string script;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        script += "&html(\"case" + std::to_string(i) + ".html\")\r\n{" + cases[i].written + "}\r\n";
    script += pageStatement;
    Run(script);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].dialog);
        EXPECT_EQ(fixtures::ReadTextFile(Html() + "/case" + std::to_string(i) + ".html"),
                  cases[i].page)
            << cases[i].written;
    }
    EXPECT_TRUE(fs::exists(Html() + "/" + pageName)) << pageStatement;
}

// Mail as the E-mail command writes it, with and without formatting, to a real SMTP server.
TEST_F(InsertedScriptsTest, InsertedMailArrivesAsTyped) {
    fixtures::SmtpServer smtp;
    if (!smtp.IsRunning()) GTEST_SKIP() << smtp.FailureReason();
    for (bool noFormatting : {true, false}) {
        ScriptBuffer script;
        script.Type("&if(1)\r\n{\r\n\t");
        EmailAnswers answers{"to@example.org", "me@example.org", smtp.Host(),
                             "Tom & \"Jerry\" #1 {x} C:\\t Why?", noFormatting};
        script.Insert(EmailText(answers, script.Context()));
        script.Type("Body");
        script.GoToEnd();
        script.Type("\r\n}\r\n");
        // The statement asks the standard port; the test's server listens elsewhere.
        std::string text = script.Text();
        const std::string call = noFormatting ? ",formatnone)" : "\")";
        const std::string withPort = noFormatting
                                         ? ",formatnone," + std::to_string(smtp.Port()) + ")"
                                         : "\",0," + std::to_string(smtp.Port()) + ")";
        ASSERT_NE(text.find(call), std::string::npos) << text;
        text.replace(text.find(call), call.size(), withPort);
        Run(text);
    }
    const std::vector<fixtures::SmtpServer::Message> messages = smtp.Messages();
    ASSERT_EQ(messages.size(), 2u) << fixtures::SmtpServer::Transcript(messages);
    for (const auto& message : messages) {
        EXPECT_EQ(message.from, "me@example.org");
        EXPECT_EQ(message.recipients, std::vector<std::string>{"to@example.org"});
        EXPECT_NE(message.data.find("Subject: Tom & \"Jerry\" #1 {x} C:\\t Why?\r\n"),
                  std::string::npos)
            << message.data;
        EXPECT_EQ(message.data.rfind("From: me@example.org\r\nTo: to@example.org\r\n", 0), 0u)
            << message.data;
    }
}

// The data statements against PostgreSQL through psqlODBC.
TEST_F(InsertedScriptsTest, DataStatementsRunAgainstPostgreSql) {
    auto& cluster = fixtures::PostgresCluster::Shared();
    if (!cluster.IsRunning()) GTEST_SKIP() << cluster.FailureReason();
    std::string error;
    const std::string database = cluster.CreateDatabase(
        "CREATE TABLE kinds (kindid INTEGER, kindname TEXT);"
        "INSERT INTO kinds VALUES (1, 'Tools'), (2, 'Café #\"2\"');"
        "CREATE TABLE lines (kindid INTEGER, name TEXT, cost NUMERIC(6,2));"
        "INSERT INTO lines VALUES (1, 'Hammer', 9.5), (2, 'Crème', 3), (1, 'Saw', 12.25);",
        &error);
    ASSERT_FALSE(database.empty()) << error;
    ScriptBuffer script;
    script.Insert(DataSourceText(cluster.ConnectionString(database), script.Context()));
    script.Insert(HtmlPageText({"index.html", false, ""}, script.Context()));
    script.Insert(RecordsetBlock(
        RecordsetStatement(RecordsetFunction::kGetdata, TableForQuery("kinds")), script.Context()));
    script.Insert(DatabaseDataText(FieldReference("kindname", true, -1), DataFormat::kNone,
                                   script.Context()));
    script.Type(":");
    script.Insert(RecordsetBlock(OneToManyStatement(RecordsetFunction::kSql, TableForQuery("lines"),
                                                    "kindid", "kindid", "I"),
                                 script.Context(false)));
    script.Insert(
        DatabaseDataText(FieldReference("name", true, -1), DataFormat::kNone, script.Context()));
    script.Type("=");
    script.Insert(DatabaseDataText(FieldReference("cost", true, -1), DataFormat::kCurrency,
                                   script.Context(false)));
    Run(script.Text());
    EXPECT_EQ(Pages(), (std::map<std::string, std::string>{
                           {"index.html", "Tools:\nHammer=9.50\nCafé #\"2\":\nCrème=3.00\n"},
                       }))
        << script.Text();
}

}  // namespace
