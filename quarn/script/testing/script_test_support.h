#pragma once
// A throw-away project for in-process interpreter tests: a private directory holding the settings
// file "Quarn.ini" and the project directory "project" with its HTML root "html". While the object
// lives, g_settings points at that file, g_strProject is kProjectName, g_strProgramTitle is
// "Quarn Pro" and the process's current directory is the project directory; the destructor puts
// all four back and removes the directory.
//
//   script_testing::ScriptTestProject project;
//   ASSERT_TRUE(project.Ok()) << project.Error();
//   auto run = project.Run("&html(\"a.html\"){x}");
//   EXPECT_EQ(run.result, 1) << run.message;
//   EXPECT_EQ(project.Page("a.html"), "x");
//
// One object at a time per process (they share the globals); ctest runs every test case in a
// process of its own.

#include <sys/resource.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quarn/services/settings_keys.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/temp_dir.h"

namespace script_testing {

// What one run left: RunScript's result and the interpreter's final m_strMessage.
struct ScriptRun {
    int result = 0;
    std::string message;
};

class ScriptTestProject {
public:
    static constexpr std::string_view kProjectName = "default";
    static constexpr std::string_view kScriptName = "script.scp";

    ScriptTestProject();
    ~ScriptTestProject();
    ScriptTestProject(const ScriptTestProject&) = delete;
    ScriptTestProject& operator=(const ScriptTestProject&) = delete;

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }

    // The project directory (absolute; the current directory while the object lives).
    const std::string& Dir() const { return m_projectDir; }
    // Dir() + "/" + name.
    std::string PathOf(std::string_view name) const;

    // Writes `bytes` to `name` below the project directory, making its parent directories.
    // A failure is reported as a test failure and returns false.
    bool WriteFile(std::string_view name, std::string_view bytes) const;
    // The bytes of `name` below the project directory; nullopt when it cannot be read.
    std::optional<std::string> ReadFile(std::string_view name) const;
    bool Exists(std::string_view name) const;
    // ReadFile of "html/" + name.
    std::optional<std::string> Page(std::string_view name) const;
    // The run listing "listfile.txt" and the list "htmlgen.log" ("" when missing).
    std::string Listing() const;
    std::string GeneratedFiles() const;
    // The global key lasterrorline (-1 when no error was reported).
    int LastErrorLine() const;

    // Keys of the active project's section.
    void SetProjectKey(const IntKey& key, int value) const;
    void SetProjectKey(const StringKey& key, std::string_view value) const;
    int ProjectKey(const IntKey& key) const;
    std::string ProjectKey(const StringKey& key) const;

    // A SQLite database built from `sql`, alive as long as this object; its ODBC connection
    // string ("" and a test failure when it cannot be built).
    std::string AddSqliteDatabase(std::string_view sql);

    // Writes `script` to `name` and runs it with a new CScriptInterpreter at level 0.
    ScriptRun Run(std::string_view script, std::string_view name = kScriptName) const;
    // Runs the file `path` (relative to the project directory unless absolute) at `level`.
    ScriptRun RunFile(std::string_view path, int level = 0) const;

private:
    std::unique_ptr<fixtures::TempDir> m_dir;
    std::string m_projectDir;
    std::string m_error;
    std::string m_oldCwd;
    std::string m_oldSettingsPath;
    std::string m_oldProject;
    std::string m_oldTitle;
    std::vector<std::unique_ptr<fixtures::SqliteDatabase>> m_databases;
};

// A script that makes a value grow by "abc" `iterations` times with assign, each of which writes
// the whole value to the listing (so the listing grows with the square of the count), and then
// writes the value as the page `page`.
std::string GrowingValueScript(int iterations, std::string_view page);

// One section of the run listing "listfile.txt": the script its banner names and its body, the
// lines of that run's listing.
struct ListingSection {
    std::string script;
    std::string body;
};
// The sections of the run listing `listing`, in order. A section without its banner's script line
// or its closing empty lines is a test failure and ends the list.
std::vector<ListingSection> ListingSections(std::string_view listing);

// Files may grow to `limit` bytes while this lives; a longer write fails with EFBIG instead of
// raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int);
};

// Runs `body` on a thread of its own with a stack of `stackBytes` and waits for it, so a test can
// nest as deep as the task thread's 64 MiB stack allows. False (and a test failure) when the
// thread cannot be started.
bool RunOnLargeStack(const std::function<void()>& body, std::size_t stackBytes = 64u << 20);

}  // namespace script_testing
