#include "quarn/script/expr_evaluator.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/c_locale.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"

namespace {

constexpr int kSyntax = 32;
constexpr int kIllegal = 33;
constexpr int kDivide = 34;

struct Case {
    std::string_view expression;
    std::string_view value;  // the result text when error is 0
    int error = 0;
};

Case Fails(std::string_view expression, int error) {
    return Case{expression, {}, error};
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        // Empty after leading white space.
        {"", ""},
        {"   ", ""},
        {" \t\n 5", "5"},
        // Precedence and grouping: one level's operators group from left to right.
        {"1 + 2 * 3", "7"},
        {"(1 + 2) * 3", "9"},
        {"10 - 2 * 3", "4"},
        {"8 - 3 - 2", "3"},
        {"1 - 1 + 1", "1"},
        {"8 / 4 / 2", "1"},
        {"2 / 2 * 3", "3"},
        {"2 * 3 % 4", "2"},
        {"1 || 0 && 0", "0"},
        {"1 | 2 == 3", "1"},
        {"1 & 3 == 3", "1"},
        {"3 > 2 > 1", "0"},
        {"1 + 2 < 4", "1"},
        {"atan 1 * 4", "3.14159265358979"},
        // Arithmetic.
        {"10 / 4", "2.5"},
        {"10 /i 4", "2"},
        {"-7 /i 2", "-3"},
        {"9 /i 2.5", "3"},
        {"4 /i 0.5", "8"},
        {"-7 % 3", "-1"},
        {"7 % -3", "1"},
        {"5 % 2.9", "1"},
        {"2147483648 % -1", "0"},
        {"-2147483648 % -1", "-0"},  // the sign applies to 2147483648 % -1
        {"1000000 * 1000000", "1000000000000"},
        // Bitwise operators on the low 32 bits; ^ is exclusive or.
        {"2 ^ 3", "1"},
        {"~0", "-1"},
        {"5 & 3", "1"},
        {"5 | 3", "7"},
        {"4294967297 & 3", "1"},
        {"2147483647 + 1 | 0", "-2147483648"},
        {"1e30 | 0", "0"},
        // Comparisons and logic give exactly 1 or 0.
        {"1 == 1", "1"},
        {"1 != 1", "0"},
        {"1 <= 1", "1"},
        {"2 >= 3", "0"},
        {"2 lt 3", "1"},
        {"2 gt 3", "0"},
        {"3 le 3", "1"},
        {"2 ge 3", "0"},
        {"2 && 3", "1"},
        {"0 || 0", "0"},
        {"true && false", "0"},
        // Number texts and formatting.
        {"1 / 3", "0.333333333333333"},
        {"-0", "-0"},
        {"pi", "3.141592654"},
        {"2 * PI", "6.283185308"},
        {"1e+3", "1000"},
        {"1e-3", "0.001"},
        {"1E3", "1000"},
        {"1e++3", "1000"},
        {"1 2", "12"},
        {"1 . 5", "1.5"},
        {".5", "0.5"},
        {".", "0"},
        {"1.5.5", "1.5"},
        {"2e", "2"},
        {"1e20", "1e+20"},
        {"0.00001", "1e-05"},
        {"123456789012345678", "1.23456789012346e+17"},
        {"0.1 + 0.2", "0.3"},
        {"1e-400", "0"},
        Fails("e5", kSyntax),
        Fails("e-5", kSyntax),
        // Values that are not finite.
        {"1e400", "inf"},
        {"-1e400", "-inf"},
        {"sqrt(-1)", "nan"},
        {"ln 0", "-inf"},
        {"asin 2", "nan"},
        {"sqrt(-1) == sqrt(-1)", "0"},
        {"sqrt(-1) != 1", "1"},
        {"~(sqrt(-1))", "-1"},
        // Functions.
        {"int(-2.5)", "-2"},
        {"int(2.7)", "2"},
        {"int(-2.7)", "-2"},
        {"int(4294967297)", "1"},
        {"int(2147483648)", "-2147483648"},
        {"int(1e19)", "0"},
        {"abs(-3)", "3"},
        {"abs -3", "3"},
        {"sqrt(16)", "4"},
        {"alog10(2)", "100"},
        {"log10(1000)", "3"},
        {"sin 0", "0"},
        {"cos 0", "1"},
        {"tan 0", "0"},
        {"acos 1", "0"},
        {"asin 1", "1.5707963267949"},
        {"exp(1)", "2.71828182845905"},
        {"ln(1)", "0"},
        {"sin(cos(1))", "0.514395258523549"},
        // Words, also inside longer words; case is ignored.
        {"yes", "6"},
        {"ok", "1"},
        {"no", "7"},
        {"cancel", "2"},
        {"okcancel+iconquestion", "33"},
        {"OKCANCEL", "1"},
        {"yesnocancel", "3"},
        {"yesno", "4"},
        {"nodel", "128"},
        {"del", "0"},
        {"notrue", "71"},
        {"iconinformation", "64"},
        {"hexconv | nohexconv", "6"},
        Fails("bytes", kIllegal),
        Fails("o k", kIllegal),
        // Signs and prefix operators.
        {"-5", "-5"},
        {"(-5)", "-5"},
        {"+5", "5"},
        {"--1", "1"},
        {"3 - -2", "5"},
        {"1 - +1", "0"},
        {"2 * -3", "-6"},
        {"-2 * 3", "-6"},
        {"-sin 1", "-0.841470984807897"},
        {"sin -1", "-0.841470984807897"},
        {"!-1", "0"},
        {"5 * !0", "5"},
        {"!(!1)", "1"},
        Fails("!!1", kSyntax),
        Fails("---1", kSyntax),
        Fails("sin cos 1", kSyntax),
        Fails("5 ! 3", kSyntax),
        // Syntax errors.
        Fails("1 = 1", kSyntax),
        Fails("=", kSyntax),
        Fails("2 <> 1", kSyntax),
        Fails("(1", kSyntax),
        Fails("1)", kSyntax),
        Fails("()", kSyntax),
        Fails("1 +", kSyntax),
        Fails("*5", kSyntax),
        Fails("1i2", kSyntax),
        // Illegal characters, checked after the words are replaced.
        Fails("x + 1", kIllegal),
        Fails("1;2", kIllegal),
        Fails("1\t+ 1", kIllegal),
        Fails("1 + 2\n", kIllegal),
        Fails("1 \\ 2", kIllegal),
        Fails("a", kIllegal),
        // Division by zero.
        Fails("1 /i 0", kDivide),
        Fails("1 / 0", kDivide),
        Fails("1 / (1 - 1)", kDivide),
        Fails("5 % 0.5", kDivide),
        // The evaluation goes on after a failure: the last failure's message stands.
        Fails("1 / 0 + !!1", kSyntax),
        Fails("!!1 + 1 / 0", kDivide),
    };
    return cases;
}

// Runs the case table in the C locale and in a locale with a decimal comma.
class ExprEvaluatorLocaleTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        m_strSavedLocale = std::setlocale(LC_ALL, nullptr);
        if (std::setlocale(LC_ALL, GetParam()) == nullptr) {
            GTEST_SKIP() << "locale " << GetParam() << " is not installed";
        }
    }
    void TearDown() override { std::setlocale(LC_ALL, m_strSavedLocale.c_str()); }

private:
    std::string m_strSavedLocale;
};

TEST_P(ExprEvaluatorLocaleTest, EvaluatesEveryCase) {
    if (std::string_view(GetParam()) != "C") {
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    CExprEvaluator evaluator;
    for (const Case& row : Cases()) {
        SCOPED_TRACE(testing::Message() << "expression \"" << row.expression << "\"");
        const int nOk = evaluator.Evaluate(row.expression);
        if (row.error == 0) {
            EXPECT_EQ(nOk, 1);
            EXPECT_EQ(evaluator.m_strResult, row.value);
        } else {
            EXPECT_EQ(nOk, 0);
            EXPECT_EQ(evaluator.m_strResult, LoadMessage(row.error));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, ExprEvaluatorLocaleTest, testing::Values("C", "de_DE.UTF-8"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "C" ? "CLocale" : "GermanLocale";
                         });

class ExprEvaluatorTest : public testing::Test {
protected:
    void SetUp() override { g_strProgramTitle.Set("Zed Publisher"); }
    void TearDown() override { g_strProgramTitle.Set(""); }

    CExprEvaluator m_evaluator;
};

TEST_F(ExprEvaluatorTest, FailureMessagesAreTheNumberedTexts) {
    const struct {
        std::string_view expression;
        std::string_view message;
    } rows[] = {
        {"1 = 1", "ERROR 32- arithmetic/Boolean expression contains syntax errors."},
        {"x", "ERROR 33- arithmetic/Boolean expression contains illegal characters."},
        {"1 / 0", "ERROR 34- divide by zero in arithmetic/Boolean expression."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expression);
        EXPECT_EQ(m_evaluator.Evaluate(row.expression), 0);
        EXPECT_EQ(m_evaluator.m_strResult, row.message);
    }
}

TEST_F(ExprEvaluatorTest, FailureLeavesNothingForTheNextEvaluation) {
    const std::string strTooDeep = std::string(1001, '(') + "1" + std::string(1001, ')');
    const char* failures[] = {"1 / 0", "=", "(((", "1 +", "x", strTooDeep.c_str()};
    for (const char* failure : failures) {
        SCOPED_TRACE(failure);
        EXPECT_EQ(m_evaluator.Evaluate(failure), 0);
        EXPECT_EQ(m_evaluator.Evaluate("2 + 2"), 1);
        EXPECT_EQ(m_evaluator.m_strResult, "4");
        EXPECT_EQ(m_evaluator.LastNodeIndex(), 2);
    }
    EXPECT_EQ(m_evaluator.Evaluate("1 / 0"), 0);
    EXPECT_EQ(m_evaluator.Evaluate(" "), 1);
    EXPECT_EQ(m_evaluator.m_strResult, "");
}

struct NodeText {
    std::string strOperator;
    std::string strRight;
    std::string strLeft;
    bool operator==(const NodeText&) const = default;
};

void PrintTo(const NodeText& node, std::ostream* out) {
    *out << "{" << node.strOperator << ", right " << node.strRight << ", left " << node.strLeft
         << "}";
}

std::vector<NodeText> NodesOf(const CExprNodeTable& table) {
    std::vector<NodeText> nodes;
    for (int i = 0; i <= table.LastNodeIndex(); ++i) {
        nodes.push_back(
            {std::string(table.GetOperator(i)), table.GetRightOperand(i), table.GetLeftOperand(i)});
    }
    return nodes;
}

TEST_F(ExprEvaluatorTest, BuildsTheNodesOfTheRightToLeftParse) {
    ASSERT_EQ(m_evaluator.Evaluate("8-3-2"), 1);
    EXPECT_EQ(NodesOf(m_evaluator),
              (std::vector<NodeText>{
                  {"2", "", ""}, {"3", "", ""}, {"8", "", ""}, {"-", "1", "2"}, {"-", "0", "3"}}));

    ASSERT_EQ(m_evaluator.Evaluate("sin -1"), 1);
    EXPECT_EQ(
        NodesOf(m_evaluator),
        (std::vector<NodeText>{{"1", "", ""}, {"-", "0", "URANARY_OP"}, {"A", "1", "URANARY_OP"}}));

    ASSERT_EQ(m_evaluator.Evaluate("1 <= 2 * 3"), 1);
    EXPECT_EQ(NodesOf(m_evaluator),
              (std::vector<NodeText>{
                  {"3", "", ""}, {"2", "", ""}, {"*", "0", "1"}, {"1", "", ""}, {"a", "2", "3"}}));
}

TEST(ExprNodeTableTest, AccessorsOutOfRangeGiveEmptyText) {
    CExprNodeTable table;
    EXPECT_EQ(table.LastNodeIndex(), -1);
    EXPECT_EQ(table.GetOperator(0), "");
    EXPECT_EQ(table.AddNode("7", CExprNodeTable::kNoOperand, CExprNodeTable::kNoOperand), 0);
    EXPECT_EQ(table.AddNode("~", 0, CExprNodeTable::kUnaryOperand), 1);
    for (int i : {-1, 2, 1000}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(table.GetOperator(i), "");
        EXPECT_EQ(table.GetLeftOperand(i), "");
        EXPECT_EQ(table.GetRightOperand(i), "");
    }
    EXPECT_EQ(table.GetOperator(1), "~");
    EXPECT_EQ(table.GetRightOperand(1), "0");
    EXPECT_EQ(table.GetLeftOperand(1), "URANARY_OP");
    table.ClearNodes();
    EXPECT_EQ(table.LastNodeIndex(), -1);
    EXPECT_EQ(table.GetOperator(0), "");
}

std::string Nested(int nDepth, std::string_view open, std::string_view inner,
                   std::string_view close) {
    std::string text;
    for (int i = 0; i < nDepth; ++i)
        text += open;
    text += inner;
    for (int i = 0; i < nDepth; ++i)
        text += close;
    return text;
}

std::string Chain(int nOperators, std::string_view operand, std::string_view op) {
    std::string text(operand);
    for (int i = 0; i < nOperators; ++i) {
        text += op;
        text += operand;
    }
    return text;
}

// Deep or long input gives a result or ERROR 32, never a crash (the parser recurses only into
// parentheses and the evaluation walks the tree on its own stack).
TEST_F(ExprEvaluatorTest, DeepAndLongInputIsBounded) {
    const struct {
        std::string name;
        std::string expression;
        std::string_view value;  // "" for ERROR 32
    } rows[] = {
        {"1,000 parentheses", Nested(1000, "(", "1", ")"), "1"},
        {"1,001 parentheses", Nested(1001, "(", "1", ")"), ""},
        {"100,000 parentheses", Nested(100000, "(", "1", ")"), ""},
        {"100,000 open parentheses", std::string(100000, '('), ""},
        {"100,000 close parentheses", std::string(100000, ')'), ""},
        {"1,000 nested functions", Nested(1000, "sin(", "0", ")"), "0"},
        {"1,000 nested prefix operators", Nested(1000, "!(", "0", ")"), "0"},
        {"1,000,000 additions", Chain(1000000, "1", "+"), "1000001"},
        {"100,000 comparisons", Chain(100000, "1", "=="), "1"},
        {"100,000 signs", Chain(100000, "1", "- -"), "100001"},
        {"100,000 prefix operators", std::string(100000, '!') + "1", ""},
        {"100,000 functions", Chain(100000, "", "sin ") + "1", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const int nOk = m_evaluator.Evaluate(row.expression);
        if (row.value.empty()) {
            EXPECT_EQ(nOk, 0);
            EXPECT_EQ(m_evaluator.m_strResult, LoadMessage(kSyntax));
        } else {
            EXPECT_EQ(nOk, 1);
            EXPECT_EQ(m_evaluator.m_strResult, row.value);
        }
    }
}

// The result is written exactly as printf's "%.15g" writes it in the C locale.
TEST_F(ExprEvaluatorTest, FormatsLikePrintfInTheCLocale) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  0.1,
                                  1e15,
                                  1e16,
                                  1e-5,
                                  1e-4,
                                  1e20,
                                  1e100,
                                  1e-300,
                                  5e-324,
                                  1e308,
                                  123.456,
                                  1.0 / 3,
                                  2.0e-7,
                                  999999999999999.0,
                                  9999999999999999.0};
    std::mt19937_64 random(2107);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-320, 308);
    for (int i = 0; i < 5000; ++i) {
        values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
    }
    // Whole numbers of every length around the 15 digits that are written as integers.
    for (int digits = 0; digits <= 17; ++digits) {
        const double whole = std::round(mantissa(random) * std::pow(10.0, digits));
        values.insert(values.end(), {whole, whole + 0.5, std::pow(10.0, digits) - 1});
    }
    const platform::ThreadLocale cLocale(platform::CLocale());
    for (double value : values) {
        for (double signed_value : {value, -value}) {
            if (!std::isfinite(signed_value)) continue;
            char text[64];
            const auto written = std::to_chars(text, text + sizeof text, signed_value);
            const std::string expression(text, written.ptr);
            char expected[64];
            std::snprintf(expected, sizeof expected, "%.15g", signed_value);
            SCOPED_TRACE(expression);
            ASSERT_EQ(m_evaluator.Evaluate(expression), 1);
            EXPECT_EQ(m_evaluator.m_strResult, expected);
        }
    }
}

}  // namespace
