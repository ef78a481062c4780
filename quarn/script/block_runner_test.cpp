#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/listing_archive.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/output_buffer.h"

namespace {

using script_testing::ScriptRun;
using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";
const std::string k74 = "ERROR 74- attempt made to write HTML without open file.";
const std::string k117 = "ERROR 117- block nesting error.";
const std::string k125 = "ERROR 125- script nesting too deep.";

std::string Error77(std::string_view name) {
    return "ERROR 77- function/subroutine " + std::string(name) + " not recognised.";
}

// What RunBlock made of a text run directly, with an output buffer open (or not).
struct BlockRun {
    int result = 0;
    std::string message;
    std::string output;
    int pos = 0;
    std::string closer;
};

BlockRun RunText(std::string_view text, bool withOutput = true) {
    CScriptInterpreter interp(nullptr);
    COutputBuffer buffer;
    if (withOutput) interp.m_pOutput = &buffer;
    interp.m_strText = text;
    BlockRun run;
    run.result = interp.RunBlock();
    run.message = interp.m_strMessage;
    run.output.assign(buffer.GetBuffer(), static_cast<std::size_t>(buffer.GetLength()));
    run.pos = interp.m_nPos;
    run.closer = interp.m_strCloser;
    return run;
}

// A page holding `body` exactly (no compaction).
std::string OnPage(std::string_view body) {
    return "&html(\"p.html\",2){" + std::string(body) + "}";
}

class BlockRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    ScriptTestProject m_project;
};

TEST_F(BlockRunnerTest, TemplateTextAndEscapes) {
    struct Case {
        const char* name;
        std::string text;
        std::string output;
    };
    const std::vector<Case> cases = {
        {"plain text", "Hello, world.\r\n", "Hello, world.\r\n"},
        {"escapes", "\\0\\a\\b\\f\\n\\r\\t\\v", std::string("\0\a\b\f\n\r\t\v", 8)},
        {"escaped specials", "\\&\\<\\?\\{\\}\\\\\\q", "&<?{}\\q"},
        {"font tag and closer", "<font size=\"2\">x</font>", "<font size=\"2\">x</font>"},
        {"other f tags", "<form><frame><frameset><fn><fieldset></FORM>",
         "<form><frame><frameset><fn><fieldset></FORM>"},
        {"tag without f", "<b>bold</b><p>", "<b>bold</b><p>"},
        {"unknown tag call", "<fnosuch a=1>x</fnosuch>", "<fnosuch a=1>x</fnosuch>"},
        {"lone <", "a < b <", "a < b <"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BlockRun run = RunText(c.text);
        EXPECT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(run.output, c.output);
    }
}

TEST_F(BlockRunnerTest, BlockEndsAtBraceOrKnownCloser) {
    struct Case {
        const char* name;
        std::string text;
        std::string output;
        std::string closer;
        int pos;
    };
    const std::vector<Case> cases = {
        {"brace", "ab}cd", "ab", "}", 2},
        {"closer of a block function", "ab</fhtml>cd", "ab", "html", 9},
        {"closer of any keyword", "ab</FCLS>cd", "ab", "cls", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BlockRun run = RunText(c.text);
        EXPECT_EQ(run.result, 2) << run.message;
        EXPECT_EQ(run.output, c.output);
        EXPECT_EQ(run.closer, c.closer);
        EXPECT_EQ(run.pos, c.pos);
    }
}

TEST_F(BlockRunnerTest, OutputIsNeededOnlyForVisibleBytes) {
    EXPECT_EQ(RunText(" \t\r\n \\n\\0", false).result, 1);
    struct Case {
        const char* name;
        std::string text;
        int pos;
    };
    const std::vector<Case> cases = {
        {"visible byte", " \r\n x", 4},         {"escape of a visible byte", "  \\q", 3},
        {"text fallback of a tag", " <b>", 1},  {"text fallback of a closer", " </fnosuch>", 1},
        {"substitution", " ?quarndate.y?", 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptInterpreter interp(nullptr);
        interp.m_strText = c.text;
        EXPECT_EQ(interp.RunBlock(), 0);
        EXPECT_EQ(interp.m_strMessage, k74);
        EXPECT_EQ(interp.m_nPos, c.pos);
    }
}

TEST_F(BlockRunnerTest, RunnerErrors) {
    struct Case {
        const char* name;
        std::string text;
        std::string message;
    };
    std::string name255(255, 'n');
    const std::vector<Case> cases = {
        {"backslash at the end", "ab\\", "ERROR 72- '\\' character found at end of file."},
        {"brace without owner", "a{b}",
         "ERROR 73- opening curly braces found without owner function."},
        {"unclosed substitution", "?abc",
         "ERROR 75- end of file found before closing '?' character in variable name."},
        {"escape at the end of a substitution", "?abc\\",
         "ERROR 75- end of file found before closing '?' character in variable name."},
        {"line feed in a substitution", "?ab\ncd?",
         "ERROR 98- newline character found in variable name."},
        {"256 characters", "?" + name255 + "n?",
         "ERROR 97- variable name exceeds maximum allowed length."},
        {"255 characters pass the runner", "?" + name255 + "?",
         "ERROR 54- unrecognised variable name."},
        {"ampersand without a name", "& x",
         "ERROR 96- ampersand character must be followed by function name."},
        {"ampersand before a list", "&(1)",
         "ERROR 96- ampersand character must be followed by function name."},
        {"end of text in a name", "&cls", "ERROR 80- premature end of script."},
        {"while outside do", "&while(1)\r\n",
         "ERROR 101- while function can now only be used in a do loop."},
        {"FTP command outside a session", "&ftpdel(\"x\")\r\n",
         "ERROR 114- function requires an open FTP session."},
        {"unknown ampersand call", "&nosuch\r\n", Error77("nosuch")},
        {"19-character name", "&abcdefghijklmnopqrs\r\n", Error77("abcdefghijklmnopqrs")},
        {"20-character name", "&abcdefghijklmnopqrst\r\n",
         "ERROR 83- error in function name abcdefghijklmnopqrst"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BlockRun run = RunText(c.text);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
    }
}

TEST_F(BlockRunnerTest, UnknownNamesAsTextWhenTheProjectAllowsThem) {
    m_project.SetProjectKey(project_key::eofnnf, 0);
    struct Case {
        const char* name;
        std::string text;
        std::string output;
    };
    const std::vector<Case> cases = {
        {"unknown ampersand call", "a&nosuch b", "a&nosuch b"},
        {"name of 20 characters", "&abcdefghijklmnopqrstu", "&abcdefghijklmnopqrstu"},
        {"unknown tag call", "<fnosuch>", "<fnosuch>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BlockRun run = RunText(c.text);
        EXPECT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(run.output, c.output);
    }
}

TEST_F(BlockRunnerTest, SubstitutionsFollowTheOutputModes) {
    struct Case {
        const char* name;
        int lineMode;
        int entities;
        std::string value;
        std::string output;
    };
    const std::vector<Case> cases = {
        {"as it is", 0, 0, "a\r\nb<&>\"", "a\r\nb<&>\""},
        {"BR before CR", 1, 0, "a\r\nb\r\n", "a<BR>\r\nb<BR>\r\n"},
        {"LF becomes BR", 2, 0, "a\r\nb\nc", "a<BR>b<BR>c"},
        {"entities", 0, 1, "<a href=\"x&y\">", "&#60;a href=&#34;x&#38;y&#34;&#62;"},
        {"UTF-8 as code points", 0, 1, "caf\xC3\xA9 \xE2\x82\xAC", "caf&#233; &#8364;"},
        {"other high bytes one by one", 0, 1, "\xE9\xA0\xFF", "&#233;\xA0&#255;"},
        {"entities keep the BR tags", 2, 1, "a<\nb", "a&#60;<BR>b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptInterpreter interp(nullptr);
        COutputBuffer buffer;
        interp.m_pOutput = &buffer;
        interp.m_nLineMode = c.lineMode;
        interp.m_bEntities = c.entities;
        ASSERT_TRUE(interp.DefineVariable("v"));
        ASSERT_TRUE(interp.SetVariable("?v?", c.value));
        interp.m_strText = "[?v?]";
        EXPECT_EQ(interp.RunBlock(), 1) << interp.m_strMessage;
        EXPECT_EQ(std::string(buffer.GetWrittenText()), "[" + c.output + "]");
    }
}

TEST_F(BlockRunnerTest, NestedReferencesAndEscapesStayInOneSubstitution) {
    CScriptInterpreter interp(nullptr);
    COutputBuffer buffer;
    interp.m_pOutput = &buffer;
    ASSERT_TRUE(interp.DefineVariable("i"));
    ASSERT_TRUE(interp.SetVariable("?i?", "2"));
    ASSERT_TRUE(interp.DefineVariable("a"));
    ASSERT_TRUE(interp.SetVariable("?a?", "one"));
    ASSERT_TRUE(interp.DefineVariable("a"));
    ASSERT_TRUE(interp.SetVariable("?a?", "two"));
    interp.m_strText = "?a[?i?]?/?a[1]?";
    EXPECT_EQ(interp.RunBlock(), 1) << interp.m_strMessage;
    EXPECT_EQ(std::string(buffer.GetWrittenText()), "two/one");
}

TEST_F(BlockRunnerTest, ReadFunctionNameStopsAtDelimitersAnd20Characters) {
    struct Case {
        const char* name;
        std::string text;
        int tagForm;
        int ok;
        std::string funcName;
        int pos;
    };
    const std::vector<Case> cases = {
        {"list", "name(1)", 0, 1, "name", 4},
        {"blank", "name x", 0, 1, "name", 4},
        {"brace", "name{", 0, 1, "name", 4},
        {"closing brace", "name}", 0, 1, "name", 4},
        {"tag end", "name>", 1, 1, "name", 4},
        {"> in the ampersand form", "na>me ", 0, 1, "na>me", 5},
        {"19 characters", "abcdefghijklmnopqrs ", 0, 1, "abcdefghijklmnopqrs", 19},
        {"20 characters, tag form", "abcdefghijklmnopqrstuv>", 1, 1, "abcdefghijklmnopqrst", 20},
        {"20 characters", "abcdefghijklmnopqrstuv ", 0, 0, "", 20},
        {"20 characters at the end", "abcdefghijklmnopqrst", 0, 0, "", 20},
        {"end of text", "abc", 0, 0, "", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptInterpreter interp(nullptr);
        interp.m_strText = c.text;
        interp.m_bTagForm = c.tagForm;
        EXPECT_EQ(interp.ReadFunctionName(), c.ok);
        if (c.ok) {
            EXPECT_EQ(interp.m_strFuncName, c.funcName);
        }
        EXPECT_EQ(interp.m_nPos, c.pos);
    }
}

TEST_F(BlockRunnerTest, ExpectBlockOpenFindsTheBlock) {
    struct Case {
        const char* name;
        std::string text;
        int tagForm;
        int ok;
        int pos;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"list end and brace", "){x", 0, 1, 2, ""},
        {"blanks before the brace", ")  \r\n{x", 0, 1, 6, ""},
        {"no list end", " {x", 0, 1, 2, ""},
        {"tag form", ">  x", 1, 1, 3, ""},
        {"no brace", ") x", 0, 0, 2, "ERROR 82- opening curly brace character expected."},
        {"end of text", ")  ", 0, 0, 3, "ERROR 49- premature end of script."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptInterpreter interp(nullptr);
        interp.m_strText = c.text;
        interp.m_bTagForm = c.tagForm;
        EXPECT_EQ(interp.ExpectBlockOpen(), c.ok);
        EXPECT_EQ(interp.m_nPos, c.pos);
        if (!c.ok) {
            EXPECT_EQ(interp.m_strMessage, c.message);
        }
    }
}

TEST_F(BlockRunnerTest, SkipBlockWalksToTheMatchingEnd) {
    struct Case {
        const char* name;
        std::string text;  // the block's inside and what follows it
        int tagForm;
        int ok;
        std::string closer;
        std::string after;  // the text from one past the final position
    };
    const std::vector<Case> cases = {
        {"brace", "a}b", 0, 1, "}", "b"},
        {"blanks after the block are passed", "a}  \r\nb", 0, 1, "}", "b"},
        {"nested braces", "{a{}}b}c", 0, 1, "}", "c"},
        {"escaped braces", "\\}\\{}c", 0, 1, "}", "c"},
        {"braces in quotes count", "&x(\"}\")}c", 0, 1, "}", "\")}c"},
        {"tag closer", "a</fhtml>b", 1, 1, "html", "b"},
        {"nested tag blocks", "<fif 1>x</fif></FHTML> b", 1, 1, "html", "b"},
        {"other tags are passed", "<font><fcls></fcls>}b", 0, 1, "}", "b"},
        {"mixed ends", "<fif 1>}</fif>c", 0, 1, "if", "c"},
        {"never closed", "a{b}", 0, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptInterpreter interp(nullptr);
        interp.m_strText = c.text;
        interp.m_bTagForm = c.tagForm;
        EXPECT_EQ(interp.SkipBlock(), c.ok);
        EXPECT_EQ(interp.m_bTagForm, c.tagForm);
        if (c.ok) {
            EXPECT_EQ(interp.m_strCloser, c.closer);
            EXPECT_EQ(interp.m_strText.substr(static_cast<std::size_t>(interp.m_nPos + 1)),
                      c.after);
        } else {
            EXPECT_EQ(interp.m_strMessage,
                      "ERROR 79- end of script reached before program block closed.");
        }
    }
}

TEST_F(BlockRunnerTest, CancelStopsAtTheNextBlock) {
    g_bCancelRequested = true;
    const BlockRun run = RunText("text");
    g_bCancelRequested = false;
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "Script execution terminated by user.");
    EXPECT_EQ(run.output, "");
}

TEST_F(BlockRunnerTest, BlockCallsMustEndAsTheyBegan) {
    struct Case {
        const char* name;
        std::string script;
        int result;
        std::string message;
        std::string page;
    };
    const std::vector<Case> cases = {
        {"tag call of html", "<fhtml \"p.html\",2>a<font>b</font></fhtml>", 1, kComplete,
         "a<font>b</font>"},
        {"ampersand block ended by a closer", "&html(\"p.html\",2){a</fhtml>", 0, k117, ""},
        {"tag block ended by a brace", "<fhtml \"p.html\",2>a}", 0, k117, ""},
        {"closer of another block", OnPage("<fif 1>a</fhtml>"), 0, k117, ""},
        {"skipped block checked too", OnPage("&if(0){a</fif>") + "}", 0, k117, ""},
        {"nested tag call inside an ampersand block",
         "&html(\"p.html\",2){&repeat(2){<fif 1>a</fif>}}", 1, kComplete, "aa"},
        {"tag form of a nested call does not leak",
         "&html(\"p.html\",2){&repeat(2){&if(1){<fbreak>}}}", 1, kComplete, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_project.WriteFile("html/p.html", ""));
        const ScriptRun run = m_project.Run(c.script);
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.message, c.message);
        if (c.result) {
            EXPECT_EQ(m_project.Page("p.html"), c.page);
        }
    }
}

TEST_F(BlockRunnerTest, TopLevelStopsBecomeErrors) {
    struct Case {
        const char* name;
        std::string script;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"block closed without opener", "\r\n}",
         "ERROR 70- program block closed without having been opened."},
        {"break outside a loop", "&break()\r\n",
         "ERROR 84- break function found without enclosing loop."},
        {"continue outside a loop", "&continue()\r\n",
         "ERROR 85- continue function found without enclosing loop."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScriptRun run = m_project.Run(c.script);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
    }
}

TEST_F(BlockRunnerTest, ReportErrorWritesTheLineMarkerAndMessage) {
    CScriptInterpreter interp(nullptr);
    // main includes a five-line file on its line 3; the error is on the include's line 2.
    interp.m_strText = "m1\r\nm2\r\n\r\ni1\r\n  &bad(1) tail\r\ni3\r\ni4\r\ni5\r\nm4";
    interp.m_astrIncludeMap = {"main.scp|1", "inc.scp|4", "main.scp|9"};
    interp.m_nErrorPos = static_cast<int>(interp.m_strText.find('&'));
    interp.m_strMessage = "ERROR 44- syntax error in function argument.";
    CListingArchive archive;
    ASSERT_EQ(archive.Open(m_project.PathOf("report")), 1);
    interp.m_pListArchive = &archive;
    interp.ReportError();
    ASSERT_EQ(archive.Close(), 1);
    EXPECT_EQ(m_project.ReadFile("report"),
              "&bad(1) tail\r\n"
              "^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^\r\n"
              "Error in or near above line. (Line 2 of file \"inc.scp\")\r\n"
              "\r\n"
              "ERROR 44- syntax error in function argument.\r\n"
              "Processing halted.\r\n");
    EXPECT_EQ(m_project.LastErrorLine(), 2);
    EXPECT_EQ(interp.m_strMessage, "ERROR 44- syntax error in function argument.");
}

TEST_F(BlockRunnerTest, ErrorLinesMapThroughTheIncludeTable) {
    struct Case {
        int expandedLine;
        int line;
        std::string file;
    };
    const std::vector<Case> cases = {
        {1, 1, "main.scp"}, {3, 3, "main.scp"}, {4, 1, "inc.scp"},   {5, 2, "inc.scp"},
        {8, 5, "inc.scp"},  {9, 4, "main.scp"}, {10, 5, "main.scp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expandedLine);
        CScriptInterpreter interp(nullptr);
        interp.m_astrIncludeMap = {"main.scp|1", "inc.scp|4", "main.scp|9"};
        interp.m_strText.clear();
        for (int i = 1; i < c.expandedLine; ++i)
            interp.m_strText += "x\r\n";
        interp.m_nErrorPos = static_cast<int>(interp.m_strText.size());
        interp.m_strText += "error here\r\n";
        interp.ReportError();
        EXPECT_EQ(m_project.LastErrorLine(), c.line);
    }
}

TEST_F(BlockRunnerTest, ReportErrorStopsBeforeTheLastCharacter) {
    CScriptInterpreter interp(nullptr);
    interp.m_strText = "x&bad";
    interp.m_astrIncludeMap = {"s.scp|1"};
    interp.m_nErrorPos = 1;
    interp.m_strMessage = "ERROR 44- syntax error in function argument.";
    CListingArchive archive;
    ASSERT_EQ(archive.Open(m_project.PathOf("report")), 1);
    interp.m_pListArchive = &archive;
    interp.ReportError();
    ASSERT_EQ(archive.Close(), 1);
    EXPECT_EQ(m_project.ReadFile("report").value_or("").substr(0, 6), "&ba\r\n^");
}

// --- The error handler ---

TEST_F(BlockRunnerTest, OnErrorHandlesOnlyItsErrors) {
    struct Case {
        const char* name;
        std::string script;
        int result;
        std::string message;
        std::string page;
    };
    const std::string handler = "&defsub(\"on_error\"){h}";
    const std::vector<Case> cases = {
        {"handler that just ends keeps the first message", OnPage(handler + "a&die()b"), 0,
         "ERROR 87- script terminated on die function.", ""},
        {"unhandled number never reaches the handler", OnPage(handler + "a&ftpdel(\"x\")b"), 0,
         "ERROR 114- function requires an open FTP session.", ""},
        {"die with its own text is not handled", OnPage(handler + "a&die(\"x\")b"), 0, "x", ""},
        {"ignore skips the call", OnPage("&defsub(\"on_error\"){&ignore}a&die()b"), 1, kComplete,
         "ab"},
        {"failed handler leaves its own message",
         OnPage("&defsub(\"on_error\"){&ftpdel(\"x\")}a&die()b"), 0,
         "ERROR 114- function requires an open FTP session.", ""},
        {"error inside the handler is not handled again",
         OnPage("&defsub(\"on_error\"){&die()}a&die()b"), 0,
         "ERROR 87- script terminated on die function.", ""},
        {"no handler", OnPage("a&die()b"), 0, "ERROR 87- script terminated on die function.", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_project.WriteFile("html/p.html", ""));
        const ScriptRun run = m_project.Run(c.script);
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.message, c.message);
        if (c.result) {
            EXPECT_EQ(m_project.Page("p.html"), c.page);
        }
    }
}

// A handled failure of a block function: sql on a table that does not exist yet (ERROR 1).
class OnErrorSqlTest : public BlockRunnerTest {
protected:
    void SetUp() override {
        BlockRunnerTest::SetUp();
        m_connect = m_project.AddSqliteDatabase("CREATE TABLE other (a INTEGER);");
        ASSERT_FALSE(m_connect.empty());
    }

    // Runs `body` on the page with `handler` as on_error, ?n? defined as 0 before the run; the
    // final ?n? in `n`.
    ScriptRun Run(std::string_view handler, std::string_view body, std::string& n) {
        const std::string script =
            OnPage("&datasource(\"" + m_connect + "\")&defsub(\"on_error\"){" +
                   std::string(handler) + "}" + std::string(body));
        CScriptInterpreter interp(nullptr);
        if (!m_project.WriteFile(ScriptTestProject::kScriptName, script)) return {};
        interp.DefineVariable("n");
        interp.SetVariable("?n?", "0");
        ScriptRun run;
        run.result = interp.RunScript(ScriptTestProject::kScriptName, 0);
        run.message = interp.m_strMessage;
        n = interp.GetVariableValue("n", 0) ? interp.m_strValue : "<undefined>";
        EXPECT_EQ(interp.m_bInErrorHandler, run.result ? 0 : interp.m_bInErrorHandler);
        return run;
    }

    std::string m_connect;
};

// Counts the handler's runs in ?n?.
const std::string kCount = "&for(?n?,?n?+1,0,0){}";

TEST_F(OnErrorSqlTest, RetryRunsTheFailedCallAgain) {
    std::string n;
    const ScriptRun run = Run(kCount + "&sqlnr(\"CREATE TABLE t (a INTEGER)\")&retry",
                              "[&sql(\"SELECT * FROM t\"){rows}]", n);
    EXPECT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.message, kComplete);
    EXPECT_EQ(n, "1");
    EXPECT_EQ(m_project.Page("p.html"), "[rows]");
    EXPECT_EQ(m_project.ProjectKey(project_key::lstprojerrmsg).substr(0, 9), "ERROR 1- ");
}

TEST_F(OnErrorSqlTest, IgnoreSkipsTheCallAndItsBlock) {
    struct Case {
        const char* name;
        std::string handler;
        std::string body;
        std::string page;
        std::string n;
    };
    const std::vector<Case> cases = {
        {"ampersand form", kCount + "&ignore", "[&sql(\"SELECT * FROM t\"){rows}]", "[]", "1"},
        {"tag form", kCount + "&ignore", "[<fsql \"SELECT * FROM t\">rows</fsql>]", "[]", "1"},
        {"block holding braces and tags", kCount + "&ignore",
         "[&sql(\"SELECT * FROM t\"){&if(1){a}<font>\\}}]", "[]", "1"},
        {"ignore after retries", kCount + "&if(?n?<3){&retry}&ignore",
         "[&sql(\"SELECT * FROM t\"){rows}]", "[]", "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string n;
        const ScriptRun run = Run(c.handler, c.body, n);
        EXPECT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(m_project.Page("p.html"), c.page);
        EXPECT_EQ(n, c.n);
    }
}

TEST_F(OnErrorSqlTest, HandlerThatEndsNormallyKeepsTheFirstFailure) {
    std::string n;
    const ScriptRun run = Run(kCount, "[&sql(\"SELECT * FROM t\"){rows}]", n);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message.substr(0, 9), "ERROR 1- ");
    EXPECT_EQ(n, "1");
}

TEST_F(BlockRunnerTest, NestingDepthIsLimited) {
    CScriptInterpreter interp(nullptr);
    interp.m_strText = "x";
    interp.m_nBlockDepth = CScriptInterpreter::kMaxNesting;
    EXPECT_EQ(interp.RunBlock(), 0);
    EXPECT_EQ(interp.m_strMessage, k125);
    EXPECT_EQ(interp.m_nBlockDepth, CScriptInterpreter::kMaxNesting);
}

// Blocks nested `depth` deep inside a page, run on this thread's stack.
ScriptRun RunNested(const ScriptTestProject& project, const std::string& open,
                    const std::string& close, int depth) {
    std::string body;
    for (int i = 0; i < depth; ++i)
        body += open;
    body += "x";
    for (int i = 0; i < depth; ++i)
        body += close;
    return project.Run(OnPage(body));
}

TEST_F(BlockRunnerTest, DeepNestingEndsWithAMessageOnTheMainStack) {
    // The page is one block; 998 more blocks inside it fit, one more does not.
    struct Case {
        const char* name;
        std::string open;
        std::string close;
    };
    const std::vector<Case> cases = {
        {"ampersand if", "&if(1){", "}"},
        {"tag if", "<fif 1>", "</fif>"},
        {"repeat", "&repeat(1){", "}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptRun run = RunNested(m_project, c.open, c.close, CScriptInterpreter::kMaxNesting - 2);
        EXPECT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(m_project.Page("p.html"), "x");
        run = RunNested(m_project, c.open, c.close, CScriptInterpreter::kMaxNesting - 1);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, k125);
    }
}

TEST_F(BlockRunnerTest, RunawaySubroutineRecursionEndsWithAMessage) {
    const ScriptRun run = m_project.Run(
        "&defsub(\"on_error\"){&ignore}\r\n&defsub(\"down\"){&down()}\r\n&down()\r\n");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, k125);
}

}  // namespace
