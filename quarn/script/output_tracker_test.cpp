#include "quarn/script/output_tracker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

namespace fs = std::filesystem;
using ::testing::MatchesRegex;

// Each name followed by CR LF, as the built-ins fill a run's lists.
std::vector<std::string> Entries(std::initializer_list<std::string_view> names) {
    std::vector<std::string> entries;
    for (std::string_view name : names)
        entries.push_back(std::string(name) + "\r\n");
    return entries;
}

// The bytes of a list file holding `names`.
std::string Lines(std::initializer_list<std::string_view> names) {
    std::string bytes;
    for (std::string_view name : names)
        bytes.append(name).append("\r\n");
    return bytes;
}

std::optional<std::string> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const fs::path& path) {
    return fs::symlink_status(path).type() != fs::file_type::not_found;
}

// A project directory with its HTML root "html", and a directory beside it that no operation may
// touch; the settings file lies beside them, with the project "web" active.
class OutputTrackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string base = (fs::temp_directory_path() / "output_tracker_XXXXXX").string();
        ASSERT_NE(::mkdtemp(base.data()), nullptr);
        m_base = base;
        m_project = m_base / "project";
        m_html = m_project / "html";
        m_outside = m_base / "outside";
        fs::create_directories(m_html);
        fs::create_directories(m_outside);
        m_oldSettings = g_settings.Path();
        m_oldProject = g_strProject.Get();
        m_oldTitle = g_strProgramTitle.Get();
        g_settings.SetPath((m_base / "Quarn.ini").string());
        g_strProject.Set("web");
        // The listing banner keeps its fixed product word whatever the title.
        g_strProgramTitle.Set("Web Builder");
    }
    void TearDown() override {
        g_settings.SetPath(m_oldSettings);
        g_strProject.Set(m_oldProject);
        g_strProgramTitle.Set(m_oldTitle);
        fs::remove_all(m_base);
    }

    void SetProjectKey(const IntKey& key, int value) {
        ASSERT_EQ(g_settings.Set("web", key, value), 1);
    }
    void SetProjectKey(const StringKey& key, std::string_view value) {
        ASSERT_EQ(g_settings.Set("web", key, value), 1);
    }

    std::optional<std::string> List(std::string_view name) const {
        return FileBytes(m_project / name);
    }

    fs::path m_base;
    fs::path m_project;
    fs::path m_html;
    fs::path m_outside;

private:
    std::string m_oldSettings;
    std::string m_oldProject;
    std::string m_oldTitle;
};

// A run's section of listfile.txt with its date line checked and taken out, so the rest can be
// compared byte for byte. "" when the text does not start with a section.
std::string WithoutRunDate(const std::string& listing) {
    const std::string dateLead = "+ Run date: ";
    const std::size_t date = listing.find(dateLead);
    const std::size_t end = listing.find("\r\n", date);
    if (date == std::string::npos || end == std::string::npos) return {};
    EXPECT_THAT(listing.substr(date, end - date),
                MatchesRegex(R"(\+ Run date: [0-9][0-9]/[0-9][0-9]/[0-9][0-9] at )"
                             R"([0-9][0-9]:[0-9][0-9]:[0-9][0-9])"));
    return listing.substr(0, date) + dateLead + "<date>" + listing.substr(end);
}

std::string Section(std::string_view script, bool succeeded, std::string_view body) {
    const std::string rule = "+++++++++++++++++++++++++++++++++++++\r\n";
    return rule + "+ Quarn Scripter Output Listing\r\n+ Script file: " + std::string(script) +
           "\r\n+ Run date: <date>\r\n+ Execution terminated with" + (succeeded ? "out" : "") +
           " errors.\r\n" + rule + "\r\n\r\n\r\n" + std::string(body) + "\r\n\r\n\r\n\r\n";
}

// The sections of listfile.txt, each with its date taken out.
std::vector<std::string> Sections(const std::string& listing) {
    const std::string start = "+++++++++++++++++++++++++++++++++++++\r\n+ Quarn Scripter";
    std::vector<std::string> sections;
    for (std::size_t at = listing.find(start); at != std::string::npos;) {
        const std::size_t next = listing.find(start, at + 1);
        sections.push_back(WithoutRunDate(listing.substr(at, next - at)));
        at = next;
    }
    return sections;
}

// What one script run gives the tracker: the listing it wrote and its four lists. The pages and
// directories it generates are made under the HTML root, as the output built-ins do.
struct SimulatedRun {
    std::string script{};
    bool succeeded = true;
    std::string listing{};
    std::vector<std::string> genFiles{}, chgFiles{}, genDirs{}, chgDirs{};
};

class RunSequenceTest : public OutputTrackerTest {
protected:
    // Level 0: rotate at the start, then the run, then its end bookkeeping.
    int RunTopLevel(const SimulatedRun& run) {
        COutputTracker tracker(m_project.string());
        EXPECT_EQ(tracker.RotateLogs(), 1);
        return RunAtLevel(tracker, run, 0);
    }
    int RunAtLevel(COutputTracker& tracker, const SimulatedRun& run, int level) {
        WriteFile(m_project / COutputTracker::ListingName(level), run.listing);
        for (const std::string& dir : run.genDirs)
            fs::create_directories(m_html / Trim(dir));
        for (const std::string& page : run.genFiles)
            WriteFile(m_html / Trim(page), "<p>");
        const int result = tracker.FinishRun({.scriptPath = run.script,
                                              .level = level,
                                              .succeeded = run.succeeded,
                                              .listing = true,
                                              .genFiles = run.genFiles,
                                              .chgFiles = run.chgFiles,
                                              .genDirs = run.genDirs,
                                              .chgDirs = run.chgDirs});
        EXPECT_FALSE(Exists(m_project / COutputTracker::ListingName(level)));
        return result;
    }

    // The six list files after a run; nullopt: the file does not exist.
    struct ListFiles {
        std::optional<std::string> filesLog{}, filesPrevious{}, filesChanged{};
        std::optional<std::string> dirsLog{}, dirsPrevious{}, dirsChanged{};
    };
    void ExpectLists(const ListFiles& expected) {
        EXPECT_EQ(List(COutputTracker::kFilesList), expected.filesLog);
        EXPECT_EQ(List(COutputTracker::kFilesPrevious), expected.filesPrevious);
        EXPECT_EQ(List(COutputTracker::kFilesChanged), expected.filesChanged);
        EXPECT_EQ(List(COutputTracker::kDirsList), expected.dirsLog);
        EXPECT_EQ(List(COutputTracker::kDirsPrevious), expected.dirsPrevious);
        EXPECT_EQ(List(COutputTracker::kDirsChanged), expected.dirsChanged);
    }

private:
    static std::string Trim(std::string entry) {
        entry.erase(entry.size() - 2);
        std::replace(entry.begin(), entry.end(), '\\', '/');
        return entry;
    }
};

TEST_F(RunSequenceTest, ThreeRunsInOneProject) {
    const std::string firstPages = Lines({"index.html", "page.html", "sub\\page.html",
                                          "img/thumbs/t1.html", "img/thumbs/keep.html"});
    const std::string firstDirs = Lines({"img", "img/thumbs", "sub"});
    {
        SCOPED_TRACE("run 1: everything new");
        const SimulatedRun run{
            .script = "C:\\sites\\web\\Script1.scp",
            .listing = "Generating \"index.html\" HTML file.\r\n   \r\nsaid \t \r\nlf only\n",
            .genFiles = Entries({"index.html", "page.html", "sub\\page.html", "img/thumbs/t1.html",
                                 "img/thumbs/keep.html"}),
            .chgFiles = Entries({"index.html", "page.html", "sub\\page.html", "img/thumbs/t1.html",
                                 "img/thumbs/keep.html"}),
            .genDirs = Entries({"img", "img/thumbs", "sub"}),
            .chgDirs = Entries({"img", "img/thumbs", "sub"}),
        };
        ASSERT_EQ(RunTopLevel(run), 1);
        ExpectLists({.filesLog = firstPages,
                     .filesChanged = firstPages,
                     .dirsLog = firstDirs,
                     .dirsChanged = firstDirs});
        EXPECT_THAT(Sections(*List(COutputTracker::kRunListing)),
                    ::testing::ElementsAre(
                        Section("C:\\sites\\web\\Script1.scp", true,
                                "Generating \"index.html\" HTML file.\r\nsaid\r\nlf only\r\n")));
    }
    // A file of the user's own in a generated directory.
    WriteFile(m_html / "img/thumbs/user.txt", "mine");
    const std::string secondPages =
        Lines({"index.html", "my page.html", "about us.html", "img/thumbs/keep.html"});
    {
        SCOPED_TRACE("run 2: pages and directories disappear");
        const SimulatedRun run{
            .script = "Script1.scp",
            .listing = "ok\r\n",
            .genFiles =
                Entries({"index.html", "my page.html", "about us.html", "img/thumbs/keep.html"}),
            .chgFiles = Entries({"my page.html", "about us.html"}),
            .genDirs = Entries({"img"}),
        };
        ASSERT_EQ(RunTopLevel(run), 1);
        ExpectLists({.filesLog = secondPages,
                     .filesPrevious = firstPages,
                     .filesChanged = firstPages + Lines({"my page.html", "about us.html"}),
                     .dirsLog = Lines({"img"}),
                     .dirsPrevious = firstDirs,
                     .dirsChanged = firstDirs});
        // "page.html" goes although "my page.html" is current: names are matched whole.
        EXPECT_FALSE(Exists(m_html / "page.html"));
        EXPECT_FALSE(Exists(m_html / "img/thumbs/t1.html"));
        EXPECT_FALSE(Exists(m_html / "sub"));
        // The stale directory loses its other files but keeps the page still generated in it.
        EXPECT_FALSE(Exists(m_html / "img/thumbs/user.txt"));
        EXPECT_TRUE(Exists(m_html / "img/thumbs/keep.html"));
        EXPECT_TRUE(Exists(m_html / "index.html"));
        EXPECT_TRUE(Exists(m_html / "my page.html"));
        EXPECT_THAT(Sections(*List(COutputTracker::kRunListing)),
                    ::testing::ElementsAre(Section("Script1.scp", true, "ok\r\n")));
    }
    {
        SCOPED_TRACE("run 3: fails");
        const SimulatedRun run{
            .script = "Script1.scp",
            .succeeded = false,
            .listing = "ERROR 87- script terminated on die function.\r\n",
            .genFiles = Entries({"index.html", "us.html"}),
            .chgFiles = Entries({"index.html", "us.html"}),
            .genDirs = Entries({"new"}),
            .chgDirs = Entries({"new"}),
        };
        ASSERT_EQ(RunTopLevel(run), 1);
        // The change lists still grow ("us.html" is not found inside "about us.html"); the
        // output lists of the run are not written and nothing is deleted.
        ExpectLists(
            {.filesPrevious = secondPages,
             .filesChanged = firstPages + Lines({"my page.html", "about us.html", "us.html"}),
             .dirsPrevious = Lines({"img"}),
             .dirsChanged = firstDirs + Lines({"new"})});
        EXPECT_TRUE(Exists(m_html / "my page.html"));
        EXPECT_TRUE(Exists(m_html / "img/thumbs/keep.html"));
        EXPECT_THAT(Sections(*List(COutputTracker::kRunListing)),
                    ::testing::ElementsAre(Section(
                        "Script1.scp", false, "ERROR 87- script terminated on die function.\r\n")));
    }
}

TEST_F(RunSequenceTest, StaleOutputStaysWithoutDelh) {
    SetProjectKey(project_key::delh, 0);
    ASSERT_EQ(RunTopLevel({.script = "s.scp",
                           .genFiles = Entries({"old.html"}),
                           .chgFiles = Entries({"old.html"}),
                           .genDirs = Entries({"olddir"})}),
              1);
    ASSERT_EQ(RunTopLevel({.script = "s.scp", .genFiles = Entries({"new.html"})}), 1);
    EXPECT_TRUE(Exists(m_html / "old.html"));
    EXPECT_TRUE(Exists(m_html / "olddir"));
    ExpectLists({.filesLog = Lines({"new.html"}),
                 .filesPrevious = Lines({"old.html"}),
                 .filesChanged = Lines({"old.html"}),
                 .dirsLog = "",
                 .dirsPrevious = Lines({"olddir"})});
}

// A child run (level 1) finishes before its parent: its section comes first, and its lists are
// written even when it failed, so the parent's stale-output pass keeps its pages.
TEST_F(RunSequenceTest, FailedChildRunStaysListed) {
    ASSERT_EQ(RunTopLevel({.script = "top.scp", .genFiles = Entries({"child.html", "top.html"})}),
              1);
    COutputTracker tracker(m_project.string());
    ASSERT_EQ(tracker.RotateLogs(), 1);
    ASSERT_EQ(RunAtLevel(tracker,
                         {.script = "child.scp",
                          .succeeded = false,
                          .listing = "child line\r\n",
                          .genFiles = Entries({"child.html"}),
                          .chgFiles = Entries({"child.html"})},
                         1),
              1);
    ASSERT_EQ(
        RunAtLevel(
            tracker,
            {.script = "top.scp", .listing = "top line\r\n", .genFiles = Entries({"top.html"})}, 0),
        1);
    EXPECT_EQ(List(COutputTracker::kFilesList), Lines({"child.html", "top.html"}));
    EXPECT_EQ(List(COutputTracker::kFilesChanged), Lines({"child.html"}));
    EXPECT_TRUE(Exists(m_html / "child.html"));
    EXPECT_THAT(Sections(*List(COutputTracker::kRunListing)),
                ::testing::ElementsAre(Section("child.scp", false, "child line\r\n"),
                                       Section("top.scp", true, "top line\r\n")));
}

TEST_F(OutputTrackerTest, ListingOffRemovesTheTemporaryListing) {
    WriteFile(m_project / "lt0", "text\r\n");
    COutputTracker tracker(m_project.string());
    ASSERT_EQ(tracker.FinishRun({.scriptPath = "s.scp", .succeeded = true, .listing = false}), 1);
    EXPECT_FALSE(Exists(m_project / "lt0"));
    EXPECT_FALSE(Exists(m_project / COutputTracker::kRunListing));
}

TEST_F(OutputTrackerTest, AppendListingAddsSectionsAndRemovesTheTemporaryListing) {
    COutputTracker tracker(m_project.string());
    WriteFile(m_project / "lt1", "\tindented  \r\n\r\n \t\r\nlast without line end");
    ASSERT_EQ(tracker.AppendListing("child.scp", "lt1", false), 1);
    EXPECT_FALSE(Exists(m_project / "lt1"));
    WriteFile(m_project / "lt0", "");
    ASSERT_EQ(tracker.AppendListing("main.scp", "lt0", true), 1);
    EXPECT_THAT(Sections(*List(COutputTracker::kRunListing)),
                ::testing::ElementsAre(
                    Section("child.scp", false, "\tindented\r\nlast without line end\r\n"),
                    Section("main.scp", true, "")));
}

TEST_F(OutputTrackerTest, AppendListingWithoutTemporaryListingAppendsNothing) {
    WriteFile(m_project / COutputTracker::kRunListing, "before\r\n");
    COutputTracker tracker(m_project.string());
    EXPECT_EQ(tracker.AppendListing("s.scp", "lt0", true), 0);
    EXPECT_EQ(tracker.Message(), LoadMessage(67));
    EXPECT_EQ(List(COutputTracker::kRunListing), "before\r\n");
}

// The temporary listing is copied in pieces: lines crossing a piece boundary, a CR LF or inner
// blanks split by one, and lines longer than a piece come out as from a listing read whole.
TEST_F(OutputTrackerTest, AppendListingOfListingsLongerThanAPiece) {
    for (const std::size_t lead : {4095u, 65534u, 65535u, 65536u, 131071u, 300000u}) {
        SCOPED_TRACE(lead);
        const std::string first = std::string(lead, 'a') + std::string(20, ' ') + "b";
        std::string listing = first + "\r\n \t\r\n";
        std::string body = first + "\r\n";
        for (int i = 0; i < 2000; ++i) {
            const std::string line = "line " + std::to_string(i) + std::string(i % 97, 'x');
            listing += line + (i % 3 == 0 ? "  \r\n" : "\n");
            body += line + "\r\n";
        }
        listing += "end without line end \t";
        body += "end without line end\r\n";
        fs::remove(m_project / COutputTracker::kRunListing);
        WriteFile(m_project / "lt0", listing);
        COutputTracker tracker(m_project.string());
        ASSERT_EQ(tracker.AppendListing("s.scp", "lt0", true), 1);
        EXPECT_EQ(Sections(*List(COutputTracker::kRunListing)),
                  std::vector<std::string>{Section("s.scp", true, body)});
    }
}

// A section's body holds at most the limit, then the closing line: counted after trimming, so
// blank lines take no room and a listing of LF lines may pass it though its file does not.
TEST_F(OutputTrackerTest, AppendListingCutsTheSectionAtTheLimit) {
    const std::string cut = CListingArchive::CutLine(10);
    struct Case {
        const char* name;
        std::string listing;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"blank lines and trailing blanks take no room", "ab   \r\n\r\n   \r\ncdef",
         "ab\r\ncdef\r\n"},
        {"the line end past the limit", "0123456789\r\nmore\r\n", "0123456789\r\n" + cut},
        {"LF lines grow by their CR", "abcd\nefgh\nij", "abcd\r\nefgh\r\n" + cut},
        {"cut inside a line", "abcdefghijklm\r\n", "abcdefghij\r\n" + cut},
        {"cut in the blanks before text", "abcdef\r\n    xyz", "abcdef\r\n" + cut},
        {"cut between words", "abcdefgh  ijk", "abcdefgh\r\n" + cut},
        {"a listing the archive cut", "0123456789\r\n" + cut, "0123456789\r\n" + cut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(m_project / COutputTracker::kRunListing);
        WriteFile(m_project / "lt0", c.listing);
        COutputTracker tracker(m_project.string());
        ASSERT_EQ(tracker.AppendListing("s.scp", "lt0", true, 10), 1);
        EXPECT_EQ(Sections(*List(COutputTracker::kRunListing)),
                  std::vector<std::string>{Section("s.scp", true, c.body)});
        EXPECT_FALSE(Exists(m_project / "lt0"));
    }
}

// A section cut short after some of its pieces were written (here by the file size limit, in a
// child process) leaves listfile.txt as it was and the temporary listing in place.
TEST_F(OutputTrackerTest, AppendListingCutShortLeavesTheRunListingAsItWas) {
    const std::string before = "earlier section\r\n";
    WriteFile(m_project / COutputTracker::kRunListing, before);
    std::string listing;
    for (int i = 0; i < 20000; ++i)
        listing += "listing line " + std::to_string(i) + "\r\n";
    WriteFile(m_project / "lt0", listing);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{listing.size() / 2, listing.size() / 2};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        COutputTracker tracker(m_project.string());
        const int result = tracker.AppendListing("s.scp", "lt0", true);
        ::_exit(result == 0 && tracker.Message() == LoadMessage(67) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(List(COutputTracker::kRunListing), before);
    EXPECT_EQ(List("lt0"), listing);
}

TEST_F(OutputTrackerTest, RotateLogs) {
    WriteFile(m_project / "htmlgen.log", "new\r\n");
    WriteFile(m_project / "htmlgen.o", "old\r\n");
    WriteFile(m_project / "dirgen.o", "olddir\r\n");
    WriteFile(m_project / "listfile.txt", "section\r\n");
    SetProjectKey(project_key::htmltop, "index.html");
    COutputTracker tracker(m_project.string());
    ASSERT_EQ(tracker.RotateLogs(), 1);
    EXPECT_EQ(List("htmlgen.o"), "new\r\n");
    // With no dirgen.log the old dirgen.o goes and none takes its place.
    EXPECT_FALSE(Exists(m_project / "dirgen.o"));
    for (const char* gone : {"htmlgen.log", "dirgen.log", "listfile.txt"}) {
        SCOPED_TRACE(gone);
        EXPECT_FALSE(Exists(m_project / gone));
    }
    EXPECT_EQ(g_settings.Get("web", project_key::htmltop), "");
    ASSERT_EQ(tracker.RotateLogs(), 1);
    EXPECT_FALSE(Exists(m_project / "htmlgen.o"));
}

TEST_F(OutputTrackerTest, RotateLogsFailsWhenAnOldListCannotBeReplaced) {
    fs::create_directories(m_project / "htmlgen.o" / "x");
    WriteFile(m_project / "htmlgen.log", "new\r\n");
    COutputTracker tracker(m_project.string());
    EXPECT_EQ(tracker.RotateLogs(), 0);
    EXPECT_EQ(tracker.Message(), LoadMessage(67));
    EXPECT_EQ(List("htmlgen.log"), "new\r\n");
}

TEST_F(OutputTrackerTest, WriteListAppendsEntriesAsTheyAre) {
    COutputTracker tracker(m_project.string());
    ASSERT_EQ(tracker.WriteList({}, "htmlgen.log"), 1);
    EXPECT_EQ(List("htmlgen.log"), "");
    ASSERT_EQ(tracker.WriteList(Entries({"a.html", "sub\\b.html"}), "htmlgen.log"), 1);
    ASSERT_EQ(tracker.WriteList(Entries({"a.html"}), (m_project / "htmlgen.log").string()), 1);
    EXPECT_EQ(List("htmlgen.log"), Lines({"a.html", "sub\\b.html", "a.html"}));
}

TEST_F(OutputTrackerTest, MergeListAddsEachNameOnce) {
    struct Case {
        const char* name;
        std::optional<std::string> before;  // nullopt: no file
        std::vector<std::string> list;
        std::optional<std::string> after;
    };
    const Case cases[] = {
        {"no file, nothing changed", std::nullopt, {}, std::nullopt},
        {"empty file, nothing changed", "", {}, std::nullopt},
        {"blank lines only", " \r\n\r\n", Entries({"  "}), std::nullopt},
        {"no file", std::nullopt, Entries({"a.html", "b.html", "a.html"}),
         Lines({"a.html", "b.html"})},
        {"known names skipped", Lines({"a.html"}), Entries({"a.html", "c.html"}),
         Lines({"a.html", "c.html"})},
        {"whole names", Lines({"my page.html", "sub/page.html"}), Entries({"page.html"}),
         Lines({"my page.html", "sub/page.html", "page.html"})},
        {"compared normalised, kept as written", Lines({"sub\\a.html"}),
         Entries({"sub/a.html", "./sub//a.html", ".\\b.html", "b.html"}),
         Lines({"sub\\a.html", ".\\b.html"})},
        {"LF and lone CR read", "a.html\nb.html\r", Entries({"a.html", "b.html"}),
         "a.html\nb.html\r"},
        {"trailing blanks ignored", Lines({"a.html  "}), {"a.html \t\r\n"}, Lines({"a.html  "})},
        {"nothing new keeps the file", Lines({"a.html"}), {}, Lines({"a.html"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = m_project / "htmlgen.chg";
        fs::remove(file);
        if (c.before) WriteFile(file, *c.before);
        COutputTracker tracker(m_project.string());
        EXPECT_EQ(tracker.MergeList(c.list, "htmlgen.chg"), 1);
        EXPECT_EQ(FileBytes(file), c.after);
    }
}

// A list that cannot be written fails with ERROR 67 (a list file whose name is taken by a
// directory, a device that refuses the bytes).
TEST_F(OutputTrackerTest, WriteFailuresAreFailures) {
    fs::create_directories(m_project / "htmlgen.log");
    fs::create_directories(m_project / "htmlgen.chg");
    fs::create_symlink("/dev/full", m_project / "listfile.txt");
    WriteFile(m_project / "lt0", "line\r\n");
    COutputTracker tracker(m_project.string());
    struct Case {
        const char* name;
        std::function<int()> operation;
    };
    const std::vector<std::string> list = Entries({"a.html"});
    const Case cases[] = {
        {"WriteList onto a directory", [&] { return tracker.WriteList(list, "htmlgen.log"); }},
        {"WriteList onto a full device", [&] { return tracker.WriteList(list, "/dev/full"); }},
        {"MergeList onto a directory", [&] { return tracker.MergeList(list, "htmlgen.chg"); }},
        {"AppendListing onto a full device",
         [&] { return tracker.AppendListing("s.scp", "lt0", true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.operation(), 0);
        EXPECT_EQ(tracker.Message(), LoadMessage(67));
    }
    // The temporary listing stays when its section could not be written.
    EXPECT_TRUE(Exists(m_project / "lt0"));
}

// A write cut short (here by the file size limit, in a child process) leaves the list as it was
// before the call.
TEST_F(OutputTrackerTest, ShortWriteLeavesNoPartialEntry) {
    const std::string before = Lines({"a.html"});
    const std::vector<std::string> list = Entries({"long-name.html"});
    struct Case {
        const char* name;
        std::function<int(COutputTracker&)> operation;
    };
    const Case cases[] = {
        {"WriteList", [&](COutputTracker& t) { return t.WriteList(list, "htmlgen.log"); }},
        {"MergeList", [&](COutputTracker& t) { return t.MergeList(list, "htmlgen.log"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(m_project / "htmlgen.log", before);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{before.size() + 5, before.size() + 5};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            COutputTracker tracker(m_project.string());
            const int result = c.operation(tracker);
            ::_exit(result == 0 && tracker.Message() == LoadMessage(67) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(List("htmlgen.log"), before);
    }
}

// Steps 1-2 of a run's end all run; the first failure is the message, and a top-level run then
// writes no output list.
TEST_F(OutputTrackerTest, FinishRunRunsBothMergesAfterAFailure) {
    fs::create_symlink("/dev/full", m_project / COutputTracker::kRunListing);
    fs::create_directories(m_project / "htmlgen.chg");
    WriteFile(m_project / "lt0", "line\r\n");
    const std::vector<std::string> pages = Entries({"a.html"});
    const std::vector<std::string> dirs = Entries({"d"});
    COutputTracker tracker(m_project.string());
    EXPECT_EQ(tracker.FinishRun({.scriptPath = "s.scp",
                                 .succeeded = true,
                                 .listing = true,
                                 .genFiles = pages,
                                 .chgFiles = pages,
                                 .genDirs = dirs,
                                 .chgDirs = dirs}),
              0);
    EXPECT_EQ(tracker.Message(), LoadMessage(67));
    EXPECT_EQ(List("dirgen.chg"), Lines({"d"}));
    EXPECT_FALSE(Exists(m_project / "htmlgen.log"));
    EXPECT_FALSE(Exists(m_project / "dirgen.log"));
}

TEST_F(OutputTrackerTest, FinishRunReportsAFailedStaleOutputPass) {
    WriteFile(m_project / "htmlgen.o", Lines({"old.html"}));
    SetProjectKey(project_key::roothtml, "missing");
    COutputTracker tracker(m_project.string());
    EXPECT_EQ(tracker.FinishRun({.scriptPath = "s.scp", .succeeded = true}), 0);
    EXPECT_EQ(tracker.Message(), LoadMessage(94));
}

// Names in the lists that reach outside the root, and links met on the way, never lead the
// deletion outside the HTML root.
TEST_F(OutputTrackerTest, StaleOutputDeletionStaysUnderTheRoot) {
    const fs::path victim = m_outside / "victim.html";
    WriteFile(victim, "keep");
    WriteFile(m_project / "victim.html", "keep");
    WriteFile(m_outside / "dir/inner.html", "keep");
    fs::create_symlink(victim, m_html / "link.html");
    fs::create_symlink(m_outside, m_html / "linkdir");
    fs::create_symlink(m_outside / "dir", m_html / "dirlink");
    WriteFile(m_html / "gone.html", "x");
    WriteFile(m_project / "htmlgen.o",
              Lines({"../victim.html", "..\\victim.html", "a/../../victim.html", victim.string(),
                     "\\" + victim.string(), "c:victim.html", "linkdir/victim.html", "link.html",
                     "gone.html"}));
    WriteFile(m_project / "dirgen.o", Lines({"..", "../outside/dir", "linkdir/dir", "dirlink"}));
    COutputTracker tracker(m_project.string());
    ASSERT_EQ(tracker.DeleteStaleOutput(), 1);
    EXPECT_EQ(FileBytes(victim), "keep");
    EXPECT_EQ(FileBytes(m_project / "victim.html"), "keep");
    EXPECT_EQ(FileBytes(m_outside / "dir/inner.html"), "keep");
    // The links themselves are entries under the root and go like files.
    EXPECT_FALSE(Exists(m_html / "link.html"));
    EXPECT_FALSE(Exists(m_html / "dirlink"));
    EXPECT_TRUE(Exists(m_html / "linkdir"));
    EXPECT_FALSE(Exists(m_html / "gone.html"));
}

TEST_F(OutputTrackerTest, NestedStaleDirectoriesGoDeepestFirst) {
    WriteFile(m_html / "a/b/page.html", "x");
    WriteFile(m_html / "a/file.txt", "x");
    WriteFile(m_html / "c/d/page.html", "x");
    WriteFile(m_html / "c/own/x.txt", "x");
    WriteFile(m_outside / "x.txt", "keep");
    fs::create_directory_symlink(m_outside, m_html / "a/b/link");
    WriteFile(m_project / "dirgen.o", Lines({"a", "a\\b", "c", "c/d"}));
    COutputTracker tracker(m_project.string());
    ASSERT_EQ(tracker.DeleteStaleOutput(), 1);
    // The link in a/b went as an entry; what it points to was never entered.
    EXPECT_FALSE(Exists(m_html / "a"));
    EXPECT_EQ(FileBytes(m_outside / "x.txt"), "keep");
    // "c" still holds a directory that no list names.
    EXPECT_FALSE(Exists(m_html / "c/d"));
    EXPECT_TRUE(Exists(m_html / "c/own/x.txt"));
}

TEST_F(OutputTrackerTest, HtmlRootFromSettings) {
    struct Case {
        const char* roothtml;
        fs::path root;
    };
    const Case cases[] = {
        {"www\\site", m_project / "www/site"},
        {"", m_project},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.roothtml);
        SetProjectKey(project_key::roothtml, c.roothtml);
        WriteFile(c.root / "old.html", "x");
        WriteFile(m_project / "htmlgen.o", Lines({"old.html"}));
        COutputTracker tracker(m_project.string());
        ASSERT_EQ(tracker.DeleteStaleOutput(), 1);
        EXPECT_FALSE(Exists(c.root / "old.html"));
    }
    SetProjectKey(project_key::roothtml, m_outside.string());
    WriteFile(m_outside / "old.html", "x");
    COutputTracker tracker(m_project.string());
    ASSERT_EQ(tracker.DeleteStaleOutput(), 1);
    EXPECT_FALSE(Exists(m_outside / "old.html"));
}

TEST_F(OutputTrackerTest, DeleteStaleOutputFailures) {
    COutputTracker tracker(m_project.string());
    // Nothing to compare: the root is not needed.
    SetProjectKey(project_key::roothtml, "missing");
    EXPECT_EQ(tracker.DeleteStaleOutput(), 1);
    WriteFile(m_project / "dirgen.o", Lines({"d"}));
    EXPECT_EQ(tracker.DeleteStaleOutput(), 0);
    EXPECT_EQ(tracker.Message(), LoadMessage(94));

    // A current list that cannot be read deletes nothing.
    SetProjectKey(project_key::roothtml, "html");
    fs::remove(m_project / "dirgen.o");
    WriteFile(m_html / "page.html", "x");
    WriteFile(m_project / "htmlgen.o", Lines({"page.html"}));
    fs::create_directories(m_project / "htmlgen.log");
    EXPECT_EQ(tracker.DeleteStaleOutput(), 0);
    EXPECT_EQ(tracker.Message(), LoadMessage(89));
    EXPECT_TRUE(Exists(m_html / "page.html"));
}

}  // namespace
