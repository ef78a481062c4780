#include "quarn/app/upload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "quarn/app/app_test_support.h"
#include "quarn/app/project_paths.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/scripted_ftp_server.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProject = "default";
constexpr std::string_view kSuccess = "Files successfully transferred to web server.";
constexpr std::string_view kCancelled = "ERROR 31- upload cancelled by user.";
constexpr std::string_view kMoving = "status Moving HTML files to web server.";

// What one upload left: its result, its final text, and what it posted to the window, in order:
// "status <line>", "open", "update <position> <caption>", "close".
struct UploadRun {
    int ok = -1;
    std::string message;
    std::vector<std::string> events;
};

// `events` with every progress update but the last cut to "update". The window reads position
// and caption when it handles an update, and the job, which does not wait for it, may have moved
// them on to a later file by then; only the last update is sure to show its own.
// ProgressCountsTheFilesInOrder holds the job until each update was read.
std::vector<std::string> WithOnlyTheLastUpdateShown(std::vector<std::string> events) {
    const auto isUpdate = [](const std::string& event) { return event.starts_with("update "); };
    const auto last = std::find_if(events.rbegin(), events.rend(), isUpdate);
    for (auto it = last; it != events.rend(); ++it) {
        if (it != last && isUpdate(*it)) *it = "update";
    }
    return events;
}

// Bytes that differ at every offset, so a block sent twice or left out shows.
std::string Binary(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

// Every file (path -> bytes) and directory (path -> "<dir>") below `root`.
std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> tree;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string name = fs::relative(it->path(), root).string();
        tree[name] = it->is_directory() ? "<dir>" : FileText(it->path().string());
    }
    return tree;
}

std::string Lines(std::initializer_list<std::string_view> names) {
    std::string text;
    for (std::string_view name : names)
        text.append(name).append("\r\n");
    return text;
}

// What the stand-in main window does besides recording: `beforeStatus` runs before the n-th
// status line (from 0) is taken out of the mailbox, so the job cannot post another line until it
// returns; `afterUpdate` runs after the n-th progress update was recorded.
struct WindowHooks {
    std::function<void(int)> beforeStatus;
    std::function<void(int)> afterUpdate;
};

// A project "default" whose directory is g_szProjectDir (not the current directory: the upload
// builds full paths), with its HTML root "html".
class UploadTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        MakeProject(kProject);
        g_strProject.Set(std::string(kProject));
        g_szProjectDir.Set(ProjectDir(kProject));
        m_startCwd = CurrentDirectory();
    }
    void TearDown() override {
        EXPECT_EQ(CurrentDirectory(), m_startCwd) << "the upload changed the current directory";
        ProgramDirTest::TearDown();
    }

    std::string Project(std::string_view name) const {
        return ProjectDir(kProject) + "/" + std::string(name);
    }
    std::string Html(std::string_view name) const { return Project("html/" + std::string(name)); }
    void PutProject(std::string_view name, std::string_view bytes) const {
        fs::create_directories(fs::path(Project(name)).parent_path());
        PutFile(Project(name), bytes);
    }
    void PutHtml(std::string_view name, std::string_view bytes) const {
        PutProject("html/" + std::string(name), bytes);
    }
    std::string ProjectText(std::string_view name) const { return FileText(Project(name)); }
    // A directory where the upload expects a list file, so reading or replacing it fails.
    void MakeDirectoryAt(std::string_view name) const {
        fs::remove(Project(name));
        fs::create_directories(Project(name));
    }

    void Set(const IntKey& key, int value) const {
        ASSERT_TRUE(g_settings.Set(kProject, key, value));
    }
    void Set(const StringKey& key, std::string_view value) const {
        ASSERT_TRUE(g_settings.Set(kProject, key, value));
    }
    void UseServer(const fixtures::FtpServer& server, int passive = 1) const {
        Set(project_key::wsname, server.Host());
        Set(project_key::ftpport, server.Port());
        Set(project_key::wslogon, server.User());
        Set(project_key::wspasswd, server.Password());
        Set(project_key::ftppasv, passive);
    }

    // Runs `job` on a thread of its own while this thread stands in for the main window.
    UploadRun Drive(const std::function<int(platform::MessageQueue*, std::string&)>& job,
                    const WindowHooks& hooks) const {
        UploadRun run;
        int statusLines = 0;
        int updates = 0;
        DriveJob([&](platform::MessageQueue& window) { run.ok = job(&window, run.message); },
                 [&](const platform::PostedMessage& message) {
                     if (message.message != WM_FRAMENOTIFY) return;
                     switch (message.wParam) {
                         case FRAME_STATUS_TEXT:
                             if (hooks.beforeStatus) hooks.beforeStatus(statusLines);
                             ++statusLines;
                             run.events.push_back("status " + g_szStatusMailbox.Take());
                             break;
                         case FRAME_PROGRESS_OPEN:
                             run.events.push_back("open");
                             break;
                         case FRAME_PROGRESS_CLOSE:
                             run.events.push_back("close");
                             break;
                         case FRAME_PROGRESS_UPDATE:
                             run.events.push_back("update " + std::to_string(g_nProgressPos) + " " +
                                                  g_szProgressText.Get());
                             if (hooks.afterUpdate) hooks.afterUpdate(updates);
                             ++updates;
                             break;
                         default:
                             run.events.push_back("code " + std::to_string(message.wParam));
                     }
                 });
        return run;
    }
    UploadRun RunAttempt(int type, const WindowHooks& hooks = {}) const {
        return Drive([type](platform::MessageQueue* window,
                            std::string& result) { return RunUploadAttempt(window, type, result); },
                     hooks);
    }

private:
    std::string m_startCwd;
};

// The test site: binary files around and across the 4,096-byte transfer block, an empty file and
// nested directories.
const std::map<std::string, std::string>& Site() {
    static const std::map<std::string, std::string> site = {
        {"block-1.bin", Binary(4095, 1)},
        {"block.bin", Binary(4096, 2)},
        {"block+1.bin", Binary(4097, 3)},
        {"blocks.bin", Binary(3 * 4096 + 5, 4)},
        {"empty.html", ""},
        {"index.html", "<html>home</html>\r\n"},
        {"sub/page.html", Binary(8192, 5)},
        {"sub/empty.txt", ""},
        {"sub/deeper/x.bin", Binary(1, 6)},
        {"sub/deeper/y.bin", Binary(40000, 7)},
    };
    return site;
}

const std::vector<std::string_view> kSiteDirs = {"sub", "sub/deeper"};

struct MirrorCase {
    const char* name;
    int type;
    int passive;
};

void PrintTo(const MirrorCase& row, std::ostream* out) {
    *out << row.name;
}

class UploadMirrorTest : public UploadTest, public testing::WithParamInterface<MirrorCase> {};

TEST_P(UploadMirrorTest, ServerHoldsTheHtmlRootByteForByte) {
    const MirrorCase& row = GetParam();
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server, row.passive);
    Set(project_key::wsfilepath, "site");
    fs::create_directories(server.RootFile("site"));
    Set(project_key::resetupload, 1);

    std::string files;
    std::string dirs;
    for (const auto& [name, bytes] : Site()) {
        PutHtml(name, bytes);
        files += name + "\r\n";
    }
    for (std::string_view dir : kSiteDirs)
        dirs.append(dir).append("\r\n");
    const bool changedOnly = row.type == UPLOAD_CHANGED_ONLY;
    PutProject("htmlgen.log", files);
    PutProject("dirgen.log", dirs);
    if (changedOnly) {
        PutProject("htmlgen.chg", files);
        PutProject("dirgen.chg", dirs);
    }

    const UploadRun run = RunAttempt(row.type);
    ASSERT_EQ(run.ok, 1) << run.message << "\n" << server.LogText();
    EXPECT_EQ(run.message, kSuccess);

    std::map<std::string, std::string> expected = Tree(Project("html"));
    if (row.type == UPLOAD_ALL_IN_DIRECTORY) {
        // Only the files directly in the root.
        std::erase_if(expected, [](const auto& entry) {
            return entry.first.find('/') != std::string::npos || entry.second == "<dir>";
        });
    }
    EXPECT_EQ(Tree(server.RootFile("site")), expected) << server.LogText();

    if (row.type == UPLOAD_ALL_IN_DIRECTORY) {
        EXPECT_FALSE(fs::exists(Project("dir.txt")));
        EXPECT_EQ(ProjectText("htmlgen.old"), "<missing>");
        EXPECT_EQ(g_settings.Get(kProject, project_key::resetupload), 1);
    } else {
        EXPECT_EQ(ProjectText("htmlgen.old"), files);
        EXPECT_EQ(ProjectText("dirgen.old"), dirs);
        EXPECT_FALSE(fs::exists(Project("htmlgen.chg")));
        EXPECT_FALSE(fs::exists(Project("dirgen.chg")));
        EXPECT_EQ(g_settings.Get(kProject, project_key::resetupload), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    KindsAndModes, UploadMirrorTest,
    testing::Values(MirrorCase{"ChangedOnlyPassive", UPLOAD_CHANGED_ONLY, 1},
                    MirrorCase{"ChangedOnlyActive", UPLOAD_CHANGED_ONLY, 0},
                    MirrorCase{"AllOutputPassive", UPLOAD_ALL_OUTPUT, 1},
                    MirrorCase{"AllOutputActive", UPLOAD_ALL_OUTPUT, 0},
                    MirrorCase{"AllInDirectoryPassive", UPLOAD_ALL_IN_DIRECTORY, 1},
                    MirrorCase{"AllInDirectoryActive", UPLOAD_ALL_IN_DIRECTORY, 0}),
    [](const testing::TestParamInfo<MirrorCase>& info) { return info.param.name; });

TEST_F(UploadTest, ChangedOnlySendsWhatTheChangeListsName) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    PutHtml("a.html", "a");
    PutHtml("b.html", "b");
    PutHtml("new/c.html", "c");
    PutHtml("old/d.html", "d");
    PutProject("htmlgen.log", Lines({"a.html", "b.html", "new/c.html", "old/d.html"}));
    PutProject("dirgen.log", Lines({"new", "old"}));
    PutProject("htmlgen.chg", Lines({"b.html", "new\\c.html"}));
    PutProject("dirgen.chg", Lines({"new"}));

    const UploadRun run = RunAttempt(UPLOAD_CHANGED_ONLY);
    ASSERT_EQ(run.ok, 1) << run.message;
    const std::map<std::string, std::string> expected = {
        {"b.html", "b"}, {"new", "<dir>"}, {"new/c.html", "c"}};
    EXPECT_EQ(Tree(server.RootDir()), expected);
    const std::vector<std::string> events = {
        std::string(kMoving),
        "status Creating directory \"new\"",
        "open",
        "update",
        "update 50 Uploading file 2 of 2  (new/c.html)",
        "close",
    };
    EXPECT_EQ(WithOnlyTheLastUpdateShown(run.events), events);
}

TEST_F(UploadTest, ChangedOnlyWithOnlyDirectoriesCreatesThem) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    PutProject("dirgen.chg", Lines({"a", "a/b"}));
    PutProject("dirgen.log", Lines({"a", "a/b"}));

    const UploadRun run = RunAttempt(UPLOAD_CHANGED_ONLY);
    ASSERT_EQ(run.ok, 1) << run.message;
    EXPECT_EQ(run.message, kSuccess);
    const std::map<std::string, std::string> expected = {{"a", "<dir>"}, {"a/b", "<dir>"}};
    EXPECT_EQ(Tree(server.RootDir()), expected);
    EXPECT_FALSE(fs::exists(Project("dirgen.chg")));
}

TEST_F(UploadTest, ChangedOnlyWithoutChangeListsNeedsNoServer) {
    Set(project_key::wsname, "127.0.0.1");
    Set(project_key::ftpport, 1);
    const UploadRun run = RunAttempt(UPLOAD_CHANGED_ONLY);
    EXPECT_EQ(run.ok, 1);
    EXPECT_EQ(run.message, "Upload cancelled- no files require update.");
    EXPECT_TRUE(run.events.empty());
}

TEST_F(UploadTest, ListedNamesThatAreMissingOrLeaveTheRoot) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::wsfilepath, "site");
    fs::create_directories(server.RootFile("site"));
    PutHtml("a.html", "a");
    PutProject("secret.txt", "not for the server");
    // Names leaving the root are skipped silently, even with lfnferror.
    PutProject("htmlgen.log", Lines({"../secret.txt", "/etc/hostname", "c:x", "a.html"}));
    PutProject("dirgen.log", Lines({"..", "../up"}));

    struct Row {
        const char* name;
        int lfnferror;
        std::string extraLine;
        int ok;
        std::string message;
    };
    const Row rows[] = {
        {"no missing file", 1, "", 1, std::string(kSuccess)},
        {"missing file skipped", 0, "gone.html", 1, std::string(kSuccess)},
        {"missing file is an error", 1, "gone.html", 0, "ERROR 30- file does not exist."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Set(project_key::lfnferror, row.lfnferror);
        PutProject("htmlgen.log", Lines({"../secret.txt", "/etc/hostname", "c:x", "a.html"}) +
                                      row.extraLine + "\r\n");
        fs::remove(server.RootFile("site/a.html"));
        const UploadRun run = RunAttempt(UPLOAD_ALL_OUTPUT);
        EXPECT_EQ(run.ok, row.ok);
        EXPECT_EQ(run.message, row.message);
        const std::map<std::string, std::string> site =
            row.ok ? std::map<std::string, std::string>{{"a.html", "a"}}
                   : std::map<std::string, std::string>{};
        EXPECT_EQ(Tree(server.RootFile("site")), site);
        EXPECT_EQ(Tree(server.RootDir()).size(), site.size() + 1) << "only site/ at the top";
    }
}

TEST_F(UploadTest, FailuresBeforeTheTransfers) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    struct Row {
        const char* name;
        std::function<void()> arrange;
        int type;
        std::string messageStart;
        bool jobRuns;  // false: the attempt fails before CUploadJob::Run
    };
    const std::string error28 = "ERROR 28- upload list file could not be opened.";
    const std::string error94 =
        "ERROR 94- local HTML directory could not be opened. Check program settings.";
    const Row rows[] = {
        {"wrong password", [&] { Set(project_key::wspasswd, "wrong"); }, UPLOAD_ALL_OUTPUT,
         "ERROR 26- 530 ", true},
        {"no server", [&] { Set(project_key::ftpport, 1); }, UPLOAD_ALL_OUTPUT,
         "ERROR 26- Unable to connect to server", true},
        {"upload directory missing", [&] { Set(project_key::wsfilepath, "nowhere"); },
         UPLOAD_ALL_OUTPUT, "ERROR 27- specified web server upload directory could not be opened.",
         true},
        {"file list unreadable", [&] { MakeDirectoryAt("htmlgen.log"); }, UPLOAD_ALL_OUTPUT,
         error28, true},
        {"directory list unreadable", [&] { MakeDirectoryAt("dirgen.log"); }, UPLOAD_ALL_OUTPUT,
         error28, true},
        {"type without lists", [] {}, 3, error28, true},
        {"HTML root missing", [&] { Set(project_key::roothtml, "nohtml"); }, UPLOAD_ALL_OUTPUT,
         error94, true},
        {"HTML root missing, type 2", [&] { Set(project_key::roothtml, "nohtml"); },
         UPLOAD_ALL_IN_DIRECTORY, error94, false},
        {"dir.txt cannot be written", [&] { MakeDirectoryAt("dir.txt/x"); },
         UPLOAD_ALL_IN_DIRECTORY, error28, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UseServer(server);
        Set(project_key::wsfilepath, "");
        Set(project_key::roothtml, "html");
        fs::remove_all(Project("htmlgen.log"));
        fs::remove_all(Project("dirgen.log"));
        fs::remove_all(Project("dir.txt"));
        PutHtml("a.html", "a");
        PutProject("htmlgen.log", Lines({"a.html"}));
        PutProject("dirgen.log", Lines({"d"}));
        row.arrange();

        const UploadRun run = RunAttempt(row.type);
        EXPECT_EQ(run.ok, 0);
        EXPECT_TRUE(run.message.starts_with(row.messageStart)) << run.message;
        EXPECT_FALSE(fs::exists(server.RootFile("a.html")));
        EXPECT_EQ(ProjectText("htmlgen.old"), "<missing>");
        if (row.jobRuns) {
            // The progress window is told to close on every path, and never opened here.
            ASSERT_FALSE(run.events.empty());
            EXPECT_EQ(run.events.back(), "close");
            for (std::size_t i = 0; i + 1 < run.events.size(); ++i)
                EXPECT_TRUE(run.events[i].starts_with("status ")) << run.events[i];
        } else {
            EXPECT_TRUE(run.events.empty());
            EXPECT_TRUE(fs::is_directory(Project("dir.txt")) || !fs::exists(Project("dir.txt")));
        }
    }
}

// The five files of the refusal and progress cases, in list (and sorted) order; the server
// refuses the third.
const std::vector<std::string> kFive = {"a.html", "my page.html", "page.html", "q.html", "z.html"};

struct ResumeCase {
    const char* name;
    int type;
    int resume;
    std::string chgBefore;  // for types 1 and 2; type 0 lists kFive
    std::string chgAfter;
};

void PrintTo(const ResumeCase& row, std::ostream* out) {
    *out << row.name;
}

class UploadResumeTest : public UploadTest, public testing::WithParamInterface<ResumeCase> {};

TEST_P(UploadResumeTest, RefusedStorFailsAndLeavesTheResumeList) {
    const ResumeCase& row = GetParam();
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::resumefailedupload, row.resume);
    Set(project_key::wsclean, 1);
    // A directory where the third file should go: the server refuses that STOR.
    fs::create_directories(server.RootFile("page.html"));
    std::string list;
    for (const std::string& name : kFive) {
        PutHtml(name, Binary(5000, static_cast<unsigned>(name.size())));
        list += name + "\r\n";
    }
    PutProject("htmlgen.log", list);
    PutProject("htmlgen.old", Lines({"a.html", "stale.html"}));
    PutFile(server.RootFile("stale.html"), "stale");
    PutProject("htmlgen.chg", row.type == UPLOAD_CHANGED_ONLY ? list : row.chgBefore);

    const UploadRun run = RunAttempt(row.type);
    EXPECT_EQ(run.ok, 0);
    EXPECT_TRUE(run.message.starts_with("ERROR 29- 550 ")) << run.message;
    EXPECT_EQ(FileText(server.RootFile("a.html")), FileText(Html("a.html")));
    EXPECT_EQ(FileText(server.RootFile("my page.html")), FileText(Html("my page.html")));
    EXPECT_FALSE(fs::exists(server.RootFile("q.html")));
    EXPECT_FALSE(fs::exists(server.RootFile("z.html")));
    // Nothing is marked as uploaded and nothing is cleaned.
    EXPECT_EQ(ProjectText("htmlgen.chg"), row.chgAfter);
    EXPECT_EQ(ProjectText("htmlgen.old"), Lines({"a.html", "stale.html"}));
    EXPECT_TRUE(fs::exists(server.RootFile("stale.html")));
    ASSERT_FALSE(run.events.empty());
    EXPECT_EQ(run.events.back(), "close");
    EXPECT_EQ(std::count_if(run.events.begin(), run.events.end(),
                            [](const std::string& event) { return event.starts_with("update "); }),
              3);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UploadResumeTest,
    testing::Values(
        // The failed file and those after it; "page.html" is not taken for "my page.html".
        ResumeCase{"ChangedOnly", UPLOAD_CHANGED_ONLY, 1, "",
                   Lines({"page.html", "q.html", "z.html"})},
        // The old changes stay; the rest of the list follows; what went is gone.
        ResumeCase{"AllOutput", UPLOAD_ALL_OUTPUT, 1, Lines({"old.html", "my page.html"}),
                   Lines({"old.html", "page.html", "q.html", "z.html"})},
        ResumeCase{"AllInDirectory", UPLOAD_ALL_IN_DIRECTORY, 1,
                   Lines({"old.html", "q.html", "my page.html"}),
                   Lines({"old.html", "q.html", "page.html", "z.html"})},
        ResumeCase{"NoResume", UPLOAD_ALL_OUTPUT, 0, Lines({"old.html"}), Lines({"old.html"})}),
    [](const testing::TestParamInfo<ResumeCase>& info) { return info.param.name; });

TEST_F(UploadTest, ResumeListThatCannotBeReadFailsTheUpload) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::resumefailedupload, 1);
    fs::create_directories(server.RootFile("a.html"));
    PutHtml("a.html", "a");
    PutProject("htmlgen.log", Lines({"a.html"}));
    MakeDirectoryAt("htmlgen.chg");
    const UploadRun run = RunAttempt(UPLOAD_ALL_OUTPUT);
    EXPECT_EQ(run.ok, 0);
    EXPECT_EQ(run.message, "ERROR 28- upload list file could not be opened.");
    EXPECT_TRUE(fs::is_directory(Project("htmlgen.chg")));
}

TEST_F(UploadTest, NextAttemptAfterAFailureSendsTheRest) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::resumefailedupload, 1);
    fs::create_directories(server.RootFile("page.html"));
    std::string list;
    for (const std::string& name : kFive) {
        PutHtml(name, name + " bytes");
        list += name + "\r\n";
    }
    PutProject("htmlgen.log", list);
    PutProject("htmlgen.chg", list);
    ASSERT_EQ(RunAttempt(UPLOAD_CHANGED_ONLY).ok, 0);

    fs::remove(server.RootFile("page.html"));
    const UploadRun run = RunAttempt(UPLOAD_CHANGED_ONLY);
    ASSERT_EQ(run.ok, 1) << run.message;
    EXPECT_EQ(std::count_if(run.events.begin(), run.events.end(),
                            [](const std::string& event) { return event.starts_with("update "); }),
              3);
    EXPECT_EQ(Tree(server.RootDir()), Tree(Project("html")));
    EXPECT_FALSE(fs::exists(Project("htmlgen.chg")));
    EXPECT_EQ(ProjectText("htmlgen.old"), list);
}

TEST_F(UploadTest, ListsThatCannotBeMarkedFailTheUpload) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    struct Row {
        const char* uploaded;  // made a directory, so it cannot be replaced
        const char* changes;   // the change list that must stay for the next upload
        const char* change;
    };
    const Row rows[] = {{"htmlgen.old", "htmlgen.chg", "a.html"},
                        {"dirgen.old", "dirgen.chg", "d"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.uploaded);
        fs::remove_all(Project("htmlgen.old"));
        fs::remove_all(Project("dirgen.old"));
        PutHtml("a.html", "a");
        PutProject("htmlgen.log", Lines({"a.html"}));
        PutProject("dirgen.log", Lines({"d"}));
        PutProject("htmlgen.chg", Lines({"a.html"}));
        PutProject("dirgen.chg", Lines({"d"}));
        MakeDirectoryAt(row.uploaded);
        const UploadRun run = RunAttempt(UPLOAD_CHANGED_ONLY);
        EXPECT_EQ(run.ok, 0);
        EXPECT_EQ(run.message, "ERROR 28- upload list file could not be opened.");
        EXPECT_EQ(ProjectText(row.changes), Lines({row.change}));
    }
}

// The start of a session with the scripted server: greeting and logon as user "u".
void ScriptLogOn(fixtures::ScriptedFtpServer& server) {
    server.Reply("220 ready").Expect("USER u").Reply("331 password").Expect("PASS p");
    server.Reply("230 in");
}

void ScriptStorStart(fixtures::ScriptedFtpServer& server, const std::string& name) {
    server.Expect("TYPE I").Reply("200 binary").Expect("PASV").PassiveReply();
    server.Expect("STOR " + name).AcceptData();
}

TEST_F(UploadTest, ProgressCountsTheFilesInOrder) {
    fixtures::ScriptedFtpServer server;
    ScriptLogOn(server);
    // Each transfer waits until the window has recorded its update, so the job cannot move the
    // caption on before the window read it.
    std::atomic<int> recorded{0};
    for (std::size_t i = 0; i < kFive.size(); ++i) {
        ScriptStorStart(server, kFive[i]);
        server.Call([&recorded, i] {
            for (int wait = 0; recorded <= static_cast<int>(i) && wait < 10000; ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        server.Reply("150 go").ReceiveData().Reply("226 done");
    }
    server.ExpectClose();
    ASSERT_TRUE(server.Start()) << server.Failure();
    Set(project_key::wsname, "127.0.0.1");
    Set(project_key::ftpport, server.Port());
    Set(project_key::wslogon, "u");
    Set(project_key::wspasswd, "p");
    Set(project_key::ftppasv, 1);
    std::string expectedData;
    std::string list;
    for (const std::string& name : kFive) {
        PutHtml(name, name);
        expectedData += name;
        list += name + "\r\n";
    }
    PutProject("htmlgen.log", list);

    WindowHooks hooks;
    hooks.afterUpdate = [&recorded](int) { ++recorded; };
    const UploadRun run = RunAttempt(UPLOAD_ALL_OUTPUT, hooks);
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    ASSERT_EQ(run.ok, 1) << run.message;
    const std::vector<std::string> events = {
        std::string(kMoving),
        "open",
        "update 0 Uploading file 1 of 5  (a.html)",
        "update 20 Uploading file 2 of 5  (my page.html)",
        "update 40 Uploading file 3 of 5  (page.html)",
        "update 60 Uploading file 4 of 5  (q.html)",
        "update 80 Uploading file 5 of 5  (z.html)",
        "close",
    };
    EXPECT_EQ(run.events, events);
    EXPECT_EQ(server.ReceivedData(), expectedData);
}

TEST_F(UploadTest, ProgressCaptionIsCutAtACharacterBoundary) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    // "Uploading file 1 of 1  (" is 24 bytes; the two-byte "é" would straddle byte 259.
    const std::string name = std::string(234, 'n') + "\xC3\xA9" + std::string(10, 'x') + ".html";
    PutHtml(name, "x");
    PutProject("htmlgen.log", name + "\r\n");
    const UploadRun run = RunAttempt(UPLOAD_ALL_OUTPUT);
    ASSERT_EQ(run.ok, 1) << run.message;
    const auto update = std::find_if(run.events.begin(), run.events.end(),
                                     [](const std::string& e) { return e.starts_with("update "); });
    ASSERT_NE(update, run.events.end());
    EXPECT_EQ(*update, "update 0 Uploading file 1 of 1  (" + std::string(234, 'n'));
}

TEST_F(UploadTest, DroppedDataConnectionFailsAndLeavesTheResumeList) {
    fixtures::ScriptedFtpServer server;
    ScriptLogOn(server);
    for (int i = 0; i < 2; ++i) {
        ScriptStorStart(server, kFive[i]);
        server.Reply("150 go").ReceiveData().Reply("226 done");
    }
    ScriptStorStart(server, kFive[2]);
    server.Reply("150 go").ResetData().Reply("426 connection lost").ExpectClose();
    ASSERT_TRUE(server.Start()) << server.Failure();
    Set(project_key::wsname, "127.0.0.1");
    Set(project_key::ftpport, server.Port());
    Set(project_key::wslogon, "u");
    Set(project_key::wspasswd, "p");
    Set(project_key::ftppasv, 1);
    Set(project_key::resumefailedupload, 1);
    std::string list;
    for (const std::string& name : kFive) {
        PutHtml(name, Binary(256 * 1024, 9));
        list += name + "\r\n";
    }
    PutProject("htmlgen.log", list);
    PutProject("htmlgen.chg", Lines({"old.html"}));

    const UploadRun run = RunAttempt(UPLOAD_ALL_OUTPUT);
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(run.ok, 0);
    EXPECT_TRUE(run.message.starts_with("ERROR 29- ")) << run.message;
    EXPECT_EQ(ProjectText("htmlgen.chg"), Lines({"old.html", "page.html", "q.html", "z.html"}));
    EXPECT_EQ(ProjectText("htmlgen.old"), "<missing>");
    ASSERT_FALSE(run.events.empty());
    EXPECT_EQ(run.events.back(), "close");
}

TEST_F(UploadTest, UploadAfterAFailedRunDeletesNothing) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::wsclean, 1);
    // The failed run left its changes but no htmlgen.log or dirgen.log.
    PutHtml("a.html", "new a");
    PutProject("htmlgen.chg", Lines({"a.html"}));
    PutProject("dirgen.chg", Lines({"d"}));
    PutProject("htmlgen.old", Lines({"a.html", "b.html"}));
    PutProject("dirgen.old", Lines({"old"}));
    PutFile(server.RootFile("b.html"), "b");
    fs::create_directories(server.RootFile("old"));

    const UploadRun run = RunAttempt(UPLOAD_CHANGED_ONLY);
    ASSERT_EQ(run.ok, 1) << run.message;
    const std::map<std::string, std::string> expected = {
        {"a.html", "new a"}, {"b.html", "b"}, {"d", "<dir>"}, {"old", "<dir>"}};
    EXPECT_EQ(Tree(server.RootDir()), expected);
    EXPECT_EQ(ProjectText("htmlgen.old"), Lines({"a.html", "b.html"}));
    EXPECT_EQ(ProjectText("dirgen.old"), Lines({"old"}));
    EXPECT_EQ(ProjectText("htmlgen.chg"), Lines({"a.html"}));
    EXPECT_EQ(ProjectText("dirgen.chg"), Lines({"d"}));
}

TEST_F(UploadTest, CleaningDeletesExactlyTheStaleServerFiles) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::wsfilepath, "site");
    for (const char* file : {"site/page.html", "site/gone.html", "site/keep.html",
                             "site/sub/deep/old.html", "outside.html"}) {
        fs::create_directories(fs::path(server.RootFile(file)).parent_path());
        PutFile(server.RootFile(file), "old");
    }
    fs::create_directories(server.RootFile("site/stay"));
    PutHtml("my page.html", "mine");
    PutHtml("keep.html", "kept");
    fs::create_directories(Html("stay"));
    PutProject("htmlgen.log", Lines({"my page.html", "keep.html"}));
    PutProject("dirgen.log", Lines({"stay"}));
    PutProject("htmlgen.old", Lines({"page.html", "gone.html", "keep.html", "sub/deep/old.html",
                                     "../outside.html"}));
    PutProject("dirgen.old", Lines({"sub", "sub/deep", "stay", ".."}));

    Set(project_key::wsclean, 1);
    const UploadRun run = RunAttempt(UPLOAD_ALL_OUTPUT);
    ASSERT_EQ(run.ok, 1) << run.message;
    const std::map<std::string, std::string> expected = {
        {"my page.html", "mine"}, {"keep.html", "kept"}, {"stay", "<dir>"}};
    EXPECT_EQ(Tree(server.RootFile("site")), expected) << server.LogText();
    EXPECT_EQ(FileText(server.RootFile("outside.html")), "old");
    const std::vector<std::string> events = {
        std::string(kMoving),
        "status Creating directory \"stay\"",
        "open",
        "update",
        "update 50 Uploading file 2 of 2  (keep.html)",
        "status Deleting old files from web server.",
        "status Deleting \"page.html\"",
        "status Deleting \"gone.html\"",
        "status Deleting \"sub/deep/old.html\"",
        "status Removing directory \"sub/deep\"",
        "status Removing directory \"sub\"",
        "close",
    };
    EXPECT_EQ(WithOnlyTheLastUpdateShown(run.events), events);
    EXPECT_EQ(ProjectText("htmlgen.old"), Lines({"my page.html", "keep.html"}));
    EXPECT_EQ(ProjectText("dirgen.old"), Lines({"stay"}));
}

TEST_F(UploadTest, WithoutCleaningNothingIsDeleted) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    PutFile(server.RootFile("gone.html"), "old");
    fs::create_directories(server.RootFile("olddir"));
    PutHtml("a.html", "a");
    PutProject("htmlgen.log", Lines({"a.html"}));
    PutProject("dirgen.log", "");
    PutProject("htmlgen.old", Lines({"gone.html"}));
    PutProject("dirgen.old", Lines({"olddir"}));
    const UploadRun run = RunAttempt(UPLOAD_ALL_OUTPUT);
    ASSERT_EQ(run.ok, 1) << run.message;
    const std::map<std::string, std::string> expected = {
        {"a.html", "a"}, {"gone.html", "old"}, {"olddir", "<dir>"}};
    EXPECT_EQ(Tree(server.RootDir()), expected);
    EXPECT_EQ(ProjectText("htmlgen.old"), Lines({"a.html"}));
    EXPECT_EQ(ProjectText("dirgen.old"), "");
}

TEST_F(UploadTest, CancelDuringTheTransfersStopsAndLeavesTheListsUnmarked) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::resumefailedupload, 1);
    std::string list;
    for (const std::string& name : kFive) {
        PutHtml(name, Binary(9000, 3));
        list += name + "\r\n";
    }
    PutProject("htmlgen.chg", list);
    PutProject("dirgen.chg", Lines({"d"}));
    PutProject("htmlgen.log", list);
    PutProject("dirgen.log", Lines({"d"}));

    // Cancel while "Moving HTML files ..." is shown: the job can post its next line, and so
    // reach the transfers, only after that.
    WindowHooks hooks;
    hooks.beforeStatus = [](int index) {
        if (index == 0) g_bCancelRequested = true;
    };
    const UploadRun run = RunAttempt(UPLOAD_CHANGED_ONLY, hooks);
    EXPECT_EQ(run.ok, 0);
    EXPECT_EQ(run.message, kCancelled);
    const std::vector<std::string> events = {
        std::string(kMoving),
        "status Creating directory \"d\"",
        "open",
        "update 0 Uploading file 1 of 5  (a.html)",
        "close",
    };
    EXPECT_EQ(run.events, events);
    for (const std::string& name : kFive)
        EXPECT_NE(FileText(server.RootFile(name)), FileText(Html(name))) << name;
    EXPECT_EQ(ProjectText("htmlgen.chg"), list);
    EXPECT_EQ(ProjectText("dirgen.chg"), Lines({"d"}));
    EXPECT_EQ(ProjectText("htmlgen.old"), "<missing>");
}

TEST_F(UploadTest, CancelWhileCleaningStopsBeforeTheNextDeletion) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    Set(project_key::wsclean, 1);
    PutHtml("a.html", "a");
    for (const char* stale : {"s1.html", "s2.html", "s3.html"})
        PutFile(server.RootFile(stale), "old");
    PutProject("htmlgen.log", Lines({"a.html"}));
    PutProject("htmlgen.chg", Lines({"a.html"}));
    PutProject("htmlgen.old", Lines({"s1.html", "s2.html", "s3.html"}));

    WindowHooks hooks;
    hooks.beforeStatus = [](int index) {
        if (index == 1) g_bCancelRequested = true;  // "Deleting old files from web server."
    };
    const UploadRun run = RunAttempt(UPLOAD_ALL_OUTPUT, hooks);
    EXPECT_EQ(run.ok, 0);
    EXPECT_EQ(run.message, kCancelled);
    EXPECT_TRUE(fs::exists(server.RootFile("s2.html")));
    EXPECT_TRUE(fs::exists(server.RootFile("s3.html")));
    EXPECT_EQ(ProjectText("htmlgen.old"), Lines({"s1.html", "s2.html", "s3.html"}));
    EXPECT_EQ(ProjectText("htmlgen.chg"), Lines({"a.html"}));
    ASSERT_FALSE(run.events.empty());
    EXPECT_EQ(run.events.back(), "close");
}

// The job clears the flag when it starts, so a set one came earlier in this job (during its
// scripts, say): the upload does not even log on.
TEST_F(UploadTest, ACancelBeforeTheUploadSendsNothing) {
    fixtures::FtpServer server;
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    UseServer(server);
    PutHtml("a.html", "a");
    PutProject("htmlgen.log", Lines({"a.html"}));
    PutProject("htmlgen.chg", Lines({"a.html"}));
    Set(project_key::resumefailedupload, 1);
    g_bCancelRequested = true;
    const UploadRun run = RunAttempt(UPLOAD_ALL_OUTPUT);
    EXPECT_EQ(run.ok, 0);
    EXPECT_EQ(run.message, kCancelled);
    EXPECT_EQ(run.events, std::vector<std::string>{"close"});
    EXPECT_EQ(FileText(server.RootFile("a.html")), "<missing>");
    EXPECT_EQ(ProjectText("htmlgen.chg"), Lines({"a.html"}));
}

}  // namespace
