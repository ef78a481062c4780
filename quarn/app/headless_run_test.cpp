#include "quarn/app/headless_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

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

class HeadlessRunTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(m_out, nullptr); }
    void TearDown() override {
        if (m_out) std::fclose(m_out);
    }
    std::FILE* m_out = std::tmpfile();
};

TEST_F(HeadlessRunTest, PrintsEveryStatusLineInOrderAndTheResultLast) {
    const int ok = RunHeadless(
        [](platform::MessageQueue& window, std::string& result) {
            for (int i = 0; i < 200; ++i)
                PostStatusText(window, "line " + std::to_string(i));
            result = "Script execution complete.";
            return 1;
        },
        m_out);
    EXPECT_EQ(ok, 1);
    std::string expected;
    for (int i = 0; i < 200; ++i)
        expected += "line " + std::to_string(i) + "\n";
    expected += "Script execution complete.\n";
    EXPECT_EQ(Contents(m_out), expected);
    EXPECT_EQ(g_bTaskBusy, 0);
    EXPECT_TRUE(g_szStatusMailbox.IsEmpty());
}

TEST_F(HeadlessRunTest, AFailedJobReturnsZeroWithItsMessage) {
    const int ok = RunHeadless(
        [](platform::MessageQueue&, std::string& result) {
            result = "ERROR 66- the script file x could not be opened.";
            return 0;
        },
        m_out);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Contents(m_out), "ERROR 66- the script file x could not be opened.\n");
}

TEST_F(HeadlessRunTest, RunsTheJobOffTheCallingThread) {
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id worker;
    RunHeadless(
        [&](platform::MessageQueue&, std::string& result) {
            worker = std::this_thread::get_id();
            result = "done";
            return 1;
        },
        m_out);
    EXPECT_NE(worker, caller);
}

}  // namespace
