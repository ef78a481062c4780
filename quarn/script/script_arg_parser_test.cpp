#include "quarn/script/script_arg_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string kError32 = "ERROR 32- arithmetic/Boolean expression contains syntax errors.";
const std::string kError33 = "ERROR 33- arithmetic/Boolean expression contains illegal characters.";
const std::string kError34 = "ERROR 34- divide by zero in arithmetic/Boolean expression.";
const std::string kError44 = "ERROR 44- syntax error in function argument.";
const std::string kError45 = "ERROR 45- newline character found in text string.";
const std::string kError46 = "ERROR 46- newline found in expression.";
const std::string kError47 = "ERROR 47- syntax error in text string.";
const std::string kError49 = "ERROR 49- premature end of script.";
const std::string kError54 = "ERROR 54- unrecognised variable name.";
const std::string kError57 = "ERROR 57- closing character not found on variable name or index.";

// A call as the call parser leaves it for ParseArgs: the text starts with the ampersand call
// "&f" or the tag call "<ff", and m_nPos is on the character after the name.
struct ParseCase {
    std::string text;
    std::vector<std::string> args;
    // The text from where m_nPos is left: the caller's next step goes one beyond it.
    std::string at;
    std::string error;
};

bool IsTagCall(const std::string& text) {
    return text.rfind("<ff", 0) == 0;
}

void ExpectParse(CScriptArgParser& parser, const ParseCase& row) {
    SCOPED_TRACE("text: " + row.text);
    parser.m_strText = row.text;
    parser.m_bTagForm = IsTagCall(row.text);
    parser.m_nPos = parser.m_bTagForm ? 3 : 2;
    const int result = parser.ParseArgs();
    if (!row.error.empty()) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(parser.m_strMessage, row.error);
        return;
    }
    ASSERT_EQ(result, 1) << parser.m_strMessage;
    EXPECT_EQ(parser.m_astrArgs, row.args);
    EXPECT_EQ(parser.m_nArgCount, static_cast<int>(row.args.size()));
    ASSERT_GE(parser.m_nPos, 0);
    EXPECT_EQ(row.text.substr(static_cast<std::size_t>(parser.m_nPos)), row.at);
}

TEST(ScriptArgParser, SplitsArgumentLists) {
    // One parser for every row, so nothing of one call may leak into the next.
    CScriptArgParser parser(nullptr);
    const std::vector<ParseCase> rows = {
        // No arguments.
        {"&f()x", {}, ")x", ""},
        {"&f(  )x", {}, ")x", ""},
        {"&f x", {}, " x", ""},
        {"&fx", {}, "fx", ""},
        {"&f{x}", {}, "{x}", ""},
        {"&f  {x}", {}, "{x}", ""},
        {"&f", {}, "", ""},
        {"&f  ", {}, "", ""},
        {"<ff>x", {}, ">x", ""},
        {"<ff   >x", {}, ">x", ""},
        // The blanks and line ends after a call belong to the call: m_nPos is left on the last.
        {"&f() \r\n\t x", {}, " x", ""},
        {"&f(1)  \r\nx", {"1"}, "\nx", ""},
        {"&f(1)", {"1"}, ")", ""},
        {"&f(1)  ", {"1"}, " ", ""},
        {"<ff 1>  x", {"1"}, " x", ""},
        // Quoted arguments keep their quotes and backslash pairs as written.
        {"&f(\"text\")", {"\"text\""}, ")", ""},
        {"&f(\"a\\\"b\", \"c\")", {"\"a\\\"b\"", "\"c\""}, ")", ""},
        {"&f(\"a,b)c\")", {"\"a,b)c\""}, ")", ""},
        {"&f( \"q\" , \"r\" )", {"\"q\"", "\"r\""}, ")", ""},
        {"&f(\"\\\\\")", {"\"\\\\\""}, ")", ""},
        {"&f(\"esc\\\nline\")", {"\"esc\\\nline\""}, ")", ""},
        {"&f(\"cr\rok\")", {"\"cr\rok\""}, ")", ""},
        // Plain arguments are trimmed; a comma always ends one.
        {"&f( 1 + 2 ,\t?x? )", {"1 + 2", "?x?"}, ")", ""},
        {"&f(a(b)c, d)", {"a(b)c", "d"}, ")", ""},
        {"&f(max(a,b))", {"max(a", "b"}, "))", ""},
        {"&f(1>2)", {"1>2"}, ")", ""},
        {"&f(\"a\", 2, x)", {"\"a\"", "2", "x"}, ")", ""},
        // Tag form: '>' ends the list, ')' is text, '>' inside quotes is text.
        {"<ff \"x\", 2>rest", {"\"x\"", "2"}, ">rest", ""},
        {"<ff a)b>", {"a)b"}, ">", ""},
        {"<ff (a>b)>", {"(a"}, ">b)>", ""},
        {"<ff \"a>b\">", {"\"a>b\""}, ">", ""},
        {"<ff 1)>", {"1)"}, ">", ""},
        // A line break before "(" still leaves the list to the call.
        {"&f\n(1)", {"1"}, ")", ""},
        // Errors.
        {"&f(,1)", {}, "", kError44},
        {"&f(1,)", {}, "", kError44},
        {"&f(1,,2)", {}, "", kError44},
        {"&f(1, )", {}, "", kError44},
        {"&f(\"a\" b)", {}, "", kError44},
        {"&f(\"a\"b)", {}, "", kError44},
        {"<ff \"a\" b>", {}, "", kError44},
        {"<ff ,>", {}, "", kError44},
        {"&f(\"a\nb\")", {}, "", kError45},
        {"&f(1\n)", {}, "", kError46},
        {"&f(1,\n2)", {"1", "2"}, ")", ""},
        {"<ff 1\n>", {}, "", kError46},
        {"&f(", {}, "", kError49},
        {"&f(   ", {}, "", kError49},
        {"&f(1", {}, "", kError49},
        {"&f(1, ", {}, "", kError49},
        {"&f(\"abc", {}, "", kError49},
        {"&f(\"abc\\", {}, "", kError49},
        {"&f(\"abc\"", {}, "", kError49},
        {"&f(\"abc\"  ", {}, "", kError49},
        {"<ff 1)", {}, "", kError49},
    };
    for (const ParseCase& row : rows)
        ExpectParse(parser, row);
}

TEST(ScriptArgParser, SkipsBytesUpToBlank) {
    CScriptArgParser parser(nullptr);
    std::string text;
    for (int byte = 0; byte <= ' '; ++byte)
        text += static_cast<char>(byte);
    parser.m_strText = text + "\x80";
    parser.m_nPos = 0;
    EXPECT_EQ(parser.SkipBlanks(), 1);
    EXPECT_EQ(parser.m_nPos, static_cast<int>(text.size()));

    parser.m_strText = " \t\r\n";
    parser.m_nPos = 0;
    EXPECT_EQ(parser.SkipBlanks(), 0);
    EXPECT_EQ(parser.m_strMessage, kError49);
}

// One evaluation: the result text when error is empty, else the exact failure message.
struct EvalCase {
    enum Kind { kString, kNumber, kEither };
    Kind kind;
    std::string raw;
    std::string expected;
    std::string error;
};

class ScriptArgParserEvalTest : public testing::Test {
protected:
    ScriptArgParserEvalTest() {
        Define("v", "5");
        Define("s", "text");
        Define("r", "?v?");
        Define("q", "say \"x\"");
    }

    void Define(std::string_view name, std::string_view value) {
        m_parser.m_astrVarNames.emplace_back(name);
        m_parser.m_astrVarValues.emplace_back(value);
    }

    int Evaluate(EvalCase::Kind kind, std::string_view raw) {
        switch (kind) {
            case EvalCase::kString:
                return m_parser.EvalStringArg(raw);
            case EvalCase::kNumber:
                return m_parser.EvalNumberArg(raw);
            case EvalCase::kEither:
                break;
        }
        return m_parser.EvalArg(raw);
    }

    CScriptArgParser m_parser{nullptr};
};

TEST_F(ScriptArgParserEvalTest, EvaluatesArguments) {
    using K = EvalCase;
    const std::vector<EvalCase> rows = {
        // Quoted text: expanded, without its quotes.
        {K::kString, "\"abc\"", "abc", ""},
        {K::kString, "\"\"", "", ""},
        {K::kString, "\"a\\\"b\"", "a\"b", ""},
        {K::kString, "\"tab\\tx\\n\"", "tab\tx\n", ""},
        {K::kString, "\"?s? and ?v?\"", "text and 5", ""},
        {K::kString, "\"?r?\"", "?v?", ""},
        {K::kString, "\"?q?\"", "say \"x\"", ""},
        {K::kString, "\"a\\\"", "a", ""},
        {K::kString, "abc", "", kError47},
        {K::kString, "\"abc", "", kError47},
        {K::kString, "abc\"", "", kError47},
        {K::kString, "\"", "", kError47},
        {K::kString, "", "", kError47},
        {K::kString, "\"?nosuch?\"", "", kError54},
        {K::kString, "\"?open\"", "", kError57},
        // Numbers: expanded, then evaluated. A bare word goes to the evaluator as it stands.
        {K::kNumber, "1 + 2", "3", ""},
        {K::kNumber, "?v? * 2", "10", ""},
        {K::kNumber, "okcancel", "1", ""},
        {K::kNumber, "10 / 4", "2.5", ""},
        {K::kNumber, "", "", ""},
        {K::kNumber, "v * 2", "", kError33},
        {K::kNumber, "\"5\"", "", kError33},
        {K::kNumber, "1 +", "", kError32},
        {K::kNumber, "1 / 0", "", kError34},
        {K::kNumber, "?nosuch? + 1", "", kError54},
        // A value is expanded once: a reference inside a value stays text.
        {K::kNumber, "?r?", "", kError33},
        // Either: quoted text or a number.
        {K::kEither, "\"x?v?\"", "x5", ""},
        {K::kEither, "\"1 + 2\"", "1 + 2", ""},
        {K::kEither, "?v?+1", "6", ""},
        {K::kEither, "?r?", "", kError33},
        {K::kEither, "\"?r?\"", "?v?", ""},
        {K::kEither, "\"abc", "", kError47},
        {K::kEither, "\"?v?", "", kError47},
        {K::kEither, "\"", "", kError47},
        {K::kEither, "\"?open", "", kError57},
        {K::kEither, "2 *", "", kError32},
    };
    for (const EvalCase& row : rows) {
        SCOPED_TRACE("raw: " + row.raw + " as " + std::to_string(row.kind));
        const int result = Evaluate(row.kind, row.raw);
        if (row.error.empty()) {
            EXPECT_EQ(result, 1) << m_parser.m_strMessage;
            EXPECT_EQ(m_parser.m_strMessage, row.expected);
        } else {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(m_parser.m_strMessage, row.error);
        }
    }
}

TEST_F(ScriptArgParserEvalTest, EvaluatesTheMessageStringItself) {
    const EvalCase::Kind kinds[] = {EvalCase::kString, EvalCase::kEither};
    for (EvalCase::Kind kind : kinds) {
        SCOPED_TRACE(kind);
        m_parser.m_strMessage = "\"<?v?>\"";
        EXPECT_EQ(Evaluate(kind, m_parser.m_strMessage), 1);
        EXPECT_EQ(m_parser.m_strMessage, "<5>");
    }
    m_parser.m_strMessage = "?v? + 1";
    EXPECT_EQ(m_parser.EvalNumberArg(m_parser.m_strMessage), 1);
    EXPECT_EQ(m_parser.m_strMessage, "6");
}

TEST_F(ScriptArgParserEvalTest, FailedEvaluationKeepsTheArguments) {
    m_parser.m_strText = "&f(1 / 0, \"?nosuch?\", \"unterminated)";
    m_parser.m_nPos = 2;
    ASSERT_EQ(m_parser.ParseArgs(), 0);
    m_parser.m_strText = "&f(1 / 0, \"?nosuch?\", 2 +)";
    m_parser.m_nPos = 2;
    ASSERT_EQ(m_parser.ParseArgs(), 1) << m_parser.m_strMessage;
    const std::vector<std::string> parsed = m_parser.m_astrArgs;
    ASSERT_EQ(parsed.size(), 3u);

    EXPECT_EQ(m_parser.EvalNumberArg(m_parser.m_astrArgs[0]), 0);
    EXPECT_EQ(m_parser.m_strMessage, kError34);
    EXPECT_EQ(m_parser.EvalStringArg(m_parser.m_astrArgs[1]), 0);
    EXPECT_EQ(m_parser.m_strMessage, kError54);
    EXPECT_EQ(m_parser.EvalArg(m_parser.m_astrArgs[2]), 0);
    EXPECT_EQ(m_parser.m_strMessage, kError32);
    EXPECT_EQ(m_parser.EvalStringArg(m_parser.m_astrArgs[0]), 0);
    EXPECT_EQ(m_parser.m_strMessage, kError47);
    EXPECT_EQ(m_parser.m_astrArgs, parsed);
    EXPECT_EQ(m_parser.m_nArgCount, 3);
}

}  // namespace
