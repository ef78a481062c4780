#include "quarn/app/headless_window.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "quarn/app/app_test_support.h"
#include "quarn/app/task_thread.h"
#include "quarn/services/program_context.h"

namespace {

// Everything written to a temporary file.
std::string Contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    return text;
}

// A task thread whose main window is a CHeadlessWindow writing to a temporary file, in a
// project "default".
class HeadlessWindowTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        ASSERT_NE(m_out, nullptr);
        WriteSettings("[global]\r\nprofile0=default\r\nlogen=0\r\n");
        MakeProject("default");
        ASSERT_EQ(::chdir(ProjectDir("default").c_str()), 0);
        g_strProject.Set("default");
        g_szProjectDir.Set(ProjectDir("default"));
        std::string error;
        ASSERT_TRUE(m_tasks.Start(&error)) << error;
    }
    void TearDown() override {
        m_tasks.RequestStop();
        m_window.PumpUntil([this] { return m_tasks.Ended(); });
        if (m_out) std::fclose(m_out);
        ProgramDirTest::TearDown();
    }

    std::FILE* m_out = std::tmpfile();
    CHeadlessWindow m_window{m_out};
    Ctaskthread m_tasks{m_window.Queue(), nullptr};
};

TEST_F(HeadlessWindowTest, WritesEveryStatusLineInOrderAndTheResultLast) {
    std::string script = "&html(\"a.html\"){x}";
    std::string expected = "Running script file \"a.scp\"\n";
    for (int i = 0; i < 200; ++i) {
        script += "&print(\"line " + std::to_string(i) + "\")";
        expected += "line " + std::to_string(i) + "\n";
    }
    PutFile(ProjectDir("default") + "/a.scp", script);
    m_tasks.PostJob(TaskJob{TASK_RUN_SCRIPT, 0, "a.scp", kNoRequester});
    EXPECT_EQ(m_window.WaitForFirstJob(), 1);
    EXPECT_EQ(Contents(m_out), expected + "Script execution complete.\n");
    EXPECT_EQ(g_bTaskBusy, 0);
    EXPECT_TRUE(g_szStatusMailbox.IsEmpty());
}

TEST_F(HeadlessWindowTest, AFailedJobGivesZeroAfterItsMessage) {
    m_tasks.PostJob(TaskJob{TASK_RUN_SCRIPT, 0, "x.scp", kNoRequester});
    EXPECT_EQ(m_window.WaitForFirstJob(), 0);
    EXPECT_EQ(Contents(m_out),
              "Running script file \"x.scp\"\n"
              "ERROR 66- the script file x.scp could not be opened.\n");
}

}  // namespace
