#include "tolvane/preview_extractor.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// The page text, or nullopt when the extraction failed.
std::optional<std::string> Page(const std::string& script, const std::string& name = "a.html") {
    CPreviewExtractor extractor;
    if (!extractor.BuildPage(script, name)) return std::nullopt;
    return std::string(extractor.Output().GetWrittenText());
}

struct PageCase {
    const char* what;
    const char* script;
    std::optional<std::string> page;
};

TEST(PreviewExtractorTest, CutsOnePageAsTheBrowserShouldSeeIt) {
    const PageCase cases[] = {
        {"plain page", "&html(\"a.html\") {\n  <p>Hello</p>\n}\n", "<p>Hello</p>\n"},
        {"the page named, not the first", "&html(\"b.html\"){B}&html(\"a.html\"){A}", "A"},
        {"only the TRUE branch of a decision", "&html(\"a.html\"){<p>&if(?x?=1){yes}&else{no}</p>}",
         "<p>yes</p>"},
        {"nested braces are not text", "&html(\"a.html\"){<div>{x}</div>}", "<div>x</div>"},
        {"a nested page is left out", "&html(\"a.html\"){A &html(\"b.html\"){B} C}", "A  C"},
        {"text after the page does not leak", "&html(\"a.html\"){x}y\n&html(\"c\"){z}", "x"},
        {"subroutine inlined",
         "&defsub(\"head\"){<h1>H</h1>}\n&html(\"a.html\"){&head()<p>body</p>}",
         "<h1>H</h1><p>body</p>"},
        {"subroutine called without parentheses", "&defsub(\"s\"){S}&html(\"a.html\"){&s\nT}",
         "ST"},
        {"a subroutine's decision keeps its TRUE branch",
         "&defsub(\"s\"){&if(1){in}&else{out}}&html(\"a.html\"){[&s()]}", "[in]"},
        {"escaped characters lose the backslash", "&html(\"a.html\"){a \\& b \\# c \\{d\\}}",
         "a & b # c {d}"},
        {"a comment goes with its line end", "&html(\"a.html\"){<p>a # note\nb</p>}", "<p>a b</p>"},
        {"leading blanks and empty lines go", "&html(\"a.html\"){\n   <p>\n\n\t  x\n}", "<p>\nx\n"},
        {"substitutions stay", "&html(\"a.html\"){<b>?name?</b>}", "<b>?name?</b>"},
        {"include and voidfunction are built-ins",
         "&html(\"a.html\"){&include(\"x.scp\")&voidfunction(?a?)ok}", "ok"},
        {"a page without a block", "&html(\"a.html\")", ""},
        {"a block the text ends inside", "&html(\"a.html\"){<p>open", "<p>open"},
        {"a call inside a comment is not the page",
         "# &html(\"a.html\"){no}\n&html(\"a.html\"){yes}", "yes"},
        {"missing page", "&html(\"b.html\"){B}", std::nullopt},
        {"missing subroutine", "&html(\"a.html\"){&nosuch()}", std::nullopt},
        {"missing subroutine in the FALSE branch too",
         "&html(\"a.html\"){&if(1){a}&else{&nosuch()}}", std::nullopt},
        {"a subroutine that calls itself", "&defsub(\"r\"){x&r()}&html(\"a.html\"){&r()}",
         std::nullopt},
        {"subroutines calling each other in a ring",
         "&defsub(\"p\"){&q()}&defsub(\"q\"){&p()}&html(\"a.html\"){&p()}", std::nullopt},
    };
    for (const PageCase& c : cases)
        EXPECT_EQ(Page(c.script), c.page) << c.what;
}

TEST(PreviewExtractorTest, TheSameSubroutineTwiceIsNoRecursion) {
    EXPECT_EQ(Page("&defsub(\"s\"){S}&html(\"a.html\"){&s()-&s()}"), "S-S");
}

TEST(PreviewExtractorTest, SubroutinesNestDeeplyUpToTheLimit) {
    // s0 calls s1 ... calls sN, which holds the text.
    const auto chain = [](int depth) {
        std::string script;
        for (int i = 0; i < depth; ++i)
            script += "&defsub(\"s" + std::to_string(i) + "\"){&s" + std::to_string(i + 1) + "()}";
        script += "&defsub(\"s" + std::to_string(depth) + "\"){end}";
        return script + "&html(\"a.html\"){&s0()}";
    };
    EXPECT_EQ(Page(chain(CPreviewExtractor::kMaxSubroutineDepth - 1)), "end");
    EXPECT_EQ(Page(chain(CPreviewExtractor::kMaxSubroutineDepth)), std::nullopt);
}

TEST(PreviewExtractorTest, ASecondPageStartsOver) {
    CPreviewExtractor extractor;
    const std::string script = "&html(\"a\"){A}&html(\"b\"){B}";
    ASSERT_TRUE(extractor.BuildPage(script, "a"));
    ASSERT_TRUE(extractor.BuildPage(script, "b"));
    EXPECT_EQ(extractor.Output().GetWrittenText(), "B");
}

}  // namespace
