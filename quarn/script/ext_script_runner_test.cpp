#include "quarn/script/ext_script_runner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/program_context.h"

namespace {

using script_testing::ScriptRun;
using script_testing::ScriptTestProject;

constexpr std::string_view kComplete = "Script execution complete.";
constexpr std::string_view kPremature =
    "Premature termination of script (Quarn end function not found).";
constexpr std::string_view kNotAllClosed = "ERROR- not all open Quarn output files were closed";

std::string Parser(std::string_view program) {
    std::string path = EXT_PARSER_DIR "/";
    path += program;
    return (path.ends_with(".py") ? "/usr/bin/python3 " : "/bin/sh ") + path;
}

// Collects the status lines a run posts, on a thread of its own as the main window would, so a
// run that posts several lines never waits for the mailbox.
class StatusLines {
public:
    StatusLines() : m_thread([this] { Collect(); }) {}
    ~StatusLines() { Stop(); }
    StatusLines(const StatusLines&) = delete;
    StatusLines& operator=(const StatusLines&) = delete;

    platform::MessageQueue* Window() { return &m_window; }
    // The lines posted so far; no more are collected afterwards.
    const std::vector<std::string>& Stop() {
        if (m_thread.joinable()) {
            m_window.Post(kStop, 0, 0);
            m_thread.join();
        }
        return m_lines;
    }

private:
    static constexpr unsigned kStop = platform::WM_USER + 999;

    void Collect() {
        while (m_window.Take().message != kStop)
            m_lines.push_back(g_szStatusMailbox.Take());
    }

    platform::MessageQueue m_window;
    std::vector<std::string> m_lines;
    std::thread m_thread;
};

struct ExtRun : ScriptRun {
    std::vector<std::string> status;
};

class ExtScriptRunnerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_project.Ok()) << m_project.Error();
        // kTwoPagesAndANest writes into html/sub.
        ASSERT_TRUE(m_project.WriteFile("html/sub/.keep", ""));
    }

    // Writes `output` as the script, which the parser `program` turns into its output, and runs
    // the script through it at `level`.
    ExtRun Run(std::string_view output, std::string_view program = "emit_script.sh", int level = 0,
               std::string_view scriptName = "script.txt") {
        if (!m_project.WriteFile(scriptName, output)) return {};
        m_project.SetProjectKey(project_key::scriptexec, Parser(program));
        StatusLines status;
        CExtScriptRunner runner(status.Window());
        ExtRun run;
        run.result = runner.Run("\"" + m_project.PathOf(scriptName) + "\"", level);
        run.message = runner.m_strMessage;
        run.status = status.Stop();
        // The parser was waited for: no child of this process is left, running or unreaped.
        int exitStatus = 0;
        const pid_t left = ::waitpid(-1, &exitStatus, WNOHANG);
        const int error = errno;
        EXPECT_EQ(left, -1);
        EXPECT_EQ(error, ECHILD);
        return run;
    }

    std::string Page(std::string_view name) const {
        return m_project.Page(name).value_or("<missing>");
    }
    std::string List(std::string_view name) const {
        return m_project.ReadFile(name).value_or("<missing>");
    }

    ScriptTestProject m_project;
};

constexpr std::string_view kTwoPagesAndANest =
    "outside\n"
    "<quarn openfile(\"first.html\")>\n"
    "  <h1>First</h1>\n"
    "\n"
    "tail<quarn closefile>\n"
    "<quarn openfile(sub\\outer.html, formatnone)>before\n"
    "<quarn openfile(\"inner.html\", 1)>\n"
    "\t<p>inner</p>\n"
    "<quarn closefile>after\n"
    "<quarn closefile>\n"
    "<quarn end>\n";

TEST_F(ExtScriptRunnerTest, TaggedLinesOpenFillAndClosePages) {
    m_project.SetProjectKey(project_key::resetupload, 1);
    const ExtRun run = Run(kTwoPagesAndANest);
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.message, kComplete);
    EXPECT_TRUE(run.status.empty());

    // Compacted: leading white space and empty lines go, the closefile's own empty line too.
    EXPECT_EQ(Page("first.html"), "<h1>First</h1>\r\ntail\r\n");
    // formatcr: the leading tab stays.
    EXPECT_EQ(Page("inner.html"), "\t<p>inner</p>\r\n");
    // formatnone: the text around the inner page as it came, each line with CR LF.
    EXPECT_EQ(Page("sub/outer.html"), "before\r\n\r\nafter\r\n\r\n");

    // Listed as generated when opened, as changed when written.
    EXPECT_EQ(List("htmlgen.log"), "first.html\r\nsub/outer.html\r\ninner.html\r\n");
    EXPECT_EQ(List("htmlgen.chg"), "first.html\r\ninner.html\r\nsub/outer.html\r\n");
    EXPECT_EQ(m_project.ProjectKey(project_key::htmltop), "first.html");
    EXPECT_EQ(m_project.ProjectKey(project_key::resetupload), 0);
}

TEST_F(ExtScriptRunnerTest, AnUnchangedSecondRunRewritesNothing) {
    ASSERT_EQ(Run(kTwoPagesAndANest).result, 1);
    ASSERT_TRUE(m_project.WriteFile("htmlgen.chg", "uploaded-later.html\r\n"));
    struct stat before {};
    ASSERT_EQ(::stat(m_project.PathOf("html/first.html").c_str(), &before), 0);

    const ExtRun again = Run(kTwoPagesAndANest);
    ASSERT_EQ(again.result, 1) << again.message;
    struct stat after {};
    ASSERT_EQ(::stat(m_project.PathOf("html/first.html").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(List("htmlgen.chg"), "uploaded-later.html\r\n");
    EXPECT_EQ(List("htmlgen.o"), List("htmlgen.log"));
}

// At level 0 a run starts new lists and removes what the run before made and this one did not;
// at level 1 (inside a publish job) it only adds to the lists.
TEST_F(ExtScriptRunnerTest, OnlyATopLevelRunRotatesListsAndDeletesStaleOutput) {
    const std::string page = "<quarn openfile(\"keep.html\")>\nk\n<quarn closefile>\n";
    ASSERT_EQ(
        Run(page + "<quarn openfile(\"old.html\")>\no\n<quarn closefile>\n<quarn end>\n").result,
        1);
    ASSERT_EQ(Run(page + "<quarn end>\n", "emit_script.sh", 1).result, 1);
    EXPECT_EQ(List("htmlgen.log"), "keep.html\r\nold.html\r\nkeep.html\r\n");
    EXPECT_FALSE(m_project.Exists("htmlgen.o"));
    EXPECT_TRUE(m_project.Exists("html/old.html"));

    ASSERT_EQ(Run(page + "<quarn end>\n").result, 1);
    EXPECT_EQ(List("htmlgen.log"), "keep.html\r\n");
    EXPECT_FALSE(m_project.Exists("html/old.html"));
    EXPECT_EQ(Page("keep.html"), "k\r\n");
}

TEST_F(ExtScriptRunnerTest, TextAroundATagStaysText) {
    const ExtRun run =
        Run("<quarn openfile(\"a.html\", formatnone)>first\n"
            "x<quarn closefile>y\n"
            "<quarn openfile(\"b.html\", formatnone)>\r\n"
            "cr stays\r\n"
            "<quarn closefile>\r\n"
            "<quarn end>\n");
    ASSERT_EQ(run.result, 1) << run.message;
    // "y" after the closefile is the next line, outside any page.
    EXPECT_EQ(Page("a.html"), "first\r\nx\r\n");
    EXPECT_EQ(Page("b.html"), "cr stays\r\r\n\r\n");
}

TEST_F(ExtScriptRunnerTest, ALastLineWithoutLineEndCounts) {
    const ExtRun run =
        Run("<quarn openfile(\"a.html\")>\nlast page line\n<quarn closefile>\n<quarn end>");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(Page("a.html"), "last page line\r\n");
}

TEST_F(ExtScriptRunnerTest, LinesThatArriveInPiecesAreWhole) {
    const ExtRun run = Run(kTwoPagesAndANest, "trickle.py");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(Page("inner.html"), "\t<p>inner</p>\r\n");
}

// The parser's standard input is at its end at once: a parser reading it does not wait forever.
TEST_F(ExtScriptRunnerTest, AParserThatReadsItsInputSeesItsEnd) {
    const ExtRun run = Run("<quarn openfile(\"a.html\")>\nread\n<quarn closefile>\n<quarn end>\n",
                           "read_stdin.py");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(Page("a.html"), "read\r\n");
}

TEST_F(ExtScriptRunnerTest, AParserThatExitsWithoutEndFailsAfterShowingItsText) {
    const ExtRun run =
        Run("  warning: something\n"
            "\n"
            "<quarn openfile(\"a.html\")>\nkept\n<quarn closefile>\n");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, kPremature);
    EXPECT_EQ(run.status, std::vector<std::string>{"warning: something\r\n"});
    // The page was written before the failure and stays listed for upload; the output list of a
    // failed top-level run is not written.
    EXPECT_EQ(Page("a.html"), "kept\r\n");
    EXPECT_EQ(List("htmlgen.chg"), "a.html\r\n");
    EXPECT_FALSE(m_project.Exists("htmlgen.log"));
}

TEST_F(ExtScriptRunnerTest, ACloseFileAtTopLevelEndsTheReading) {
    const ExtRun early = Run("<quarn closefile>\n<quarn end>\n");
    EXPECT_EQ(early.result, 0);
    EXPECT_EQ(early.message, kPremature);

    // The parser goes on writing for ever; the run closes the pipe and does not hang.
    const ExtRun late =
        Run("<quarn end>\n<quarn closefile>\n<quarn openfile(\"late.html\")>\n<quarn closefile>\n",
            "write_forever.sh");
    EXPECT_EQ(late.result, 1) << late.message;
    EXPECT_FALSE(m_project.Exists("html/late.html"));
}

TEST_F(ExtScriptRunnerTest, AParserThatDiesLeavesItsOpenPageUnwritten) {
    const ExtRun run =
        Run("<quarn openfile(\"done.html\")>\nd\n<quarn closefile>\n"
            "<quarn openfile(\"open.html\")>\n  half a page\n",
            "die_midway.sh");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, kNotAllClosed);
    // The shell that started the parser may add its own word on the death.
    ASSERT_EQ(run.status.size(), 1u);
    EXPECT_TRUE(run.status[0].starts_with("half a page\r\n")) << run.status[0];
    EXPECT_EQ(Page("done.html"), "d\r\n");
    EXPECT_FALSE(m_project.Exists("html/open.html"));
    EXPECT_EQ(List("htmlgen.chg"), "done.html\r\n");
}

TEST_F(ExtScriptRunnerTest, BadCommandsFailTheRunWithTheirError) {
    struct Case {
        const char* output;
        const char* message;
    };
    const Case cases[] = {
        {"<quarn openfile(\"../up.html\")>", "ERROR 95- illegal file path."},
        {"<quarn openfile(\"a/../../up.html\")>", "ERROR 95- illegal file path."},
        {"<quarn openfile(\"/abs.html\")>", "ERROR 95- illegal file path."},
        {"<quarn openfile(\"./a.html\")>", "ERROR 95- illegal file path."},
        {"<quarn openfile(\"c:a.html\")>", "ERROR 95- illegal file path."},
        {"<quarn openfile(\"\")>", "ERROR 95- illegal file path."},
        {"<quarn openfile>", "ERROR 68- illegal number of arguments in function."},
        {"<quarn openfile(a, 1, 2)>", "ERROR 68- illegal number of arguments in function."},
        {"<quarn openfile(\"a.html\")", "ERROR 49- premature end of script."},
        {"<quarn openfile(\"a.html\"", "ERROR 49- premature end of script."},
        {"<quarn openfile(\"a.html\" x)>", "ERROR 44- syntax error in function argument."},
        {"<quarn openfile(, a)>", "ERROR 44- syntax error in function argument."},
        {"<quarn openfile(\"a.html\", 1+)>",
         "ERROR 32- arithmetic/Boolean expression contains syntax errors."},
        {"<quarn openfile(\"a.html\")>\n<quarn end>", kNotAllClosed.data()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const ExtRun run = Run(std::string(c.output) + "\nignored\n<quarn end>\n");
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
        EXPECT_FALSE(m_project.Exists("html/up.html"));
    }
    EXPECT_FALSE(m_project.Exists("up.html"));
}

TEST_F(ExtScriptRunnerTest, APageThatCannotBeWrittenFailsTheRun) {
    const std::string page =
        "<quarn openfile(\"none/a.html\")>\nx\n<quarn closefile>\n<quarn end>\n";
    const ExtRun noDirectory = Run(page);
    EXPECT_EQ(noDirectory.result, 0);
    EXPECT_EQ(noDirectory.message,
              "ERROR 81- unable to write HTML file to disk. Check directory path.");

    m_project.SetProjectKey(project_key::roothtml, "missing");
    const ExtRun noRoot = Run(page);
    EXPECT_EQ(noRoot.result, 0);
    EXPECT_EQ(noRoot.message,
              "ERROR 94- local HTML directory could not be opened. Check program settings.");
    EXPECT_FALSE(m_project.Exists("htmlgen.chg"));
}

TEST_F(ExtScriptRunnerTest, AnUnknownCommandIsShownAndIgnored) {
    const ExtRun run = Run(
        "<quarn openfile(\"a.html\")>\nbefore<quarn flush(1)>\n<quarn closefile>\n<quarn end>\n");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.status,
              std::vector<std::string>{"ERROR 77- function/subroutine flush not recognised."});
    EXPECT_EQ(Page("a.html"), "before\r\n");
}

TEST_F(ExtScriptRunnerTest, PagesNestAtMostTwoHundredAndFiftyFiveDeep) {
    const auto nested = [](int depth) {
        std::string output;
        for (int i = 0; i < depth; ++i)
            output += "<quarn openfile(\"p" + std::to_string(i) + ".html\")>\n";
        for (int i = 0; i < depth; ++i)
            output += "<quarn closefile>\n";
        return output + "<quarn end>\n";
    };
    const ExtRun deepest = Run(nested(CExtScriptRunner::kMaxOpenDepth - 1));
    EXPECT_EQ(deepest.result, 1) << deepest.message;
    const ExtRun tooDeep = Run(nested(CExtScriptRunner::kMaxOpenDepth));
    EXPECT_EQ(tooDeep.result, 0);
    EXPECT_EQ(tooDeep.message, "ERROR 125- script nesting too deep.");
}

// The command line is scriptexec, a blank and the quoted path, run by the shell in scriptdir.
TEST_F(ExtScriptRunnerTest, TheParserGetsThePathAsOneArgumentInScriptdir) {
    ASSERT_TRUE(m_project.WriteFile("parsers/.keep", ""));
    m_project.SetProjectKey(project_key::scriptdir, "parsers");
    const ExtRun run = Run("", "show_call.sh", 0, "my script.txt");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(Page("call.html"), m_project.PathOf("parsers") + "\r\n1\r\n" +
                                     m_project.PathOf("my script.txt") + "\r\n\r\n");
}

TEST_F(ExtScriptRunnerTest, AParserThatCannotStartFailsTheRun) {
    m_project.SetProjectKey(project_key::scriptdir, "no such dir");
    const ExtRun run = Run("<quarn end>\n");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "Create process failed");
    EXPECT_EQ(run.status, std::vector<std::string>{"Create process failed"});

    // A parser the shell cannot find: its complaint is what the run shows.
    m_project.SetProjectKey(project_key::scriptdir, "");
    m_project.SetProjectKey(project_key::scriptexec, "no-such-parser-x");
    StatusLines status;
    CExtScriptRunner runner(status.Window());
    EXPECT_EQ(runner.Run("\"script.txt\"", 0), 0);
    EXPECT_EQ(runner.m_strMessage, kPremature);
    const std::vector<std::string>& lines = status.Stop();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("no-such-parser-x"), std::string::npos) << lines[0];
}

}  // namespace
