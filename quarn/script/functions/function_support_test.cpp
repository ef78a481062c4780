#include "quarn/script/functions/function_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "quarn/script/script_interpreter.h"

namespace {

using namespace script_functions;

const std::string kError68 = "ERROR 68- illegal number of arguments in function.";

// ArgCountIn only answers; CheckArgCount also fails the call. INT_MAX stands for "or more".
TEST(FunctionSupport, ArgumentCountsWithAndWithoutTheMessage) {
    struct Row {
        int count;
        int least;
        int most;
        bool inRange;
    };
    const Row rows[] = {
        {0, 0, 0, true},  {1, 0, 0, false},       {1, 1, 2, true},        {2, 1, 2, true},
        {3, 1, 2, false}, {0, 1, INT_MAX, false}, {70, 1, INT_MAX, true},
    };
    CScriptInterpreter interp(nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.count);
        interp.m_nArgCount = row.count;
        interp.m_strMessage = "untouched";
        EXPECT_EQ(ArgCountIn(interp, row.least, row.most), row.inRange);
        EXPECT_EQ(interp.m_strMessage, "untouched");
        EXPECT_EQ(CheckArgCount(interp, row.least, row.most), row.inRange ? 1 : 0);
        EXPECT_EQ(interp.m_strMessage, row.inRange ? "untouched" : kError68);
    }
}

// The int is truncated toward zero and saturates; the number's own text stays in m_strMessage.
TEST(FunctionSupport, EvaluatesNumberArguments) {
    struct Row {
        const char* raw;
        int asInt;
        double asDouble;
        const char* text;
    };
    const Row rows[] = {
        {"2.9", 2, 2.9, "2.9"},
        {"-7/2", -3, -3.5, "-3.5"},
        {"1e300", INT_MAX, 1e300, "1e+300"},
        {"", 0, 0, ""},
    };
    CScriptInterpreter interp(nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.raw);
        int asInt = -1;
        ASSERT_EQ(EvalIntArg(interp, row.raw, asInt), 1) << interp.m_strMessage;
        EXPECT_EQ(asInt, row.asInt);
        EXPECT_EQ(interp.m_strMessage, row.text);
        double asDouble = -1;
        ASSERT_EQ(EvalDoubleArg(interp, row.raw, asDouble), 1) << interp.m_strMessage;
        EXPECT_EQ(asDouble, row.asDouble);
    }
    int untouched = 5;
    EXPECT_EQ(EvalIntArg(interp, "1+", untouched), 0);
    EXPECT_EQ(untouched, 5);
    EXPECT_NE(interp.m_strMessage, "");
}

}  // namespace
