// Feeds generated and mutated scripts through CScriptInterpreter in-process: every run must end
// with success or an error message, never a crash, a sanitizer report, a hang or a file outside
// the project. Seeds are fixed; a failure names the seed and the script.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"
#include "tests/fixtures/case_directories.h"
#include "tests/fixtures/odbc_env.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/text.h"
#include "tests/fuzz/script_generator.h"
#include "tests/fuzz/watched_run.h"

namespace {

namespace fs = std::filesystem;
using script_testing::ScriptTestProject;

// Runs per test in percent of the nominal counts below: fewer under the sanitizers, which run
// each script several times slower.
#ifdef QUARN_FUZZ_SANITIZED
constexpr int kScalePercent = 60;
#else
constexpr int kScalePercent = 200;
#endif

constexpr int kGoldenRunBudget = 1200 * kScalePercent / 100;
constexpr int kMinGoldenRuns = 20;

constexpr std::string_view kScriptName = "fuzz.scp";

// The database of generated scripts: the tables and columns their SQL texts name.
constexpr std::string_view kItemTables =
    "CREATE TABLE item (n INTEGER, name VARCHAR(20));"
    "INSERT INTO item VALUES (1, 'one');"
    "INSERT INTO item VALUES (2, 'two & <two>');"
    "INSERT INTO item VALUES (3, NULL);"
    "INSERT INTO item VALUES (4, 'caf\xc3\xa9');";

// FNV-1a: a seed per golden case that does not depend on which other cases exist.
std::uint64_t NameSeed(std::string_view name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Counts of how runs ended, printed once per test so a change in the mix shows.
struct Tally {
    int succeeded = 0;
    int failed = 0;
    int cancelled = 0;  // of either
    ~Tally() {
        std::printf("[   FUZZ   ] %d succeeded, %d failed with a message, %d of them cancelled\n",
                    succeeded, failed, cancelled);
    }
};

bool ContainsDie(std::string_view script) {
    std::string lower(script);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("die") != std::string::npos;
}

// Names in the directory above the project other than the settings file and the project: what
// a run wrote outside its project.
std::string StrayEntries(const ScriptTestProject& project) {
    std::string stray;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(project.Dir()).parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name != "project" && !name.starts_with("Quarn.ini")) stray += " " + name;
    }
    return stray;
}

// Writes `script` (with "@DSN@" made `dsn`) as kScriptName and runs it under the watchdog. A
// fault fails the test with `origin` (how to make the script again) and the script; a hung run
// ends the process, since its thread cannot be stopped.
bool RunOne(const ScriptTestProject& project, const std::string& script, std::string_view dsn,
            const std::string& origin, Tally& tally) {
    // The change lists are emptied as an upload would, so they never grow with the runs.
    std::error_code ec;
    for (const std::string_view list : {"htmlgen.chg", "dirgen.chg"})
        fs::remove(project.PathOf(list), ec);
    std::string text = script;
    if (!dsn.empty()) fixtures::ReplaceAll(text, fuzz::kDsnMark, dsn);
    if (!project.WriteFile(kScriptName, text)) return false;
    const fuzz::WatchedRun watched = fuzz::RunWatched(project, kScriptName);
    const std::string fault = fuzz::OutcomeFault(watched, ContainsDie(script));
    const std::string stray = StrayEntries(project);
    if (fault.empty() && stray.empty()) {
        if (watched.cancelled) ++tally.cancelled;
        watched.run.result == 1 ? ++tally.succeeded : ++tally.failed;
        return true;
    }
    ADD_FAILURE() << origin << ": "
                  << (fault.empty() ? "wrote outside the project:" + stray : fault)
                  << "\n  script: \"" << fuzz::Escaped(script) << "\"";
    if (!watched.finished) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(1);
    }
    return false;
}

// --- mutations of the golden cases' scripts ---

struct GoldenScript {
    std::string caseName;
    fs::path caseDir;
    std::string file;  // below the case's project/
    std::string text;  // with "@DSN@" left in
};

struct GoldenScriptList {
    std::vector<GoldenScript> scripts;
    std::string error;  // why no script could be found
};

// Read once: the suite's parameters and every test's donors.
const GoldenScriptList& GoldenScripts() {
    static const GoldenScriptList list = [] {
        GoldenScriptList found;
        std::vector<fs::path> dirs;
        if (!fixtures::ListCaseDirectories(GOLDEN_CASES_DIR, &dirs, &found.error)) return found;
        for (const fs::path& dir : dirs) {
            const fs::path project = dir / "project";
            if (!fs::is_directory(project)) continue;
            std::error_code ec;
            for (fs::directory_iterator file(project, ec); !ec && file != fs::directory_iterator();
                 file.increment(ec)) {
                if (file->path().extension() != ".scp") continue;
                found.scripts.push_back({dir.filename().string(), dir,
                                         file->path().filename().string(),
                                         fixtures::ReadTextFile(file->path()).value_or("")});
            }
            if (ec) {
                found.error = project.string() + " cannot be read: " + ec.message();
                return found;
            }
        }
        if (found.scripts.empty()) found.error = "no case below " GOLDEN_CASES_DIR " has a script";
        std::sort(found.scripts.begin(), found.scripts.end(),
                  [](const GoldenScript& a, const GoldenScript& b) {
                      return a.caseName + "/" + a.file < b.caseName + "/" + b.file;
                  });
        return found;
    }();
    return list;
}

std::string GoldenTestName(const testing::TestParamInfo<GoldenScript>& info) {
    std::string name = info.param.caseName + "_" + info.param.file;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

void PrintTo(const GoldenScript& script, std::ostream* out) {
    *out << script.caseName << "/" << script.file;
}

class GoldenMutationTest : public testing::TestWithParam<GoldenScript> {
protected:
    void SetUp() override {
        ASSERT_TRUE(fixtures::OdbcEnvironment::Install().Ok());
        ASSERT_TRUE(m_project.Ok()) << m_project.Error();
        const fs::path sql = GetParam().caseDir / "db.sql";
        if (fs::exists(sql)) {
            m_dsn = m_project.AddSqliteDatabase(fixtures::ReadTextFile(sql).value_or(""));
            ASSERT_FALSE(m_dsn.empty());
        }
        // The case's other files (includes, child scripts, pages already there) as the golden
        // run has them, but without the blocked built-ins, which a child script would reach.
        const fs::path project = GetParam().caseDir / "project";
        for (const auto& entry : fs::recursive_directory_iterator(project)) {
            const std::string name = fs::relative(entry.path(), project).string();
            if (!entry.is_regular_file() || entry.path().filename() == ".keep" ||
                entry.path().filename() == ".gitkeep")
                continue;
            std::string text = fixtures::ReadTextFile(entry.path()).value_or("");
            if (!m_dsn.empty()) fixtures::ReplaceAll(text, fuzz::kDsnMark, m_dsn);
            fuzz::NeutraliseBlockedNames(text);
            ASSERT_TRUE(m_project.WriteFile(name, text));
        }
        for (const GoldenScript& script : GoldenScripts().scripts)
            m_donors.push_back(script.text);
    }

    ScriptTestProject m_project;
    std::string m_dsn;
    std::vector<std::string> m_donors;
};

TEST_P(GoldenMutationTest, MutatedScriptsEndWithSuccessOrAnError) {
    const GoldenScript& golden = GetParam();
    const std::uint64_t base = NameSeed(golden.caseName + "/" + golden.file);
    // A budget shared by the cases, so that new cases do not lengthen the test without end.
    const int runs = std::max(kMinGoldenRuns, kGoldenRunBudget / static_cast<int>(m_donors.size()));
    Tally tally;
    for (int i = 0; i < runs; ++i) {
        const std::uint64_t seed = base + static_cast<std::uint64_t>(i);
        const std::string origin =
            "mutation of " + golden.caseName + "/" + golden.file + ", seed " + std::to_string(seed);
        if (!RunOne(m_project, fuzz::Mutate(golden.text, m_donors, seed), m_dsn, origin, tally))
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenMutationTest, testing::ValuesIn(GoldenScripts().scripts),
                         GoldenTestName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenMutationTest);

// Without its scripts the suite above has no test to fail: this one does.
TEST(GoldenMutationScripts, AreFound) {
    EXPECT_TRUE(GoldenScripts().error.empty()) << GoldenScripts().error;
}

// --- generated scripts ---

struct Generator {
    const char* name;
    std::string (*make)(std::uint64_t seed);
    int runs;  // per shard, before kScalePercent
};

void PrintTo(const Generator& generator, std::ostream* out) {
    *out << generator.name;
}

const Generator kGenerators[] = {
    {"RandomBytes", fuzz::RandomBytes, 150},
    {"TokenSoup", fuzz::TokenSoup, 250},
    {"NestedCalls", fuzz::NestedCalls, 250},
};
constexpr int kShards = 2;

class GeneratedScriptTest : public testing::TestWithParam<std::tuple<Generator, int>> {
protected:
    void SetUp() override {
        ASSERT_TRUE(fixtures::OdbcEnvironment::Install().Ok());
        ASSERT_TRUE(m_project.Ok()) << m_project.Error();
        m_dsn = m_project.AddSqliteDatabase(kItemTables);
        ASSERT_FALSE(m_dsn.empty());
        // The include name of the generators that includes itself; "missing.inc" stays missing.
        ASSERT_TRUE(m_project.WriteFile("self.inc", "[&include(\"self.inc\")]"));
    }

    ScriptTestProject m_project;
    std::string m_dsn;
};

TEST_P(GeneratedScriptTest, EndsWithSuccessOrAnError) {
    const auto& [generator, shard] = GetParam();
    const int runs = generator.runs * kScalePercent / 100;
    Tally tally;
    for (int i = 0; i < runs; ++i) {
        const auto seed = static_cast<std::uint64_t>(shard * runs + i);
        const std::string origin =
            std::string("fuzz::") + generator.name + "(" + std::to_string(seed) + ")";
        if (!RunOne(m_project, generator.make(seed), m_dsn, origin, tally)) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Generators, GeneratedScriptTest,
                         testing::Combine(testing::ValuesIn(kGenerators),
                                          testing::Range(0, kShards)),
                         [](const testing::TestParamInfo<std::tuple<Generator, int>>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
