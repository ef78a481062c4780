#include "quarn/script/output_root.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "quarn/script/ext_script_runner.h"
#include "quarn/script/output_tracker.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/messages.h"

namespace {

namespace fs = std::filesystem;
using script_testing::ScriptRun;
using script_testing::ScriptTestProject;

constexpr int kIllegalPath = 95;

// Every entry below `dir` with its type and bytes (a link: its target), to show that nothing
// there was written, made, replaced or deleted.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        const std::string name = fs::relative(entry.path(), dir).string();
        if (entry.is_symlink()) {
            entries[name] = "link " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            entries[name] = "dir";
        } else {
            std::ifstream file(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << file.rdbuf();
            entries[name] = "file " + bytes.str();
        }
    }
    return entries;
}

// Where a name's directory part leads.
enum class Lands { kInside, kOutside, kNowhere };

// Links planted in the HTML root; a target starting with "@" is the outside directory, with "%"
// the root itself, anything else is taken as it stands (relative to the link).
struct Layout {
    const char* name;
    std::vector<std::pair<const char*, std::string>> links;
    const char* dir;  // the directory part of the names used
    Lands lands;
};

const Layout kLayouts[] = {
    {"link to a folder outside", {{"linkdir", "@"}}, "linkdir", Lands::kOutside},
    {"relative link leaving the root", {{"linkdir", "../outside"}}, "linkdir", Lands::kOutside},
    {"link to a folder inside", {{"linkdir", "real"}}, "linkdir", Lands::kInside},
    {"absolute link to a folder inside", {{"linkdir", "%/real"}}, "linkdir", Lands::kInside},
    {"link in a deeper component", {{"real/deep", "@"}}, "real/deep", Lands::kOutside},
    {"deeper component below an outside link", {{"linkdir", "@"}}, "linkdir/sub", Lands::kOutside},
    {"dangling link", {{"linkdir", "@/missing"}}, "linkdir", Lands::kNowhere},
    {"chain ending outside", {{"a", "b"}, {"b", "@"}}, "a", Lands::kOutside},
    {"chain ending inside", {{"a", "b"}, {"b", "real"}}, "a", Lands::kInside},
};

// One covered operation: runs it on `name` (a file, or for a directory operation a directory).
struct Operation {
    const char* name;
    bool makesDirectory;
    int notWritten;  // the message when the directory does not exist
    std::function<ScriptRun(const std::string& name)> run;
    std::string bytes;  // what a written file holds
};

class OutputRootTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_project.Ok()) << m_project.Error();
        m_html = m_project.PathOf("html");
        m_outside = m_project.PathOf("outside");
        ASSERT_TRUE(m_project.WriteFile("outside/x.html", "precious"));
        ASSERT_TRUE(m_project.WriteFile("outside/made", "precious too"));
        ASSERT_TRUE(m_project.WriteFile("outside/sub/x.html", "deep"));
        ASSERT_TRUE(m_project.WriteFile("source.txt", "linked"));
        m_connect =
            m_project.AddSqliteDatabase("CREATE TABLE t (n INTEGER); INSERT INTO t VALUES (7);");
        // Each run names other pages; old ones stay.
        m_project.SetProjectKey(project_key::delh, 0);
    }

    // A fresh root holding the directory "real" and the links of `layout`.
    void PlantLayout(const Layout& layout) {
        fs::remove_all(m_html);
        fs::create_directories(m_html / "real");
        for (const auto& [link, target] : layout.links) {
            std::string to = target;
            if (to.starts_with('@')) to = m_outside.string() + to.substr(1);
            if (to.starts_with('%')) to = m_html.string() + to.substr(1);
            fs::create_symlink(to, m_html / link);
        }
    }

    ScriptRun Script(const std::string& script) const { return m_project.Run(script); }

    ScriptRun OpenFile(const std::string& name) const {
        const std::string output =
            "<quarn openfile(\"" + name + "\")>\nparsed\n<quarn closefile>\n<quarn end>\n";
        if (!m_project.WriteFile("parsed.txt", output)) return {};
        m_project.SetProjectKey(project_key::scriptexec,
                                "/bin/sh " EXT_PARSER_DIR "/emit_script.sh");
        CExtScriptRunner runner(nullptr);
        ScriptRun run;
        run.result = runner.Run("\"" + m_project.PathOf("parsed.txt") + "\"", 0);
        run.message = runner.m_strMessage;
        return run;
    }

    std::vector<Operation> Operations() const {
        return {
            {"html", false, 81,
             [this](const std::string& n) { return Script("&html(\"" + n + "\"){page}"); }, "page"},
            {"datawrite", false, 63,
             [this](const std::string& n) {
                 return Script("&defvar(?v?)&assign(?v?,\"data\")&datawrite(\"" + n + "\", ?v?)");
             },
             "data"},
            {"export", false, 4,
             [this](const std::string& n) {
                 return Script("&datasource(\"" + m_connect +
                               "\")&sql(\"SELECT n FROM t\"){&export(\"" + n + "\")}");
             },
             "7\r\n"},
            {"filelink", false, 12,
             [this](const std::string& n) {
                 return Script("&filelink(\"" + m_project.PathOf("source.txt") + "\", \"" + n +
                               "\")");
             },
             "linked"},
            {"openfile", false, 81, [this](const std::string& n) { return OpenFile(n); },
             "parsed\r\n"},
            {"directory", true, 122,
             [this](const std::string& n) { return Script("&directory(\"" + n + "\")"); }, ""},
            {"mkldir", true, 122,
             [this](const std::string& n) { return Script("&mkldir(\"" + n + "\")"); }, ""},
        };
    }

    ScriptTestProject m_project;
    fs::path m_html;
    fs::path m_outside;
    std::string m_connect;
};

TEST_F(OutputRootTest, NothingLandsOutsideTheRootThroughALink) {
    const auto before = Snapshot(m_outside);
    for (const Layout& layout : kLayouts) {
        for (const Operation& op : Operations()) {
            SCOPED_TRACE(std::string(layout.name) + ", " + op.name);
            PlantLayout(layout);
            const std::string leaf = op.makesDirectory ? "made" : "x.html";
            const ScriptRun run = op.run(std::string(layout.dir) + "/" + leaf);
            switch (layout.lands) {
                case Lands::kOutside:
                    EXPECT_EQ(run.result, 0);
                    EXPECT_EQ(run.message, LoadMessage(kIllegalPath));
                    break;
                case Lands::kNowhere:
                    EXPECT_EQ(run.result, 0);
                    EXPECT_EQ(run.message, LoadMessage(op.notWritten));
                    break;
                case Lands::kInside: {
                    ASSERT_EQ(run.result, 1) << run.message;
                    const fs::path written = m_html / "real" / leaf;
                    if (op.makesDirectory) {
                        EXPECT_TRUE(fs::is_directory(fs::symlink_status(written)));
                    } else {
                        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(written)));
                        EXPECT_EQ(m_project.ReadFile("html/real/" + leaf), op.bytes);
                    }
                    break;
                }
            }
            EXPECT_EQ(Snapshot(m_outside), before);
        }
    }
}

// The directory operations also name the link itself: the directory it stands for must lie
// inside the root too.
TEST_F(OutputRootTest, ADirectoryThatIsALinkCountsWhereItLeads) {
    const auto before = Snapshot(m_outside);
    for (const Layout& layout : kLayouts) {
        for (const Operation& op : Operations()) {
            if (!op.makesDirectory) continue;
            SCOPED_TRACE(std::string(layout.name) + ", " + op.name);
            PlantLayout(layout);
            const ScriptRun run = op.run(layout.dir);
            switch (layout.lands) {
                case Lands::kOutside:
                    EXPECT_EQ(run.message, LoadMessage(kIllegalPath));
                    break;
                case Lands::kNowhere:
                    EXPECT_EQ(run.message, LoadMessage(op.notWritten));
                    break;
                case Lands::kInside:
                    EXPECT_EQ(run.result, 1) << run.message;
                    break;
            }
            EXPECT_EQ(Snapshot(m_outside), before);
        }
    }
}

// A link standing where a file is written is replaced by the file, never written through.
TEST_F(OutputRootTest, ALinkedFileIsReplacedNotFollowed) {
    const auto before = Snapshot(m_outside);
    for (const Operation& op : Operations()) {
        if (op.makesDirectory) continue;
        SCOPED_TRACE(op.name);
        PlantLayout({"file links", {{"x.html", "@/x.html"}, {"real/x.html", "@/x.html"}}, "", {}});
        for (const char* name : {"x.html", "real/x.html"}) {
            const ScriptRun run = op.run(name);
            ASSERT_EQ(run.result, 1) << name << ": " << run.message;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_html / name))) << name;
            EXPECT_EQ(m_project.ReadFile("html/" + std::string(name)), op.bytes) << name;
        }
        EXPECT_EQ(Snapshot(m_outside), before);
    }
}

// Stale output is deleted only where no link was followed to reach it: the outside stays whole,
// and what a link inside the root leads to is left for the name that really holds it.
TEST_F(OutputRootTest, StaleOutputDeletionEntersNoLink) {
    const auto before = Snapshot(m_outside);
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        PlantLayout(layout);
        ASSERT_TRUE(m_project.WriteFile("html/real/x.html", "kept"));
        const std::string dir = layout.dir;
        ASSERT_TRUE(m_project.WriteFile(COutputTracker::kFilesPrevious, dir + "/x.html\r\n"));
        ASSERT_TRUE(m_project.WriteFile(COutputTracker::kDirsPrevious, dir + "/sub\r\n"));
        COutputTracker tracker(m_project.Dir());
        ASSERT_EQ(tracker.DeleteStaleOutput(), 1) << tracker.Message();
        EXPECT_EQ(m_project.ReadFile("html/real/x.html"), "kept");
        EXPECT_EQ(Snapshot(m_outside), before);
    }
}

// The root itself may be reached through a link, wherever that leads; links inside it are judged
// against where it really is.
TEST_F(OutputRootTest, TheRootMayBeALink) {
    fs::create_directories(m_outside / "site/real");
    fs::create_directory_symlink(m_outside / "site", m_project.PathOf("siteroot"));
    fs::create_directory_symlink("real", m_outside / "site/inner");
    fs::create_directory_symlink(m_html, m_outside / "site/back");
    const ScriptRun run = Script(
        "&htmlrootdir(\"siteroot\")&html(\"top.html\"){top}&html(\"inner/x.html\"){in}"
        "&mkldir(\"inner/made\")");
    ASSERT_EQ(run.result, 1) << run.message;
    EXPECT_EQ(m_project.ReadFile("outside/site/top.html"), "top");
    EXPECT_EQ(m_project.ReadFile("outside/site/real/x.html"), "in");
    EXPECT_TRUE(fs::is_directory(m_outside / "site/real/made"));

    // The old root is outside the new one.
    const ScriptRun back = Script("&htmlrootdir(\"siteroot\")&html(\"back/x.html\"){x}");
    EXPECT_EQ(back.message, LoadMessage(kIllegalPath));
    EXPECT_FALSE(fs::exists(m_html / "x.html"));
}

// A page directly in the root costs no look at links; one below a subdirectory resolves it,
// and the root is resolved once per run.
TEST_F(OutputRootTest, TheRootIsResolvedOncePerRoot) {
    fs::create_directories(m_html / "sub");
    COutputRoot root;
    OutputPlace place;
    ASSERT_EQ(root.Place("html", "a.html", place), PlaceResult::kPlaced);
    EXPECT_EQ(place.dir, AT_FDCWD);
    EXPECT_EQ(place.name, "html/a.html");
    ASSERT_EQ(root.Place("html", "sub/a.html", place), PlaceResult::kPlaced);
    EXPECT_NE(place.dir, AT_FDCWD);
    EXPECT_EQ(place.name, "a.html");
    EXPECT_EQ(root.Place("html", "missing/a.html", place), PlaceResult::kNoDirectory);

    // Another root is resolved afresh: "sub" is outside "html/sub".
    fs::create_directories(m_html / "sub/in");
    fs::create_directory_symlink(m_html / "real", m_html / "sub/out");
    fs::create_directories(m_html / "real");
    EXPECT_EQ(root.Place("html/sub", "in/a.html", place), PlaceResult::kPlaced);
    EXPECT_EQ(root.Place("html/sub", "out/a.html", place), PlaceResult::kOutside);
    EXPECT_EQ(root.Place("html", "sub/out/a.html", place), PlaceResult::kPlaced);
}

}  // namespace
