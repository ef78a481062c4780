#include "quarn/script/functions/control_functions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/program_context.h"

namespace {

using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";
const std::string kError47 = "ERROR 47- syntax error in text string.";
const std::string kError54 = "ERROR 54- unrecognised variable name.";
const std::string kError68 = "ERROR 68- illegal number of arguments in function.";
const std::string kError69 = "ERROR 69- do block must be followed by while function.";
const std::string kError79 = "ERROR 79- end of script reached before program block closed.";
const std::string kError82 = "ERROR 82- opening curly brace character expected.";
const std::string kError84 = "ERROR 84- break function found without enclosing loop.";
const std::string kError85 = "ERROR 85- continue function found without enclosing loop.";
const std::string kError86 = "ERROR 86- unrecognised operator in function argument.";
const std::string kError87 = "ERROR 87- script terminated on die function.";
const std::string kError91 =
    "ERROR 91- else or elseif function found without preceding if, elseif, foreachrow or "
    "getdata.";
const std::string kError101 = "ERROR 101- while function can now only be used in a do loop.";
const std::string kError118 =
    "ERROR 118- ignore or retry function encountered outside of an error handler.";
const std::string kError125 = "ERROR 125- script nesting too deep.";

std::string Error77(std::string_view name) {
    return "ERROR 77- function/subroutine " + std::string(name) + " not recognised.";
}

// Sets i to i + 1 without the variable built-ins: for's initial assignment, and no pass.
const std::string kIncI = "&for(?i?,?i?+1,0,0){}";
// Sets f to 1.
const std::string kSetF = "&strcmp(?f?,\"a\",eq,\"a\")";

constexpr std::string_view kUndefined = "<undefined>";

// What a run left: the result and final message, the page "p.html" and the variables.
struct Outcome {
    int result = 0;
    std::string message;
    std::string page;
    std::map<std::string, std::string> vars;
};

// Runs `script` with the variables i, f (both "0") and r ("x") defined before the run starts,
// so loops and comparisons have counters and results without the variable built-ins.
Outcome RunScript(const ScriptTestProject& project, std::string_view script) {
    Outcome outcome;
    if (!project.WriteFile(ScriptTestProject::kScriptName, script)) return outcome;
    CScriptInterpreter interp(nullptr);
    const std::map<std::string, std::string> preset = {{"i", "0"}, {"f", "0"}, {"r", "x"}};
    for (const auto& [name, value] : preset) {
        interp.DefineVariable(name);
        interp.SetVariable("?" + name + "?", value);
    }
    outcome.result = interp.RunScript(ScriptTestProject::kScriptName, 0);
    outcome.message = interp.m_strMessage;
    outcome.page = project.Page("p.html").value_or(std::string(kUndefined));
    for (const std::string name : {"i", "f", "r", "argv"}) {
        outcome.vars[name] =
            interp.GetVariableValue(name, 0) ? interp.m_strValue : std::string(kUndefined);
    }
    return outcome;
}

// `body` as the block of the page p.html.
std::string OnPage(std::string_view body) {
    return "&html(\"p.html\"){" + std::string(body) + "}";
}

struct PageCase {
    const char* name;
    std::string body;
    std::string page;
};

struct FailureCase {
    const char* name;
    std::string script;
    std::string message;
};

class ControlFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    Outcome Run(std::string_view script) { return RunScript(m_project, script); }

    // Runs `body` on the page and expects success with `page`.
    void ExpectPage(std::string_view body, std::string_view page) {
        const Outcome outcome = Run(OnPage(body));
        EXPECT_EQ(outcome.message, kComplete);
        EXPECT_EQ(outcome.result, 1);
        EXPECT_EQ(outcome.page, page);
    }

    // Runs `script` as it stands and expects failure with `message`.
    void ExpectFailure(std::string_view script, std::string_view message) {
        const Outcome outcome = Run(script);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.message, message);
    }

    void ExpectPages(const std::vector<PageCase>& cases) {
        for (const PageCase& c : cases) {
            SCOPED_TRACE(c.name);
            ExpectPage(c.body, c.page);
        }
    }

    void ExpectFailures(const std::vector<FailureCase>& cases) {
        for (const FailureCase& c : cases) {
            SCOPED_TRACE(c.name);
            ExpectFailure(c.script, c.message);
        }
    }

    ScriptTestProject m_project;
};

// --- if, elseif, else ---

TEST_F(ControlFunctionsTest, IfChainsRunExactlyOneBranch) {
    const std::vector<PageCase> cases = {
        {"true if", "&if(1){a}&else{b}", "a"},
        {"false if", "&if(0){a}&else{b}", "b"},
        {"0.5 is false", "&if(0.5){a}&else{b}", "b"},
        {"-0.5 is false", "&if(-0.5){a}&else{b}", "b"},
        {"-2.5 is true", "&if(-2.5){a}&else{b}", "a"},
        {"2^32 is true, no wrap", "&if(4294967296){a}&else{b}", "a"},
        {"condition with a variable", "&if(?i?+1){a}&else{b}", "a"},
        {"false if, true elseif", "&if(0){a}&elseif(1){b}&else{c}", "b"},
        {"true if, true elseif", "&if(1){a}&elseif(1){b}&else{c}", "a"},
        {"third branch", "&if(0){a}&elseif(0){b}&elseif(1){c}&else{d}", "c"},
        {"all false", "&if(0){a}&elseif(0){b}&else{c}", "c"},
        {"false chain without else", "&if(0){a}&elseif(0.9){b}z", "z"},
        {"nested chain", "&if(1){x&if(0){y}&else{z}w}&else{v}", "xzw"},
        {"comparison if", "&if(\"ab\",eq,\"ab\"){y}&else{n}", "y"},
        {"comparison elseif", "&if(\"a\",eq,\"b\"){1}&elseif(\"a\",ne,\"b\"){2}&else{3}", "2"},
        {"tag form", "<fif 0>a</fif><felseif 1>b</felseif><felse>c</felse>", "b"},
    };
    ExpectPages(cases);
}

TEST_F(ControlFunctionsTest, IfChainErrors) {
    const std::vector<FailureCase> cases = {
        {"else without if", OnPage("&else{b}"), kError91},
        {"elseif without if", OnPage("&elseif(1){b}"), kError91},
        {"second else", OnPage("&if(1){a}&else{b}&else{c}"), kError91},
        {"else after an unrelated call", OnPage("&if(0){a}" + kSetF + "&else{b}"), kError91},
        {"if with two arguments", OnPage("&if(1,2){a}"), kError68},
        {"if without arguments", OnPage("&if(){a}"), kError68},
        {"comparison if with four arguments", OnPage("&if(\"a\",eq,\"a\",or){a}"), kError68},
        {"else with an argument", OnPage("&if(0){a}&else(1){b}"), kError68},
        {"no brace", OnPage("&if(1)a}"), kError82},
        {"condition fails", OnPage("&if(?nope?){a}"), kError54},
        {"block never closed", "&if(1){\n", kError79},
        {"else block never closed", "&if(0){}&else{\n", kError79},
    };
    ExpectFailures(cases);
}

// --- comparisons ---

TEST_F(ControlFunctionsTest, StrcmpSetsItsResultVariable) {
    struct Case {
        const char* name;
        std::string args;
        std::string result;
    };
    const std::vector<Case> cases = {
        {"eq equal", R"("ab",eq,"ab")", "1"},
        {"eq differs", R"("ab",eq,"abc")", "0"},
        {"ne", R"("ab",ne,"abc")", "1"},
        {"lt", R"("abc",lt,"abd")", "1"},
        {"lt prefix", R"("ab",lt,"abc")", "1"},
        {"lt greater", R"("b",lt,"a")", "0"},
        {"gt", R"("b",gt,"a")", "1"},
        {"gt compares bytes unsigned", "\"\xe9\",gt,\"z\"", "1"},
        {"in", R"("ell",in,"hello")", "1"},
        {"in absent", R"("xyz",in,"hello")", "0"},
        {"ni", R"("xyz",ni,"hello")", "1"},
        {"ni present", R"("he",ni,"hello")", "0"},
        {"operator in upper case", R"("a",EQ,"a")", "1"},
        {"eq is case-sensitive", R"("ABC",eq,"abc")", "0"},
        {"EQ.NC ignores case", R"("ABC",EQ.NC,"abc")", "1"},
        {"in.nc", R"("ELL",in.nc,"Hello")", "1"},
        {"lt.nc", R"("B",lt.nc,"a")", "0"},
        {"substitution", R"("?f?",eq,"0")", "1"},
        {"or", R"("a",eq,"b",or,"a",eq,"a")", "1"},
        {"and", R"("a",eq,"a",and,"a",eq,"b")", "0"},
        {"joining word in upper case", R"("a",eq,"a",AND,"b",eq,"b")", "1"},
        {"no precedence: (a or b) and c", R"("x",eq,"x",or,"x",eq,"y",and,"x",eq,"y")", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Run("&strcmp(?r?," + c.args + ")");
        EXPECT_EQ(outcome.message, kComplete);
        EXPECT_EQ(outcome.vars.at("r"), c.result);
    }
}

TEST_F(ControlFunctionsTest, ComparisonErrors) {
    const std::vector<FailureCase> cases = {
        {"strcmp with three arguments", R"(&strcmp(?r?,"a",eq))", kError68},
        {"strcmp with five arguments", R"(&strcmp(?r?,"a",eq,"a",or))", kError68},
        {"unknown operator", R"(&strcmp(?r?,"a",like,"a"))", kError86},
        {"quoted operator", R"(&strcmp(?r?,"a","eq","a"))", kError86},
        {"unknown joining word", R"(&strcmp(?r?,"a",eq,"a",xor,"a",eq,"a"))", kError86},
        {"left side not quoted", R"(&strcmp(?r?,a,eq,"a"))", kError47},
        {"undefined result variable", R"(&strcmp(?nope?,"a",eq,"a"))", kError54},
        // No short cut: the second triple is evaluated although the result is already false.
        {"every triple evaluated", R"(&strcmp(?r?,"a",eq,"b",and,"?nope?",eq,"a"))", kError54},
    };
    ExpectFailures(cases);
}

// --- loops ---

TEST_F(ControlFunctionsTest, ForLoops) {
    const std::vector<PageCase> cases = {
        {"counts up", "&for(?i?,1,?i?<=3,1){?i?,}", "1,2,3,"},
        {"fractional step", "&for(?i?,1,?i?<=2,0.5){?i?,}", "1,1.5,2,"},
        {"counts down", "&for(?i?,3,?i?>0,-1){?i?}", "321"},
        {"0.5 is a true condition", "&for(?i?,1,0.5,1){x&break}", "x"},
        {"false at once", "&for(?i?,1,0,1){x}y", "y"},
        {"continue still steps", "&for(?i?,1,?i?<=4,1){&if(?i?==2){&continue}?i?}", "134"},
        {"break inside if", "&for(?i?,1,?i?<=9,1){?i?&if(?i?==3){&break}}after", "123after"},
        {"nested", "&for(?i?,1,?i?<=2,1){&for(?f?,1,?f?<=2,1){?i??f?;}}", "11;12;21;22;"},
    };
    ExpectPages(cases);

    const Outcome outcome = Run(OnPage("&for(?i?,1,?i?<=3,1){}"));
    EXPECT_EQ(outcome.vars.at("i"), "4");
}

TEST_F(ControlFunctionsTest, LoopAndRepeat) {
    const std::vector<PageCase> cases = {
        {"loop re-evaluates its condition", "&loop(?f?==0){x" + kSetF + "}y", "xy"},
        {"loop 0.5 is false", "&loop(0.5){x}y", "y"},
        {"loop break", "&loop(1){x&break}y", "xy"},
        {"loop continue skips the rest", "&loop(?f?==0){" + kSetF + "&continue x}y", "y"},
        {"repeat", "&repeat(3){x}", "xxx"},
        {"repeat counter", "&repeat(?i?,3){?i?}", "123"},
        {"repeat 0 skips", "&repeat(0){x}y", "y"},
        {"repeat -1 skips", "&repeat(-1){x}y", "y"},
        {"repeat count truncated", "&repeat(2.9){x}", "xx"},
        {"repeat count evaluated once", "&repeat(?i?,?i?+2){?i?}", "12"},
        {"repeat break", "&repeat(?i?,5){?i?&if(?i?==2){&break}}y", "12y"},
        {"repeat continue", "&repeat(?i?,3){&if(?i?==2){&continue}?i?}", "13"},
        {"break leaves the inner loop only",
         "&repeat(?i?,2){&repeat(?f?,3){&if(?f?==2){&break}?i??f?;}}", "11;21;"},
        {"tag form", "<frepeat 2>x</frepeat>", "xx"},
    };
    ExpectPages(cases);
}

TEST_F(ControlFunctionsTest, DoWhile) {
    const std::vector<PageCase> cases = {
        {"runs while true", "&do{?i?" + kIncI + "}&while(?i?<3)y", "012y"},
        {"runs once when false", "&do{x}&while(0)y", "xy"},
        {"0.5 is false", "&do{x}&while(0.5)y", "xy"},
        {"white space before while", "&do{x}\r\n  &while(0)y", "xy"},
        {"break", "&do{x&break}&while(1)y", "xy"},
        {"break does not evaluate the while", "&do{x&break}&while(?nope?)y", "xy"},
        {"continue", "&do{" + kIncI + "&if(?i?==2){&continue}?i?}&while(?i?<3)", "13"},
        {"tag form", "<fdo>?i?" + kIncI + "</fdo><fwhile ?i?<2>y", "01y"},
    };
    ExpectPages(cases);
}

TEST_F(ControlFunctionsTest, LoopErrors) {
    const std::vector<FailureCase> cases = {
        {"for with three arguments", OnPage("&for(?i?,1,1){x}"), kError68},
        {"for counter undefined", OnPage("&for(?nope?,1,1,1){x}"), kError54},
        {"loop without argument", OnPage("&loop(){x}"), kError68},
        {"repeat with three arguments", OnPage("&repeat(?i?,1,2){x}"), kError68},
        {"repeat counter undefined", OnPage("&repeat(?nope?,2){x}"), kError54},
        {"do with an argument", OnPage("&do(1){x}&while(0)"), kError68},
        {"do followed by text", OnPage("&do{x}y"), kError69},
        {"do followed by another call", OnPage("&do{x}&repeat(1){}"), kError69},
        {"do at the end of the text", "&do{\n}\n", kError69},
        {"do break followed by another call", OnPage("&do{&break}&repeat(1){}"), kError69},
        {"while with two arguments", OnPage("&do{x}&while(1,2)"), kError68},
        {"while without arguments", OnPage("&do{x}&while y"), kError68},
        {"while alone", OnPage("&while(1)"), kError101},
        {"loop body never closed", "&repeat(2){\n", kError79},
        {"break at the top", "&break\n", kError84},
        {"continue at the top", "&continue\n", kError85},
        {"break inside if at the top", "&if(1){&break}\n", kError84},
        {"break with an argument", OnPage("&repeat(1){&break(1)}"), kError68},
    };
    ExpectFailures(cases);
}

TEST_F(ControlFunctionsTest, ReturnAtTheTopEndsTheRunSuccessfully) {
    // Without an output file the text after the return would fail with ERROR 74.
    for (const std::string script : {"&return\nx", "&repeat(3){&return}x"}) {
        SCOPED_TRACE(script);
        const Outcome outcome = Run(script);
        EXPECT_EQ(outcome.result, 1);
        EXPECT_EQ(outcome.message, kComplete);
    }
}

// --- subroutines ---

TEST_F(ControlFunctionsTest, Subroutines) {
    const std::vector<PageCase> cases = {
        {"defined after the call, skipped by the flow", "&gosub(\"s\")&defsub(\"s\"){x}y", "xy"},
        {"names ignore case", "&gosub(\"S\")&defsub(\"s\"){x}&MySub()&defsub(\"MYSUB\"){z}", "xz"},
        {"name from a substitution", "&gosub(\"s?f?\")&defsub(\"s0\"){x}", "x"},
        {"call by name binds argv", "&show(\"a\",1+2)&defsub(\"show\"){?argv[1]?-?argv[2]?/?argv?}",
         "a-3/3"},
        {"nested argv: outer arguments first",
         "&outer(1,2)&defsub(\"outer\"){&inner(\"x\")}"
         "&defsub(\"inner\"){?argv[1]??argv[2]??argv[3]??argv?}",
         "12xx"},
        {"arguments are taken before any is bound",
         "&outer(5)&defsub(\"outer\"){&inner(?argv?+1,?argv?+1)}"
         "&defsub(\"inner\"){?argv[2]??argv[3]?}",
         "66"},
        {"recursion", "&down(3)&defsub(\"down\"){&if(?argv?>0){?argv?&down(?argv?-1)}}", "321"},
        {"return", "&s()&defsub(\"s\"){a&return b}c", "ac"},
        {"return inside a loop", "&s()&defsub(\"s\"){&repeat(?i?,5){?i?&if(?i?==2){&return}}z}c",
         "12c"},
        {"gosub in a loop", "&repeat(?i?,2){&gosub(\"s\")}&defsub(\"s\"){?i?}", "12"},
        {"tag form", "<fshow \"a\">b<fdefsub \"show\">[?argv?]</fdefsub>", "[a]b"},
        {"escaped call is not searched", "&gosub(\"s\")\\&defsub(\"s\")no&defsub(\"s\"){yes}",
         "yes&defsub(\"s\")no"},
    };
    ExpectPages(cases);
}

TEST_F(ControlFunctionsTest, ArgumentsAreGoneAfterTheCall) {
    const Outcome outcome = Run(OnPage("&s(1,2)&defsub(\"s\"){?argv?}"));
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(outcome.page, "2");
    EXPECT_EQ(outcome.vars.at("argv"), kUndefined);
}

TEST_F(ControlFunctionsTest, SubroutineErrors) {
    const std::vector<FailureCase> cases = {
        {"gosub unknown", OnPage("&gosub(\"nope\")"), Error77("nope")},
        {"gosub name lower-cased", OnPage("&gosub(\"NoPe\")"), Error77("nope")},
        {"call of an unknown name", OnPage("&NoPe(1)"), Error77("nope")},
        {"gosub with two arguments", OnPage("&gosub(\"a\",\"b\")"), kError68},
        {"gosub unquoted", OnPage("&gosub(s)&defsub(\"s\"){}"), kError47},
        {"defsub reached without a name", OnPage("&defsub(){x}"), kError68},
        {"search meets a defsub with two names",
         OnPage("&gosub(\"s\")&defsub(\"a\",\"b\"){}&defsub(\"s\"){}"), kError68},
        {"argument fails", OnPage("&s(?nope?)&defsub(\"s\"){}"), kError54},
        {"break in a subroutine inside a loop", OnPage("&repeat(2){&s}&defsub(\"s\"){&break}"),
         kError84},
        {"continue in a subroutine inside a loop",
         OnPage("&repeat(2){&s}&defsub(\"s\"){&continue}"), kError85},
        {"body never closed", "&s()&defsub(\"s\"){\n", kError79},
    };
    ExpectFailures(cases);
}

TEST_F(ControlFunctionsTest, DeepRecursionFailsWithNestingTooDeep) {
    // ERROR 125 is not one of the handled numbers: the ignoring handler never runs.
    Outcome outcome;
    script_testing::RunOnLargeStack(
        [&] { outcome = Run("&defsub(\"r\"){&r}&defsub(\"on_error\"){&ignore}&r\n"); });
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.message, kError125);
}

TEST_F(ControlFunctionsTest, RecursionBelowTheLimitWorks) {
    Outcome outcome;
    script_testing::RunOnLargeStack([&] {
        outcome = Run(OnPage("&down(300)&defsub(\"down\"){&if(?argv?>0){&down(?argv?-1)}}x"));
    });
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(outcome.page, "x");
}

// --- error handler answers, die ---

TEST_F(ControlFunctionsTest, HandlerAnswers) {
    const std::string onErrorIgnore = "&defsub(\"on_error\"){&ignore}";
    const std::vector<PageCase> cases = {
        {"ignore skips the die", "a&die()b" + onErrorIgnore, "ab"},
        // The handler reads no argument list where the failed call stopped, so the die's ")"
        // is not left behind as text.
        {"ignore leaves no stray parenthesis", "a&die()" + kSetF + "b" + onErrorIgnore, "ab"},
        // The text after a failed tag call is not read as the handler's arguments.
        {"ignore after a tag call", "<fdie> a <b>b</b>" + onErrorIgnore, "a <b>b</b>"},
        {"ignore inside a loop goes on with the loop", "&repeat(?i?,3){?i?&die()}" + onErrorIgnore,
         "123"},
        // The first answer retries: die runs again, fails again, and the second answer ignores.
        {"retry runs the failed call again",
         "a&die()b&defsub(\"on_error\"){&if(?f?==0){R" + kSetF + "&retry}&else{I&ignore}}", "aRIb"},
    };
    ExpectPages(cases);

    EXPECT_EQ(Run(OnPage("&die()" + kSetF + onErrorIgnore)).vars.at("f"), "1");
}

// A query of a missing table fails with the handled ERROR 1, before its block has run.
TEST_F(ControlFunctionsTest, HandlerAnswersAFailedBlockCall) {
    const std::string connection = m_project.AddSqliteDatabase("CREATE TABLE seed(a);");
    ASSERT_FALSE(connection.empty());
    const std::string source = "&datasource(\"" + connection + "\")";
    const std::string query = "&sql(\"SELECT v FROM t\"){[?v?]}";
    const std::vector<PageCase> cases = {
        {"ignore skips the call and its whole block",
         source + query + "after&defsub(\"on_error\"){&ignore}", "after"},
        {"retry runs the query again once the table exists",
         source + query + "after&defsub(\"on_error\"){&sqlnr(\"CREATE TABLE t(v)\")" +
             "&sqlnr(\"INSERT INTO t VALUES('ok')\")&retry}",
         "[ok]after"},
    };
    ExpectPages(cases);
}

TEST_F(ControlFunctionsTest, HandlerThatJustEndsKeepsTheFirstMessage) {
    const Outcome outcome = Run(OnPage("&die()&defsub(\"on_error\"){h}"));
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.message, kError87);
}

TEST_F(ControlFunctionsTest, DieAndAnswersOutsideAHandler) {
    const std::vector<FailureCase> cases = {
        {"die", OnPage("&die()"), kError87},
        {"die without parentheses", OnPage("&die x"), kError87},
        {"die with text", OnPage("&die(\"stopped at ?f?\")"), "stopped at 0"},
        {"die text failing", OnPage("&die(\"?nope?\")"), kError54},
        {"die unquoted", OnPage("&die(stop)"), kError47},
        {"die with two arguments", OnPage("&die(\"a\",\"b\")"), kError68},
        // The given text carries no error number, so on_error is not called.
        {"die text is not handled", OnPage("&die(\"custom\")&defsub(\"on_error\"){&ignore}"),
         "custom"},
        {"retry outside a handler", OnPage("&retry"), kError118},
        {"ignore outside a handler", OnPage("&ignore"), kError118},
        {"retry with an argument", OnPage("&die()&defsub(\"on_error\"){&retry(1)}"), kError68},
    };
    ExpectFailures(cases);
}

TEST_F(ControlFunctionsTest, HandlerThatAlwaysRetriesRunsUntilCancel) {
    // The run clears the flag when it starts, so it is set again until the run has ended.
    std::atomic<bool> finished = false;
    std::thread canceller([&] {
        while (!finished) {
            g_bCancelRequested = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const Outcome outcome = Run(OnPage("&die()&defsub(\"on_error\"){&retry}"));
    finished = true;
    canceller.join();
    g_bCancelRequested = false;
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.message, "Script execution terminated by user.");
}

}  // namespace
