#include "tolvane/edit_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(EditRulesTest, BlockIndentAndOutdent) {
    struct Case {
        const char* block;
        bool outdent;
        const char* result;
        int change;
    } cases[] = {
        {"a\n\tb\nc", false, "\ta\n\t\tb\n\tc", 3},
        {"\ta\n\t\tb\nc", true, "a\n\tb\nc", -2},
        {"x\t\ty", true, "x\t\ty", 0},
        {"", false, "\t", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        int change = 0;
        EXPECT_EQ(IndentBlock(c.block, c.outdent, change), c.result);
        EXPECT_EQ(change, c.change);
    }
}

TEST(EditRulesTest, AutoTabBreakAndIndentLevel) {
    EXPECT_EQ(AutoTabBreak("\t\t&if(?a?){"), "\n\t\t\t");
    EXPECT_EQ(AutoTabBreak("\t\ttext"), "\n\t\t");
    EXPECT_EQ(AutoTabBreak(""), "\n");
    EXPECT_EQ(IndentLevel(std::string(40000, '\t')), 32000);
    EXPECT_EQ(LastLineChar("ab{"), '{');
    EXPECT_EQ(LastLineChar(""), 0);
}

// The closing brace takes the TAB before the caret only when there is one there.
TEST(EditRulesTest, BraceReplacesOnlyATabBeforeTheCaret) {
    EXPECT_TRUE(BraceReplacesTab("\t\t", 2));
    EXPECT_FALSE(BraceReplacesTab("x\t", 1));
    EXPECT_FALSE(BraceReplacesTab("\tx", 2));
    EXPECT_FALSE(BraceReplacesTab("\t", 0));
}

TEST(EditRulesTest, HtmlTagInsertion) {
    struct Case {
        const char* tag;
        bool openClose;
        bool shift;
        const char* text;
        std::size_t caret;
    } cases[] = {
        {"<TABLE>", true, false, "<TABLE></TABLE>", 7},
        {"<IMG SRC=\"\">", true, false, "<IMG SRC=\"\">", 12},
        {"<FRAMESET>", true, false, "<FRAMESET>", 10},
        {"<A HREF=\"\">", true, false, "<A HREF=\"\"></A>", 11},
        {"<B>", false, false, "<B>", 3},
        {"<B>", false, true, "</B>", 4},
        {"<BR>", false, true, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        const TagInsertion insertion = HtmlTagInsertion(c.tag, c.openClose, c.shift);
        EXPECT_EQ(insertion.text, c.text);
        EXPECT_EQ(insertion.caret, c.caret);
    }
}

TEST(EditRulesTest, CollectStatements) {
    const std::string text =
        "&sql(SELECT * FROM t)\n"
        "&sqlnr(SELECT 1)\n"
        "# &sql(commented)\n"
        "&sql (spaced) # a comment\n"
        "&sql(open\n"
        "&sql(\"(\") tail)\n"
        "&sql";
    const std::vector<std::string> expected = {"&sql(SELECT * FROM t)", "&sql (spaced)",
                                               "&sql(open", "&sql(\"(\") tail)"};
    EXPECT_EQ(CollectStatements(text, "&sql"), expected);
}

// A "#" ends a line's code only before the keyword, also when the previous statement ended on
// the same line.
TEST(EditRulesTest, CommentsCountFromThePreviousStatementOnTheSameLine) {
    EXPECT_EQ(CollectStatements("&html(\"a\") &html(\"b\")", "&html"),
              (std::vector<std::string>{"&html(\"a\")", "&html(\"b\")"}));
    EXPECT_EQ(CollectStatements("&html(\"a#\") &html(\"b\")", "&html"),
              (std::vector<std::string>{"&html(\"a#\")", "&html(\"b\")"}));
    EXPECT_EQ(CollectStatements("x # &html(\"b\")", "&html"), std::vector<std::string>{});
}

TEST(EditRulesTest, ClampLine) {
    EXPECT_EQ(ClampLine(5, 3), 2);
    EXPECT_EQ(ClampLine(-4, 3), 0);
    EXPECT_EQ(ClampLine(1, 0), 0);
}

}  // namespace
