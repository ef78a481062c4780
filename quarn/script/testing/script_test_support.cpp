#include "quarn/script/testing/script_test_support.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "quarn/script/script_interpreter.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace script_testing {

namespace fs = std::filesystem;

ScriptTestProject::ScriptTestProject() : m_dir(std::make_unique<fixtures::TempDir>("script")) {
    if (!m_dir->Ok()) {
        m_error = m_dir->Error();
        return;
    }
    m_projectDir = m_dir->File("project");
    std::error_code ec;
    fs::create_directories(fs::path(m_projectDir) / "html", ec);
    if (ec) {
        m_error = "cannot make " + m_projectDir + ": " + ec.message();
        return;
    }
    const std::string settingsPath = m_dir->File("Quarn.ini");
    std::string error;
    if (!fixtures::WriteTextFile(settingsPath, "[global]\r\nprofile0=default\r\n", &error)) {
        m_error = error;
        return;
    }
    m_oldCwd = fs::current_path(ec).string();
    m_oldSettingsPath = g_settings.Path();
    m_oldProject = g_strProject.Get();
    m_oldTitle = g_strProgramTitle.Get();
    g_settings.SetPath(settingsPath);
    g_strProject.Set(std::string(kProjectName));
    g_strProgramTitle.Set("Quarn Pro");
    g_bCancelRequested = false;
    if (::chdir(m_projectDir.c_str()) != 0) {
        m_error = "chdir " + m_projectDir + ": " + std::strerror(errno);
    }
}

ScriptTestProject::~ScriptTestProject() {
    if (!m_oldCwd.empty() && ::chdir(m_oldCwd.c_str()) != 0) {
        ADD_FAILURE() << "cannot return to " << m_oldCwd;
    }
    if (m_projectDir.empty()) return;
    g_settings.SetPath(m_oldSettingsPath);
    g_strProject.Set(m_oldProject);
    g_strProgramTitle.Set(m_oldTitle);
    g_bCancelRequested = false;
}

std::string ScriptTestProject::PathOf(std::string_view name) const {
    return m_projectDir + "/" + std::string(name);
}

bool ScriptTestProject::WriteFile(std::string_view name, std::string_view bytes) const {
    const fs::path path = PathOf(name);
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::string error;
    if (ec || !fixtures::WriteTextFile(path.string(), bytes, &error)) {
        ADD_FAILURE() << "cannot write " << path << " " << error << ec.message();
        return false;
    }
    return true;
}

std::optional<std::string> ScriptTestProject::ReadFile(std::string_view name) const {
    return fixtures::ReadTextFile(PathOf(name));
}

bool ScriptTestProject::Exists(std::string_view name) const {
    std::error_code ec;
    return fs::symlink_status(PathOf(name), ec).type() != fs::file_type::not_found;
}

std::optional<std::string> ScriptTestProject::Page(std::string_view name) const {
    return ReadFile("html/" + std::string(name));
}

std::string ScriptTestProject::Listing() const {
    return ReadFile("listfile.txt").value_or("");
}

std::string ScriptTestProject::GeneratedFiles() const {
    return ReadFile("htmlgen.log").value_or("");
}

int ScriptTestProject::LastErrorLine() const {
    return g_settings.GetGlobal(global_key::lasterrorline);
}

void ScriptTestProject::SetProjectKey(const IntKey& key, int value) const {
    std::string error;
    if (!g_settings.Set(kProjectName, key, value, &error)) ADD_FAILURE() << error;
}

void ScriptTestProject::SetProjectKey(const StringKey& key, std::string_view value) const {
    std::string error;
    if (!g_settings.Set(kProjectName, key, value, &error)) ADD_FAILURE() << error;
}

int ScriptTestProject::ProjectKey(const IntKey& key) const {
    return g_settings.Get(kProjectName, key);
}

std::string ScriptTestProject::ProjectKey(const StringKey& key) const {
    return g_settings.Get(kProjectName, key);
}

std::string ScriptTestProject::AddSqliteDatabase(std::string_view sql) {
    auto database = std::make_unique<fixtures::SqliteDatabase>(sql);
    if (!database->Ok()) {
        ADD_FAILURE() << database->Error();
        return {};
    }
    std::string connection = database->ConnectionString();
    m_databases.push_back(std::move(database));
    return connection;
}

ScriptRun ScriptTestProject::Run(std::string_view script, std::string_view name) const {
    if (!WriteFile(name, script)) return {0, "script not written"};
    return RunFile(name);
}

ScriptRun ScriptTestProject::RunFile(std::string_view path, int level) const {
    CScriptInterpreter interp(nullptr);
    ScriptRun run;
    run.result = interp.RunScript(path, level);
    run.message = interp.m_strMessage;
    return run;
}

std::string GrowingValueScript(int iterations, std::string_view page) {
    return "&defvar(?i?,?s?,?k?)&assign(?k?,\"abc\")\r\n&for(?i?,1,?i?<=" +
           std::to_string(iterations) + ",1){&assign(?s?,\"?s??k?\")}\r\n&html(\"" +
           std::string(page) + "\",2){?s?}\r\n";
}

std::vector<ListingSection> ListingSections(std::string_view listing) {
    constexpr std::string_view kRule = "+++++++++++++++++++++++++++++++++++++\r\n";
    constexpr std::string_view kScriptLead = "+ Script file: ";
    constexpr std::string_view kEmptyLines = "\r\n\r\n\r\n";
    std::vector<ListingSection> sections;
    for (std::size_t at = listing.find(kRule); at != std::string_view::npos;
         at = listing.find(kRule, at)) {
        const std::size_t script = listing.find(kScriptLead, at);
        const std::size_t scriptEnd = listing.find("\r\n", script);
        const std::size_t rule = listing.find(kRule, scriptEnd);
        if (scriptEnd == std::string_view::npos || rule == std::string_view::npos) {
            ADD_FAILURE() << "a section without its banner at " << at;
            break;
        }
        // The body's lines are never empty: the first empty line after it starts the four
        // that close the section.
        const std::size_t body = rule + kRule.size() + kEmptyLines.size();
        std::size_t end = listing.find("\r\n\r\n\r\n\r\n", body);
        if (end == std::string_view::npos) {
            ADD_FAILURE() << "a section without its closing empty lines at " << at;
            break;
        }
        if (end > body) end += 2;
        const std::size_t from = script + kScriptLead.size();
        sections.push_back({std::string(listing.substr(from, scriptEnd - from)),
                            std::string(listing.substr(body, end - body))});
        at = end;
    }
    return sections;
}

namespace {

void* RunBody(void* body) {
    (*static_cast<const std::function<void()>*>(body))();
    return nullptr;
}

}  // namespace

bool RunOnLargeStack(const std::function<void()>& body, std::size_t stackBytes) {
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) {
        ADD_FAILURE() << "pthread_attr_init failed";
        return false;
    }
    pthread_t thread;
    int error = pthread_attr_setstacksize(&attr, stackBytes);
    if (error == 0) {
        error = pthread_create(&thread, &attr, RunBody,
                               const_cast<void*>(static_cast<const void*>(&body)));
    }
    pthread_attr_destroy(&attr);
    if (error != 0) {
        ADD_FAILURE() << "cannot start a thread: " << std::strerror(error);
        return false;
    }
    pthread_join(thread, nullptr);
    return true;
}

FileSizeLimit::FileSizeLimit(rlim_t limit) {
    ::getrlimit(RLIMIT_FSIZE, &m_saved);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit reduced = m_saved;
    reduced.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &reduced);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_previousHandler);
}

}  // namespace script_testing
