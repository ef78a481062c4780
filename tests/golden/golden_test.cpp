// Runs every golden case under GOLDEN_CASES_DIR with the real quarn program (README.md).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/fixtures/case_directories.h"
#include "tests/fixtures/odbc_env.h"
#include "tests/fixtures/spawn_program.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/test_database.h"
#include "tests/fixtures/text.h"
#include "tests/golden/case_servers.h"

namespace {

namespace fs = std::filesystem;

// 2026-01-02 03:04:05 UTC.
constexpr const char* kFixedClock = "1767323045";
constexpr auto kTimeLimit = std::chrono::seconds(60);
constexpr std::string_view kProgDirMark = "@PROGDIR@";
constexpr std::string_view kDsnMark = "@DSN@";
// Placeholders that let git keep an otherwise empty directory; never copied or compared.
bool IsKeepFile(const fs::path& path) {
    return path.filename() == ".keep" || path.filename() == ".gitkeep";
}

struct GoldenCase {
    std::string name;     // the case directory's name
    std::string backend;  // "sqlite" or "postgres" as listed in `backends`
};

void PrintTo(const GoldenCase& golden, std::ostream* out) {
    *out << golden.name << " (" << golden.backend << ")";
}

// The file's bytes; "" when it is missing, as an absent optional file of a case is.
std::string ReadFile(const fs::path& path) {
    return fixtures::ReadTextFile(path).value_or("");
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

struct CaseList {
    std::vector<GoldenCase> cases;
    std::string error;  // why no case could be found
};

// Read once, when the suite's parameters are made.
const CaseList& DiscoveredCases() {
    static const CaseList list = [] {
        CaseList found;
        std::vector<fs::path> dirs;
        if (!fixtures::ListCaseDirectories(GOLDEN_CASES_DIR, &dirs, &found.error)) return found;
        for (const fs::path& dir : dirs) {
            std::vector<std::string> backends = Words(ReadFile(dir / "backends"));
            if (backends.empty()) backends.push_back("sqlite");
            for (const std::string& backend : backends)
                found.cases.push_back({dir.filename().string(), backend});
        }
        std::sort(found.cases.begin(), found.cases.end(),
                  [](const GoldenCase& a, const GoldenCase& b) {
                      return std::tie(a.name, a.backend) < std::tie(b.name, b.backend);
                  });
        return found;
    }();
    return list;
}

std::string CaseTestName(const testing::TestParamInfo<GoldenCase>& info) {
    std::string name = info.param.name + "_" + info.param.backend;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

// A line for a failure message, with its line end and other control bytes made visible.
std::string Visible(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\x" + std::to_string(static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    return out;
}

// "" when equal; otherwise where and how `actual` first differs from `expected`.
std::string FirstDifference(const std::string& what, const std::string& expected,
                            const std::string& actual) {
    if (expected == actual) return "";
    std::istringstream e(expected);
    std::istringstream a(actual);
    std::string expectedLine;
    std::string actualLine;
    for (int line = 1;; ++line) {
        const bool moreExpected = static_cast<bool>(std::getline(e, expectedLine));
        const bool moreActual = static_cast<bool>(std::getline(a, actualLine));
        if (!moreExpected && !moreActual) {
            return what + " differs only in its final line end";
        }
        if (moreExpected != moreActual || expectedLine != actualLine) {
            std::string out = what + " differs at line " + std::to_string(line) + ":\n";
            out += "  expected: " + (moreExpected ? "|" + Visible(expectedLine) + "|" : "<end>");
            out += "\n  actual:   " + (moreActual ? "|" + Visible(actualLine) + "|" : "<end>");
            return out;
        }
    }
}

// Files and directories below `root`, relative to it; placeholders are left out.
std::set<std::string> Entries(const fs::path& root) {
    std::set<std::string> entries;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (IsKeepFile(it->path())) continue;
        entries.insert(fs::relative(it->path(), root).string() + (it->is_directory() ? "/" : ""));
    }
    return entries;
}

struct FileStamp {
    ino_t inode = 0;
    timespec modified{};
    bool operator==(const FileStamp& other) const {
        return inode == other.inode && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

std::map<std::string, FileStamp> Stamps(const fs::path& root) {
    std::map<std::string, FileStamp> stamps;
    for (const std::string& entry : Entries(root)) {
        struct stat st {};
        if (entry.ends_with('/') || ::lstat((root / entry).c_str(), &st) != 0) continue;
        stamps[entry] = {st.st_ino, st.st_mtim};
    }
    return stamps;
}

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
    std::string failure;  // why the run itself failed: not started, killed, timed out
};

// Runs `program` with `args` in `dir`, standard output and error into files of `scratch`.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& dir, const std::vector<std::string>& env,
                     const fixtures::TempDir& scratch) {
    RunResult result;
    const std::string outPath = scratch.File("stdout");
    const std::string errPath = scratch.File("stderr");
    pid_t pid = 0;
    const int spawned =
        fixtures::SpawnProgram(program, args, dir, env, {outPath, -1, errPath}, pid);
    if (spawned != 0) {
        result.failure = program + " could not be started: " + std::strerror(spawned);
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (done == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        result.failure = "quarn did not finish within " + std::to_string(kTimeLimit.count()) +
                         " s and was killed";
    } else if (done < 0) {
        result.failure = std::string("waitpid: ") + std::strerror(errno);
    } else if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    } else {
        result.failure = "quarn ended by signal " + std::to_string(WTERMSIG(status));
    }
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

// quarn's environment in a test: fixed clock, zone and locale, the test's ODBC configuration,
// and nothing of the user's home or session.
std::vector<std::string> RunEnvironment(const std::string& home, const std::string& runtimeDir) {
    return fixtures::QuarnRunEnvironment({"TZ=UTC", "LC_ALL=C", "LANG=C",
                                          std::string("QUARN_CLOCK=") + kFixedClock, "HOME=" + home,
                                          "XDG_RUNTIME_DIR=" + runtimeDir});
}

// Puts the quarn program into `programDir`.
void InstallQuarn(const std::string& programDir) {
    std::string error;
    ASSERT_TRUE(fixtures::InstallProgram(QUARN_BINARY, programDir + "/quarn", &error)) << error;
}

class GoldenTest : public testing::TestWithParam<GoldenCase> {
protected:
    void SetUp() override {
        m_case = fs::path(GOLDEN_CASES_DIR) / GetParam().name;
        ASSERT_TRUE(m_programDir.Ok()) << m_programDir.Error();
        ASSERT_TRUE(m_runtimeDir.Ok()) << m_runtimeDir.Error();
        ASSERT_TRUE(m_scratch.Ok()) << m_scratch.Error();
        m_projectDir = m_programDir.File("projects/default");
        const fixtures::OdbcEnvironment& odbc = fixtures::OdbcEnvironment::Install();
        ASSERT_TRUE(odbc.Ok()) << odbc.Error();
    }

    // The case's database on this run's backend, when the case has db.sql.
    void MakeDatabase() {
        const std::string& backend = GetParam().backend;
        ASSERT_TRUE(backend == "sqlite" || backend == "postgres")
            << "unknown backend \"" << backend << "\" in " << (m_case / "backends");
        const fs::path sql = m_case / "db.sql";
        if (!fs::exists(sql)) return;
        m_database = std::make_unique<fixtures::TestDatabase>(
            backend == "sqlite" ? fixtures::DatabaseBackend::kSqlite
                                : fixtures::DatabaseBackend::kPostgres,
            ReadFile(sql));
        if (m_database->Skipped()) return;
        ASSERT_TRUE(m_database->Ok()) << m_database->Error();
        m_placeholders[std::string(kDsnMark)] = m_database->ConnectionString();
    }

    // The servers the case names, each with its placeholders and its starting files. Sets
    // m_skipReason when one did not start.
    void StartServers() {
        for (const std::string& name : Words(ReadFile(m_case / "servers"))) {
            std::unique_ptr<golden::CaseServer> server = golden::StartCaseServer(name);
            ASSERT_TRUE(server) << "unknown server \"" << name << "\" in " << (m_case / "servers");
            if (!server->SkipReason().empty()) {
                m_skipReason = name + " server: " + server->SkipReason();
                return;
            }
            for (const auto& [mark, value] : server->Placeholders())
                m_placeholders[mark] = value;
            const fs::path content = m_case / name;
            if (fs::is_directory(content)) {
                ASSERT_NO_FATAL_FAILURE(CopyTree(content, server->ContentDir()));
            }
            const std::string unusable = server->Loaded();
            ASSERT_TRUE(unusable.empty()) << name << " server: " << unusable;
            m_servers.emplace_back(name, std::move(server));
        }
    }

    // The program directory: the quarn binary, Quarn.ini, and the project with html/.
    void MakeProgramDirectory() {
        ASSERT_NO_FATAL_FAILURE(InstallQuarn(m_programDir.Path()));
        fs::create_directories(m_projectDir + "/html");
        if (fs::exists(m_case / "Quarn.ini")) {
            ASSERT_NO_FATAL_FAILURE(
                CopyWithPlaceholders(m_case / "Quarn.ini", m_programDir.File("Quarn.ini")));
        }
        const fs::path project = m_case / "project";
        if (fs::is_directory(project)) {
            ASSERT_NO_FATAL_FAILURE(CopyTree(project, m_projectDir));
        }
    }

    // The files below `from` into `to`, placeholders replaced.
    void CopyTree(const fs::path& from, const fs::path& to) {
        for (const auto& entry : fs::recursive_directory_iterator(from)) {
            const fs::path target = to / fs::relative(entry.path(), from);
            if (entry.is_directory()) {
                fs::create_directories(target);
            } else if (!IsKeepFile(entry.path())) {
                ASSERT_NO_FATAL_FAILURE(CopyWithPlaceholders(entry.path(), target));
            }
        }
    }

    void CopyWithPlaceholders(const fs::path& from, const fs::path& to) {
        std::string text = ReadFile(from);
        for (const auto& [mark, value] : m_placeholders)
            fixtures::ReplaceAll(text, mark, value);
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(to.string(), text, &error)) << error;
    }

    std::string Expected(const fs::path& path) const {
        std::string text = ReadFile(path);
        fixtures::ReplaceAll(text, kProgDirMark, m_programDir.Path());
        for (const auto& [mark, value] : m_placeholders)
            fixtures::ReplaceAll(text, mark, value);
        return text;
    }

    // One run of quarn and every comparison the case asks for; `round` names the run.
    void RunAndCompare(const std::string& round) {
        SCOPED_TRACE(round);
        const std::vector<std::string> args = Words(ReadFile(m_case / "cmd"));
        std::vector<std::string> env = RunEnvironment(m_programDir.Path(), m_runtimeDir.Path());
        // The case's own variables, one NAME=value a line, placeholders replaced; each replaces
        // an inherited one of its name.
        std::istringstream extra(Expected(m_case / "env"));
        for (std::string line; std::getline(extra, line);) {
            if (line.empty()) continue;
            const std::string name = line.substr(0, line.find('=') + 1);
            std::erase_if(env,
                          [&name](const std::string& entry) { return entry.starts_with(name); });
            env.push_back(line);
        }
        const RunResult run =
            RunProgram(m_programDir.File("quarn"), args, m_projectDir, env, m_scratch);
        const std::string stderrNote =
            run.err.empty() ? "" : "\n--- quarn's stderr ---\n" + run.err;
        ASSERT_TRUE(run.failure.empty()) << run.failure << stderrNote;
        EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << stderrNote;
        EXPECT_EQ(run.err.find("runtime error:"), std::string::npos) << stderrNote;

        const std::string difference =
            FirstDifference("stdout", Expected(m_case / "stdout"), run.out);
        EXPECT_TRUE(difference.empty()) << difference << "\n--- actual stdout ---\n"
                                        << run.out << stderrNote;
        const std::vector<std::string> status = Words(ReadFile(m_case / "status"));
        const int expectedStatus = status.empty() ? 0 : std::atoi(status[0].c_str());
        EXPECT_EQ(run.status, expectedStatus) << "exit status" << stderrNote;
        CompareExpectedFiles();
    }

    // Every file below `expected` against the file of the same name below `root`.
    void CompareListedFiles(const fs::path& expected, const fs::path& root) {
        for (const std::string& entry : Entries(expected)) {
            if (entry.ends_with('/')) continue;
            const fs::path actual = root / entry;
            if (!fs::is_regular_file(actual)) {
                ADD_FAILURE() << entry << ": missing after the run";
                continue;
            }
            const std::string actualText = ReadFile(actual);
            const std::string difference =
                FirstDifference(entry, Expected(expected / entry), actualText);
            EXPECT_TRUE(difference.empty()) << difference << "\n--- actual " << entry << " ---\n"
                                            << actualText;
        }
    }

    void CompareExpectedFiles() {
        if (fs::is_directory(m_case / "expected-progdir")) {
            SCOPED_TRACE("program directory");
            CompareListedFiles(m_case / "expected-progdir", m_programDir.Path());
        }
        for (const auto& [name, server] : m_servers) {
            SCOPED_TRACE(name + " server");
            const fs::path expected = m_case / ("expected-" + name);
            const std::string records = server->RecordDir();
            CompareListedFiles(expected, records);
            CompareEntries(expected, records);
        }
        const fs::path expected = m_case / "expected";
        if (!fs::is_directory(expected)) return;
        CompareListedFiles(expected, m_projectDir);
        if (fs::is_directory(expected / "html"))
            CompareEntries(expected / "html", fs::path(m_projectDir) / "html");
    }

    // `root` must hold exactly the files and directories below `expected`.
    void CompareEntries(const fs::path& expected, const fs::path& root) {
        const std::string prefix = root.filename().string() + "/";
        const std::set<std::string> want = Entries(expected);
        const std::set<std::string> have = Entries(root);
        for (const std::string& entry : have)
            EXPECT_TRUE(want.count(entry)) << prefix << entry << ": not expected";
        for (const std::string& entry : want)
            EXPECT_TRUE(have.count(entry)) << prefix << entry << ": missing after the run";
    }

    fs::path m_case;
    fixtures::TempDir m_programDir{"golden"};
    fixtures::TempDir m_runtimeDir{"golden_runtime"};
    fixtures::TempDir m_scratch{"golden_output"};
    std::string m_projectDir;
    std::unique_ptr<fixtures::TestDatabase> m_database;
    // Mark to value: @DSN@ and the servers' marks.
    std::map<std::string, std::string> m_placeholders;
    std::vector<std::pair<std::string, std::unique_ptr<golden::CaseServer>>> m_servers;
    std::string m_skipReason;
};

TEST_P(GoldenTest, Run) {
    ASSERT_NO_FATAL_FAILURE(MakeDatabase());
    if (m_database && m_database->Skipped()) GTEST_SKIP() << m_database->SkipReason();
    ASSERT_NO_FATAL_FAILURE(StartServers());
    if (!m_skipReason.empty()) GTEST_SKIP() << m_skipReason;
    ASSERT_NO_FATAL_FAILURE(MakeProgramDirectory());
    ASSERT_TRUE(fs::exists(m_case / "cmd")) << "a case needs its cmd file";

    ASSERT_NO_FATAL_FAILURE(RunAndCompare("first run"));
    if (!fs::exists(m_case / "rerun")) return;

    const fs::path html = fs::path(m_projectDir) / "html";
    const std::map<std::string, FileStamp> before = Stamps(html);
    ASSERT_NO_FATAL_FAILURE(RunAndCompare("second run"));
    const std::map<std::string, FileStamp> after = Stamps(html);
    for (const auto& [entry, stamp] : after) {
        const auto old = before.find(entry);
        EXPECT_TRUE(old != before.end() && old->second == stamp)
            << "html/" << entry << ": written by the second run";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest, testing::ValuesIn(DiscoveredCases().cases),
                         CaseTestName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenTest);

// Without its cases the suite above has no test to fail: this one does.
TEST(GoldenCases, AreFound) {
    EXPECT_TRUE(DiscoveredCases().error.empty()) << DiscoveredCases().error;
}

// `make demo`: the demo project published into a fresh program directory, then again.
TEST(Demo, PublishesEveryPageAndASecondRunWritesNone) {
    ASSERT_TRUE(fixtures::OdbcEnvironment::Install().Ok());
    fixtures::TempDir programDir("demo");
    fixtures::TempDir runtimeDir("demo_runtime");
    fixtures::TempDir scratch("demo_output");
    ASSERT_NO_FATAL_FAILURE(InstallQuarn(programDir.Path()));
    const std::string html = programDir.File("projects/demo/html");
    const std::regex summary("demo: ([0-9]+) pages in " + html +
                             "/ \\(start with index\\.html\\), " +
                             "([0-9]+) written by this run\n$");
    for (const std::string round : {"first run", "second run"}) {
        SCOPED_TRACE(round);
        const RunResult run =
            RunProgram(QUARN_SOURCE_DIR "/tools/run-demo", {programDir.Path()}, programDir.Path(),
                       RunEnvironment(programDir.Path(), runtimeDir.Path()), scratch);
        ASSERT_TRUE(run.failure.empty()) << run.failure;
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_TRUE(
            run.out.starts_with("Running script file \"Script1.scp\"\n"
                                "Publish operation complete.\n"))
            << run.out;
        std::smatch counts;
        ASSERT_TRUE(std::regex_search(run.out, counts, summary)) << run.out;
        EXPECT_GT(std::stoi(counts[1]), 200);
        EXPECT_EQ(counts[2], round == "first run" ? counts[1].str() : "0");
    }
    EXPECT_TRUE(fs::is_regular_file(html + "/index.html"));
}

}  // namespace
