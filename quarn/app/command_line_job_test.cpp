#include "quarn/app/command_line_job.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "quarn/app/app_test_support.h"
#include "quarn/app/project_paths.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBadProject =
    "Unable to change to project specified in command line. Check project name.";

// A program directory whose active project "default" is the current directory.
class CommandLineJobTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        MakeProject("default");
        ASSERT_EQ(::chdir(ProjectDir("default").c_str()), 0);
        g_strProject.Set("default");
        g_szProjectDir.Set(ProjectDir("default"));
    }

    int Prepare(const CommandLine& line) {
        m_message.clear();
        return PrepareCommandLineJob(line, "/start/dir", m_job, m_message);
    }
    // Runs the job on a task thread, collecting the status lines it posts; its result.
    int Run() {
        m_lines.clear();
        for (std::string& event : m_tasks.Run({m_job})) {
            if (event != "BUSY" && event != "IDLE" && event != "ERROR")
                m_lines.push_back(std::move(event));
        }
        return m_tasks.Reports().back().second;
    }

    TaskJob m_job;
    TaskThreadHarness m_tasks;
    std::string m_message;
    std::vector<std::string> m_lines;
};

TEST_F(CommandLineJobTest, AScriptNameIsJoinedToTheStartDirectory) {
    const struct {
        std::string name;
        std::string path;
    } kCases[] = {
        {"Script1.scp", "/start/dir/Script1.scp"},
        {"sub/site.scp", "/start/dir/sub/site.scp"},
        {"/srv/site/Script1.scp", "/srv/site/Script1.scp"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Prepare({true, false, c.name}), 1) << m_message;
        EXPECT_EQ(m_job.code, TASK_RUN_SCRIPT);
        EXPECT_EQ(m_job.scriptPath, c.path);
    }
}

TEST_F(CommandLineJobTest, AScriptPathOverTheLimitIsRefused) {
    const std::string fits = "/" + std::string(kMaxPath - 1, 'a');
    ASSERT_EQ(Prepare({true, false, fits}), 1);
    const std::string tooLong = fits + "b";
    EXPECT_EQ(Prepare({true, false, tooLong}), 0);
    EXPECT_EQ(m_message, "ERROR 66- the script file " + tooLong + " could not be opened.");
}

TEST_F(CommandLineJobTest, PublishAloneKeepsTheActiveProject) {
    ASSERT_EQ(Prepare({true, true, ""}), 1);
    EXPECT_EQ(m_job.code, TASK_PUBLISH);
    EXPECT_EQ(g_strProject.Get(), "default");
    EXPECT_EQ(CurrentDirectory(), ProjectDir("default"));
}

TEST_F(CommandLineJobTest, PublishANamedProjectSwitchesToIt) {
    WriteSettings("[global]\r\nprofile0=default\r\nprofile1=shop\r\n");
    MakeProject("shop");
    ASSERT_EQ(Prepare({true, true, "shop"}), 1) << m_message;
    EXPECT_EQ(m_job.code, TASK_PUBLISH);
    EXPECT_EQ(g_strProject.Get(), "shop");
    EXPECT_EQ(g_szProjectDir.Get(), ProjectDir("shop"));
    EXPECT_EQ(CurrentDirectory(), ProjectDir("shop"));
    EXPECT_EQ(g_settings.GetGlobal(global_key::defprofile), "shop");
}

TEST_F(CommandLineJobTest, PublishRefusesAProjectItCannotSwitchTo) {
    const std::string longName(kMaxPath + 1, 'x');
    WriteSettings("[global]\r\nprofile0=default\r\nprofile1=..\r\nprofile2=nodir\r\nprofile3=" +
                  longName + "\r\nprofile4=Shop\r\n");
    MakeProject("unlisted");
    MakeProject("shop");
    for (const std::string& name : {std::string(".."), std::string("nodir"), longName,
                                    std::string("unlisted"), std::string("shop")}) {
        SCOPED_TRACE(name.substr(0, 20));
        EXPECT_EQ(Prepare({true, true, name}), 0);
        EXPECT_EQ(m_message, kBadProject);
        EXPECT_EQ(g_strProject.Get(), "default");
        EXPECT_EQ(CurrentDirectory(), ProjectDir("default"));
        EXPECT_EQ(g_settings.GetGlobal(global_key::defprofile), "default");
    }
}

TEST_F(CommandLineJobTest, RunningAScriptShowsItsNameThenItsResult) {
    PutFile(ProjectDir("default") + "/empty.scp", "");
    m_job = {TASK_RUN_SCRIPT, 0, "empty.scp", kNoRequester};
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(m_lines, (std::vector<std::string>{"Running script file \"empty.scp\"",
                                                 "Script execution complete."}));
}

TEST_F(CommandLineJobTest, AMissingScriptFailsWithError66) {
    ASSERT_EQ(Prepare({true, false, "missing.scp"}), 1);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(m_lines,
              (std::vector<std::string>{
                  "Running script file \"missing.scp\"",
                  "ERROR 66- the script file /start/dir/missing.scp could not be opened."}));
}

TEST_F(CommandLineJobTest, PublishRunsBothScriptsAsOneSetOfLists) {
    WriteSettings("[default]\r\nscript2filename=online.scp\r\n");
    PutFile(ProjectDir("default") + "/Script1.scp", "");
    PutFile(ProjectDir("default") + "/online.scp", "");
    PutFile(ProjectDir("default") + "/htmlgen.log", "old.html\r\n");
    ASSERT_EQ(Prepare({true, true, ""}), 1);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(m_lines, (std::vector<std::string>{"Running script file \"Script1.scp\"",
                                                 "Running script file \"online.scp\"",
                                                 "Publish operation complete."}));
    EXPECT_EQ(FileText(ProjectDir("default") + "/htmlgen.o"), "old.html\r\n");
    EXPECT_EQ(FileText(ProjectDir("default") + "/htmlgen.log"), "");
}

TEST_F(CommandLineJobTest, PublishWithNoScriptTouchesNoList) {
    WriteSettings("[default]\r\nrunscriptcheck=0\r\n");
    PutFile(ProjectDir("default") + "/htmlgen.log", "old.html\r\n");
    ASSERT_EQ(Prepare({true, true, ""}), 1);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(m_lines, std::vector<std::string>{"Publish operation complete."});
    EXPECT_EQ(FileText(ProjectDir("default") + "/htmlgen.log"), "old.html\r\n");
    EXPECT_FALSE(fs::exists(ProjectDir("default") + "/htmlgen.o"));
}

TEST_F(CommandLineJobTest, PublishStopsAtTheFirstFailingScript) {
    WriteSettings("[default]\r\nscriptfilename=missing.scp\r\nscript2filename=online.scp\r\n");
    PutFile(ProjectDir("default") + "/online.scp", "");
    ASSERT_EQ(Prepare({true, true, ""}), 1);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(m_lines, (std::vector<std::string>{
                           "Running script file \"missing.scp\"",
                           "ERROR 66- the script file missing.scp could not be opened."}));
}

}  // namespace
