#include "quarn/script/number_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

TEST(NumberText, TruncatesTowardZeroAndSaturates) {
    struct Row {
        double value;
        int expected;
    };
    const Row rows[] = {
        {2.9, 2},
        {-2.9, -2},
        {0.5, 0},
        {2147483647.0, 2147483647},
        {2147483648.0, 2147483647},
        {1e300, 2147483647},
        {-2147483648.0, -2147483647 - 1},
        {-1e300, -2147483647 - 1},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 2147483647},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(TruncateToInt(row.value), row.expected);
    }
}

// Both forms write the same text; a NaN of either sign reads "nan"; whole numbers as printf's
// "%.15g" writes them. (The evaluator's tests compare more finite values with printf.)
TEST(NumberText, FormatsNonFiniteValuesAndReusesTheTarget) {
    struct Row {
        double value;
        const char* expected;
    };
    const Row rows[] = {
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {-std::numeric_limits<double>::quiet_NaN(), "nan"},
        {0.1, "0.1"},
        {1e16, "1e+16"},
        // Whole numbers near the end of the integer form and signed zeros.
        {999999999999999.0, "999999999999999"},
        {-999999999999999.0, "-999999999999999"},
        {1e15, "1e+15"},
        {-1e15, "-1e+15"},
        {0.0, "0"},
        {-0.0, "-0"},
        {-7.0, "-7"},
        {99999999999999.5, "99999999999999.5"},
        {-2.5, "-2.5"},
    };
    std::string out = "previous text";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(FormatNumber(row.value), row.expected);
        FormatNumber(row.value, out);
        EXPECT_EQ(out, row.expected);
    }
}

TEST(NumberText, ReadsTheNumberAResultTextStandsFor) {
    struct Row {
        const char* text;
        double expected;
    };
    const Row rows[] = {
        {"", 0},         {"abc", 0},
        {"-", 0},        {"42", 42},
        {"-2.5", -2.5},  {"1e+16", 1e16},
        {"7 apples", 7}, {"inf", std::numeric_limits<double>::infinity()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(NumberFromText(row.text), row.expected);
    }
}

}  // namespace
