#include "kestrel/kestrel_app.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "tests/fixtures/temp_dir.h"

namespace {

// Answers that write into a private directory; the file's text with LF line ends.
class KestrelAppTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Ok()) << m_dir.Error();
        m_app.m_strDirectory = m_dir.Path();
        m_app.m_strConnect = "DSN=shop";
        m_app.m_strTable = "Products";
        m_app.m_arrFields = {"B", "A"};
    }
    std::string Generated(int type) {
        m_app.m_nScriptType = type;
        EXPECT_EQ(m_app.WriteScripts(), 1) << m_app.m_strMessage;
        std::string text = fixtures::ReadTextFile(m_dir.File(m_app.m_strScriptFile)).value_or("");
        std::string lf;
        for (std::size_t i = 0; i < text.size(); ++i) {
            // Every line end on disk is CR LF.
            if (text[i] == '\n') {
                EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "at " << i;
            }
            if (text[i] != '\r') lf += text[i];
        }
        return lf;
    }
    static std::size_t Count(const std::string& text, const std::string& part) {
        std::size_t count = 0;
        for (std::size_t at = text.find(part); at != std::string::npos;
             at = text.find(part, at + 1))
            ++count;
        return count;
    }

    fixtures::TempDir m_dir{"kestrel_app"};
    CKestrelApp m_app;
};

TEST_F(KestrelAppTest, EscapingFollowsWhereEachAnswerIsWritten) {
    m_app.m_strConnect = "Driver={SQLite3};Database=C:\\data\\x#1?.db;PWD=a\"b";
    m_app.m_arrFields = {"Cost#1", "a\\b&{c}?"};
    m_app.m_strTableKey = "Part No";
    m_app.m_strLinkField = "Name?";
    m_app.m_strCsvKey = "Code#";
    m_app.m_strTable = "[Order Lines]";
    m_app.EscapeAnswers();
    EXPECT_EQ(m_app.m_strConnect,
              "Driver=\\{SQLite3\\};Database=C:\\\\data\\\\x\\#1\\?.db;PWD=a\\\"b");
    EXPECT_EQ(m_app.m_arrFields, (std::vector<std::string>{"Cost\\#1", "a\\\\b\\&\\{c\\}\\?"}));
    EXPECT_EQ(m_app.m_strTableKey, "[Part No]");
    EXPECT_EQ(m_app.m_strLinkField, "Name\\?");
    EXPECT_EQ(m_app.m_strCsvKey, "Code\\#");
    EXPECT_EQ(m_app.m_strTable, "[Order Lines]");
}

TEST_F(KestrelAppTest, SinglePageListsTheFieldsInStoredOrder) {
    const std::string plain = Generated(1);
    EXPECT_NE(plain.find("\t\t?B?\n\n\t\t?A?\n\n"), std::string::npos) << plain;
    EXPECT_EQ(Count(plain, "TABLE"), 0u);
    EXPECT_EQ(plain.substr(0, 61), std::string(60, '#') + "\n");

    m_app.m_bFormatTable = 1;
    const std::string table = Generated(1);
    EXPECT_NE(table.find("\t<TABLE WIDTH=\"100%\">\n\n"
                         "\t&getdata(\"SELECT * FROM Products\")\n\t{\n"
                         "\t\t<TR>\n\t\t<TD>?B?</TD>\n\t\t<TD>?A?</TD>\n\t\t</TR>\n"
                         "\t}\n\n\t</TABLE>\n\n"),
              std::string::npos)
        << table;
    EXPECT_EQ(Count(table, "<TR>"), 1u);
}

// The whole file, byte for byte; a longer file of the same name is replaced, not overwritten
// in place.
TEST_F(KestrelAppTest, SinglePageScriptReplacesAnOldFileWhole) {
    std::string error;
    ASSERT_TRUE(fixtures::WriteTextFile(m_dir.File("Script1.scp"), std::string(5000, 'x'), &error))
        << error;
    const std::string rule(60, '#');
    const std::string tenLineEnds(10, '\n');
    const std::string expected = rule +
                                 "\n# *********KESTREL GENERATED TEMPLATE SCRIPT FILE*********\n#\n"
                                 "# This script has been generated with a minimum of HTML,\n"
                                 "# so you will probably need to go over the script and add\n"
                                 "# HTML to customize the appearance of the web pages\n"
                                 "# generated when the script is run. The most likely places\n"
                                 "# where you will want to add extra HTML are marked with\n"
                                 "# TODO lines.\n"
                                 "# See the Quarn on-line help for more information on the\n"
                                 "# features of Quarn script language, which supports many\n"
                                 "# functions not included in this basic Kestrel script.\n" +
                                 rule + "\n\n\n\n\n\n" +
                                 "&datasource(\"DSN=shop\")\n\n"
                                 "&print(\"Generating HTML...\")\n\n"
                                 "&html(\"index.html\")\n{\n\n"
                                 "\t<HTML>\n\n"
                                 "\t# TODO- Add any HTML that you wish to appear above\n"
                                 "\t# the datasource data here." +
                                 tenLineEnds +
                                 "\t&getdata(\"SELECT * FROM Products\")\n"
                                 "\t{\n"
                                 "\t\t# TODO- Add HTML required to format the datasource\n"
                                 "\t\t# data between the following datasource variables.\n"
                                 "\t\t# (The datasource variables are the words enclosed\n"
                                 "\t\t# in question marks.)\n\n\n"
                                 "\t\t?B?\n\n"
                                 "\t\t?A?\n\n"
                                 "\t}\n\n"
                                 "\t# TODO- Add any HTML that you wish to appear below\n"
                                 "\t# the datasource data here." +
                                 tenLineEnds +
                                 "\t</HTML>\n"
                                 "}\n\n";
    EXPECT_EQ(Generated(1), expected);
}

TEST_F(KestrelAppTest, MultiPageNavigationAndBackLink) {
    m_app.m_strLinkField = "Name";
    const std::string bare = Generated(2);
    EXPECT_EQ(Count(bare, "&defvar(?var1?)"), 0u);
    EXPECT_EQ(Count(bare, "Forward/Backward"), 0u);
    EXPECT_NE(bare.find("\t\t<A HREF=\"content?rownumber?.html\">?Name?</A><BR>\n\n"),
              std::string::npos);

    m_app.m_bDataBackLink = 1;
    const std::string back = Generated(2);
    // The back link follows the second TODO block directly.
    EXPECT_NE(back.find("\t\t# the datasource data here.\n\n\n\n\n\n\n\n\n\n"
                        "\t\t# The following code adds a link back"),
              std::string::npos)
        << back;

    m_app.m_bDataNavLinks = 1;
    const std::string nav = Generated(2);
    EXPECT_EQ(Count(nav, "&defvar(?var1?)\n\n"), 1u);
    EXPECT_EQ(Count(nav, "<A HREF=\"content?var1?.html\">"), 2u);
}

TEST_F(KestrelAppTest, RelationalKeyConditionFollowsTheKeyType) {
    m_app.m_strCategoryTable = "[Kinds Of]";
    m_app.m_strCategoryKey = "KindId";
    m_app.m_strTableKey = "Kind Id";
    m_app.m_strTable = "[Order Lines]";
    m_app.EscapeAnswers();
    const std::string like = Generated(3);
    EXPECT_NE(like.find("\t\t&getdata(\"SELECT * FROM [Order Lines] WHERE ([Kind Id] LIKE "
                        "'?KindId?')\")\n"),
              std::string::npos)
        << like;
    EXPECT_NE(like.find("&getdata(\"SELECT * FROM [Kinds Of]\")"), std::string::npos);
    // Without table formatting the loop's brace is followed by two tabs and two line ends.
    EXPECT_NE(like.find("\t\t}\t\t\n\n"), std::string::npos) << like;

    m_app.m_bNumericKey = 1;
    m_app.m_bFormatTable = 1;
    const std::string numeric = Generated(3);
    EXPECT_NE(numeric.find("WHERE ([Kind Id]=?KindId?)\")\n"), std::string::npos);
    EXPECT_NE(numeric.find("\t\t}\n\n\t\t</TABLE>\t\t\n\n"), std::string::npos) << numeric;
}

TEST_F(KestrelAppTest, AdvancedRelationalCategoryNavigationAlone) {
    m_app.m_bCategoryNavLinks = 1;
    const std::string text = Generated(4);
    EXPECT_EQ(Count(text, "&defvar(?var1?)"), 0u);
    EXPECT_EQ(Count(text, "<A HREF=\"category?var1?.html\">"), 2u);
    EXPECT_EQ(Count(text, "content?var1?n?rownumber[-1]?.html"), 0u);
    EXPECT_NE(text.find("\t}\n}\n\n\n\n\n\n\n\n\n\n\n\n\n" + std::string(60, '#') +
                        "\n# The following subroutine is used to generate the DATA HTML\n"
                        "# pages (The pages linked to the category page)\n\n\n\n"),
              std::string::npos)
        << text;
}

TEST_F(KestrelAppTest, CsvExportForms) {
    m_app.m_arrFields = {"Unit Price", "A"};
    m_app.m_bCsvMultiFile = 0;
    const std::string single = Generated(5);
    EXPECT_NE(single.find("&sql(\"SELECT [Unit Price],A FROM Products\")\n{\n\n"),
              std::string::npos)
        << single;
    EXPECT_EQ(m_app.m_arrFields[0], "[Unit Price]");
    EXPECT_EQ(Count(single, "&export("), 1u);
    EXPECT_EQ(Count(single, "&do"), 0u);
    EXPECT_EQ(Count(single, "index"), 0u);

    m_app.m_bCsvMultiFile = 1;
    m_app.m_bCsvSequential = 1;
    m_app.m_strCsvKey = "Code";
    const std::string multi = Generated(5);
    EXPECT_EQ(m_app.m_strCsvKey, "rownumber");
    EXPECT_NE(multi.find("\t\t&assign(?temp?,\"table?rownumber?.txt\\r\\n\")\n"
                         "\t\t&export(\"table?rownumber?.txt\",1)\n\t}\n"
                         "\t&while(?rownumber?<=?recordsetsize?)\n\n"
                         "\t# The following code creates the index file. (\"table.idx\")\n"),
              std::string::npos)
        << multi;
}

TEST_F(KestrelAppTest, AFileThatCannotBeWrittenIsReported) {
    m_app.m_strDirectory = m_dir.File("missing");
    m_app.m_nScriptType = 1;
    EXPECT_EQ(m_app.WriteScripts(), 0);
    EXPECT_EQ(m_app.m_strMessage, "Unable to write file Script1.scp.");
}

TEST_F(KestrelAppTest, NoKindChosenWritesNothing) {
    m_app.m_nScriptType = 0;
    EXPECT_EQ(m_app.WriteScripts(), 1);
    EXPECT_FALSE(fixtures::ReadTextFile(m_dir.File("Script1.scp")).has_value());
}

TEST_F(KestrelAppTest, WebFormFilesAndTheirEscaping) {
    m_app.m_strProject = "";
    m_app.m_arrFields = {"Cost#1", "A"};
    m_app.m_strEmail = "a@b@c";
    m_app.m_strAcceptedUrl = "http://x/$y\"@z";
    m_app.m_strMailProgram = "/usr/sbin/it's";
    m_app.m_strPop3Password = "p\"w#?";
    m_app.EscapeAnswers();
    m_app.m_nScriptType = 6;
    ASSERT_EQ(m_app.WriteScripts(), 1) << m_app.m_strMessage;
    for (const char* name : {".scp", ".pl", ".html", ".txt"})
        EXPECT_TRUE(fixtures::ReadTextFile(m_dir.File(name)).has_value()) << name;

    const std::string perl = fixtures::ReadTextFile(m_dir.File(".pl")).value_or("");
    EXPECT_EQ(perl.find('\r'), std::string::npos);
    EXPECT_NE(perl.find("$mailprog = '/usr/sbin/it\\'s';\n$toemail=\"a\\@b\\@c\";\n"
                        "$location=\"http://x/\\$y\\\"\\@z\";\n\n\n"),
              std::string::npos)
        << perl;
    EXPECT_NE(perl.find("\tprint<<\"\";\n<HTML>\n"), std::string::npos);

    // The form lists the fields in the chosen list's order, with the names as escaped.
    const std::string form = fixtures::ReadTextFile(m_dir.File(".html")).value_or("");
    EXPECT_EQ(form,
              "<HTML>\r\n<BODY>\r\n<FORM ACTION=\"/cgi-bin/.pl\">\r\n"
              "A<BR>\r\n<INPUT TYPE=TEXT NAME=\"A\"><BR>\r\n"
              "Cost\\#1<BR>\r\n<INPUT TYPE=TEXT NAME=\"Cost\\#1\"><BR>\r\n"
              "<BR>\r\n<INPUT TYPE=SUBMIT>\r\n</FORM>\r\n</HTML>\r\n</BODY>\r\n");

    const std::string script = fixtures::ReadTextFile(m_dir.File(".scp")).value_or("");
    // The password reads back as typed; a posted name must be one of the form's, as posted.
    EXPECT_NE(script.find(",\"p\\\"w\\#\\?\")\r\n"), std::string::npos) << script;
    EXPECT_NE(script.find("&if(\"?namevalue[1]?\",eq,\"Cost\\\\\\#1\",or,\"?namevalue[1]?\",eq,"
                          "\"A\",and,\"?namevalue[2]?\",ne,\"\")"),
              std::string::npos)
        << script;
    const std::string notes = fixtures::ReadTextFile(m_dir.File(".txt")).value_or("");
    EXPECT_EQ(std::count(notes.begin(), notes.end(), '\n'), 31);
}

TEST_F(KestrelAppTest, OpenOnExitStartsTheEditorOrTheProjectNotes) {
    m_app.m_strDirectory = "";
    EXPECT_EQ(m_app.OpenOnExitCommand("/opt/quarn", "tolvane"), std::nullopt);
    m_app.m_bOpenOnExit = 1;
    m_app.m_nScriptType = 1;
    m_app.m_strScriptFile = "my site.scp";
    EXPECT_EQ(m_app.OpenOnExitCommand("/nonexistent", "\"/usr/bin/my editor\" -n"),
              (LaunchCommand{"/usr/bin/my editor", {"-n", "my site.scp"}, ""}));
    EXPECT_EQ(m_app.OpenOnExitCommand("/nonexistent", "tolvane"),
              (LaunchCommand{"tolvane", {"my site.scp"}, ""}));
    m_app.m_nScriptType = 6;
    m_app.m_strProject = "form";
    EXPECT_EQ(m_app.OpenOnExitCommand("/nonexistent", "tolvane"),
              (LaunchCommand{"xdg-open", {"form.txt"}, ""}));
}

}  // namespace
