// Each kind of generated script run through the real quarn program against a SQLite database
// with awkward names and values: blanks, quotes, "#", non-ASCII text and NULLs.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "kestrel/kestrel_app.h"
#include "tests/fixtures/dovecot_server.h"
#include "tests/fixtures/postgres_cluster.h"
#include "tests/fixtures/program_process.h"
#include "tests/fixtures/run_command.h"
#include "tests/fixtures/spawn_program.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kShop =
    "CREATE TABLE \"Kind List\" (KindId INTEGER, \"Kind Name\" TEXT);"
    "INSERT INTO \"Kind List\" VALUES (1, 'Tools'), (2, 'Café \"Spécial\"');"
    "CREATE TABLE \"Order Lines\" (\"Kind Id\" INTEGER, Name TEXT, \"Cost#1\" REAL, Note TEXT);"
    "INSERT INTO \"Order Lines\" VALUES (1, 'Hammer', 9.5, 'it''s heavy'), (2, 'Crème', 3, "
    "'naïve'), (1, 'Saw', NULL, NULL);"
    "CREATE TABLE Entries (Name TEXT, Note TEXT, Evil TEXT);"
    "CREATE TABLE \"we\"\"ird\" (\"a b\" TEXT, \"n\"\"q\" TEXT);"
    "INSERT INTO \"we\"\"ird\" VALUES ('A & B #1 {x}', 'Crème \"?\"');";

std::string WithoutCr(std::string text) {
    std::erase(text, '\r');
    return text;
}

// A program directory with quarn and the project "default"; the wizard writes into the project.
class GeneratedScriptsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_programDir.Ok()) << m_programDir.Error();
        ASSERT_TRUE(m_runtimeDir.Ok()) << m_runtimeDir.Error();
        ASSERT_TRUE(m_database.Ok()) << m_database.Error();
        std::string error;
        ASSERT_TRUE(fixtures::InstallProgram(QUARN_BINARY, m_programDir.File("quarn"), &error))
            << error;
        fs::create_directories(Html());
        ASSERT_TRUE(fixtures::WriteTextFile(m_programDir.File("Quarn.ini"),
                                            "[global]\r\nprofile0=default\r\n", &error))
            << error;
        m_app.m_strDirectory = Project();
        m_app.m_strConnect = m_database.ConnectionString();
    }
    std::string Project() const { return m_programDir.File("projects/default"); }
    std::string Html() const { return Project() + "/html"; }

    // Escapes the answers, writes the script and runs it; quarn's status lines.
    std::vector<std::string> GenerateAndRun(int type) {
        m_app.m_nScriptType = type;
        m_app.EscapeAnswers();
        EXPECT_EQ(m_app.WriteScripts(), 1) << m_app.m_strMessage;
        return RunQuarn(m_app.m_strScriptFile);
    }
    // Runs `script` of the project through quarn, which must succeed; its status lines. The run
    // has a home and runtime directory of its own, so that runs of parallel tests are not taken
    // for a second instance.
    std::vector<std::string> RunQuarn(const std::string& script) const {
        const std::vector<std::string> env = fixtures::QuarnRunEnvironment(
            {"TZ=UTC", "HOME=" + m_programDir.Path(), "XDG_RUNTIME_DIR=" + m_runtimeDir.Path()});
        fixtures::ProgramProcess run;
        const std::string err = m_runtimeDir.File("stderr");
        EXPECT_EQ(run.Start(m_programDir.File("quarn"), {script}, Project(), env, err), "");
        std::vector<std::string> lines;
        EXPECT_EQ(
            run.Finish(lines, fixtures::ProgramProcess::Clock::now() + std::chrono::seconds(60)), 0)
            << testing::PrintToString(lines) << fixtures::ReadTextFile(err).value_or("");
        return lines;
    }
    // Every file under the HTML root, by name relative to it.
    std::map<std::string, std::string> Pages() const {
        std::map<std::string, std::string> pages;
        for (const auto& entry : fs::recursive_directory_iterator(Html()))
            if (entry.is_regular_file())
                pages[fs::relative(entry.path(), Html()).string()] =
                    WithoutCr(fixtures::ReadTextFile(entry.path().string()).value_or(""));
        return pages;
    }

    // Writes the web-form project for the table Entries (Name, Note, Evil) of m_app's data
    // source, posts the form with a quote and a field it does not have to the CGI script run by
    // perl, delivers the mail the script sends into `pop3` beside a mail of another kind, and
    // runs the collecting script through quarn.
    void CarryFormIntoTable(fixtures::DovecotServer& pop3) {
        // The mail program: records its arguments and the mail it is given.
        const std::string mailer = m_programDir.File("sendmail");
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(mailer,
                                            "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n"
                                            "cat > \"$0.mail\"\n",
                                            &error))
            << error;
        ASSERT_EQ(::chmod(mailer.c_str(), 0755), 0);
        m_app.m_strTable = "Entries";
        m_app.m_arrFields = {"Note", "Name"};
        m_app.m_strMailProgram = mailer;
        m_app.m_strEmail = "forms@example.org";
        m_app.m_strAcceptedUrl = "http://example.org/thanks$.html";
        m_app.m_strPop3Server = pop3.Host();
        m_app.m_strPop3Logon = pop3.User();
        m_app.m_strPop3Password = pop3.Password();
        m_app.m_nScriptType = 6;
        m_app.EscapeAnswers();
        ASSERT_EQ(m_app.WriteScripts(), 1) << m_app.m_strMessage;

        const std::string form = fixtures::ReadTextFile(Project() + "/webform.html").value_or("");
        EXPECT_NE(form.find("<FORM ACTION=\"/cgi-bin/webform.pl\">\r\nName<BR>\r\n"
                            "<INPUT TYPE=TEXT NAME=\"Name\"><BR>\r\nNote<BR>\r\n"),
                  std::string::npos)
            << form;
        struct stat info {};
        ASSERT_EQ(::stat((Project() + "/webform.scp").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);

        // The browser's GET of the form, with a field the form does not have.
        std::string output;
        ASSERT_EQ(fixtures::RunCommand({"env", "REQUEST_METHOD=GET",
                                        "QUERY_STRING=Name=O%27Brien+%26+Co&Note=50%25+off%3F"
                                        "&Evil=1%27%29%3B+DROP+TABLE+Entries%3B--&broken",
                                        "perl", Project() + "/webform.pl"},
                                       &output),
                  0)
            << output;
        EXPECT_EQ(output, "Location: http://example.org/thanks$.html\n\n");
        EXPECT_EQ(fixtures::ReadTextFile(mailer + ".args"), "-t\n");
        const std::string mail = fixtures::ReadTextFile(mailer + ".mail").value_or("");
        EXPECT_EQ(mail,
                  "To: forms@example.org\nFrom: Web Server\nSubject: QuarnXXG1846G\n\n"
                  "Name=O%27Brien+%26+Co&Note=50%25+off%3F"
                  "&Evil=1%27%29%3B+DROP+TABLE+Entries%3B--&broken");
        ASSERT_TRUE(pop3.AddMessage("form", mail, &error)) << error;
        ASSERT_TRUE(pop3.AddMessage("other", "Subject: hello\n\nName=x", &error)) << error;

        // The script as generated asks the standard POP3 port; the test's server listens elsewhere.
        const std::string script = Project() + "/webform.scp";
        std::string collecting = fixtures::ReadTextFile(script).value_or("");
        const std::string logon = "\"" + pop3.Password() + "\")\r\n";
        ASSERT_NE(collecting.find(logon), std::string::npos) << collecting;
        collecting.replace(
            collecting.find(logon), logon.size(),
            "\"" + pop3.Password() + "\",0," + std::to_string(pop3.Port()) + ")\r\n");
        ASSERT_TRUE(fixtures::WriteTextFile(script, collecting, &error)) << error;
        RunQuarn("webform.scp");
        // Every mail was taken from the mailbox.
        EXPECT_TRUE(pop3.Messages().empty());
    }

    fixtures::TempDir m_programDir{"kestrel_scripts"};
    fixtures::TempDir m_runtimeDir{"kestrel_scripts_runtime"};
    fixtures::SqliteDatabase m_database{kShop};
    CKestrelApp m_app;
};

// One answer set: what differs from the shop's defaults, and the pages (CR LF as LF) it must give.
struct AnswerCase {
    const char* what;
    int type;
    void (*answer)(CKestrelApp&);
    std::map<std::string, std::string> pages;
};

void ShopAnswers(CKestrelApp& app) {
    app.m_strTable = "[Order Lines]";
    app.m_arrFields = {"Note", "Cost#1", "Name"};
    app.m_strLinkField = "Name";
    app.m_strCategoryTable = "[Kind List]";
    app.m_strCategoryLinkField = "Kind Name";
    app.m_strCategoryKey = "KindId";
    app.m_strTableKey = "Kind Id";
    app.m_strCsvKey = "Name";
}

constexpr const char* kHammerRow =
    "<TR>\n<TD>it's heavy</TD>\n<TD>9.5</TD>\n<TD>Hammer</TD>\n</TR>\n";
constexpr const char* kCremeRow = "<TR>\n<TD>naïve</TD>\n<TD>3.0</TD>\n<TD>Crème</TD>\n</TR>\n";
constexpr const char* kSawRow = "<TR>\n<TD></TD>\n<TD></TD>\n<TD>Saw</TD>\n</TR>\n";

std::string Page(const std::string& body) {
    return "<HTML>\n" + body + "</HTML>\n";
}
std::string Table(const std::string& rows) {
    return "<TABLE WIDTH=\"100%\">\n" + rows + "</TABLE>\n";
}
std::string Nav(const std::string& back, const std::string& forward) {
    std::string links = "<BR>\n";
    if (!back.empty())
        links += "<A HREF=\"" + back + "\"><IMG SRC=\"back.gif\" BORDER=\"0\"></A>\n";
    if (!forward.empty())
        links += "<A HREF=\"" + forward + "\"><IMG SRC=\"forward.gif\" BORDER=\"0\"></A>\n";
    return links;
}
std::string Back(const std::string& target) {
    return "<BR>\n<A HREF=\"" + target + "\">Back</A>\n";
}

// The top page's links to the two categories' pages, named `prefix` + row number.
std::string CategoryLinks(const std::string& prefix) {
    return "<A HREF=\"" + prefix + "1.html\">Tools</A><BR>\n<A HREF=\"" + prefix +
           "2.html\">Café \"Spécial\"</A><BR>\n";
}

TEST_F(GeneratedScriptsTest, EveryKindWritesThePagesItsAnswersAskFor) {
    const AnswerCase cases[] = {
        {"single page, plain fields",
         1,
         [](CKestrelApp&) {},
         {{"index.html", Page("it's heavy\n9.5\nHammer\nnaïve\n3.0\nCrème\nSaw\n")}}},
        {"single page, table",
         1,
         [](CKestrelApp& app) { app.m_bFormatTable = 1; },
         {{"index.html", Page(Table(std::string(kHammerRow) + kCremeRow + kSawRow))}}},
        {"multiple page, navigation and back link",
         2,
         [](CKestrelApp& app) {
             app.m_bFormatTable = 1;
             app.m_bDataNavLinks = 1;
             app.m_bDataBackLink = 1;
         },
         {{"index.html", Page("<A HREF=\"content1.html\">Hammer</A><BR>\n"
                              "<A HREF=\"content2.html\">Crème</A><BR>\n"
                              "<A HREF=\"content3.html\">Saw</A><BR>\n")},
          {"content1.html",
           Page(Table(kHammerRow) + Nav("", "content2.html") + Back("index.html"))},
          {"content2.html",
           Page(Table(kCremeRow) + Nav("content1.html", "content3.html") + Back("index.html"))},
          {"content3.html", Page(Table(kSawRow) + Nav("content2.html", "") + Back("index.html"))}}},
        {"basic relational, numeric key",
         3,
         [](CKestrelApp& app) {
             app.m_bNumericKey = 1;
             app.m_bFormatTable = 1;
         },
         {{"index.html", Page(CategoryLinks("content"))},
          {"content1.html",
           Page("<TABLE WIDTH=\"100%\">\n" + std::string(kHammerRow) + kSawRow + "</TABLE>\t\t\n")},
          {"content2.html",
           Page("<TABLE WIDTH=\"100%\">\n" + std::string(kCremeRow) + "</TABLE>\t\t\n")}}},
        {"basic relational, text key",
         3,
         [](CKestrelApp&) {},
         {{"index.html", Page(CategoryLinks("content"))},
          {"content1.html", Page("it's heavy\n9.5\nHammer\nSaw\n")},
          {"content2.html", Page("naïve\n3.0\nCrème\n")}}},
        {"advanced relational, data navigation and back links",
         4,
         [](CKestrelApp& app) {
             app.m_bNumericKey = 1;
             app.m_bDataNavLinks = 1;
             app.m_bDataBackLink = 1;
             app.m_bCategoryBackLink = 1;
         },
         {{"index.html", Page(CategoryLinks("category"))},
          {"category1.html", Page("<A HREF=\"content1n1.html\">Hammer</A><BR>\n"
                                  "<A HREF=\"content2n1.html\">Saw</A><BR>\n" +
                                  Back("index.html"))},
          {"category2.html",
           Page("<A HREF=\"content1n2.html\">Crème</A><BR>\n" + Back("index.html"))},
          {"content1n1.html",
           Page("it's heavy\n9.5\nHammer\n" + Nav("", "content2n1.html") + Back("category1.html"))},
          {"content2n1.html", Page("Saw\n" + Nav("content1n1.html", "") + Back("category1.html"))},
          {"content1n2.html", Page("naïve\n3.0\nCrème\n" + Nav("", "") + Back("category2.html"))}}},
        {"CSV, one file per row with an index",
         5,
         [](CKestrelApp&) {},
         {{"table.idx", "tableHammer.txt\ntableCrème.txt\ntableSaw.txt\n"},
          {"tableHammer.txt", "\"it's heavy\",9.5,\"Hammer\"\n"},
          {"tableCrème.txt", "\"naïve\",3.0,\"Crème\"\n"},
          {"tableSaw.txt", "\"\",,\"Saw\"\n"}}},
        {"CSV, numbered files without an index",
         5,
         [](CKestrelApp& app) {
             app.m_bCsvSequential = 1;
             app.m_bCsvIndex = 0;
             app.m_strCsvName = "row";
         },
         {{"row1.txt", "\"it's heavy\",9.5,\"Hammer\"\n"},
          {"row2.txt", "\"naïve\",3.0,\"Crème\"\n"},
          {"row3.txt", "\"\",,\"Saw\"\n"}}},
        {"single page of a table and columns named with quotes, to a page named with them",
         1,
         [](CKestrelApp& app) {
             app.m_strTable = "[we\"ird]";
             app.m_arrFields = {"a b", "n\"q"};
             app.m_strHtmlFile = "A & B #1 {x} \"q\" Why?.html";
         },
         {{"A & B #1 {x} \"q\" Why?.html", Page("A & B #1 {x}\nCrème \"?\"\n")}}},
        {"CSV of a table named with a quote, to files named with specials",
         5,
         [](CKestrelApp& app) {
             app.m_strTable = "[we\"ird]";
             app.m_arrFields = {"n\"q", "a b"};
             app.m_strCsvKey = "a b";
             app.m_strCsvName = "t&#{";
         },
         {{"t&#{.idx", "t&#{A & B #1 {x}.txt\n"},
          {"t&#{A & B #1 {x}.txt", "\"Crème \"\"?\"\"\",\"A & B #1 {x}\"\n"}}},
        {"CSV, one file",
         5,
         [](CKestrelApp& app) { app.m_bCsvMultiFile = 0; },
         {{"table.txt",
           "\"it's heavy\",9.5,\"Hammer\"\n\"naïve\",3.0,\"Crème\"\n"
           "\"\",,\"Saw\"\n"}}},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(Html());
        fs::create_directories(Html());
        m_app = CKestrelApp();
        m_app.m_strDirectory = Project();
        m_app.m_strConnect = m_database.ConnectionString();
        ShopAnswers(m_app);
        c.answer(m_app);
        const std::vector<std::string> lines = GenerateAndRun(c.type);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Script execution complete.");
        EXPECT_EQ(Pages(), c.pages);
    }
}

// One answer set of each kind against PostgreSQL through psqlODBC (plain names: the generated
// SELECTs bracket names with blanks, which PostgreSQL does not read).
TEST_F(GeneratedScriptsTest, EveryKindRunsAgainstPostgreSql) {
    auto& cluster = fixtures::PostgresCluster::Shared();
    if (!cluster.IsRunning()) GTEST_SKIP() << cluster.FailureReason();
    std::string error;
    const std::string database = cluster.CreateDatabase(
        "CREATE TABLE kinds (kindid INTEGER, kindname TEXT);"
        "INSERT INTO kinds VALUES (1, 'Tools'), (2, 'Café \"Spécial\"');"
        "CREATE TABLE lines (kindid INTEGER, name TEXT, cost INTEGER, note TEXT);"
        "INSERT INTO lines VALUES (1, 'Hammer', 9, 'it''s heavy'), (2, 'Crème', 3, 'naïve'),"
        " (1, 'Saw', NULL, NULL);",
        &error);
    ASSERT_FALSE(database.empty()) << error;
    const auto answers = [&](CKestrelApp& app) {
        app.m_strConnect = cluster.ConnectionString(database);
        app.m_strTable = "lines";
        app.m_arrFields = {"note", "name"};
        app.m_strLinkField = "name";
        app.m_strCategoryTable = "kinds";
        app.m_strCategoryLinkField = "kindname";
        app.m_strCategoryKey = "kindid";
        app.m_strTableKey = "kindid";
        app.m_bNumericKey = 1;
        app.m_strCsvKey = "name";
    };
    const struct {
        int type;
        std::map<std::string, std::string> pages;
    } cases[] = {
        {1, {{"index.html", Page("it's heavy\nHammer\nnaïve\nCrème\nSaw\n")}}},
        {2,
         {{"index.html", Page("<A HREF=\"content1.html\">Hammer</A><BR>\n"
                              "<A HREF=\"content2.html\">Crème</A><BR>\n"
                              "<A HREF=\"content3.html\">Saw</A><BR>\n")},
          {"content1.html", Page("it's heavy\nHammer\n")},
          {"content2.html", Page("naïve\nCrème\n")},
          {"content3.html", Page("Saw\n")}}},
        {3,
         {{"index.html", Page(CategoryLinks("content"))},
          {"content1.html", Page("it's heavy\nHammer\nSaw\n")},
          {"content2.html", Page("naïve\nCrème\n")}}},
        {4,
         {{"index.html", Page(CategoryLinks("category"))},
          {"category1.html", Page("<A HREF=\"content1n1.html\">Hammer</A><BR>\n"
                                  "<A HREF=\"content2n1.html\">Saw</A><BR>\n")},
          {"category2.html", Page("<A HREF=\"content1n2.html\">Crème</A><BR>\n")},
          {"content1n1.html", Page("it's heavy\nHammer\n")},
          {"content2n1.html", Page("Saw\n")},
          {"content1n2.html", Page("naïve\nCrème\n")}}},
        {5,
         {{"table.idx", "tableHammer.txt\ntableCrème.txt\ntableSaw.txt\n"},
          {"tableHammer.txt", "\"it's heavy\",\"Hammer\"\n"},
          {"tableCrème.txt", "\"naïve\",\"Crème\"\n"},
          {"tableSaw.txt", "\"\",\"Saw\"\n"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        fs::remove_all(Html());
        fs::create_directories(Html());
        m_app = CKestrelApp();
        m_app.m_strDirectory = Project();
        answers(m_app);
        const std::vector<std::string> lines = GenerateAndRun(c.type);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Script execution complete.");
        EXPECT_EQ(Pages(), c.pages);
    }
}

// The rows of `sql` in `database`, each row's columns joined by "|" (NULL as "-").
std::vector<std::string> Rows(const std::string& database, const char* sql) {
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const unsigned char* text = sqlite3_column_text(statement, i);
                row += (i ? "|" : "") +
                       (text ? std::string(reinterpret_cast<const char*>(text)) : std::string("-"));
            }
            rows.push_back(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

// What the form's reader typed, as the table must hold it; the stray field Evil stays NULL.
constexpr const char* kEntriesQuery = "SELECT Name, Note, Evil FROM Entries";
const std::vector<std::string> kTypedEntries = {"O'Brien & Co|50% off?|-"};

// The form posted to the generated CGI script, its mail delivered to a real POP3 mailbox, and
// the generated collecting script run by quarn: the table holds what was typed, and nothing else.
TEST_F(GeneratedScriptsTest, WebFormCarriesWhatWasTypedIntoTheTable) {
    fixtures::DovecotServer pop3;
    if (!pop3.IsRunning()) GTEST_SKIP() << pop3.FailureReason();
    CarryFormIntoTable(pop3);
    if (HasFatalFailure()) return;
    EXPECT_EQ(Rows(m_database.Path(), kEntriesQuery), kTypedEntries);
}

TEST_F(GeneratedScriptsTest, WebFormCarriesWhatWasTypedIntoAPostgreSqlTable) {
    auto& cluster = fixtures::PostgresCluster::Shared();
    if (!cluster.IsRunning()) GTEST_SKIP() << cluster.FailureReason();
    fixtures::DovecotServer pop3;
    if (!pop3.IsRunning()) GTEST_SKIP() << pop3.FailureReason();
    std::string error;
    const std::string database =
        cluster.CreateDatabase("CREATE TABLE Entries (Name TEXT, Note TEXT, Evil TEXT);", &error);
    ASSERT_FALSE(database.empty()) << error;
    m_app.m_strConnect = cluster.ConnectionString(database);
    CarryFormIntoTable(pop3);
    if (HasFatalFailure()) return;
    std::vector<std::string> rows;
    ASSERT_TRUE(cluster.Query(database, kEntriesQuery, &rows, &error)) << error;
    EXPECT_EQ(rows, kTypedEntries);
}

TEST_F(GeneratedScriptsTest, WebFormCgiScriptWithoutItsMailProgramShowsTheErrorPage) {
    m_app.m_strMailProgram = m_programDir.File("no-such-sendmail");
    m_app.m_arrFields = {"Name"};
    m_app.m_nScriptType = 6;
    ASSERT_EQ(m_app.WriteScripts(), 1) << m_app.m_strMessage;
    std::string output;
    ASSERT_EQ(fixtures::RunCommand({"env", "REQUEST_METHOD=GET", "QUERY_STRING=Name=x", "perl",
                                    Project() + "/webform.pl"},
                                   &output),
              0)
        << output;
    EXPECT_TRUE(output.starts_with("Content-type: text/html\r\n\r\n<HTML>\n<HEAD>\n<TITLE>ERROR!"))
        << output;
    EXPECT_NE(output.find("</HTML>\n"), std::string::npos) << output;
}

}  // namespace
