#pragma once
// The fixture of the tests that run inserted statements: a program directory with the real quarn
// program and a default project, scripts run in it, and the pages they write.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/fixtures/quarn_program_dir.h"
#include "tests/fixtures/temp_dir.h"

inline std::string WithoutCr(std::string text) {
    std::erase(text, '\r');
    return text;
}

class InsertedScriptsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_quarn.Ok()) << m_quarn.Error();
        ASSERT_TRUE(m_scratch.Ok()) << m_scratch.Error();
    }
    std::string Html() const { return m_quarn.Project("html"); }

    // Writes `script` into the project and runs it; quarn must report a complete run.
    void Run(const std::string& script) const {
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(m_quarn.Project("inserted.scp"), script, &error))
            << error;
        std::string output;
        EXPECT_EQ(m_quarn.RunScript("inserted.scp", &output), 0) << output;
        EXPECT_TRUE(output.ends_with("Script execution complete.\n")) << output << "\n" << script;
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

    const fixtures::QuarnProgramDir m_quarn{QUARN_BINARY};
    // Room for files the scripts read, outside the program directory.
    fixtures::TempDir m_scratch{"tolvane_scripts_scratch"};
};
