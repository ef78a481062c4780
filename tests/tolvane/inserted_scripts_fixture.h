#pragma once
// The fixture of the tests that run inserted statements: a program directory with the real quarn
// program and a default project, scripts run in it, and the pages they write.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/fixtures/program_process.h"
#include "tests/fixtures/spawn_program.h"
#include "tests/fixtures/temp_dir.h"

inline std::string WithoutCr(std::string text) {
    std::erase(text, '\r');
    return text;
}

class InsertedScriptsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_programDir.Ok()) << m_programDir.Error();
        ASSERT_TRUE(m_runtimeDir.Ok()) << m_runtimeDir.Error();
        std::string error;
        ASSERT_TRUE(fixtures::InstallProgram(QUARN_BINARY, m_programDir.File("quarn"), &error))
            << error;
        std::filesystem::create_directories(Html());
        ASSERT_TRUE(fixtures::WriteTextFile(m_programDir.File("Quarn.ini"),
                                            "[global]\r\nprofile0=default\r\n", &error))
            << error;
    }
    std::string Project() const { return m_programDir.File("projects/default"); }
    std::string Html() const { return Project() + "/html"; }

    // Writes `script` into the project and runs it; quarn must report a complete run.
    void Run(const std::string& script) const {
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(Project() + "/inserted.scp", script, &error)) << error;
        const std::vector<std::string> env = fixtures::InheritedEnvironment(
            {"TZ=UTC", "HOME=" + m_programDir.Path(), "XDG_RUNTIME_DIR=" + m_runtimeDir.Path()});
        fixtures::ProgramProcess run;
        const std::string err = m_runtimeDir.File("stderr");
        ASSERT_EQ(run.Start(m_programDir.File("quarn"), {"inserted.scp"}, Project(), env, err), "");
        std::vector<std::string> lines;
        EXPECT_EQ(
            run.Finish(lines, fixtures::ProgramProcess::Clock::now() + std::chrono::seconds(60)), 0)
            << fixtures::ReadTextFile(err).value_or("");
        ASSERT_FALSE(lines.empty()) << script;
        EXPECT_EQ(lines.back(), "Script execution complete.")
            << testing::PrintToString(lines) << "\n"
            << script;
    }
    // The lines of the page `page` without CR, their blanks and TABs trimmed, empty lines left
    // out: the indentation the commands write is the script's, not the data's.
    std::vector<std::string> PageLines(const std::string& page) const {
        std::vector<std::string> lines;
        const std::string text = fixtures::ReadTextFile(Html() + "/" + page).value_or("<no page>");
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(start, end - start);
            const std::size_t first = line.find_first_not_of(" \t\r");
            if (first != std::string::npos)
                lines.push_back(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
            start = end + 1;
        }
        return lines;
    }
    std::map<std::string, std::string> Pages() const {
        std::map<std::string, std::string> pages;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Html()))
            if (entry.is_regular_file())
                pages[std::filesystem::relative(entry.path(), Html()).string()] =
                    WithoutCr(fixtures::ReadTextFile(entry.path().string()).value_or(""));
        return pages;
    }

    fixtures::TempDir m_programDir{"tolvane_scripts"};
    fixtures::TempDir m_runtimeDir{"tolvane_scripts_runtime"};
};
