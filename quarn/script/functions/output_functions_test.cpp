#include "quarn/script/functions/output_functions.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/settings.h"
#include "quarn/services/settings_keys.h"

namespace {

using script_testing::FileSizeLimit;
using script_testing::ScriptTestProject;
using ::testing::HasSubstr;
using ::testing::Not;

using Variables = std::vector<std::pair<std::string, std::string>>;
using Names = std::vector<std::string>;

const std::string kIllegalPath = "ERROR 95- illegal file path.";
const std::string kRootMissing =
    "ERROR 94- local HTML directory could not be opened. Check program settings.";
const std::string kPageNotWritten =
    "ERROR 81- unable to write HTML file to disk. Check directory path.";
const std::string kComplete = "Script execution complete.";

// One run and the bookkeeping lists the interpreter held at its end.
struct OutputRun {
    int result = 0;
    std::string message;
    Names genFiles;
    Names chgFiles;
    Names genDirs;
    Names chgDirs;
};

// Identity and time stamp of a file, to tell a rewrite from a file left alone.
struct FileStamp {
    ino_t inode = 0;
    timespec mtime{};
    bool operator==(const FileStamp& other) const {
        return inode == other.inode && mtime.tv_sec == other.mtime.tv_sec &&
               mtime.tv_nsec == other.mtime.tv_nsec;
    }
};

// Local time as UTC while this lives.
class UtcTimeZone {
public:
    UtcTimeZone() {
        if (const char* old = std::getenv("TZ")) m_old = old;
        m_hadOld = std::getenv("TZ") != nullptr;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    ~UtcTimeZone() {
        if (m_hadOld) {
            ::setenv("TZ", m_old.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    std::string m_old;
    bool m_hadOld = false;
};

class OutputFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    // Runs `script` at level 0 with `variables` defined beforehand.
    OutputRun Run(std::string_view script, const Variables& variables = {}) {
        OutputRun run;
        if (!m_project.WriteFile(ScriptTestProject::kScriptName, script)) return run;
        CScriptInterpreter interp(nullptr);
        for (const auto& [name, value] : variables) {
            EXPECT_EQ(interp.DefineVariable(name), 1);
            EXPECT_EQ(interp.SetVariable("?" + name + "?", value), 1) << interp.m_strMessage;
        }
        run.result = interp.RunScript(ScriptTestProject::kScriptName, 0);
        run.message = interp.m_strMessage;
        run.genFiles = interp.m_astrGenFiles;
        run.chgFiles = interp.m_astrChgFiles;
        run.genDirs = interp.m_astrGenDirs;
        run.chgDirs = interp.m_astrChgDirs;
        return run;
    }

    std::string Page(std::string_view name) const {
        return m_project.Page(name).value_or("<missing>");
    }
    std::string ProjectFile(std::string_view name) const {
        return m_project.ReadFile(name).value_or("<missing>");
    }
    FileStamp Stamp(std::string_view name) const {
        struct stat info {};
        EXPECT_EQ(::stat(m_project.PathOf(name).c_str(), &info), 0) << name;
        return {info.st_ino, info.st_mtim};
    }
    bool IsDirectory(std::string_view name) const {
        struct stat info {};
        return ::stat(m_project.PathOf(name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    // Makes the next write to a file visibly newer than an earlier one.
    static void PassTimeStampGranularity() { ::usleep(20'000); }

    ScriptTestProject m_project;
};

// --- html: page bytes ---

TEST_F(OutputFunctionsTest, CompactionIsChosenByFlags) {
    const std::string block = "\n\t  x <b>\r\n\n  \t\r\n\ty\n  ";
    struct Case {
        const char* flags;
        std::string page;
    } cases[] = {
        {"", "x <b>\r\ny\n"},
        {", 0", "x <b>\r\ny\n"},
        {", format", "x <b>\r\ny\n"},
        {", 1", "\t  x <b>\r\n\t\r\n\ty\n"},
        {", formatcr", "\t  x <b>\r\n\t\r\n\ty\n"},
        {", 2", block},
        {", formatnone", block},
        {", 3", block},
        {", 2.9", block},   // truncated toward zero
        {", 1e10", block},  // saturates: every bit set
        {", -1", block},
        {", 64", "x <b>\r\ny\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const OutputRun run = Run("&html(\"a.html\"" + std::string(c.flags) + "){" + block + "}");
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(Page("a.html"), c.page);
    }
}

TEST_F(OutputFunctionsTest, SubstitutedValuesFollowLineAndEntityModes) {
    const std::string value = "a\"&<>\r\nb\nc\rd";
    struct Case {
        const char* flags;
        std::string page;
    } cases[] = {
        {"2", "[a\"&<>\r\nb\nc\rd]"},
        {"2 + cr2br", "[a\"&<><BR>\r\nb\nc<BR>\rd]"},
        {"2 + cr2brstrip", "[a\"&<><BR>b<BR>cd]"},
        {"2 + cr2br + cr2brstrip", "[a\"&<><BR>b<BR>cd]"},  // strip wins
        {"2 + hiascii", "[a&#34;&#38;&#60;&#62;\r\nb\nc\rd]"},
        {"2 + cr2br + hiascii", "[a&#34;&#38;&#60;&#62;<BR>\r\nb\nc<BR>\rd]"},
        {"2 + cr2brstrip + hiascii", "[a&#34;&#38;&#60;&#62;<BR>b<BR>cd]"},
        {"cr2br", "[a\"&<><BR>\r\nb\nc<BR>\rd]"},  // compaction keeps what has content
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const OutputRun run =
            Run("&html(\"a.html\", " + std::string(c.flags) + "){[?v?]}", {{"v", value}});
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(Page("a.html"), c.page);
    }
}

TEST_F(OutputFunctionsTest, EntityModeTurnsHighBytesAndUtf8IntoReferences) {
    struct Case {
        const char* name;
        std::string value;
        std::string page;
    } cases[] = {
        {"ascii untouched", "plain text 0-9 ~", "plain text 0-9 ~"},
        {"two-byte utf-8", "caf\xC3\xA9", "caf&#233;"},
        {"three-byte utf-8",
         "\xE2\x82\xAC"
         "5",
         "&#8364;5"},
        {"four-byte utf-8", "\xF0\x9F\x98\x80", "&#128512;"},
        {"latin-1 bytes", "\xA1\xE9\xFF", "&#161;&#233;&#255;"},
        {"byte below 161 alone", "x\x85y", "x\x85y"},
        {"truncated sequence",
         "\xE2\x82"
         "z",
         "&#226;\x82z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OutputRun run = Run("&html(\"a.html\", 66){?v?}", {{"v", c.value}});
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(Page("a.html"), c.page);
    }
}

TEST_F(OutputFunctionsTest, TemplateTextIsNeverTurnedIntoReferences) {
    const OutputRun run =
        Run("&html(\"a.html\", 2 + hiascii + cr2brstrip){<p>\"\xC3\xA9\"\\&amp;\r\n</p>}");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(Page("a.html"), "<p>\"\xC3\xA9\"&amp;\r\n</p>");
}

TEST_F(OutputFunctionsTest, WrittenPageEndsAtFirstZeroByte) {
    const OutputRun first =
        Run("&html(\"a.html\", 2){ab?v?cd\\0ef}", {{"v", std::string("x\0y", 3)}});
    ASSERT_EQ(first.result, 1) << first.message;
    EXPECT_EQ(Page("a.html"), "abx");
    const FileStamp written = Stamp("html/a.html");

    // The part that is written is what counts as unchanged.
    PassTimeStampGranularity();
    const OutputRun second = Run("&html(\"a.html\", 2){ab?v?zz}", {{"v", std::string("x\0y", 3)}});
    ASSERT_EQ(second.result, 1) << second.message;
    EXPECT_EQ(Stamp("html/a.html"), written);
    EXPECT_EQ(second.chgFiles, Names{});
}

TEST_F(OutputFunctionsTest, TagFormWritesThePage) {
    const OutputRun run = Run("<fhtml \"t.html\", 2>text</fhtml>");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(Page("t.html"), "text");
}

// --- html: nesting and modes of the enclosing page ---

TEST_F(OutputFunctionsTest, NestedBlocksWriteSeparateFiles) {
    const OutputRun run = Run("&html(\"outer.html\", 2){a&html(\"inner.html\", 2){b}c}");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(Page("outer.html"), "ac");
    EXPECT_EQ(Page("inner.html"), "b");
    EXPECT_EQ(run.genFiles, (Names{"outer.html\r\n", "inner.html\r\n"}));
    EXPECT_EQ(run.chgFiles, (Names{"inner.html\r\n", "outer.html\r\n"}));
}

TEST_F(OutputFunctionsTest, InnerBlockModesEndWithIt) {
    struct Case {
        const char* outerFlags;
        const char* innerFlags;
        std::string outer;
        std::string inner;
    } cases[] = {
        {"2", "2 + hiascii", "<\r\n|<\r\n", "&#60;\r\n"},
        {"2 + hiascii", "2", "&#60;\r\n|&#60;\r\n", "<\r\n"},
        {"2", "2 + cr2brstrip", "<\r\n|<\r\n", "<<BR>"},
        {"2 + cr2br", "2", "<<BR>\r\n|<<BR>\r\n", "<\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.outerFlags) + " / " + c.innerFlags);
        const OutputRun run = Run("&html(\"o.html\", " + std::string(c.outerFlags) +
                                      "){?v?&html(\"i.html\", " + c.innerFlags + "){?v?}|?v?}",
                                  {{"v", "<\r\n"}});
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(Page("o.html"), c.outer);
        EXPECT_EQ(Page("i.html"), c.inner);
    }
}

TEST_F(OutputFunctionsTest, ReturnInsideBlockStillWritesThePage) {
    const OutputRun run = Run("&html(\"a.html\", 2){a&return b}c");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(Page("a.html"), "a");
    EXPECT_EQ(run.chgFiles, Names{"a.html\r\n"});
}

TEST_F(OutputFunctionsTest, VisibleTextAfterBlockNeedsAnOpenFile) {
    const OutputRun run = Run("&html(\"a.html\"){x} y");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "ERROR 74- attempt made to write HTML without open file.");
    EXPECT_EQ(Page("a.html"), "x");
}

// --- html: names ---

// Refused with ERROR 95 wherever a name below the root is taken (written as in a script).
const char* const kRefusedNames[] = {
    "",
    ":",
    "c:page.html",
    "/page.html",
    "\\\\page.html",
    "../page.html",
    "..\\\\page.html",
    "./page.html",
    ".\\\\page.html",
    "sub/../page.html",
    "sub/../../page.html",
    "sub/..",
    ".",
    "/tmp/page.html",
};

TEST_F(OutputFunctionsTest, RefusedNamesTouchNothing) {
    for (const char* name : kRefusedNames) {
        for (const std::string& call :
             {"&html(\"" + std::string(name) + "\", 2){x}",
              "&html(\"  " + std::string(name) + "\", 2){x}",
              "&directory(\"" + std::string(name) + "\")", "&mkldir(\"" + std::string(name) + "\")",
              "&filelink(\"src.txt\", \"" + std::string(name) + "\")"}) {
            SCOPED_TRACE(call);
            ASSERT_TRUE(m_project.WriteFile("html/src.txt", "x"));
            const OutputRun run = Run(call);
            EXPECT_EQ(run.result, 0);
            EXPECT_EQ(run.message, kIllegalPath);
            EXPECT_EQ(run.genFiles, Names{});
            EXPECT_EQ(run.genDirs, Names{});
        }
    }
    EXPECT_FALSE(m_project.Exists("page.html"));
}

TEST_F(OutputFunctionsTest, PageNamesAreNormalised) {
    ASSERT_TRUE(m_project.WriteFile("html/sub/keep", ""));
    struct Case {
        const char* name;  // as written in the script
        const char* normalised;
    } cases[] = {
        {"page.html", "page.html"},
        {" \t page.html", "page.html"},
        {"sub/page.html", "sub/page.html"},
        {"sub\\\\page.html", "sub/page.html"},
        {"sub//./page.html", "sub/page.html"},
        {"a..b.html", "a..b.html"},
        {".page.html", ".page.html"},
        {"%s%n%d.html", "%s%n%d.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OutputRun run = Run("&html(\"" + std::string(c.name) + "\", 2){x}");
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(Page(c.normalised), "x");
        EXPECT_EQ(run.genFiles, Names{std::string(c.normalised) + "\r\n"});
        EXPECT_EQ(run.chgFiles, Names{std::string(c.normalised) + "\r\n"});
        ASSERT_EQ(::unlink(m_project.PathOf("html/" + std::string(c.normalised)).c_str()), 0);
    }
}

TEST_F(OutputFunctionsTest, FirstPageOfRunBecomesHtmltop) {
    ASSERT_TRUE(m_project.WriteFile("html/sub/keep", ""));
    const OutputRun run = Run("&html(\"sub\\\\first.html\"){a}&html(\"second.html\"){b}");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(m_project.ProjectKey(project_key::htmltop), "sub/first.html");
}

// --- html: rewriting and the lists ---

TEST_F(OutputFunctionsTest, UnchangedPageIsNotRewrittenOnSecondRun) {
    const std::string script = "&directory(\"d\")&html(\"d\\\\a.html\"){a}&html(\"b.html\"){b}";
    const OutputRun first = Run(script);
    ASSERT_EQ(first.result, 1) << first.message;
    EXPECT_EQ(first.genFiles, (Names{"d/a.html\r\n", "b.html\r\n"}));
    EXPECT_EQ(first.chgFiles, (Names{"d/a.html\r\n", "b.html\r\n"}));
    EXPECT_EQ(first.genDirs, Names{"d\r\n"});
    EXPECT_EQ(first.chgDirs, Names{"d\r\n"});
    EXPECT_EQ(ProjectFile("htmlgen.log"), "d/a.html\r\nb.html\r\n");
    EXPECT_EQ(ProjectFile("htmlgen.chg"), "d/a.html\r\nb.html\r\n");
    EXPECT_EQ(ProjectFile("dirgen.log"), "d\r\n");
    EXPECT_EQ(ProjectFile("dirgen.chg"), "d\r\n");
    const FileStamp a = Stamp("html/d/a.html");
    const FileStamp b = Stamp("html/b.html");

    PassTimeStampGranularity();
    const OutputRun second = Run(script);
    ASSERT_EQ(second.result, 1) << second.message;
    EXPECT_EQ(second.genFiles, first.genFiles);
    EXPECT_EQ(second.chgFiles, Names{});
    EXPECT_EQ(second.genDirs, Names{"d\r\n"});
    EXPECT_EQ(second.chgDirs, Names{});
    EXPECT_EQ(Stamp("html/d/a.html"), a);
    EXPECT_EQ(Stamp("html/b.html"), b);
    EXPECT_EQ(ProjectFile("htmlgen.log"), "d/a.html\r\nb.html\r\n");
    EXPECT_EQ(ProjectFile("htmlgen.chg"), "d/a.html\r\nb.html\r\n");

    // A changed page alone is rewritten and listed.
    const OutputRun third = Run("&directory(\"d\")&html(\"d\\\\a.html\"){A}&html(\"b.html\"){b}");
    ASSERT_EQ(third.result, 1) << third.message;
    EXPECT_EQ(third.chgFiles, Names{"d/a.html\r\n"});
    EXPECT_EQ(Page("d/a.html"), "A");
    EXPECT_EQ(Stamp("html/b.html"), b);
}

TEST_F(OutputFunctionsTest, ResetUploadMakesEveryOutputChanged) {
    const std::string script = "&directory(\"d\")&html(\"d/a.html\"){a}";
    ASSERT_EQ(Run(script).result, 1);
    const FileStamp before = Stamp("html/d/a.html");
    m_project.SetProjectKey(project_key::resetupload, 1);

    PassTimeStampGranularity();
    const OutputRun run = Run(script);
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.chgFiles, Names{"d/a.html\r\n"});
    EXPECT_EQ(run.chgDirs, Names{"d\r\n"});
    EXPECT_FALSE(Stamp("html/d/a.html") == before);
    EXPECT_EQ(Page("d/a.html"), "a");
    EXPECT_EQ(m_project.ProjectKey(project_key::resetupload), 0);
}

TEST_F(OutputFunctionsTest, ListingNamesEveryPageAsWritten) {
    ASSERT_TRUE(m_project.WriteFile("html/sub/keep", ""));
    const OutputRun run = Run("&html(\" sub\\\\a.html\"){x}");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_THAT(m_project.Listing(), HasSubstr("Generating \"sub\\a.html\" HTML file.\r\n"));
    EXPECT_THAT(m_project.Listing(), HasSubstr("HTML file \"sub\\a.html\" closed\r\n"));
}

// --- html: failures ---

TEST_F(OutputFunctionsTest, PageThatCannotBeWrittenFails) {
    ASSERT_TRUE(m_project.WriteFile("html/dir.html/keep", ""));
    struct Case {
        const char* script;
        const char* page;
    } cases[] = {
        {"&html(\"missing/a.html\"){x}", "missing/a.html"},
        {"&html(\"dir.html\"){x}", "dir.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const OutputRun run = Run(c.script);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, kPageNotWritten);
        EXPECT_EQ(run.genFiles, Names{std::string(c.page) + "\r\n"});
        EXPECT_EQ(run.chgFiles, Names{});
    }
    EXPECT_TRUE(IsDirectory("html/dir.html"));
    EXPECT_FALSE(m_project.Exists("htmlgen.chg"));
}

TEST_F(OutputFunctionsTest, FailedWriteLeavesOldPageWholeAndUnlisted) {
    ASSERT_TRUE(m_project.WriteFile("html/a.html", "old"));
    m_project.SetProjectKey(project_key::listen, 0);  // the listing would meet the limit too
    OutputRun run;
    {
        const FileSizeLimit limit(4096);
        run = Run("&html(\"a.html\", 2){?v?}", {{"v", std::string(10000, 'n')}});
    }
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, kPageNotWritten);
    EXPECT_EQ(run.chgFiles, Names{});
    EXPECT_EQ(Page("a.html"), "old");
    EXPECT_FALSE(m_project.Exists("htmlgen.chg"));
}

TEST_F(OutputFunctionsTest, MissingRootFailsEveryOutputCall) {
    m_project.SetProjectKey(project_key::roothtml, "nowhere");
    ASSERT_TRUE(m_project.WriteFile("html/a.txt", "a"));
    ASSERT_TRUE(m_project.WriteFile("plainfile", ""));
    const char* scripts[] = {
        "&html(\"a.html\"){x}",
        "&directory(\"d\")",
        "&mkldir(\"d\")",
        "&filelink(\"a.txt\", \"b.txt\")",
        "&filetest(?v?, \"a.txt\")",
    };
    for (const char* root : {"nowhere", "plainfile"}) {
        m_project.SetProjectKey(project_key::roothtml, root);
        for (const char* script : scripts) {
            SCOPED_TRACE(std::string(root) + ": " + script);
            const OutputRun run = Run(script, {{"v", ""}});
            EXPECT_EQ(run.result, 0);
            EXPECT_EQ(run.message, kRootMissing);
        }
    }
    EXPECT_FALSE(m_project.Exists("nowhere"));
}

TEST_F(OutputFunctionsTest, BlockLeftOpenFails) {
    const OutputRun run = Run("&html(\"a.html\"){abc");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "ERROR 79- end of script reached before program block closed.");
    EXPECT_FALSE(m_project.Exists("html/a.html"));
}

TEST_F(OutputFunctionsTest, WrongArgumentCountsFail) {
    const char* scripts[] = {
        "&html(){x}",
        "&html(\"a.html\", 2, 3){x}",
        "&directory(\"a\", \"b\")",
        "&mkldir()",
        "&filelink(\"a\")",
        "&filelink(\"a\", \"b\", \"c\")",
        "&filetest(?v?)",
        "&filetest(?v?, \"a\", 5, 5)",
        "&htmlrootdir(\"a\", \"b\")",
    };
    for (const char* script : scripts) {
        SCOPED_TRACE(script);
        const OutputRun run = Run(script, {{"v", ""}});
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, "ERROR 68- illegal number of arguments in function.");
    }
    EXPECT_FALSE(m_project.Exists("html/a.html"));
}

// --- directory and mkldir ---

TEST_F(OutputFunctionsTest, DirectoryOnExistingDirectoryIsNoChange) {
    ASSERT_TRUE(m_project.WriteFile("html/old/keep", ""));
    const OutputRun run = Run("&directory(\"old\")&directory(\"old\\\\new\")");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.genDirs, (Names{"old\r\n", "old/new\r\n"}));
    EXPECT_EQ(run.chgDirs, Names{"old/new\r\n"});
    EXPECT_TRUE(IsDirectory("html/old/new"));
    EXPECT_THAT(m_project.Listing(), HasSubstr("Creating \"old\\new\"  directory.\r\n"));
}

TEST_F(OutputFunctionsTest, DirectoryWithOtherAttributesIsStillADirectory) {
    ASSERT_TRUE(m_project.WriteFile("html/ro/keep", ""));
    ASSERT_TRUE(m_project.WriteFile("html/.hidden/keep", ""));
    ASSERT_EQ(::chmod(m_project.PathOf("html/ro").c_str(), 0555), 0);
    const OutputRun run = Run("&directory(\"ro\")&directory(\".hidden\")");
    ::chmod(m_project.PathOf("html/ro").c_str(), 0755);
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(run.genDirs, (Names{"ro\r\n", ".hidden\r\n"}));
    EXPECT_EQ(run.chgDirs, Names{});
}

TEST_F(OutputFunctionsTest, DirectoryThatCannotBeMadeFails) {
    ASSERT_TRUE(m_project.WriteFile("html/file", ""));
    for (const char* name : {"missing/d", "file"}) {
        SCOPED_TRACE(name);
        const OutputRun run = Run("&directory(\"" + std::string(name) + "\")");
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, "ERROR 122- unable to create directory.");
        EXPECT_EQ(run.genDirs, Names{std::string(name) + "\r\n"});
        EXPECT_EQ(run.chgDirs, Names{});
    }
}

TEST_F(OutputFunctionsTest, MkldirMakesUnrecordedDirectory) {
    const OutputRun run = Run("&mkldir(\"local\")&mkldir(\"local\\\\inner\")&mkldir(\"local\")");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_TRUE(IsDirectory("html/local/inner"));
    EXPECT_EQ(run.genDirs, Names{});
    EXPECT_EQ(run.chgDirs, Names{});
}

TEST_F(OutputFunctionsTest, MkldirRefusesNamesAndReportsFailure) {
    ASSERT_TRUE(m_project.WriteFile("html/file", ""));
    struct Case {
        const char* name;
        const char* message;
    } cases[] = {
        {"", "ERROR 95- illegal file path."},
        {"a:b", "ERROR 95- illegal file path."},
        {".hidden", "ERROR 95- illegal file path."},
        {"./d", "ERROR 95- illegal file path."},
        {"/tmp/d", "ERROR 95- illegal file path."},
        {"\\\\d", "ERROR 95- illegal file path."},
        {"a/../../d", "ERROR 95- illegal file path."},
        {"missing/d", "ERROR 122- unable to create directory."},
        {"file", "ERROR 122- unable to create directory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OutputRun run = Run("&mkldir(\"" + std::string(c.name) + "\")");
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
    }
    EXPECT_FALSE(m_project.Exists("d"));
}

// --- filelink ---

TEST_F(OutputFunctionsTest, FilelinkCopiesOnlyWhatChanged) {
    ASSERT_TRUE(m_project.WriteFile("html/src.txt", "source bytes"));
    const OutputRun first = Run("&filelink(\"src.txt\", \"copy.txt\")");
    ASSERT_EQ(first.result, 1) << first.message;
    EXPECT_EQ(Page("copy.txt"), "source bytes");
    EXPECT_EQ(first.genFiles, Names{"copy.txt\r\n"});
    EXPECT_EQ(first.chgFiles, Names{"copy.txt\r\n"});
    EXPECT_THAT(m_project.Listing(), HasSubstr("copy.txt linked."));
    const FileStamp copied = Stamp("html/copy.txt");

    PassTimeStampGranularity();
    const OutputRun same = Run("&filelink(\"src.txt\", \"copy.txt\")");
    ASSERT_EQ(same.result, 1) << same.message;
    EXPECT_EQ(same.genFiles, Names{"copy.txt\r\n"});
    EXPECT_EQ(same.chgFiles, Names{});
    EXPECT_EQ(Stamp("html/copy.txt"), copied);

    // Same size, different bytes.
    ASSERT_TRUE(m_project.WriteFile("html/src.txt", "SOURCE bytes"));
    const OutputRun changed = Run("&filelink(\"src.txt\", \"copy.txt\")");
    ASSERT_EQ(changed.result, 1) << changed.message;
    EXPECT_EQ(changed.chgFiles, Names{"copy.txt\r\n"});
    EXPECT_EQ(Page("copy.txt"), "SOURCE bytes");
}

TEST_F(OutputFunctionsTest, FilelinkTakesAbsoluteSourceAndChecksTarget) {
    ASSERT_TRUE(m_project.WriteFile("outside.txt", "from outside"));
    const OutputRun run =
        Run("&filelink(\"" + m_project.PathOf("outside.txt") + "\", \"sub\\\\..\\\\in.txt\")");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, kIllegalPath);
    EXPECT_EQ(run.genFiles, Names{});

    for (const char* target : {"../x.txt", "/tmp/x.txt", "a:x.txt", "./x.txt", ""}) {
        SCOPED_TRACE(target);
        const OutputRun refused =
            Run("&filelink(\"" + m_project.PathOf("outside.txt") + "\", \"" + target + "\")");
        EXPECT_EQ(refused.result, 0);
        EXPECT_EQ(refused.message, kIllegalPath);
    }

    ASSERT_TRUE(m_project.WriteFile("html/sub/keep", ""));
    const OutputRun copied =
        Run("&filelink(\"" + m_project.PathOf("outside.txt") + "\", \"sub\\\\in.txt\")");
    ASSERT_EQ(copied.result, 1) << copied.message;
    EXPECT_EQ(Page("sub/in.txt"), "from outside");
    EXPECT_EQ(copied.genFiles, Names{"sub/in.txt\r\n"});
}

TEST_F(OutputFunctionsTest, FilelinkOntoItselfCopiesNothing) {
    ASSERT_TRUE(m_project.WriteFile("html/a.txt", "precious"));
    ASSERT_EQ(::symlink("a.txt", m_project.PathOf("html/link.txt").c_str()), 0);
    m_project.SetProjectKey(project_key::delh, 0);  // each run names only one of the two
    const FileStamp original = Stamp("html/a.txt");
    for (const char* script :
         {"&filelink(\"a.txt\", \"a.txt\")", "&filelink(\"link.txt\", \"a.txt\")",
          "&filelink(\"a.txt\", \"link.txt\")"}) {
        SCOPED_TRACE(script);
        m_project.SetProjectKey(project_key::resetupload, 1);
        const OutputRun run = Run(script);
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(run.chgFiles.size(), 1u);
        EXPECT_EQ(Page("a.txt"), "precious");
        EXPECT_EQ(Stamp("html/a.txt"), original);
        struct stat link {};
        ASSERT_EQ(::lstat(m_project.PathOf("html/link.txt").c_str(), &link), 0);
        EXPECT_TRUE(S_ISLNK(link.st_mode));
    }
}

TEST_F(OutputFunctionsTest, FilelinkFailures) {
    ASSERT_TRUE(m_project.WriteFile("html/src.txt", "x"));
    ASSERT_TRUE(m_project.WriteFile("html/dir/keep", ""));
    struct Case {
        const char* script;
        const char* message;
    } cases[] = {
        {"&filelink(\"missing.txt\", \"t.txt\")",
         "ERROR 11- filelink function could not open source file."},
        {"&filelink(\"dir\", \"t.txt\")",
         "ERROR 11- filelink function could not open source file."},
        {"&filelink(\"src.txt\", \"missing/t.txt\")",
         "ERROR 12- filelink function could not write to target directory."},
        {"&filelink(\"src.txt\", \"dir\")",
         "ERROR 12- filelink function could not write to target directory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const OutputRun run = Run(c.script);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
        EXPECT_EQ(run.chgFiles, Names{});
    }
    EXPECT_FALSE(m_project.Exists("html/t.txt"));
}

TEST(FilelinkFilesEqualTest, ComparesSizeAndBytes) {
    fixtures::TempDir dir;
    ASSERT_TRUE(dir.Ok()) << dir.Error();
    const std::string big(5000, 'b');
    std::string bigChanged = big;
    bigChanged[4500] = 'c';  // in the third chunk
    struct Case {
        const char* name;
        std::string first;
        std::string second;
        bool equal;
    } cases[] = {
        {"both empty", "", "", true},
        {"equal", "abc", "abc", true},
        {"equal over chunks", big, big, true},
        {"differ in a later chunk", big, bigChanged, false},
        {"differ in size", "abc", "abcd", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(dir.File("a"), c.first, &error)) << error;
        ASSERT_TRUE(fixtures::WriteTextFile(dir.File("b"), c.second, &error)) << error;
        EXPECT_EQ(
            CFnFilelink::FilesEqual(CReadOnlyFile(dir.File("a")), CReadOnlyFile(dir.File("b"))),
            c.equal);
    }
    EXPECT_FALSE(
        CFnFilelink::FilesEqual(CReadOnlyFile(dir.File("a")), CReadOnlyFile(dir.File("missing"))));
    EXPECT_FALSE(CFnFilelink::FilesEqual(CReadOnlyFile(dir.Path()), CReadOnlyFile(dir.Path())));
}

// --- filetest ---

TEST_F(OutputFunctionsTest, FiletestReportsFacts) {
    const UtcTimeZone utc;
    ASSERT_TRUE(m_project.WriteFile("html/sub/f.txt", "12345"));
    ASSERT_TRUE(m_project.WriteFile("html/ro.txt", ""));
    ASSERT_TRUE(m_project.WriteFile("html/.hidden", ""));
    ASSERT_EQ(::chmod(m_project.PathOf("html/ro.txt").c_str(), 0444), 0);
    // 2026-01-02 03:04:05 UTC modified, 2025-12-31 23:59:59 UTC accessed.
    const timespec times[2] = {{1767225599, 0}, {1767323045, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, m_project.PathOf("html/sub/f.txt").c_str(), times, 0), 0);
    struct Case {
        std::string args;
        std::string value;
    } cases[] = {
        {"\"sub/f.txt\"", "1"},
        {"\"sub\\\\f.txt\", 5", "1"},
        {"\"missing.txt\"", "0"},
        {"\"missing/f.txt\", 5", "0"},
        {"\"sub\", exist", "1"},
        {"\"sub/f.txt\", 1", "2026-01-02 03:04:05"},
        {"\"sub/f.txt\", 2", "2025-12-31 23:59:59"},
        {"\"sub/f.txt\", 3", "5"},
        {"\"sub/f.txt\", 3.7", "5"},
        {"\"sub/f.txt\", 4", "32"},
        {"\"sub\", 4", "16"},
        {"\"ro.txt\", 4", "33"},
        {"\".hidden\", 4", "34"},
        {"\"" + m_project.PathOf("html/sub/f.txt") + "\", 3", "5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const OutputRun run =
            Run("&filetest(?v?, " + c.args + ")&html(\"out.html\", 2){[?v?]}", {{"v", "unset"}});
        ASSERT_EQ(run.result, 1) << run.message;
        EXPECT_EQ(Page("out.html"), "[" + c.value + "]");
    }
}

TEST_F(OutputFunctionsTest, FiletestCreationTimeIsATime) {
    ASSERT_TRUE(m_project.WriteFile("html/f.txt", ""));
    const OutputRun run =
        Run("&filetest(?v?, \"f.txt\", 0)&html(\"out.html\", 2){?v?}", {{"v", ""}});
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_THAT(Page("out.html"), ::testing::MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2} "
                                                          "[0-9]{2}:[0-9]{2}:[0-9]{2}"));
}

TEST_F(OutputFunctionsTest, FiletestFailures) {
    ASSERT_TRUE(m_project.WriteFile("html/f.txt", ""));
    struct Case {
        const char* script;
        const char* message;
    } cases[] = {
        {"&filetest(?v?, \"missing.txt\", 3)", "ERROR 89- file could not be opened."},
        {"&filetest(?v?, \"missing.txt\", 0)", "ERROR 89- file could not be opened."},
        {"&filetest(?v?, \"missing.txt\", 9)", "ERROR 89- file could not be opened."},
        {"&filetest(?v?, \"f.txt\", 9)", "ERROR 123- illegal code in argument."},
        {"&filetest(?v?, \"f.txt\", -1)", "ERROR 123- illegal code in argument."},
        {"&filetest(?nosuch?, \"f.txt\")", "ERROR 54- unrecognised variable name."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const OutputRun run = Run(c.script, {{"v", ""}});
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.message, c.message);
    }
}

// --- htmlrootdir ---

TEST_F(OutputFunctionsTest, HtmlrootdirMovesLaterOutput) {
    ASSERT_TRUE(m_project.WriteFile("site/keep", ""));
    const OutputRun run =
        Run("&html(\"a.html\"){old}&htmlrootdir(\"site\")&html(\"a.html\"){new}&directory(\"d\")");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(Page("a.html"), "old");
    EXPECT_EQ(ProjectFile("site/a.html"), "new");
    EXPECT_TRUE(IsDirectory("site/d"));
    EXPECT_EQ(m_project.ProjectKey(project_key::roothtml), "site");
    EXPECT_THAT(m_project.Listing(), HasSubstr("Root HTML directory set to: \"site\"\r\n"));
}

TEST_F(OutputFunctionsTest, HtmlrootdirStoresPathUnchecked) {
    const OutputRun run = Run("&htmlrootdir(\"no\\\\such:dir\")&html(\"a.html\"){x}");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, kRootMissing);
    EXPECT_EQ(m_project.ProjectKey(project_key::roothtml), "no\\such:dir");
}

TEST_F(OutputFunctionsTest, HtmlrootdirFailsWhenTheRootCannotBeStored) {
    // The settings file cannot be written, so later pages would go below the old root.
    g_settings.SetPath(m_project.PathOf("missing/Quarn.ini"));
    const OutputRun run = Run("&htmlrootdir(\"site\")");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, "ERROR 67- file could not be opened for writing.");
}

}  // namespace
