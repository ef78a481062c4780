#include "quarn/script/functions/number_functions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"

namespace {

using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";
const std::string kBadFormat = "ERROR 14- syntax error in format specification or input data.";
const std::string kBadHex = "ERROR 92- hexadecimal number contains invalid characters.";
const std::string kBadDate = "ERROR 124- error in date string";
const std::string kArgCount = "ERROR 68- illegal number of arguments in function.";
const std::string kNoMemory = "ERROR 120- unable to allocate memory.";
const std::string kBadText = "ERROR 47- syntax error in text string.";
const std::string kBadName = "ERROR 48- syntax error in variable name.";
const std::string kUnknownName = "ERROR 54- unrecognised variable name.";
const std::string kBadExpression =
    "ERROR 32- arithmetic/Boolean expression contains syntax errors.";
const std::string kDivideByZero = "ERROR 34- divide by zero in arithmetic/Boolean expression.";

// What the target ?r? holds before each call; a failed call must leave it.
constexpr std::string_view kKept = "kept";

// TZ set to `zone` (a POSIX rule, so no zone files are needed) while this lives.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        m_hadOld = old != nullptr;
        if (m_hadOld) m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (m_hadOld) {
            ::setenv("TZ", m_old.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::string m_old;
    bool m_hadOld = false;
};

// The process locale set to `name` while this lives; Ok() is false when it does not exist.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : m_old(std::setlocale(LC_ALL, nullptr)) {
        m_ok = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, m_old.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    bool Ok() const { return m_ok; }

private:
    std::string m_old;
    bool m_ok = false;
};

// A call and the value it stores in ?r?.
struct ValueRow {
    std::string call;
    std::string value;
};
// A call and the message it fails with.
struct ErrorRow {
    std::string call;
    std::string message;
};

class NumberFunctionsTest : public ::testing::Test {
protected:
    struct Outcome {
        int result = 0;
        std::string message;
        std::string value;
    };

    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    // Runs `script` with ?r? holding kKept and ?v? holding `v`; the value of ?r? afterwards.
    Outcome Run(std::string_view script, std::string_view v = {}) {
        Outcome outcome;
        if (!m_project.WriteFile(ScriptTestProject::kScriptName, script)) return outcome;
        CScriptInterpreter interp(nullptr);
        EXPECT_EQ(interp.DefineVariable("r"), 1);
        EXPECT_EQ(interp.SetVariable("?r?", kKept), 1);
        EXPECT_EQ(interp.DefineVariable("v"), 1);
        EXPECT_EQ(interp.SetVariable("?v?", v), 1);
        outcome.result = interp.RunScript(ScriptTestProject::kScriptName, 0);
        outcome.message = interp.m_strMessage;
        EXPECT_EQ(interp.GetVariableValue("r", 0), 1);
        outcome.value = interp.m_strValue;
        return outcome;
    }

    void ExpectValues(const std::vector<ValueRow>& rows, std::string_view v = {}) {
        for (const ValueRow& row : rows) {
            SCOPED_TRACE(row.call);
            const Outcome outcome = Run(row.call, v);
            EXPECT_EQ(outcome.result, 1) << outcome.message;
            EXPECT_EQ(outcome.message, kComplete);
            EXPECT_EQ(outcome.value, row.value);
        }
    }

    void ExpectErrors(const std::vector<ErrorRow>& rows) {
        for (const ErrorRow& row : rows) {
            SCOPED_TRACE(row.call);
            const Outcome outcome = Run(row.call);
            EXPECT_EQ(outcome.result, 0);
            EXPECT_EQ(outcome.message, row.message);
            EXPECT_EQ(outcome.value, kKept);
        }
    }

    ScopedTimeZone m_zone{"UTC0"};
    ScriptTestProject m_project;
};

TEST_F(NumberFunctionsTest, FormatAppliesOneFloatingPointConversion) {
    ExpectValues(
        {
            {R"(&format(?r?, "%.2f", 3.14159))", "3.14"},
            {R"(&format(?r?, "%08.3f", 3.14159))", "0003.142"},
            {R"(&format(?r?, "%.0f", 3))", "3"},
            {R"(&format(?r?, "%.f", 2.7))", "3"},
            {R"(&format(?r?, "%D.0f", 3))", "3."},
            {R"(&format(?r?, "%Dg", 2))", "2.00000"},
            {R"(&format(?r?, "%g", 2))", "2"},
            {R"(&format(?r?, "%De", 0))", "0.000000e+00"},
            {R"(&format(?r?, "%.3E", 12345.678))", "1.235E+04"},
            {R"(&format(?r?, "%G", 0.0000000001))", "1E-10"},
            {R"(&format(?r?, "%g", 1000000))", "1e+06"},
            {R"(&format(?r?, "%+.1f", 2.5))", "+2.5"},
            {R"(&format(?r?, "% .2f", 1))", " 1.00"},
            {R"(&format(?r?, "%-8.2f|", 3.14159))", "3.14    |"},
            {R"(&format(?r?, "%5.1f", -2.25))", " -2.2"},
            {R"(&format(?r?, "%.2f EUR", 3.14159))", "3.14 EUR"},
            {R"(&format(?r?, "%.2f DM", 3.14159))", "3.14 #M"},
            {R"(&format(?r?, "%.1f%% of %%", 12.5))", "12.5% of %"},
            {R"(&format(?r?, "%.2f €", 3.14159))", "3.14 €"},
            {R"(&format(?r?, "%.2f", 1/4))", "0.25"},
            {R"(&format(?r?, "%.2f", "2.5 apples"))", "2.50"},
            {R"(&format(?r?, "%.2f", "abc"))", "0.00"},
            {R"(&format(?r?, "%.2f", ""))", "0.00"},
            {R"(&format(?r?, "%5.1f", "-inf"))", " -inf"},
            {R"(&format(?r?, "%.3f", "?v?"))", "0.125"},
            {R"(&format(?r?, "%500.0f", 1))", std::string(499, ' ') + "1"},
            {R"(&format(?r?, "%.500f", 1))", "1." + std::string(500, '0')},
        },
        "0.125");
}

TEST_F(NumberFunctionsTest, FormatRebuildsDateAndTimeParts) {
    ExpectValues({
        {R"(&format(?r?, "&d.d/m/y", "1999-12-31 23:59:59"))", "31/12/1999"},
        {R"(&format(?r?, "&t.h.m", "1999-12-31 23:59:59"))", "23.59"},
        {R"(&format(?r?, "&D.Y-M-D", "1999-12-31 23:59:59"))", "1999-12-31"},
        {R"(&format(?r?, "&T.H:M:S", "1999-12-31 23:59:59"))", "23:59:59"},
        // The mask is lower-cased whole, so every letter of a part is replaced.
        {R"(&format(?r?, "&t.h Uhr", "1999-12-31 23:59:59"))", "23 u23r"},
        {R"(&format(?r?, "&d.d·m·y", "1999-12-31"))", "31·12·1999"},
        {R"(&format(?r?, "&d.", "1999-12-31"))", ""},
        {R"(&format(?r?, "&d.d.m.y", "2000-1-2"))", "2.1.2000"},
        {R"(&format(?r?, "&t.h-m-s", "12:30:45"))", "12-30-45"},
        // Two cuts at most: the last part keeps further separators.
        {R"(&format(?r?, "&d.d", "1999-12-31-x 10:00:00"))", "31-x"},
        {R"(&format(?r?, "&t.s", "day 1:2:3:4"))", "3:4"},
        {R"(&format(?r?, "&t.s", "day 1:2:3 more"))", "3 more"},
        {R"(&format(?r?, "&d.m", "1999-12-31"))", "12"},
    });
}

TEST_F(NumberFunctionsTest, FormatRefusesEveryOtherMaskAndValue) {
    ExpectErrors({
        {R"(&format(?r?, "", 1))", kBadFormat},
        {R"(&format(?r?, "abc", 1))", kBadFormat},
        {R"(&format(?r?, "EUR %.2f", 1))", kBadFormat},
        {R"(&format(?r?, "%x", 1))", kBadFormat},
        {R"(&format(?r?, "%Dx", 1))", kBadFormat},
        {R"(&format(?r?, "%d", 1))", kBadFormat},
        {R"(&format(?r?, "%s", 1))", kBadFormat},
        {R"(&format(?r?, "%n", 1))", kBadFormat},
        {R"(&format(?r?, "%c", 1))", kBadFormat},
        {R"(&format(?r?, "%a", 1))", kBadFormat},
        {R"(&format(?r?, "%", 1))", kBadFormat},
        {R"(&format(?r?, "%5", 1))", kBadFormat},
        {R"(&format(?r?, "%.2", 1))", kBadFormat},
        {R"(&format(?r?, "%lf", 1))", kBadFormat},
        {R"(&format(?r?, "%Lf", 1))", kBadFormat},
        {R"(&format(?r?, "%*f", 1))", kBadFormat},
        {R"(&format(?r?, "%.*f", 1))", kBadFormat},
        {R"(&format(?r?, "%1$f", 1))", kBadFormat},
        {R"(&format(?r?, "%%", 1))", kBadFormat},
        {R"(&format(?r?, "%.2f %s", 1))", kBadFormat},
        {R"(&format(?r?, "%.2f%f", 1))", kBadFormat},
        {R"(&format(?r?, "%.2f 100%", 1))", kBadFormat},
        {R"(&format(?r?, "%501f", 1))", kBadFormat},
        {R"(&format(?r?, "%.501f", 1))", kBadFormat},
        {R"(&format(?r?, "%99999999999999999999f", 1))", kBadFormat},
        {R"(&format(?r?, "&x.abc", "1999-12-31"))", kBadFormat},
        {R"(&format(?r?, "&d", "1999-12-31"))", kBadFormat},
        {R"(&format(?r?, "&dy", "1999-12-31"))", kBadFormat},
        {R"(&format(?r?, "&d.d/m/y", "1999-12"))", kBadFormat},
        {R"(&format(?r?, "&d.d/m/y", ""))", kBadFormat},
        {R"(&format(?r?, "&d.d/m/y", "31.12.1999"))", kBadFormat},
        {R"(&format(?r?, "&t.h:m", "1999-12-31"))", kBadFormat},
        {R"(&format(?r?, "&t.h:m", "1999-12-31 23:59"))", kBadFormat},
    });
}

TEST_F(NumberFunctionsTest, DateformatFormatsTheDateAtLocalMidnight) {
    ExpectValues({
        {R"(&dateformat(?r?, "%d.%m.%Y", "2000-01-05"))", "05.01.2000"},
        {R"(&dateformat(?r?, "%A %d %B %Y", "2000-01-05"))", "Wednesday 05 January 2000"},
        {R"(&dateformat(?r?, "%x", "2000-01-05"))", "01/05/00"},
        {R"(&dateformat(?r?, "%H:%M:%S", "2000-01-05 13:14:15"))", "00:00:00"},
        {R"(&dateformat(?r?, "%d.%m.%Y", "2000-02-30"))", "01.03.2000"},
        {R"(&dateformat(?r?, "%d.%m.%Y", "2000-13-01"))", "01.01.2001"},
        {R"(&dateformat(?r?, "%d.%m.%Y", "2000-00-00"))", "30.11.1999"},
        {R"(&dateformat(?r?, "%d.%m.%Y", "2000-03--1"))", "28.02.2000"},
        {R"(&dateformat(?r?, "%d.%m.%Y", "2000-1-5 apples"))", "05.01.2000"},
        {R"(&dateformat(?r?, "%j", "2000-12-31"))", "366"},
        {R"(&dateformat(?r?, "%s", "1970-01-01"))", "0"},
        {R"(&dateformat(?r?, "%Y-%m-%d", "2038-01-19"))", "2038-01-19"},
        {R"(&dateformat(?r?, "%Y-%m-%d", "1901-12-14"))", "1901-12-14"},
        {R"(&dateformat(?r?, "Tag %d – ü", "2000-01-05"))", "Tag 05 – ü"},
        {R"(&dateformat(?r?, "", "2000-01-05"))", ""},
        {"&dateformat(?r?, \"" + std::string(127, 'x') + "\", \"2000-01-05\")",
         std::string(127, 'x')},
        {"&dateformat(?r?, \"" + std::string(128, 'x') + "\", \"2000-01-05\")", ""},
        {"&dateformat(?r?, \"%Y" + std::string(124, 'x') + "\", \"2000-01-05\")", ""},
    });
}

TEST_F(NumberFunctionsTest, DateformatRefusesDatesItCannotPlace) {
    ExpectErrors({
        {R"(&dateformat(?r?, "%d", "20000105"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "2000-01"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "05.01.2000"))", kBadDate},
        {R"(&dateformat(?r?, "%d", ""))", kBadDate},
        {R"(&dateformat(?r?, "%d", "2000 -01-05"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "2038-01-20"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "1901-12-13"))", kBadDate},
        // Years are taken as written: 99 is the year 99.
        {R"(&dateformat(?r?, "%d", "99-01-01"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "1e12-01-01"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "-1e12-01-01"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "2000-2147483647-01"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "2000--2147483648-01"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "2000-01-1e12"))", kBadDate},
        {R"(&dateformat(?r?, "%d", "1970-01--1e12"))", kBadDate},
    });
}

TEST_F(NumberFunctionsTest, DatesFollowTheLocalTimeZone) {
    {
        const ScopedTimeZone berlin("CET-1CEST,M3.5.0,M10.5.0/3");
        ExpectValues({
            {R"(&dateformat(?r?, "%s %Z", "2000-01-05"))", "947026800 CET"},
            {R"(&dateformat(?r?, "%s %Z", "2000-07-05"))", "962748000 CEST"},
            {R"(&dateformat(?r?, "%s", "1970-01-01"))", "-3600"},
        });
    }
    ExpectValues({{R"(&dateformat(?r?, "%s %Z", "2000-01-05"))", "947030400 UTC"}});
    // East of UTC a time alone lies before the epoch and still compares.
    const ScopedTimeZone tokyo("JST-9");
    ExpectValues({
        {R"(&datecomp(?r?, "00:00:00", "00:00:01"))", "-1"},
        {R"(&datecomp(?r?, "23:59:59", "00:00:00"))", "1"},
        {R"(&datecomp(?r?, "1970-01-01 00:00:00", "1969-12-31 23:59:59"))", "1"},
    });
}

TEST_F(NumberFunctionsTest, DatecompComparesTextsOfTheSameShape) {
    ExpectValues(
        {
            {R"(&datecomp(?r?, "2000-01-02", "2000-01-01"))", "1"},
            {R"(&datecomp(?r?, "2000-01-01", "2000-01-02"))", "-1"},
            {R"(&datecomp(?r?, "12:00:00", "12:00:00"))", "0"},
            {R"(&datecomp(?r?, "2000-01-01 10:00:00", "2000-01-01 09:59:59"))", "1"},
            {R"(&datecomp(?r?, "1999-12-31 23:59:60", "2000-01-01 00:00:00"))", "0"},
            {R"(&datecomp(?r?, "2000-01-32", "2000-02-01"))", "0"},
            {R"(&datecomp(?r?, "25:00:00", "01:00:00"))", "1"},
            {R"(&datecomp(?r?, "10:00:00.9", "10:00:00"))", "0"},
            {R"(&datecomp(?r?, "0-5-5", "1970-01-01"))", "0"},
            {R"(&datecomp(?r?, "0-5-5 10:00:00", "1970-01-01 10:00:00"))", "0"},
            {R"(&datecomp(?r?, "2038-01-19 03:14:07", "2038-01-19 03:14:06"))", "1"},
            {R"(&datecomp(?r?, "1901-12-13 20:45:52", "1901-12-13 20:45:53"))", "-1"},
            {R"(&datecomp(?r?, "?v? 10:00:00", "2000-01-01 10:00:00"))", "1"},
        },
        "2000-01-02");
}

TEST_F(NumberFunctionsTest, DatecompRefusesInvalidTextsAndMixedShapes) {
    ExpectErrors({
        {R"(&datecomp(?r?, "2000-01-01", "2000-01-01 00:00:00"))", kBadDate},
        {R"(&datecomp(?r?, "12:00:00", "2000-01-01 12:00:00"))", kBadDate},
        {R"(&datecomp(?r?, "12:00:00", "2000-01-01"))", kBadDate},
        {R"(&datecomp(?r?, "10:00", "10:00:00"))", kBadDate},
        {R"(&datecomp(?r?, "10:00:00", "10:00"))", kBadDate},
        {R"(&datecomp(?r?, "2000-01", "2000-01-01"))", kBadDate},
        {R"(&datecomp(?r?, "", ""))", kBadDate},
        {R"(&datecomp(?r?, "2000-01-01 ", "2000-01-01 00:00:00"))", kBadDate},
        {R"(&datecomp(?r?, "10:20:30 pm", "10:20:30 pm"))", kBadDate},
        {R"(&datecomp(?r?, "2038-01-19 03:14:08", "2038-01-19 03:14:07"))", kBadDate},
        {R"(&datecomp(?r?, "2000-01-01", "2000-01-1e12"))", kBadDate},
        {R"(&datecomp(?r?, "2147483647:00:00", "00:00:00"))", kBadDate},
    });
}

TEST_F(NumberFunctionsTest, Hex2decReadsUpperCaseDigitsAsASigned32BitNumber) {
    ExpectValues(
        {
            {R"(&hex2dec(?r?, "FF"))", "255"},
            {R"(&hex2dec(?r?, "00FF"))", "255"},
            {R"(&hex2dec(?r?, "1F7"))", "503"},
            {R"(&hex2dec(?r?, "0"))", "0"},
            {R"(&hex2dec(?r?, ""))", "0"},
            {R"(&hex2dec(?r?, "7FFFFFFF"))", "2147483647"},
            {R"(&hex2dec(?r?, "80000000"))", "-2147483648"},
            {R"(&hex2dec(?r?, "FFFFFFFF"))", "-1"},
            {R"(&hex2dec(?r?, "123456789"))", "591751049"},
            {R"(&hex2dec(?r?, "1FFFFFFFF"))", "-1"},
            {R"(&hex2dec(?r?, "?v?"))", "10"},
        },
        "A");
    ExpectErrors({
        {R"(&hex2dec(?r?, "ff"))", kBadHex},
        {R"(&hex2dec(?r?, "G"))", kBadHex},
        {R"(&hex2dec(?r?, " FF"))", kBadHex},
        {R"(&hex2dec(?r?, "FF "))", kBadHex},
        {R"(&hex2dec(?r?, "-1"))", kBadHex},
        {R"(&hex2dec(?r?, "0x1F"))", kBadHex},
        {R"(&hex2dec(?r?, "é"))", kBadHex},
        {R"(&hex2dec(?r?, "G123456789"))", kBadHex},
    });
}

TEST_F(NumberFunctionsTest, Dec2hexWritesThe32BitIntegerWithLeadingZeros) {
    ExpectValues(
        {
            {R"(&dec2hex(?r?, 255, 4))", "00FF"},
            {R"(&dec2hex(?r?, 255))", "FF"},
            {R"(&dec2hex(?r?, 0))", "0"},
            {R"(&dec2hex(?r?, 0, 3))", "000"},
            {R"(&dec2hex(?r?, 255, 0))", "FF"},
            {R"(&dec2hex(?r?, 255, 1))", "FF"},
            {R"(&dec2hex(?r?, 255, -5))", "FF"},
            {R"(&dec2hex(?r?, 255, -1e12))", "FF"},
            {R"(&dec2hex(?r?, 5, 2.9))", "05"},
            {R"(&dec2hex(?r?, 5, 2*2))", "0005"},
            {R"(&dec2hex(?r?, 4095.9))", "FFF"},
            {R"(&dec2hex(?r?, ?v?))", "1A"},
            {R"(&dec2hex(?r?, -1))", "FFFFFFFF"},
            {R"(&dec2hex(?r?, -255.7))", "FFFFFF01"},
            {R"(&dec2hex(?r?, -1, 10))", "00FFFFFFFF"},
            {R"(&dec2hex(?r?, 2147483647))", "7FFFFFFF"},
            {R"(&dec2hex(?r?, 1e12))", "7FFFFFFF"},
            {R"(&dec2hex(?r?, -1e12))", "80000000"},
            {R"(&dec2hex(?r?, 1, 100000))", std::string(99999, '0') + "1"},
        },
        "26");
    ExpectErrors({
        {R"(&dec2hex(?r?, 1, 2147483647))", kNoMemory},
        {R"(&dec2hex(?r?, 1, 1e12))", kNoMemory},
    });
}

TEST_F(NumberFunctionsTest, FtointRoundsTheLeadingNumberHalfUp) {
    ExpectValues(
        {
            {R"(&ftoint(?r?, "2.5"))", "3"},
            {R"(&ftoint(?r?, "2.49"))", "2"},
            {R"(&ftoint(?r?, "-2.5"))", "-2"},
            {R"(&ftoint(?r?, "-2.7"))", "-2"},
            {R"(&ftoint(?r?, "-0.4"))", "0"},
            {R"(&ftoint(?r?, "0"))", "0"},
            {R"(&ftoint(?r?, ""))", "0"},
            {R"(&ftoint(?r?, "abc"))", "0"},
            {R"(&ftoint(?r?, "7.5 apples"))", "8"},
            {R"(&ftoint(?r?, "2,5"))", "2"},
            {R"(&ftoint(?r?, "2147483647"))", "2147483647"},
            {R"(&ftoint(?r?, "1e12"))", "2147483647"},
            {R"(&ftoint(?r?, "-1e12"))", "-2147483648"},
            {R"(&ftoint(?r?, "inf"))", "2147483647"},
            {R"(&ftoint(?r?, "nan"))", "0"},
            {R"(&ftoint(?r?, "?v?"))", "4"},
        },
        "3.6");
}

TEST_F(NumberFunctionsTest, EveryFunctionChecksItsArgumentCount) {
    ExpectErrors({
        {R"(&ftoint(?r?))", kArgCount},
        {R"(&ftoint(?r?, "1", "2"))", kArgCount},
        {"&ftoint text", kArgCount},
        {R"(&dec2hex(?r?))", kArgCount},
        {R"(&dec2hex(?r?, 1, 2, 3))", kArgCount},
        {R"(&hex2dec(?r?))", kArgCount},
        {R"(&hex2dec(?r?, "1", "2"))", kArgCount},
        {R"(&format(?r?, "%f"))", kArgCount},
        {R"(&format(?r?, "%f", 1, 2))", kArgCount},
        {R"(&datecomp(?r?, "1:2:3"))", kArgCount},
        {R"(&datecomp(?r?, "1:2:3", "1:2:3", "1:2:3"))", kArgCount},
        {R"(&dateformat(?r?, "%d"))", kArgCount},
        {R"(&dateformat(?r?, "%d", "2000-01-01", "x"))", kArgCount},
    });
}

TEST_F(NumberFunctionsTest, FailedTargetsAndArgumentsStoreNothing) {
    ExpectErrors({
        {R"(&ftoint(r, "1"))", kBadName},
        {R"(&ftoint(?nope?, "1"))", kUnknownName},
        {R"(&dec2hex(?nope?, 1))", kUnknownName},
        {R"(&hex2dec(?nope?, "1"))", kUnknownName},
        {R"(&format(?nope?, "%f", 1))", kUnknownName},
        {R"(&datecomp(?nope?, "1:2:3", "1:2:3"))", kUnknownName},
        {R"(&dateformat(?nope?, "%d", "2000-01-01"))", kUnknownName},
        {R"(&ftoint(?r?, 2.5))", kBadText},
        {R"(&hex2dec(?r?, FF))", kBadText},
        {R"(&format(?r?, %.2f, 1))", kBadText},
        {R"(&datecomp(?r?, 2000-01-01, "2000-01-01"))", kBadText},
        {R"(&dateformat(?r?, "%d", 2000-01-01))", kBadText},
        {R"(&dec2hex(?r?, 1+))", kBadExpression},
        {R"(&dec2hex(?r?, 1, 1+))", kBadExpression},
        {R"(&format(?r?, "%.2f", 1/0))", kDivideByZero},
    });
}

// The engine writes numbers and dates in the C locale whatever the process locale is.
TEST_F(NumberFunctionsTest, GermanProcessLocaleChangesNothing) {
    const ScopedLocale german("de_DE.UTF-8");
    if (!german.Ok()) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
    ExpectValues({
        {R"(&format(?r?, "%.2f", 2.5))", "2.50"},
        {R"(&format(?r?, "%.2f", "2.5"))", "2.50"},
        {R"(&format(?r?, "%Dg", 1/4))", "0.250000"},
        {R"(&dateformat(?r?, "%A %d %B %Y, %x", "2000-01-05"))",
         "Wednesday 05 January 2000, 01/05/00"},
        {R"(&ftoint(?r?, "2.5"))", "3"},
        {R"(&dec2hex(?r?, 255.5))", "FF"},
        {R"(&datecomp(?r?, "2000-01-02", "2000-01-01"))", "1"},
    });
}

}  // namespace
