// The texts of the one-to-many, data decision and table commands, with the caret in a nested
// block and at the top level, with and without TODO lines.

#include <gtest/gtest.h>

#include "tolvane/decision_text.h"
#include "tolvane/html_tag_text.h"
#include "tolvane/onetomany_text.h"

namespace {

// The text with "|" where the caret goes.
std::string WithCaret(const InsertText& insert) {
    std::string shown = insert.text;
    shown.insert(insert.caret, "|");
    return shown;
}

TEST(OneToManyTextTest, StatementByKeyKindAndFunction) {
    OneToManyAnswers numeric{0, "[Order Lines]", "KindId", "[Kind Id]", "I"};
    EXPECT_EQ(OneToManyStatement(numeric),
              "&getdata(\"SELECT * FROM [Order Lines] WHERE [Kind Id]=?KindId?\")");
    OneToManyAnswers text{1, "Lines", "Kind\\#Name", "Kind", "T"};
    EXPECT_EQ(OneToManyStatement(text),
              "&sql(\"SELECT * FROM Lines WHERE Kind LIKE '?Kind\\#Name?'\")");
}

TEST(OneToManyTextTest, BlockFollowsTheCaretLine) {
    const OneToManyAnswers answers{0, "Lines", "Id", "KindId", "I"};
    const std::string s = "&getdata(\"SELECT * FROM Lines WHERE KindId=?Id?\")\r\n";
    EXPECT_EQ(WithCaret(OneToManyRecordsetText(answers, {2, true})),
              s + "\t\t{\r\n\t\t\t# TODO- insert your database data and extra HTML after this "
                  "line.\r\n\t\t\t|\r\n\t\t}\r\n\t\t");
    EXPECT_EQ(WithCaret(OneToManyRecordsetText(answers, {0, false})), s + "{\r\n\t|\r\n}\r\n");
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
    EXPECT_EQ(WithCaret(DataDecisionText(a, {1, false})),
              "&if(?Paid?)\r\n\t{\r\n\t\t|\r\n\t}\r\n\t&else\r\n\t{\r\n\t\t\r\n\t}\r\n\t");
    a.includeElse = false;
    EXPECT_EQ(WithCaret(DataDecisionText(a, {0, true})),
              "&if(?Paid?)\r\n{\r\n\t# TODO- insert the HTML/script functions that you want to "
              "happen if the test evaluates TRUE after this line.\r\n\t|\r\n}\r\n");
    a.includeElse = true;
    const std::string withTodo = DataDecisionText(a, {0, true}).text;
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
    EXPECT_EQ(ImageTag("a#b.gif", 0, "A ?x? #1"), "<IMG SRC=\"a\\#b.gif\" ALT=\"A ?x? \\#1\">");
    EXPECT_EQ(HyperlinkTag("page\\#1.html#top"), "<A HREF=\"page\\#1.html\\#top\">");
    EXPECT_EQ(HtmlTagPrompt("<B>"), "Insert <B> tag. Press shift to insert closing tag.");
    EXPECT_EQ(PlainHtmlTagCommands().size(), 13u);
}

TEST(HtmlTagTextTest, TableRowsAndCellsAtTheCaretIndent) {
    EXPECT_EQ(WithCaret(TableText({"", "", "", 3, 0}, {1, true})), "<TABLE>\r\n\t</TABLE>\r\n\t|");
    const std::string twoByThree = TableText({"2", "", "1", 3, 2}, {0, true}).text;
    EXPECT_EQ(twoByThree,
              "<TABLE CELLPADDING=\"2\" BORDER=\"1\">\r\n"
              "<TR>\r\n<TD></TD>\r\n<TD></TD>\r\n<TD></TD>\r\n</TR>\r\n"
              "<TR>\r\n<TD></TD>\r\n<TD></TD>\r\n<TD></TD>\r\n</TR>\r\n</TABLE>\r\n");
}

}  // namespace
