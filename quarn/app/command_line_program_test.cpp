// The real quarn program asked for its usage without a display: it prints it and ends with 0
// before it starts anything, where otherwise it would run on as a service.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "quarn/app/command_line.h"
#include "tests/fixtures/quarn_program_dir.h"

namespace {

TEST(CommandLineProgram, HelpPrintsTheUsageAndEnds) {
    fixtures::QuarnProgramDir program(QUARN_BINARY);
    ASSERT_TRUE(program.Ok()) << program.Error();
    for (const char* flag : {"--help", "-h"}) {
        SCOPED_TRACE(flag);
        std::string output;
        EXPECT_EQ(program.RunScript(flag, &output), 0);
        EXPECT_EQ(output, std::string(kCommandLineUsage));
        EXPECT_FALSE(std::filesystem::exists(program.Path() + "/Quarn.ini"));
    }
}

}  // namespace
