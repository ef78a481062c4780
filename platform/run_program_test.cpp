#include "platform/run_program.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "tests/fixtures/temp_dir.h"

namespace platform {
namespace {

TEST(RunProgram, ArgumentsArriveAsGivenAndStandardOutputIsCollected) {
    std::string output;
    const std::vector<std::string> argv{"printf", "[%s]\\n", "two words", "'q'", "$HOME", ""};
    ASSERT_EQ(RunProgram(argv, output), 0);
    EXPECT_EQ(output, "[two words]\n['q']\n[$HOME]\n[]\n");
}

TEST(RunProgram, ReportsTheExitStatusAndReadsNothingFromThisProcess) {
    const struct {
        std::vector<std::string> argv;
        int status;
        const char* output;
    } cases[] = {
        {{"sh", "-c", "exit 3"}, 3, ""},
        {{"sh", "-c", "kill -TERM $$"}, 128 + 15, ""},
        {{"sh", "-c", "cat; echo end"}, 0, "end\n"},
        {{"sh", "-c", "echo lost >&2; echo kept"}, 0, "kept\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argv.back());
        std::string output;
        EXPECT_EQ(RunProgram(c.argv, output), c.status);
        EXPECT_EQ(output, c.output);
    }
}

TEST(RunProgram, AProgramThatCannotStartGivesNothing) {
    std::string output = "stale";
    EXPECT_EQ(RunProgram({"quarn-no-such-program"}, output), std::nullopt);
    EXPECT_EQ(output, "");
    EXPECT_EQ(RunProgram({}, output), std::nullopt);
}

class FindOnPathTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Ok()) << m_dir.Error();
        const char* path = ::getenv("PATH");
        m_oldPath = path != nullptr ? path : "";
    }
    void TearDown() override { ::setenv("PATH", m_oldPath.c_str(), 1); }

    void AddFile(const std::string& name, mode_t mode) {
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(m_dir.File(name), "#!/bin/sh\n", &error)) << error;
        ASSERT_EQ(::chmod(m_dir.File(name).c_str(), mode), 0);
    }

    fixtures::TempDir m_dir{"find_on_path"};
    std::string m_oldPath;
};

TEST_F(FindOnPathTest, TakesTheFirstExecutableFileInPathOrder) {
    AddFile("tool", 0755);
    AddFile("plain", 0644);
    ASSERT_EQ(::mkdir(m_dir.File("folder").c_str(), 0755), 0);
    ::setenv("PATH", ("/nonexistent:" + m_dir.Path() + ":/bin").c_str(), 1);
    EXPECT_EQ(FindOnPath("tool"), m_dir.File("tool"));
    EXPECT_EQ(FindOnPath("plain"), std::nullopt);
    EXPECT_EQ(FindOnPath("folder"), std::nullopt);
    EXPECT_EQ(FindOnPath("sh"), "/bin/sh");
    ::setenv("PATH", "", 1);
    EXPECT_EQ(FindOnPath("sh"), std::nullopt);
    ::unsetenv("PATH");
    EXPECT_EQ(FindOnPath("sh"), std::nullopt);
}

}  // namespace
}  // namespace platform
