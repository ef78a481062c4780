// The insert commands' texts for the cases the editor meets: caret at the top level and in a
// nested block, TODO lines on and off, names that need escaping.

#include <gtest/gtest.h>

#include "shared/script_escapes.h"
#include "tolvane/decision_text.h"
#include "tolvane/html_tag_text.h"
#include "tolvane/insert_data_text.h"
#include "tolvane/insert_other_text.h"
#include "tolvane/insert_statements.h"

namespace {

InsertContext Context(int indent, bool todo) {
    InsertContext ctx;
    ctx.indent = indent;
    ctx.todo = todo;
    return ctx;
}

// The text with "|" where the caret goes.
std::string WithCaret(const InsertResult& result) {
    return result.text.substr(0, result.caret) + "|" + result.text.substr(result.caret);
}

struct TextCase {
    const char* what;
    InsertResult result;
    const char* expected;
};

void ExpectTexts(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WithCaret(c.result), c.expected);
    }
}

TEST(InsertDataTextTest, DataStatementsAndTheirBlocks) {
    const auto getdata = RecordsetStatement(RecordsetFunction::kGetdata, TableForQuery("Orders"));
    ExpectTexts({
        {"connection, todo", DataSourceText("C:\\data\\x.mdb", Context(2, true)),
         "&datasource(\"C:\\\\data\\\\x.mdb\")\r\n"
         "\t\t# TODO- you can insert a recordset after this line,\r\n"
         "\t\t# although you will probably want to place it inside an HTML page.\r\n\t\t|"},
        {"connection quoting", DataSourceText("PWD=a\"#?b", Context(0, false)),
         "&datasource(\"PWD=a\\\"\\#\\?b\")\r\n|"},
        {"recordset in a nested block", RecordsetBlock(getdata, Context(2, true)),
         "&getdata(\"SELECT * FROM Orders\")\r\n\t\t{\r\n"
         "\t\t\t# TODO- insert your database data and extra HTML after this line.\r\n"
         "\t\t\t|\r\n\t\t}\r\n\t\t"},
        {"recordset without todo at the top",
         RecordsetBlock(RecordsetStatement(RecordsetFunction::kSql, TableForQuery("Order Lines")),
                        Context(0, false)),
         "&sql(\"SELECT * FROM [Order Lines]\")\r\n{\r\n\t|\r\n}\r\n"},
        {"plain field",
         DatabaseDataText(FieldReference("Cost#1", true, -1), DataFormat::kNone, Context(1, true)),
         "?Cost\\#1?|"},
        {"date",
         DatabaseDataText(FieldReference("When", false, -1), DataFormat::kDate, Context(1, true)),
         "&defvar(?temp?)\r\n\t&format(?temp?,\"&d.d-m-y\",\"?When[-1]?\")\r\n"
         "\t# The user-defined variable on the following line contains your formatted data.\r\n"
         "\t?temp?\r\n\t&delete(?temp?)\r\n\t|"},
        {"time without todo",
         DatabaseDataText(FieldReference("When", true, 0), DataFormat::kTime, Context(0, false)),
         "&defvar(?temp?)\r\n&format(?temp?,\"&t.h:m:s\",\"?When?\")\r\n?temp?\r\n"
         "&delete(?temp?)\r\n|"},
        {"currency leaves the reference unquoted",
         DatabaseDataText("?Cost?", DataFormat::kCurrency, Context(0, false)),
         "&defvar(?temp?)\r\n&format(?temp?,\"%D.2f\",?Cost?)\r\n?temp?\r\n&delete(?temp?)\r\n|"},
        {"hyperlink has no defvar and no todo",
         DatabaseDataText("?Link?", DataFormat::kHyperlink, Context(1, true)),
         "&split(?temp?,\"?Link?\",\"\\#\")\r\n\t<A HREF=\"?temp[2]?\">?temp[1]?</A>\r\n"
         "\t&arraydelete(?temp?)\r\n\t|"},
    });
}

TEST(InsertDataTextTest, NamesAreEscapedForTheirPlace) {
    EXPECT_EQ(TableForQuery("Orders"), "Orders");
    EXPECT_EQ(TableForQuery("Order Lines"), "[Order Lines]");
    EXPECT_EQ(TableForQuery("Q&A #1"), "[Q\\&A \\#1]");
    EXPECT_EQ(TableForQuery("a\"b\\c?"), "[a\\\"b\\\\c\\?]");
    EXPECT_EQ(FieldForScript("a\\b&c{d}e#f?g"), "a\\\\b\\&c\\{d\\}e\\#f\\?g");
    EXPECT_EQ(FieldReference("Name", false, 12), "?Name[12]?");
    EXPECT_EQ(SqlName("Order Lines"), "[Order Lines]");
    EXPECT_EQ(SqlName("Orders"), "Orders");
}

TEST(InsertDataTextTest, OneToManyComparesNumbersAndTexts) {
    EXPECT_EQ(OneToManyStatement(RecordsetFunction::kGetdata, "Lines", "KindId", "Id", "I"),
              "&getdata(\"SELECT * FROM Lines WHERE KindId=?Id?\")");
    EXPECT_EQ(OneToManyStatement(RecordsetFunction::kSql, "Lines", "Kind", "Name", "T"),
              "&sql(\"SELECT * FROM Lines WHERE Kind LIKE '?Name?'\")");
    EXPECT_EQ(OneToManyStatement(RecordsetFunction::kGetdata, "[Order Lines]", "[Kind Id]",
                                 "KindId", "I"),
              "&getdata(\"SELECT * FROM [Order Lines] WHERE [Kind Id]=?KindId?\")");
    EXPECT_EQ(OneToManyStatement(RecordsetFunction::kSql, "Lines", "Kind", "Kind\\#Name", "T"),
              "&sql(\"SELECT * FROM Lines WHERE Kind LIKE '?Kind\\#Name?'\")");
}

TEST(InsertDataTextTest, OneToManyBlockFollowsTheCaretLine) {
    const std::string s = "&getdata(\"SELECT * FROM Lines WHERE KindId=?Id?\")\r\n";
    const std::string statement =
        OneToManyStatement(RecordsetFunction::kGetdata, "Lines", "KindId", "Id", "I");
    EXPECT_EQ(WithCaret(RecordsetBlock(statement, Context(2, true))),
              s + "\t\t{\r\n\t\t\t# TODO- insert your database data and extra HTML after this "
                  "line.\r\n\t\t\t|\r\n\t\t}\r\n\t\t");
    EXPECT_EQ(WithCaret(RecordsetBlock(statement, Context(0, false))), s + "{\r\n\t|\r\n}\r\n");
}

TEST(InsertStatementsTest, CutsOutWhatTheDialogsList) {
    EXPECT_EQ(TextBetweenQuotes("&html(\"a\"b.html\")"), "a\"b.html");
    EXPECT_EQ(TextBetweenQuotes("&defsub(\"x)"), "");
    EXPECT_EQ(TextBetweenQuotes("&defsub(x)"), "");
    EXPECT_EQ(TextBetweenQuotes("&getdata(\"SELECT * FROM \\\"a\\\"\")"),
              "SELECT * FROM \\\"a\\\"");
    EXPECT_EQ(TextBetweenQuotes("&getdata(x)"), "");
    EXPECT_EQ(TextBetweenQuotes("&getdata(\"x)"), "");

    const struct {
        const char* query;
        const char* cut;
    } queries[] = {
        {"SELECT * FROM t WHERE a=1", "SELECT * FROM t "},
        {"SELECT * FROM t where a=1", "SELECT * FROM t "},
        {"SELECT * FROM t\tWhErE a=1", "SELECT * FROM t\t"},
        {"SELECT somewhere FROM t WHERE a=1", "SELECT somewhere FROM t "},
        {"SELECT * FROM where_used", "SELECT * FROM where_used"},
        {"SELECT * FROM t", "SELECT * FROM t"},
        {"SELECT * FROM Kinds Where x=1 WHERE y=2", "SELECT * FROM Kinds "},
        {"SELECT * FROM [Kind List]\nWHERE(x=1)", "SELECT * FROM [Kind List]\n"},
    };
    for (const auto& q : queries) {
        SCOPED_TRACE(q.query);
        EXPECT_EQ(QueryBeforeWhere(q.query), q.cut);
    }

    EXPECT_EQ(VariableEntries({"&defvar(?a?, ?b?,?c?)", "&defvar(?total?)"}),
              (std::vector<std::string>{"?a?", "?b?", "?c?", "?total?"}));
    // An empty list defines nothing.
    EXPECT_EQ(VariableEntries({"&defvar(?a?, ?b? ,?c?)", "&defvar(?total?)", "&defvar()"}),
              (std::vector<std::string>{"?a?", "?b?", "?c?", "?total?"}));
    EXPECT_EQ(QuotedNames({"&defsub(\"pg\")", "&defsub(\"two\")"}),
              (std::vector<std::string>{"pg", "two"}));
}

TEST(InsertOtherTextTest, VariablePageSubroutineAndMailTexts) {
    HtmlPageAnswers page{"index.html", true, "pg"};
    EmailAnswers mail{"to@x.org", "me@x.org", "smtp.x.org", "Hello", true};
    EmailAnswers autoFormat = mail;
    autoFormat.noFormatting = false;
    ExpectTexts({
        {"variable", UserVariableText("total", Context(2, true)), "&defvar(?total?)\r\n\t\t|"},
        {"assign", DataAssignText("?total?", "?a?+sqrt(4)", Context(1, true)),
         "&assign(?total?,?a?+sqrt(4))\r\n\t|"},
        {"defsub", DefsubText("side", Context(1, true)),
         "&defsub(\"side\")\r\n\t{\r\n\t\t# TODO- insert your subroutine functions after this "
         "line.\r\n\t\t|\r\n\t}"},
        {"defsub without todo", DefsubText("side", Context(0, false)),
         "&defsub(\"side\")\r\n{\r\n\t|\r\n}"},
        {"gosub", GosubText("side"), "&side|"},
        {"page inside a subroutine", HtmlPageText(page, Context(1, true)),
         "&defsub(\"pg\")\r\n\t{\r\n\t\t&html(\"index.html\")\r\n\t\t{\r\n"
         "\t\t\t# TODO- insert your database recordset and/or HTML after this line.\r\n"
         "\t\t\t|\r\n\t\t}\r\n\t}"},
        {"page alone", HtmlPageText({"?name?#1.html", false, ""}, Context(0, false)),
         "&html(\"?name?\\#1.html\")\r\n{\r\n\t|\r\n}"},
        {"mail without formatting", EmailText(mail, Context(1, true)),
         "&sendmail(\"smtp.x.org\",\"me@x.org\",\"to@x.org\",formatnone)\r\n\t{\r\n"
         "HEADER:\r\nFrom: me@x.org\r\nTo: to@x.org\r\nSubject: Hello\r\n"
         "Date: ?quarndate.dn?, ?quarndate.d? ?quarndate.mn? ?quarndate.y? ?quarntime?\r\n"
         "BODY:\r\n|\r\n\t}"},
        {"mail auto-formatted", EmailText(autoFormat, Context(1, true)),
         "&sendmail(\"smtp.x.org\",\"me@x.org\",\"to@x.org\")\r\n\t{\r\n"
         "\t\tHEADER:\r\n\t\tFrom: me@x.org\r\n\t\tTo: to@x.org\r\n\t\tSubject: Hello\r\n"
         "\t\tDate: ?quarndate.dn?, ?quarndate.d? ?quarndate.mn? ?quarndate.y? ?quarntime?\r\n"
         "\t\tBODY:\r\n\t\t|\r\n\t}"},
    });
}

TEST(InsertOtherTextTest, ProcessHtmlCountsCharactersAndSubstitutions) {
    const ProcessedHtml six = ProcessHtml("{ab}#c");
    EXPECT_EQ(six.text, "\\{ab\\}\\#c");
    EXPECT_EQ(six.report, "6 characters processed, 3 substitutions made.");
    EXPECT_EQ(ProcessHtml("").report, "0 characters processed, 0 substitutions made.");
    const ProcessedHtml utf8 = ProcessHtml("é&?\\");
    EXPECT_EQ(utf8.text, "é\\&\\?\\\\");
    EXPECT_EQ(utf8.report, "4 characters processed, 3 substitutions made.");
}

TEST(DecisionTextTest, TestLineByAnswers) {
    struct Case {
        const char* what;
        DecisionAnswers answers;
        const char* line;
    };
    const auto field = [](int test, std::string name) {
        DecisionAnswers a;
        a.source = DecisionAnswers::kField;
        a.test = test;
        a.sourceName = std::move(name);
        return a;
    };
    const auto variable = [](int test, std::string name) {
        DecisionAnswers a;
        a.source = DecisionAnswers::kVariable;
        a.test = test;
        a.sourceName = std::move(name);
        return a;
    };
    std::vector<Case> cases = {
        {"logical field", field(0, "Paid"), "&if(?Paid?)"},
        {"logical variable", variable(0, "flag"), "&if(?flag?)"},
        {"field with # is escaped", field(0, "Cost#1"), "&if(?Cost\\#1?)"},
    };
    const char* relations[] = {"==", "!=", "<", "<=", ">", ">="};
    for (int r = 0; r < 6; ++r) {
        DecisionAnswers a = field(1, "Cost");
        a.currentRecordset = false;
        a.index = -1;
        a.testValue = "10";
        a.testChoice = r;
        cases.push_back({relations[r], a, nullptr});
    }
    const char* text[] = {
        "&if(\"it's\",eq.nc,\"?v?\")", "&if(\"it's\",ne.nc,\"?v?\")", "&if(\"?v?\",in.nc,\"it's\")",
        "&if(\"it's\",in.nc,\"?v?\")", "&if(\"?v?\",ni.nc,\"it's\")", "&if(\"it's\",ni.nc,\"?v?\")",
    };
    for (int c = 0; c < 6; ++c) {
        DecisionAnswers a = variable(2, "v");
        a.testValue = "it's";
        a.testChoice = c;
        cases.push_back({text[c], a, text[c]});
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.line == nullptr) {
            EXPECT_EQ(DecisionTestLine(c.answers), std::string("&if(?Cost[-1]?") + c.what + "10)");
        } else {
            EXPECT_EQ(DecisionTestLine(c.answers), c.line);
        }
    }
    DecisionAnswers sensitive = variable(2, "v");
    sensitive.testValue = "say \"#1\" ?name? C:\\x";
    sensitive.caseSensitive = true;
    EXPECT_EQ(DecisionTestLine(sensitive), "&if(\"say \\\"\\#1\\\" ?name? C:\\\\x\",eq,\"?v?\")");
}

TEST(DecisionTextTest, BlocksWithAndWithoutElse) {
    DecisionAnswers a;
    a.sourceName = "Paid";
    a.includeElse = true;
    EXPECT_EQ(WithCaret(DataDecisionText(a, Context(1, false))),
              "&if(?Paid?)\r\n\t{\r\n\t\t|\r\n\t}\r\n\t&else\r\n\t{\r\n\t\t\r\n\t}\r\n\t");
    a.includeElse = false;
    EXPECT_EQ(WithCaret(DataDecisionText(a, Context(0, true))),
              "&if(?Paid?)\r\n{\r\n\t# TODO- insert the HTML/script functions that you want to "
              "happen if the test evaluates TRUE after this line.\r\n\t|\r\n}\r\n");
    a.includeElse = true;
    const std::string withTodo = DataDecisionText(a, Context(0, true)).text;
    EXPECT_NE(
        withTodo.find("&else\r\n{\r\n\t# TODO- insert the HTML/script functions that you want "
                      "to happen if the test evaluates FALSE after this line.\r\n\t\r\n}\r\n"),
        std::string::npos);
}

TEST(HtmlTagTextTest, TagsByAnswers) {
    EXPECT_EQ(FontTag("", "#ff0000", ""), "<FONT COLOR=\"\\#ff0000\">");
    EXPECT_EQ(FontTag("", "red", ""), "<FONT COLOR=\"red\">");
    EXPECT_EQ(FontTag("Arial", "", "3"), "<FONT FACE=\"Arial\" SIZE=\"3\">");
    EXPECT_EQ(FontTag("", "", ""), "<FONT>");
    EXPECT_EQ(ImageTag("logo.gif", 4, ""), "<IMG SRC=\"logo.gif\" ALIGN=MIDDLE>");
    EXPECT_EQ(ImageTag("a#b.gif", 0, "A & B ?x? #1"),
              "<IMG SRC=\"a\\#b.gif\" ALT=\"A \\& B \\?x\\? \\#1\">");
    EXPECT_EQ(HyperlinkTag("page?id?.html#top"), "<A HREF=\"page?id?.html\\#top\">");
    EXPECT_EQ(HyperlinkEntries({"&html(\"page\\#1 ?id?.html\")"}),
              std::vector<std::string>{"page#1 ?id?.html"});
    EXPECT_EQ(HtmlTagPrompt("<B>"), "Insert <B> tag. Press shift to insert closing tag.");
    EXPECT_EQ(PlainHtmlTagCommands().size(), 13u);
}

TEST(HtmlTagTextTest, TableRowsAndCellsAtTheCaretIndent) {
    EXPECT_EQ(WithCaret(TableText({"", "", "", 3, 0}, Context(1, true))),
              "<TABLE>\r\n\t</TABLE>\r\n\t|");
    const std::string twoByThree = TableText({"2", "", "1", 3, 2}, Context(0, true)).text;
    EXPECT_EQ(twoByThree,
              "<TABLE CELLPADDING=\"2\" BORDER=\"1\">\r\n"
              "<TR>\r\n<TD></TD>\r\n<TD></TD>\r\n<TD></TD>\r\n</TR>\r\n"
              "<TR>\r\n<TD></TD>\r\n<TD></TD>\r\n<TD></TD>\r\n</TR>\r\n</TABLE>\r\n");
}

}  // namespace
