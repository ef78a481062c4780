#include "quarn/script/functions/variable_functions.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"

namespace {

using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";
const std::string kError32 = "ERROR 32- arithmetic/Boolean expression contains syntax errors.";
const std::string kError33 = "ERROR 33- arithmetic/Boolean expression contains illegal characters.";
const std::string kError41 = "ERROR 41- illegal zero-length split string.";
const std::string kError47 = "ERROR 47- syntax error in text string.";
const std::string kError48 = "ERROR 48- syntax error in variable name.";
const std::string kError54 = "ERROR 54- unrecognised variable name.";
const std::string kError68 = "ERROR 68- illegal number of arguments in function.";
const std::string kError120 = "ERROR 120- unable to allocate memory.";

// What a run left: the result, the final message and the variable store as "name=value;" in
// definition order.
struct Outcome {
    int result = 0;
    std::string message;
    std::string store;
};

Outcome RunScript(const ScriptTestProject& project, std::string_view script) {
    Outcome outcome;
    if (!project.WriteFile(ScriptTestProject::kScriptName, script)) return outcome;
    CScriptInterpreter interp(nullptr);
    outcome.result = interp.RunScript(ScriptTestProject::kScriptName, 0);
    outcome.message = interp.m_strMessage;
    for (std::size_t i = 0; i < interp.m_astrVarNames.size(); ++i)
        outcome.store += interp.m_astrVarNames[i] + "=" + interp.m_astrVarValues[i] + ";";
    return outcome;
}

struct StoreCase {
    const char* name;
    std::string script;
    std::string store;
};

struct FailureCase {
    const char* name;
    std::string script;
    std::string message;
    // What stays done before the failing step.
    std::string store;
};

class VariableFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    Outcome Run(std::string_view script) { return RunScript(m_project, script); }

    void ExpectStores(const std::vector<StoreCase>& cases) {
        for (const StoreCase& c : cases) {
            SCOPED_TRACE(c.name);
            const Outcome outcome = Run(c.script);
            EXPECT_EQ(outcome.message, kComplete);
            EXPECT_EQ(outcome.result, 1);
            EXPECT_EQ(outcome.store, c.store);
        }
    }

    void ExpectFailures(const std::vector<FailureCase>& cases) {
        for (const FailureCase& c : cases) {
            SCOPED_TRACE(c.name);
            const Outcome outcome = Run(c.script);
            EXPECT_EQ(outcome.result, 0);
            EXPECT_EQ(outcome.message, c.message);
            EXPECT_EQ(outcome.store, c.store);
        }
    }

    ScriptTestProject m_project;
};

TEST_F(VariableFunctionsTest, DefineSetAndStep) {
    ExpectStores({
        {"defvar then inc twice", "&defvar(?x?)&inc(?x?)&inc(?x?)", "x=2;"},
        {"dec of an empty value", "&defvar(?x?)&dec(?x?)", "x=-1;"},
        {"inc of a fraction", "&defvar(?x?)&assign(?x?,\"0.25\")&inc(?x?)", "x=1.25;"},
        {"several targets", "&defvar(?a?,?b[2]?,?c?)", "a=;b=;b=;c=;"},
        {"array of three", "&defvar(?a[3]?)", "a=;a=;a=;"},
        {"index 0 defines one", "&defvar(?a[0]?)", "a=;"},
        {"negative index defines nothing", "&defvar(?a[-2]?)", ""},
        {"index as expression, truncated", "&defvar(?a[1+1.9]?)", "a=;a=;"},
        {"assign evaluates unquoted values", "&defvar(?x?,?y?)&assign(?x?,2*3,?y?,\"2*3\")",
         "x=6;y=2*3;"},
        {"assign to an element", "&defvar(?a[3]?)&assign(?a[2]?,\"m\",?a[-1]?,\"p\",?a?,\"n\")",
         "a=;a=p;a=n;"},
        {"assign keeps bytes above 127", "&defvar(?x?)&assign(?x?,\"\xC3\xA9\xE2\x82\xAC \xE9\")",
         "x=\xC3\xA9\xE2\x82\xAC \xE9;"},
    });
}

TEST_F(VariableFunctionsTest, DeleteRemovesNewestAndArraysWhole) {
    ExpectStores({
        {"delete uncovers the outer x",
         "&defvar(?x?)&assign(?x?,\"outer\")&defvar(?x?)&assign(?x?,\"inner\")&delete(?x?)",
         "x=outer;"},
        // The index of a deleted reference is ignored: the newest goes.
        {"delete with an index removes the newest",
         "&defvar(?x[2]?)&assign(?x[1]?,\"old\",?x?,\"new\")&delete(?x[1]?)", "x=old;"},
        {"delete several", "&defvar(?a?,?b?,?c?)&delete(?a?,?c?)", "b=;"},
        {"arraydelete several", "&defvar(?a[2]?,?b?,?c[3]?)&arraydelete(?c?,?a?)", "b=;"},
        {"arraysize counts, then 0 after arraydelete",
         "&defvar(?n?,?m?,?a[3]?)&arraysize(?n?,?a?)&arraydelete(?a?)&arraysize(?m?,?a?)",
         "n=3;m=0;"},
        {"arraysize of an undefined array is 0", "&defvar(?n?)&arraysize(?n?,?none?)", "n=0;"},
    });
}

TEST_F(VariableFunctionsTest, SplitAppendsAndJoinConcatenates) {
    ExpectStores({
        {"split at blanks, then join", "&defvar(?j?)&split(?w?,\"one two three\")&join(?j?,?w?)",
         "j=onetwothree;w=one;w=two;w=three;"},
        {"a second split appends",
         "&defvar(?j?)&split(?w?,\"one two three\")&split(?w?,\"a;b\",\";\")&join(?j?,?w?)",
         "j=onetwothreeab;w=one;w=two;w=three;w=a;w=b;"},
        {"empty pieces stay", "&split(?w?,\"a,,b,\",\",\")", "w=a;w=;w=b;w=;"},
        {"an empty text is one empty piece", "&split(?w?,\"\")", "w=;"},
        {"a separator of several bytes", "&split(?w?,\"a<>b<><>c\",\"<>\")", "w=a;w=b;w=;w=c;"},
        // Each piece goes to the occurrence the target picks: here always the first.
        {"an indexed target keeps writing that occurrence", "&defvar(?w?)&split(?w[1]?,\"a b c\")",
         "w=c;w=;w=;w=;"},
        {"UTF-8 separator and bytes above 127",
         "&split(?w?,\"\xC3\xA9\xE2\x82\xAC\xE9\xE2\x82\xAC\",\"\xE2\x82\xAC\")",
         "w=\xC3\xA9;w=\xE9;w=;"},
        {"join of an undefined array is empty", "&defvar(?j?)&assign(?j?,\"x\")&join(?j?,?no?)",
         "j=;"},
        {"join into its own array", "&split(?w?,\"p q\")&join(?w?,?w?)", "w=p;w=pq;"},
    });
}

TEST_F(VariableFunctionsTest, ListingShowsAssignmentsAndReferences) {
    const Outcome outcome =
        Run("&defvar(?x?)&assign(?x?,1+1,?x?,\"%s%n\xC3\xA9\")&voidfunction(?a?,?b[2]?,?c[-1]?)"
            "&voidfunction()");
    EXPECT_EQ(outcome.message, kComplete);
    const std::string listing = m_project.Listing();
    EXPECT_NE(listing.find("Variable ?x? set to 2\r\nVariable ?x? set to %s%n\xC3\xA9\r\n"
                           "a,0b,2c,-1\r\n\r\n"),
              std::string::npos)
        << listing;
}

TEST_F(VariableFunctionsTest, EveryNumberedError) {
    ExpectFailures({
        {"defvar without arguments", "&defvar()", kError68, ""},
        {"defvar without question marks", "&defvar(?a?,x)", kError48, "a=;"},
        {"assign with an odd count", "&defvar(?x?)&assign(?x?,1,?x?)", kError68, "x=;"},
        {"assign without question marks", "&defvar(?x?)&assign(x,1)", kError48, "x=;"},
        // An assign never defines: the target must exist.
        {"assign to an undefined variable", "&assign(?u?,1)", kError54, ""},
        {"a failing pair keeps the earlier ones",
         "&defvar(?x?,?y?)&assign(?x?,\"1\",?u?,\"2\",?y?,\"3\")", kError54, "x=1;y=;"},
        {"assign of a bad expression", "&defvar(?x?)&assign(?x?,1+)", kError32, "x=;"},
        {"inc of a text", "&defvar(?x?)&assign(?x?,\"abc\")&inc(?x?)", kError33, "x=abc;"},
        {"inc with two arguments", "&defvar(?x?)&inc(?x?,?x?)", kError68, "x=;"},
        {"inc of an undefined variable", "&inc(?u?)", kError54, ""},
        {"dec without arguments", "&dec()", kError68, ""},
        {"dec of an undefined variable", "&dec(?u?)", kError54, ""},
        // The target evaluates to a number, which is no reference to store into.
        {"inc of a number", "&inc(5)", kError48, ""},
        {"delete without arguments", "&delete()", kError68, ""},
        {"delete stops at the first failure", "&defvar(?a?,?b?)&delete(?a?,?u?,?b?)", kError54,
         "b=;"},
        {"delete without question marks", "&defvar(?a?)&delete(a)", kError48, "a=;"},
        {"arraydelete stops at the first failure", "&defvar(?a[2]?,?b?)&arraydelete(?a?,?u?,?b?)",
         kError54, "b=;"},
        {"arraydelete without arguments", "&arraydelete()", kError68, ""},
        // The store reports an array it removed nothing of as unknown, whatever the reason.
        {"arraydelete without question marks", "&defvar(?a?)&arraydelete(a)", kError54, "a=;"},
        {"arraysize with one argument", "&arraysize(?n?)", kError68, ""},
        {"arraysize into an undefined target", "&defvar(?a?)&arraysize(?n?,?a?)", kError54, "a=;"},
        {"arraysize of a malformed array", "&defvar(?n?)&arraysize(?n?,a)", kError48, "n=;"},
        {"join with three arguments", "&join(?j?,?w?,?w?)", kError68, ""},
        {"join into an undefined target", "&split(?w?,\"a b\")&join(?j?,?w?)", kError54,
         "w=a;w=b;"},
        {"join of a malformed array", "&defvar(?j?)&join(?j?,w)", kError48, "j=;"},
        {"split with four arguments", "&split(?w?,\"a\",\" \",\" \")", kError68, ""},
        {"split without question marks", "&split(w,\"a b\")", kError48, ""},
        {"split of unquoted text", "&split(?w?,a b)", kError47, ""},
        {"split at an empty separator", "&split(?w?,\"a b\",\"\")", kError41, ""},
        {"split into a missing occurrence keeps the new element", "&split(?w[-1]?,\"a b\")",
         kError54, "w=;"},
        {"voidfunction without question marks", "&voidfunction(?a?,b)", kError48, ""},
    });
}

// An index of any size is one int, and definitions the store cannot hold
// fail before anything is allocated, keeping what earlier targets defined.
TEST_F(VariableFunctionsTest, HugeDefinitionCountsFailWithoutAllocating) {
    const std::string longName(255, 'n');
    ExpectFailures({
        {"largest int", "&defvar(?a?,?x[2147483647]?,?b?)", kError120, "a=;"},
        {"beyond 32 bits saturates", "&defvar(?x[1e300]?)", kError120, ""},
        {"past the store's limit", "&defvar(?x[40000000]?)", kError120, ""},
        // 6.8 million pieces of a 255-byte name pass the limit, though the text is small.
        {"split into more pieces than the store holds",
         "&split(?" + longName + "?,\"" + std::string(6800000, ',') + "\",\",\")", kError120, ""},
    });
    ExpectStores({{"beyond 32 bits negative defines nothing", "&defvar(?x[-1e300]?)", ""}});
}

}  // namespace
