#include "quarn/script/functions/text_functions.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"

namespace {

using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";
const std::string kError17 = "ERROR 17- HEX conversion error.";
const std::string kError32 = "ERROR 32- arithmetic/Boolean expression contains syntax errors.";
const std::string kError34 = "ERROR 34- divide by zero in arithmetic/Boolean expression.";
const std::string kError47 = "ERROR 47- syntax error in text string.";
const std::string kError48 = "ERROR 48- syntax error in variable name.";
const std::string kError54 = "ERROR 54- unrecognised variable name.";
const std::string kError68 = "ERROR 68- illegal number of arguments in function.";
const std::string kError120 = "ERROR 120- unable to allocate memory.";

// What a run left: the result, the final message and the value of r ("<undefined>" without).
struct Outcome {
    int result = 0;
    std::string message;
    std::string r;
};

// Runs `calls` after defining r, the target of the calls.
Outcome RunCalls(const ScriptTestProject& project, std::string_view calls) {
    Outcome outcome;
    const std::string script = "&defvar(?r?)" + std::string(calls);
    if (!project.WriteFile(ScriptTestProject::kScriptName, script)) return outcome;
    CScriptInterpreter interp(nullptr);
    outcome.result = interp.RunScript(ScriptTestProject::kScriptName, 0);
    outcome.message = interp.m_strMessage;
    outcome.r = interp.GetVariableValue("r", 0) ? interp.m_strValue : "<undefined>";
    return outcome;
}

struct ValueCase {
    std::string call;
    std::string value;
};

struct FailureCase {
    std::string call;
    std::string message;
};

class TextFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    // Each call stores `value` in r.
    void ExpectValues(const std::vector<ValueCase>& cases) {
        for (const ValueCase& c : cases) {
            SCOPED_TRACE(c.call);
            const Outcome outcome = RunCalls(m_project, c.call);
            EXPECT_EQ(outcome.message, kComplete);
            EXPECT_EQ(outcome.result, 1);
            EXPECT_EQ(outcome.r, c.value);
        }
    }

    // Each call fails with `message` and leaves r empty.
    void ExpectFailures(const std::vector<FailureCase>& cases) {
        for (const FailureCase& c : cases) {
            SCOPED_TRACE(c.call);
            const Outcome outcome = RunCalls(m_project, c.call);
            EXPECT_EQ(outcome.result, 0);
            EXPECT_EQ(outcome.message, c.message);
            EXPECT_EQ(outcome.r, "");
        }
    }

    ScriptTestProject m_project;
};

TEST_F(TextFunctionsTest, CaseConversionReadsUtf8) {
    ExpectValues({
        {"&toupper(?r?,\"abc Xyz 09\")", "ABC XYZ 09"},
        {"&tolower(?r?,\"ABC Xyz 09\")", "abc xyz 09"},
        {"&toupper(?r?,\"\xC3\xA9t\xC3\xA9 \xCF\x83\")", "\xC3\x89T\xC3\x89 \xCE\xA3"},
        {"&tolower(?r?,\"\xC3\x80\xC3\x89\xCE\xA3\")", "\xC3\xA0\xC3\xA9\xCF\x83"},
        // Dotless i maps to ASCII I: the text gets shorter.
        {"&toupper(?r?,\"\xC4\xB1x\")", "IX"},
        {"&toupper(?r?,\"stra\xC3\x9F!\")", "STRA\xC3\x9F!"},
        // Bytes that are not UTF-8, a cut sequence and a zero byte stay as they are.
        {"&toupper(?r?,\"\xE9 x\xFF y\xC3\")", "\xE9 X\xFF Y\xC3"},
        {"&tolower(?r?,\"A\\0B\")", std::string("a\0b", 3)},
        {"&toupper(?r?,\"\")", ""},
    });
}

TEST_F(TextFunctionsTest, CaseConversionIsListed) {
    const Outcome outcome = RunCalls(
        m_project,
        "&toupper(?r?,\"%s%n\xC3\xA9x\")&strlen(?r?,\"ab\")&tolower(?r?,\"AB\")&pack(?r?,\"a\")");
    EXPECT_EQ(outcome.message, kComplete);
    const std::string listing = m_project.Listing();
    EXPECT_NE(listing.find("Variable ?r? set to %S%N\xC3\x89X\r\nVariable ?r? set to ab\r\n"),
              std::string::npos)
        << listing;
    EXPECT_EQ(listing.find("set to 2"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("set to a\r"), std::string::npos) << listing;
}

TEST_F(TextFunctionsTest, SearchMeasureTrimAndCut) {
    ExpectValues({
        {"&strin(?r?,\"c\",\"abc\")", "2"},
        {"&strin(?r?,\"x\",\"abc\")", "-1"},
        {"&strin(?r?,\"\",\"abc\")", "0"},
        {"&strin(?r?,\"\",\"\")", "0"},
        {"&strin(?r?,\"bc\",\"abcbc\")", "1"},
        {"&strin(?r?,\"\xE2\x82\xAC\",\"\xC3\xA9\xE2\x82\xAC\")", "2"},
        {"&strlen(?r?,\"\")", "0"},
        {"&strlen(?r?,\"abc\")", "3"},
        {"&strlen(?r?,\"\xC3\xA9\xE2\x82\xAC\xE9\")", "6"},
        {"&strtrim(?r?,\" \\t x \\t \")", "x"},
        {"&strtrim(?r?,\"\\r\\n\\v\\f a \\t b \\n\")", "a \t b"},
        {"&strtrim(?r?,\" \\t \")", ""},
        {"&strtrim(?r?,\"\")", ""},
        {"&strtrim(?r?,\" \xC3\xA9 \")", "\xC3\xA9"},
        {"&midstr(?r?,\"abcdef\",2,3)", "cde"},
        {"&midstr(?r?,\"abcdef\",10,3)", ""},
        {"&midstr(?r?,\"abcdef\",6,1)", ""},
        {"&midstr(?r?,\"abcdef\",2,100)", "cdef"},
        {"&midstr(?r?,\"abcdef\",-1,2)", "ab"},
        {"&midstr(?r?,\"abcdef\",2,-5)", ""},
        // Start + count would wrap in 32 bits.
        {"&midstr(?r?,\"abcdef\",2,2147483647)", "cdef"},
        {"&midstr(?r?,\"abcdef\",2,1e300)", "cdef"},
        {"&midstr(?r?,\"abcdef\",1e300,1)", ""},
        {"&midstr(?r?,\"abcdef\",-1e300,1)", "a"},
        {"&midstr(?r?,\"abcdef\",1.9,2.9)", "bc"},
        {"&midstr(?r?,\"\xC3\xA9t\xC3\xA9\",1,2)", "\xA9t"},
    });
}

TEST_F(TextFunctionsTest, BytesAndCodes) {
    ExpectValues({
        {"&chr(?r?,65)", "A"},
        {"&chr(?r?,65.9)", "A"},
        {"&chr(?r?,-23)", "\xE9"},
        {"&chr(?r?,233)", "\xE9"},
        {"&chr(?r?,256)", std::string(1, '\0')},
        {"&chr(?r?,1e300)", "\xFF"},
        {"&chr(?r?,-1e300)", std::string(1, '\0')},
        {"&ascii(?r?,\"A\")", "65"},
        {"&ascii(?r?,\"AB\",1)", "66"},
        {"&ascii(?r?,\"A\",5)", "0"},
        {"&ascii(?r?,\"A\",1)", "0"},
        {"&ascii(?r?,\"A\",-1)", "0"},
        {"&ascii(?r?,\"\")", "0"},
        {"&ascii(?r?,\"\xE9\")", "-23"},
        {"&ascii(?r?,\"\xC3\xA9\",1)", "-87"},
        {"&ascii(?r?,\"\\0\")", "0"},
        {"&ascii(?r?,\"AB\",1e300)", "0"},
    });
}

TEST_F(TextFunctionsTest, Replace) {
    ExpectValues({
        {"&replace(?r?,\"aaa\",\"a\",\"b\",2)", "bba"},
        {"&replace(?r?,\"aaa\",\"a\",\"b\")", "bbb"},
        {"&replace(?r?,\"aaa\",\"a\",\"b\",0)", "aaa"},
        {"&replace(?r?,\"aaa\",\"a\",\"b\",-5)", "bbb"},
        {"&replace(?r?,\"aaa\",\"a\",\"b\",2.9)", "bba"},
        {"&replace(?r?,\"aaaa\",\"aa\",\"b\")", "bb"},
        {"&replace(?r?,\"aaa\",\"aa\",\"b\")", "ba"},
        // The inserted text is not searched again.
        {"&replace(?r?,\"ab\",\"a\",\"aa\")", "aab"},
        {"&replace(?r?,\"a-b-c\",\"-\",\"\")", "abc"},
        {"&replace(?r?,\"abc\",\"x\",\"y\")", "abc"},
        {"&replace(?r?,\"\",\"x\",\"y\")", ""},
        {"&replace(?r?,\"t\",\"\",\"ab\",2)", "ababt"},
        {"&replace(?r?,\"t\",\"\",\"ab\")", "t"},
        {"&replace(?r?,\"t\",\"\",\"ab\",-1)", "t"},
        {"&replace(?r?,\"t\",\"\",\"\",2147483647)", "t"},
        {"&replace(?r?,\"caf\xC3\xA9 \xC3\xA9\",\"\xC3\xA9\",\"e\")", "cafe e"},
        {"&replace(?r?,\"\xE9\xE9\",\"\xE9\",\"\xC3\xA9\",1)", "\xC3\xA9\xE9"},
    });
}

TEST_F(TextFunctionsTest, TagsAndPercentEscapes) {
    ExpectValues({
        {"&striphtml(?r?,\"<b>bold</b> > x\")", "bold > x"},
        {"&striphtml(?r?,\"keep<i unclosed\")", "keep"},
        {"&striphtml(?r?,\"&amp; <i>x</i>\")", "&amp; x"},
        {"&striphtml(?r?,\"<<a>>b\")", ">b"},
        {"&striphtml(?r?,\"\xC3\xA9<br>\xE9\")", "\xC3\xA9\xE9"},
        {"&pack(?r?,\"a b/c\")", "a%20b%2Fc"},
        {"&pack(?r?,\"1234567890azAZ_@-.*+\")", "1234567890azAZ_@-.*+"},
        {"&pack(?r?,\"%~&=\")", "%25%7E%26%3D"},
        {"&pack(?r?,\"\xE9\")", "%E9"},
        {"&pack(?r?,\"\xC3\xA9\")", "%C3%A9"},
        {"&pack(?r?,\"\\0\\n\")", "%00%0A"},
        {"&unpack(?r?,\"a%20b%2Fc\")", "a b/c"},
        {"&unpack(?r?,\"%e9%E9\")", "\xE9\xE9"},
        {"&unpack(?r?,\"%C3%A9\")", "\xC3\xA9"},
        {"&unpack(?r?,\"a+b\")", "a+b"},
        {"&unpack(?r?,\"%00x%00\")", "x"},
        {"&unpack(?r?,\"\")", ""},
    });
}

// Every call of the family with its target in place of {T}.
const std::vector<std::string>& CallTemplates() {
    static const std::vector<std::string> calls = {
        "&toupper({T},\"a\")",    "&tolower({T},\"A\")", "&strin({T},\"a\",\"a\")",
        "&midstr({T},\"a\",0,1)", "&strlen({T},\"a\")",  "&strtrim({T},\"a\")",
        "&ascii({T},\"a\")",      "&chr({T},65)",        "&replace({T},\"a\",\"a\",\"b\")",
        "&striphtml({T},\"a\")",  "&pack({T},\"a\")",    "&unpack({T},\"a\")",
    };
    return calls;
}

std::string WithTarget(std::string call, std::string_view target) {
    call.replace(call.find("{T}"), 3, target);
    return call;
}

TEST_F(TextFunctionsTest, TargetsMustBeDefinedReferences) {
    std::vector<FailureCase> cases;
    for (const std::string& call : CallTemplates()) {
        cases.push_back({WithTarget(call, "r"), kError48});
        cases.push_back({WithTarget(call, "?u?"), kError54});
    }
    ExpectFailures(cases);
}

TEST_F(TextFunctionsTest, EveryNumberedError) {
    ExpectFailures({
        {"&toupper(?r?)", kError68},
        {"&tolower(?r?,\"a\",\"b\")", kError68},
        {"&strin(?r?,\"a\")", kError68},
        {"&midstr(?r?,\"a\",1)", kError68},
        {"&strlen(?r?)", kError68},
        {"&strtrim(?r?,\"a\",\"b\")", kError68},
        {"&ascii(?r?)", kError68},
        {"&ascii(?r?,\"a\",1,2)", kError68},
        {"&chr(?r?)", kError68},
        {"&replace(?r?,\"a\",\"b\")", kError68},
        {"&replace(?r?,\"a\",\"b\",\"c\",1,2)", kError68},
        {"&striphtml(?r?)", kError68},
        {"&pack(?r?,\"a\",\"b\")", kError68},
        {"&unpack(?r?)", kError68},
        {"&toupper(?r?,abc)", kError47},
        {"&tolower(?r?,abc)", kError47},
        {"&strin(?r?,\"a\",abc)", kError47},
        {"&strin(?r?,a,\"abc\")", kError47},
        {"&midstr(?r?,abc,0,1)", kError47},
        {"&strlen(?r?,abc)", kError47},
        {"&strtrim(?r?,abc)", kError47},
        {"&ascii(?r?,abc)", kError47},
        {"&replace(?r?,\"a\",a,\"b\")", kError47},
        {"&replace(?r?,\"a\",\"a\",b)", kError47},
        {"&striphtml(?r?,abc)", kError47},
        {"&pack(?r?,abc)", kError47},
        {"&unpack(?r?,abc)", kError47},
        {"&midstr(?r?,\"abc\",1+,1)", kError32},
        {"&midstr(?r?,\"abc\",0,1/0)", kError34},
        {"&ascii(?r?,\"abc\",1/0)", kError34},
        {"&chr(?r?,65+)", kError32},
        {"&replace(?r?,\"a\",\"a\",\"b\",1/0)", kError34},
        {"&unpack(?r?,\"a%\")", kError17},
        {"&unpack(?r?,\"a%4\")", kError17},
        {"&unpack(?r?,\"%4g\")", kError17},
        {"&unpack(?r?,\"%G0\")", kError17},
        {"&unpack(?r?,\"%%41\")", kError17},
        {"&unpack(?r?,\"%20% 1\")", kError17},
    });
}

// Results that would pass 2^31 - 1 bytes fail before anything is allocated.
TEST_F(TextFunctionsTest, HugeReplacementsFailWithoutAllocating) {
    const std::string manyA(1000000, 'a');
    const std::string longReplacement(2200, 'b');
    ExpectFailures({
        {"&replace(?r?,\"x\",\"\",\"y\",2147483647)", kError120},
        {"&replace(?r?,\"x\",\"\",\"y\",1e300)", kError120},
        {"&replace(?r?,\"x\",\"\",\"yy\",1.1e9)", kError120},
        {"&replace(?r?,\"" + manyA + "\",\"a\",\"" + longReplacement + "\")", kError120},
    });
    // The same texts within the limit still work.
    const Outcome outcome =
        RunCalls(m_project, "&replace(?r?,\"" + manyA + "\",\"a\",\"" + longReplacement + "\",3)");
    EXPECT_EQ(outcome.result, 1) << outcome.message;
    EXPECT_EQ(outcome.r, longReplacement + longReplacement + longReplacement + manyA.substr(3));
}

}  // namespace
