#include "quarn/script/script_interpreter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/listing_archive.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/frame_caption.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/sce_codec.h"

namespace {

using script_testing::GrowingValueScript;
using script_testing::ListingSection;
using script_testing::ListingSections;
using script_testing::ScriptRun;
using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";

// A page holding `body` exactly (no compaction).
std::string OnPage(std::string_view body) {
    return "&html(\"p.html\",2){" + std::string(body) + "}";
}

class ScriptInterpreterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    // The text the include pass makes of the file `path`, with the include-line table.
    struct Expansion {
        int ok = 0;
        std::string message;
        std::string text;
        std::vector<std::string> map;
    };
    Expansion Expand(std::string_view path) {
        CScriptInterpreter interp(nullptr);
        Expansion expansion;
        if (!interp.LoadScript(path)) {
            expansion.message = interp.m_strMessage;
            return expansion;
        }
        interp.StripComments();
        interp.m_astrIncludeMap.push_back(std::string(path) + "|1");
        expansion.ok = interp.ExpandIncludes(interp);
        expansion.message = interp.m_strMessage;
        expansion.text = interp.m_strExpanded;
        expansion.map = interp.m_astrIncludeMap;
        return expansion;
    }

    ScriptTestProject m_project;
};

TEST_F(ScriptInterpreterTest, ConstructorPresetsTablesAndMessage) {
    CScriptInterpreter interp(nullptr);
    ASSERT_EQ(interp.m_astrKeywords.size(), 88u);
    EXPECT_EQ(interp.m_astrKeywords[0], "sql");
    EXPECT_EQ(interp.m_astrKeywords[34], "while");
    EXPECT_EQ(interp.m_astrKeywords[74], "elseif");
    EXPECT_EQ(interp.m_astrKeywords[87], "voidfunction");
    for (int i = 0; i < CScriptInterpreter::kKeywordCount; ++i)
        EXPECT_EQ(interp.KeywordIndex(interp.m_astrKeywords[static_cast<std::size_t>(i)]), i);
    EXPECT_EQ(interp.KeywordIndex("include"), -1);
    EXPECT_EQ(interp.KeywordIndex("HTML"), -1);
    EXPECT_EQ(interp.m_strBlockFuncs,
              " fsql fhtml fforeachrow fif felse fdefsub floop fgetdata ffor fdo frepeat fdialup "
              "fpop3session fgetmails fsendmail fftpsession felseif ");
    EXPECT_EQ(interp.m_strFTagExclusions, " ont orm rame rameset n ieldset ");
    EXPECT_EQ(interp.m_strMessage,
              "ERROR65- an undefined error occurred whilst running script file.");
    EXPECT_TRUE(interp.IsBlockFunction("html"));
    EXPECT_TRUE(interp.IsBlockFunction("elseif"));
    // Whole names only: "htm" and "ql" are inside listed names, but are none.
    EXPECT_FALSE(interp.IsBlockFunction("htm"));
    EXPECT_FALSE(interp.IsBlockFunction("ql"));
    EXPECT_FALSE(interp.IsBlockFunction(""));
    EXPECT_FALSE(interp.IsBlockFunction("cls"));
}

TEST_F(ScriptInterpreterTest, EmptyScriptCompletes) {
    m_project.SetProjectKey(project_key::htmltop, "top.html");
    const ScriptRun run = m_project.Run("");
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.message, kComplete);
    // A top-level run starts new lists, htmltop included.
    EXPECT_EQ(m_project.ProjectKey(project_key::htmltop), "");
    EXPECT_EQ(m_project.LastErrorLine(), -1);

    m_project.SetProjectKey(project_key::htmltop, "top.html");
    const ScriptRun child = m_project.RunFile(ScriptTestProject::kScriptName, 1);
    EXPECT_EQ(child.result, 1);
    EXPECT_EQ(child.message, kComplete);
    EXPECT_EQ(m_project.ProjectKey(project_key::htmltop), "top.html");
}

TEST_F(ScriptInterpreterTest, SuccessResetsRunState) {
    m_project.SetProjectKey(project_key::resetupload, 1);
    g_settings.Set(kGlobalSection, global_key::lasterrorline, 7);
    const ScriptRun run = m_project.Run(OnPage("hello"));
    EXPECT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.message, kComplete);
    EXPECT_EQ(m_project.Page("p.html"), "hello");
    EXPECT_EQ(m_project.ProjectKey(project_key::resetupload), 0);
    EXPECT_EQ(m_project.LastErrorLine(), -1);
    EXPECT_EQ(m_project.GeneratedFiles(), "p.html\r\n");
    EXPECT_FALSE(m_project.Exists("lt0"));
    EXPECT_NE(m_project.Listing().find("+ Script file: script.scp\r\n"), std::string::npos);
}

TEST_F(ScriptInterpreterTest, FailureKeepsResetUpload) {
    m_project.SetProjectKey(project_key::resetupload, 1);
    const ScriptRun run = m_project.Run("\r\n{");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "ERROR 73- opening curly braces found without owner function.");
    EXPECT_EQ(m_project.ProjectKey(project_key::resetupload), 1);
    EXPECT_EQ(m_project.LastErrorLine(), 2);
}

TEST_F(ScriptInterpreterTest, FailedChildRunKeepsItsPagesListed) {
    const std::string script = OnPage("a") + "\r\n{";
    ASSERT_TRUE(m_project.WriteFile(ScriptTestProject::kScriptName, script));
    const ScriptRun child = m_project.RunFile(ScriptTestProject::kScriptName, 1);
    EXPECT_EQ(child.result, 0);
    EXPECT_EQ(m_project.GeneratedFiles(), "p.html\r\n");

    // A failed top-level run starts new lists and writes none.
    const ScriptRun top = m_project.RunFile(ScriptTestProject::kScriptName, 0);
    EXPECT_EQ(top.result, 0);
    EXPECT_FALSE(m_project.Exists("htmlgen.log"));
}

// A relative root is taken from the current directory, the project's.
TEST_F(ScriptInterpreterTest, HtmlRootDirIsTheProjectsRoot) {
    CScriptInterpreter interp(nullptr);
    EXPECT_EQ(interp.HtmlRootDir(), "html");
    m_project.SetProjectKey(project_key::roothtml, "site\\pages/./");
    EXPECT_EQ(interp.HtmlRootDir(), "site/pages");
    m_project.SetProjectKey(project_key::roothtml, "/srv/www/");
    EXPECT_EQ(interp.HtmlRootDir(), "/srv/www");
}

TEST_F(ScriptInterpreterTest, TopLevelReturnSucceeds) {
    const ScriptRun run = m_project.Run(OnPage("a") + "&return()\r\n{ never run");
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.message, kComplete);
    EXPECT_EQ(m_project.Page("p.html"), "a");
}

TEST_F(ScriptInterpreterTest, MissingScriptFailsBeforeAnythingElse) {
    std::vector<std::string> captions;
    SetFrameCaptionHook([&](const std::string& caption) { captions.push_back(caption); });
    const ScriptRun run = m_project.RunFile("nosuch.scp");
    SetFrameCaptionHook({});
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "ERROR 66- the script file nosuch.scp could not be opened.");
    EXPECT_TRUE(captions.empty());
    // The listing stays as created; nothing was folded into the run listing.
    EXPECT_TRUE(m_project.Exists("lt0"));
    EXPECT_FALSE(m_project.Exists("listfile.txt"));
}

TEST_F(ScriptInterpreterTest, CaptionNamesTheRunningScript) {
    std::vector<std::string> captions;
    SetFrameCaptionHook([&](const std::string& caption) { captions.push_back(caption); });
    ASSERT_TRUE(m_project.WriteFile("sub/page.scp", ""));
    const ScriptRun run = m_project.RunFile("sub\\page.scp");
    SetFrameCaptionHook({});
    EXPECT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(captions, (std::vector<std::string>{"Quarn Pro- page.scp", "Quarn Pro"}));
}

TEST_F(ScriptInterpreterTest, ListingThatCannotBeCreatedFails) {
    ASSERT_TRUE(m_project.WriteFile("lt0/blocker", ""));
    std::vector<std::string> captions;
    SetFrameCaptionHook([&](const std::string& caption) { captions.push_back(caption); });
    const ScriptRun run = m_project.Run("");
    SetFrameCaptionHook({});
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "ERROR 67- file could not be opened for writing.");
    EXPECT_EQ(captions, std::vector<std::string>{"Quarn Pro"});
}

TEST_F(ScriptInterpreterTest, ListingThatLosesBytesFailsTheRun) {
    ASSERT_EQ(::symlink("/dev/full", m_project.PathOf("lt0").c_str()), 0);
    const ScriptRun run = m_project.Run(OnPage("text for the listing"));
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "ERROR 67- file could not be opened for writing.");
    // The partial listing is not folded into the run listing as if it were whole.
    EXPECT_EQ(m_project.Listing().find("text for the listing"), std::string::npos);
}

// A script logging a growing value, and a runscript child doing the same, each keep their own
// listing and section to the limit and run to their end.
TEST_F(ScriptInterpreterTest, ListingOfEachRunStopsAtTheLimit) {
    constexpr std::size_t kLimit = 4096;
    constexpr int kIterations = 1000;
    ASSERT_TRUE(m_project.WriteFile("child.scp", GrowingValueScript(kIterations, "child.html")));
    ASSERT_TRUE(m_project.WriteFile(
        "main.scp", "&runscript(\"child.scp\")" + GrowingValueScript(kIterations, "main.html")));
    CScriptInterpreter interp(nullptr);
    interp.m_nListingLimit = kLimit;
    EXPECT_EQ(interp.RunScript("main.scp", 0), 1);
    EXPECT_EQ(interp.m_strMessage, kComplete);
    for (const char* page : {"child.html", "main.html"})
        EXPECT_EQ(m_project.Page(page).value_or("").size(), 3u * kIterations) << page;
    EXPECT_FALSE(m_project.Exists("lt0"));
    EXPECT_FALSE(m_project.Exists("lt1"));

    const std::string cutLine = CListingArchive::CutLine(kLimit);
    const std::vector<ListingSection> sections = ListingSections(m_project.Listing());
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].script, "child.scp");
    EXPECT_EQ(sections[1].script, "main.scp");
    for (const ListingSection& section : sections) {
        EXPECT_TRUE(section.body.ends_with("\r\n" + cutLine)) << section.script;
        EXPECT_LE(section.body.size(), kLimit + 2 + cutLine.size()) << section.script;
    }
}

TEST_F(ScriptInterpreterTest, ListingOffWritesNoListing) {
    m_project.SetProjectKey(project_key::listen, 0);
    const ScriptRun run = m_project.Run(OnPage("a") + "\r\n{");
    EXPECT_EQ(run.result, 0);
    EXPECT_FALSE(m_project.Exists("lt0"));
    EXPECT_EQ(m_project.Listing(), "");
    EXPECT_EQ(m_project.LastErrorLine(), 2);
}

TEST_F(ScriptInterpreterTest, RotateLogsFailureStopsTheRun) {
    // htmlgen.log cannot become htmlgen.o while a non-empty directory holds that name.
    ASSERT_TRUE(m_project.WriteFile("htmlgen.log", "old.html\r\n"));
    ASSERT_TRUE(m_project.WriteFile("htmlgen.o/keep", ""));
    const ScriptRun run = m_project.Run("");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "ERROR 67- file could not be opened for writing.");
}

// The job that runs a script clears the flag; a run at any level stops on a set one.
TEST_F(ScriptInterpreterTest, RunsLeaveTheCancelFlagAsFound) {
    ASSERT_TRUE(m_project.WriteFile(ScriptTestProject::kScriptName, " "));
    for (int level : {0, 1}) {
        SCOPED_TRACE(level);
        g_bCancelRequested = true;
        const ScriptRun run = m_project.RunFile(ScriptTestProject::kScriptName, level);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, "Script execution terminated by user.");
        EXPECT_TRUE(g_bCancelRequested);
    }
    g_bCancelRequested = false;
}

TEST_F(ScriptInterpreterTest, PlainScriptEndsAtItsFirstZeroByte) {
    const ScriptRun run = m_project.Run(OnPage("ab") + std::string(1, '\0') + "{");
    EXPECT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(m_project.Page("p.html"), "ab");
}

TEST_F(ScriptInterpreterTest, EncodedScriptsAreDecodedByTheirExtension) {
    std::string encoded;
    ASSERT_EQ(EncodeScript(OnPage("decoded"), encoded), SceEncodeResult::kOk);
    struct Case {
        const char* name;
        std::string file;
        std::string bytes;
        int result;
        std::string message;
    };
    std::string badCheck = encoded;
    badCheck[kSceHeader.size()] = static_cast<char>(badCheck[kSceHeader.size()] ^ 1);
    const std::vector<Case> cases = {
        {"lower case", "a.sce", encoded, 1, kComplete},
        {"upper case", "b.SCE", encoded, 1, kComplete},
        {"mixed case", "c.ScE", encoded, 1, kComplete},
        {"further extension is plain text", "d.sce.txt", encoded, 0,
         "ERROR 74- attempt made to write HTML without open file."},
        {"too short", "e.sce", encoded.substr(0, kScePreambleSize), 0,
         "ERROR 121- script file not encoded."},
        {"wrong header", "f.sce", "X" + encoded.substr(1), 0,
         "ERROR 121- script file not encoded."},
        {"wrong check byte", "g.sce", badCheck, 0, "ERROR 121- script file not encoded."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_project.WriteFile(c.file, c.bytes));
        const ScriptRun run = m_project.RunFile(c.file);
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.message, c.message);
        if (c.result) {
            EXPECT_EQ(m_project.Page("p.html"), "decoded");
        }
    }
}

TEST_F(ScriptInterpreterTest, StripCommentsKeepsLinesAndEscapes) {
    struct Case {
        const char* name;
        std::string text;
        std::string stripped;
    };
    const std::vector<Case> cases = {
        {"text, blank and comment", "text #comment\nnext", "text \r\nnext"},
        {"CR before LF goes with the comment", "a#b\r\nc", "a\r\nc"},
        {"escaped hash kept with its backslash", "a\\#b #c\n", "a\\#b \r\n"},
        {"escaped backslash before hash", "a\\\\#b\nc", "a\\\\\r\nc"},
        {"no LF drops the rest", "keep # drop", "keep "},
        {"hash inside quotes starts a comment", "&x(\"a#b\")\nz", "&x(\"a\r\nz"},
        {"backslash at the end", "a\\", "a\\"},
        {"no comment", "a\nb", "a\nb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptInterpreter interp(nullptr);
        interp.m_strText = c.text;
        interp.StripComments();
        EXPECT_EQ(interp.m_strText, c.stripped);
    }
}

TEST_F(ScriptInterpreterTest, EscapeSpecialsMarksTheFlaggedCharacters) {
    const std::string text = "#&?\\{}x";
    struct Case {
        int flags;
        std::string escaped;
    };
    const std::vector<Case> cases = {
        {0, text},
        {1, "\\#&?\\{}x"},
        {2, "#\\&?\\{}x"},
        {4, "#&\\?\\{}x"},
        {8, "#&?\\\\{}x"},
        {16, "#&?\\\\{\\}x"},
        {31, "\\#\\&\\?\\\\\\{\\}x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        CScriptInterpreter interp(nullptr);
        interp.m_strText = text;
        EXPECT_EQ(interp.EscapeSpecials(c.flags), 1);
        EXPECT_EQ(interp.m_strText, c.escaped);
    }
}

TEST_F(ScriptInterpreterTest, CountLinesCountsLineFeeds) {
    EXPECT_EQ(CScriptInterpreter::CountLines(""), 1);
    EXPECT_EQ(CScriptInterpreter::CountLines("a\r\nb\nc"), 3);
    EXPECT_EQ(CScriptInterpreter::CountLines("\n"), 2);
}

TEST_F(ScriptInterpreterTest, FindIncludeInBothFormsOnly) {
    struct Case {
        const char* name;
        std::string text;
        int pos;
        int tagForm;
    };
    const std::vector<Case> cases = {
        {"ampersand", "ab&include(\"x\")", 2, 0},
        {"upper case", "&INCLUDE(\"x\")", 0, 0},
        {"tag form", "x<finclude \"x\">", 1, 1},
        {"tag form upper F", "<FInclude \"x\">", 0, 1},
        {"behind a backslash", "\\&include(\"x\")", 1, 0},
        {"longer name", "&includes(\"x\")&include (\"y\")", 14, 0},
        {"tag without f", "<include \"x\">", -1, 1},
        {"closer is no include", "</finclude>", -1, 1},
        {"name at the end", "&include", 0, 0},
        {"none", "text", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptInterpreter interp(nullptr);
        interp.m_strText = c.text;
        EXPECT_EQ(interp.FindInclude(), c.pos);
        if (c.pos >= 0) {
            EXPECT_EQ(interp.m_bTagForm, c.tagForm);
        }
    }
}

TEST_F(ScriptInterpreterTest, IncludesAreSplicedWithTheirLineTable) {
    ASSERT_TRUE(m_project.WriteFile("main.scp", "m1\r\nm2\r\nx&include(\"inc.scp\") y\r\nm4"));
    ASSERT_TRUE(m_project.WriteFile("inc.scp", "i1\r\ni2\r\ni3\r\ni4\r\ni5"));
    const Expansion e = Expand("main.scp");
    ASSERT_EQ(e.ok, 1) << e.message;
    EXPECT_EQ(e.text, "m1\r\nm2\r\nx\r\ni1\r\ni2\r\ni3\r\ni4\r\ni5 y\r\nm4");
    EXPECT_EQ(e.map, (std::vector<std::string>{"main.scp|1", "inc.scp|4", "main.scp|9"}));
}

TEST_F(ScriptInterpreterTest, IncludePassCases) {
    ASSERT_TRUE(m_project.WriteFile("plain.inc", "P"));
    ASSERT_TRUE(m_project.WriteFile("specials.inc", "&?\\{}#c\n"));
    ASSERT_TRUE(m_project.WriteFile("comment.inc", "c #gone\nd"));
    ASSERT_TRUE(m_project.WriteFile("outer.inc", "<o&include(\"plain.inc\")o>"));
    ASSERT_TRUE(m_project.WriteFile("a)b.inc", "AB"));
    ASSERT_TRUE(m_project.WriteFile("sub/deep.inc", "D"));
    std::string encoded;
    ASSERT_EQ(EncodeScript("E", encoded), SceEncodeResult::kOk);
    ASSERT_TRUE(m_project.WriteFile("enc.sce", encoded));
    struct Case {
        const char* name;
        std::string main;
        std::string expanded;
    };
    const std::vector<Case> cases = {
        {"plain", "[&include(\"plain.inc\")]", "[\r\nP]"},
        {"tag form", "[<finclude \"plain.inc\">]", "[\r\nP]"},
        {"blanks before the list", "[&include (\"plain.inc\")]", "[\r\nP]"},
        {"encoded include", "[&include(\"enc.sce\")]", "[\r\nE]"},
        {"flags 0", "[&include(\"specials.inc\",0)]", "[\r\n&?\\{}\r\n]"},
        // With bit 1 the comment of the include is kept as text.
        {"flags 31", "[&include(\"specials.inc\",31)]", "[\r\n\\&\\?\\\\\\{\\}\\#c\n]"},
        {"flags as an expression", "[&include(\"specials.inc\",1+1)]", "[\r\n\\&?\\{}\r\n]"},
        {"comments of the include stripped", "[&include(\"comment.inc\")]", "[\r\nc \r\nd]"},
        {"nested", "[&include(\"outer.inc\")]", "[\r\n<o\r\nPo>]"},
        {"two includes", "&include(\"plain.inc\")-&include(\"plain.inc\")", "\r\nP-\r\nP"},
        {"backslash path", "[&include(\"sub\\\\deep.inc\")]", "[\r\nD]"},
        {"include behind a backslash", "[\\&include(\"plain.inc\")]", "[\\\r\nP]"},
        // The text resumes after the first ")" from the call, inside the file name.
        {"name holding )", "[&include(\"a)b.inc\")]", "[\r\nABb.inc\")]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_project.WriteFile("main.scp", c.main));
        const Expansion e = Expand("main.scp");
        EXPECT_EQ(e.ok, 1) << e.message;
        EXPECT_EQ(e.text, c.expanded);
    }
}

TEST_F(ScriptInterpreterTest, IncludeFailuresStopTheRunAtTheCall) {
    ASSERT_TRUE(m_project.WriteFile("self.inc", "x\r\n&include(\"self.inc\")"));
    ASSERT_TRUE(m_project.WriteFile("ping.inc", "&include(\"./sub/../pong.inc\")"));
    ASSERT_TRUE(m_project.WriteFile("pong.inc", "&include(\"ping.inc\")"));
    ASSERT_TRUE(m_project.WriteFile("plain.inc", "P"));
    ASSERT_TRUE(m_project.WriteFile("sub/other", ""));
    const std::string k116 = "ERROR 116- unable to open include file.";
    struct Case {
        const char* name;
        std::string main;
        std::string message;
        int line;
    };
    const std::vector<Case> cases = {
        {"missing file", "\r\n&include(\"nosuch.inc\")",
         "ERROR 66- the script file nosuch.inc could not be opened.", 2},
        {"no arguments", "&include()", "ERROR 68- illegal number of arguments in function.", 1},
        {"three arguments", "&include(\"plain.inc\",1,2)",
         "ERROR 68- illegal number of arguments in function.", 1},
        {"name not quoted", "&include(plain.inc)", "ERROR 47- syntax error in text string.", 1},
        {"includes itself", "&include(\"self.inc\")", k116, 2},
        {"main script included", "&include(\"script.scp\")", k116, 1},
        {"loop through another name", "&include(\"ping.inc\")", k116, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScriptRun run = m_project.Run(c.main);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
        EXPECT_EQ(m_project.LastErrorLine(), c.line);
    }
}

TEST_F(ScriptInterpreterTest, IncludeChainHoldsAtMost32Files) {
    // level<n>.inc includes level<n+1>.inc; the last one is plain text.
    const auto writeChain = [&](int files) {
        for (int i = 1; i < files; ++i) {
            ASSERT_TRUE(
                m_project.WriteFile("level" + std::to_string(i) + ".inc",
                                    "&include(\"level" + std::to_string(i + 1) + ".inc\")"));
        }
        ASSERT_TRUE(m_project.WriteFile("level" + std::to_string(files) + ".inc", "deep"));
    };
    // The main script and 31 includes.
    writeChain(31);
    ScriptRun run = m_project.Run(OnPage("&include(\"level1.inc\")"));
    EXPECT_EQ(run.result, 1) << run.message;
    std::string page;
    for (int i = 0; i < 31; ++i)
        page += "\r\n";
    EXPECT_EQ(m_project.Page("p.html"), page + "deep");

    writeChain(32);
    run = m_project.Run(OnPage("&include(\"level1.inc\")"));
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "ERROR 116- unable to open include file.");
}

TEST_F(ScriptInterpreterTest, ErrorsInIncludesReportTheirOwnFileAndLine) {
    // The main script includes a five-line file on its line 3.
    ASSERT_TRUE(m_project.WriteFile("inc.scp", "\r\n{\r\n\r\n\r\n"));
    ASSERT_TRUE(m_project.WriteFile("blank.scp", "\r\n\r\n\r\n\r\n"));
    struct Case {
        const char* name;
        std::string main;
        std::string report;
        int line;
    };
    const std::vector<Case> cases = {
        {"line 2 of the include", "\r\n\r\n&include(\"inc.scp\")\r\n",
         "{\r\n^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^\r\n"
         "Error in or near above line. (Line 2 of file \"inc.scp\")\r\n",
         2},
        {"line 4 of the main script after the include", "\r\n\r\n&include(\"blank.scp\")\r\n{\r\n",
         "{\r\n^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^\r\n"
         "Error in or near above line. (Line 4 of file \"script.scp\")\r\n",
         4},
    };
    const std::string k73 = "ERROR 73- opening curly braces found without owner function.";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScriptRun run = m_project.Run(c.main);
        EXPECT_EQ(run.result, 0);
        // The message stays bare; the report goes to the listing.
        EXPECT_EQ(run.message, k73);
        EXPECT_EQ(m_project.LastErrorLine(), c.line);
        const std::string listing = m_project.Listing();
        EXPECT_NE(listing.find(c.report), std::string::npos) << listing;
        EXPECT_NE(listing.find("\r\n" + k73 + "\r\nProcessing halted.\r\n"), std::string::npos)
            << listing;
    }
}

}  // namespace
