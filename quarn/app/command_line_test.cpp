#include "quarn/app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CommandLine, Parsing) {
    const struct {
        std::vector<std::string> args;
        bool job;
        bool publish;
        std::string name;
    } kCases[] = {
        {{}, false, false, ""},
        {{"Script1.scp"}, true, false, "Script1.scp"},
        {{"scripts/site.scp"}, true, false, "scripts/site.scp"},
        {{"/srv/site/Script1.scp"}, true, false, "/srv/site/Script1.scp"},
        {{"/Script1.scp"}, true, false, "/Script1.scp"},
        {{"/p"}, true, true, ""},
        {{"/P"}, true, true, ""},
        {{"-p"}, true, true, ""},
        {{"/p", "site"}, true, true, "site"},
        {{"site", "/p"}, true, true, "site"},
        {{"/p", "site", "other"}, true, true, "site"},
        {{"a.scp", "b.scp"}, true, false, "a.scp"},
        {{"/dde"}, false, false, ""},
        {{"/dde", "a.scp"}, true, false, "a.scp"},
        {{"/pt", "a.scp"}, true, false, "a.scp"},
        {{"-"}, true, false, "-"},
        {{"/"}, true, false, "/"},
    };
    for (const auto& c : kCases) {
        std::string trace = "args:";
        for (const std::string& arg : c.args)
            trace += " [" + arg + "]";
        SCOPED_TRACE(trace);
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.runFromCommandLine, c.job);
        EXPECT_EQ(line.commandLineProject, c.publish);
        EXPECT_EQ(line.name, c.name);
        EXPECT_FALSE(line.help);
    }
}

TEST(CommandLine, HelpAsksForTheUsageAndChangesNothingElse) {
    const struct {
        std::vector<std::string> args;
        bool help;
        bool job;
    } kCases[] = {
        {{"--help"}, true, false}, {{"-h"}, true, false},        {{"a.scp", "-h"}, true, true},
        {{"/h"}, false, false},    {{"--helpme"}, false, false}, {{"-H"}, false, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.args[0]);
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.help, c.help);
        EXPECT_EQ(line.runFromCommandLine, c.job);
    }
}

}  // namespace
