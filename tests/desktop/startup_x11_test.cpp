// quarn started as a real window under Xvfb: its main window appears, the splash shows over it and
// goes, a script file dropped on it runs (and a stop signal while it runs ends quarn), and a second
// start brings that window above the others, shows the already-running notice and ends. The windows
// are seen from outside with xwininfo and xprop: the stacking order of the root's children (bottom
// to top, there being no window manager) and the process each window belongs to (_NET_WM_PID).

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/desktop/x_top_levels.h"
#include "tests/desktop/xdnd_drop.h"
#include "tests/fixtures/program_process.h"
#include "tests/fixtures/run_command.h"
#include "tests/fixtures/spawn_program.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/text.h"
#include "tests/fixtures/xvfb_server.h"

namespace {

namespace fs = std::filesystem;
using fixtures::ProgramProcess;
using Clock = ProgramProcess::Clock;
using desktop_test::TopLevel;

constexpr auto kLimit = std::chrono::seconds(30);
constexpr const char* kNotice =
    "You have tried to run the program when it is already running. To activate the program "
    "window, double-click on the program icon in the panel's notification area (system tray).";

// Where in the stacking order the first viewable window that `match` accepts is; -1 when none.
int StackPosition(const std::vector<TopLevel>& windows,
                  const std::function<bool(const TopLevel&)>& match) {
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (match(windows[i])) return static_cast<int>(i);
    return -1;
}

// The windows, bottom to top, for a failure message.
std::string Describe(const std::vector<TopLevel>& windows) {
    std::string text;
    for (const TopLevel& w : windows) {
        std::ostringstream id;
        id << std::hex << "0x" << w.id;
        text += id.str() + " \"" + w.name + "\" pid " + std::to_string(w.pid) +
                (w.splash ? " splash\n" : "\n");
    }
    return text;
}

bool HasTool(const char* name) {
    std::string output;
    return fixtures::RunCommand({"/bin/sh", "-c", std::string("command -v ") + name}, &output) == 0;
}

class StartupX11Test : public testing::Test {
protected:
    void SetUp() override {
        if (!m_x.Ok()) GTEST_SKIP() << m_x.Error();
        if (!HasTool("xmessage")) GTEST_SKIP() << "xmessage is missing (Debian package x11-utils)";
        m_windows = std::make_unique<desktop_test::XTopLevels>(m_x.Display());
        ASSERT_TRUE(m_windows->Ok()) << "cannot open display " << m_x.Display();
        ASSERT_TRUE(m_programDir.Ok()) << m_programDir.Error();
        ASSERT_TRUE(m_runtimeDir.Ok()) << m_runtimeDir.Error();
        std::string error;
        ASSERT_TRUE(fixtures::InstallProgram(QUARN_BINARY, m_programDir.File("quarn"), &error))
            << error;
        // No readme prompt and no splash: the first window quarn shows is its main window.
        std::ofstream(m_programDir.File("Quarn.ini")) << "[global]\r\nreadme=0\r\nsplashscr=0\r\n";
        m_env = {"TZ=UTC",
                 "LC_ALL=C",
                 "HOME=" + m_programDir.Path(),
                 "XDG_RUNTIME_DIR=" + m_runtimeDir.Path(),
                 "DISPLAY=" + m_x.Display(),
                 "QT_QPA_PLATFORM=xcb"};
        for (const char* name : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name))
                m_env.push_back(std::string(name) + "=" + value);
        }
        const char* leakOptions = std::getenv("LSAN_OPTIONS");
        m_env.push_back(std::string("LSAN_OPTIONS=") + (leakOptions ? leakOptions : "") +
                        ":suppressions=" + X11_LSAN_SUPPRESSIONS);
    }

    std::string Start(ProgramProcess& quarn, const std::string& errName) {
        return quarn.Start(m_programDir.File("quarn"), {}, m_programDir.Path(), m_env,
                           m_runtimeDir.File(errName));
    }

    // The end of what a run wrote to its standard error.
    std::string ErrorText(const std::string& errName) const {
        std::ifstream in(m_runtimeDir.File(errName));
        std::ostringstream text;
        text << in.rdbuf();
        return fixtures::Tail(text.str());
    }

    bool WaitForWindows(const std::function<bool(const std::vector<TopLevel>&)>& holds) {
        return m_windows->WaitFor(holds, Clock::now() + kLimit);
    }
    std::string Windows() { return Describe(m_windows->Viewable()); }

    fixtures::XvfbServer m_x;
    std::unique_ptr<desktop_test::XTopLevels> m_windows;
    fixtures::TempDir m_programDir{"quarn_x11"};
    fixtures::TempDir m_runtimeDir{"quarn_x11_run"};
    std::vector<std::string> m_env;
};

TEST_F(StartupX11Test, ASecondStartBringsTheRunningWindowForwardAndEnds) {
    ProgramProcess first;
    ASSERT_EQ(Start(first, "first.err"), "");
    const long firstPid = first.Pid();
    // The main window; the Project Scripts window of the same program may show beside it.
    const auto isFirst = [firstPid](const TopLevel& w) {
        return w.pid == firstPid && w.name == "Quarn Pro";
    };
    ASSERT_TRUE(WaitForWindows([&](const std::vector<TopLevel>& windows) {
        return StackPosition(windows, isFirst) >= 0;
    })) << "the main window never appeared";
    EXPECT_TRUE(fs::is_directory(m_programDir.File("projects/default/html")));

    // Another window above it, as a person's other programs would be.
    ProgramProcess cover;
    ASSERT_EQ(cover.Start("/usr/bin/xmessage", {"-display", m_x.Display(), "covering"}, "/", m_env,
                          m_runtimeDir.File("cover.err")),
              "");
    const auto isCover = [](const TopLevel& w) { return w.name == "xmessage"; };
    ASSERT_TRUE(WaitForWindows([&](const std::vector<TopLevel>& windows) {
        const int covering = StackPosition(windows, isCover);
        return covering >= 0 && covering > StackPosition(windows, isFirst);
    })) << "the covering window never came above quarn's:\n"
        << Windows();

    ProgramProcess second;
    ASSERT_EQ(Start(second, "second.err"), "");
    const long secondPid = second.Pid();
    ASSERT_TRUE(WaitForWindows([&](const std::vector<TopLevel>& windows) {
        return StackPosition(windows, isFirst) > StackPosition(windows, isCover) &&
               StackPosition(windows, [secondPid](const TopLevel& w) {
                   return w.pid == secondPid && w.name == "Quarn Pro";
               }) >= 0;
    })) << "the first window did not come forward, or the notice did not show:\n"
        << Windows();

    // The notice ends with its program, as it does when its OK is pressed.
    second.Signal(SIGTERM);
    std::vector<std::string> lines;
    EXPECT_EQ(second.Finish(lines, Clock::now() + kLimit), 1) << ErrorText("second.err");
    EXPECT_EQ(lines, std::vector<std::string>{kNotice});

    cover.Signal(SIGTERM);
    cover.Finish(lines, Clock::now() + kLimit);
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Finish(lines, Clock::now() + kLimit), 0) << ErrorText("first.err");
}

TEST_F(StartupX11Test, TheSplashShowsOverTheMainWindowAndGoes) {
    std::ofstream(m_programDir.File("Quarn.ini")) << "[global]\r\nreadme=0\r\nsplashscr=1\r\n";
    ProgramProcess quarn;
    ASSERT_EQ(Start(quarn, "quarn.err"), "");
    const long pid = quarn.Pid();
    const auto isSplash = [pid](const TopLevel& w) { return w.pid == pid && w.splash; };
    const auto isMain = [pid](const TopLevel& w) { return w.pid == pid && !w.splash; };
    ASSERT_TRUE(WaitForWindows([&](const std::vector<TopLevel>& windows) {
        return StackPosition(windows, isSplash) > StackPosition(windows, isMain) &&
               StackPosition(windows, isMain) >= 0;
    })) << "the splash never showed above the main window:\n"
        << Windows();
    ASSERT_TRUE(WaitForWindows([&](const std::vector<TopLevel>& windows) {
        return StackPosition(windows, isSplash) < 0 && StackPosition(windows, isMain) >= 0;
    })) << "the splash never went:\n"
        << Windows();

    quarn.Signal(SIGTERM);
    std::vector<std::string> lines;
    EXPECT_EQ(quarn.Finish(lines, Clock::now() + kLimit), 0) << ErrorText("quarn.err");
}

// The script then waits on its message box, so the signal comes while the window is busy: quarn
// ends all the same, without asking whether a busy program may quit.
TEST_F(StartupX11Test, AScriptDroppedOnTheWindowRunsAndASignalEndsItsJob) {
    const std::string script = m_runtimeDir.File("dropped page.scp");
    std::ofstream(script) << "&html(\"dropped.html\"){<p>dropped</p>}&msgbox(\"written\")\r\n";
    ProgramProcess quarn;
    ASSERT_EQ(Start(quarn, "quarn.err"), "");
    const long pid = quarn.Pid();
    // The main window and the script's message box carry the program title.
    const auto titled = [pid](const TopLevel& w) { return w.pid == pid && w.name == "Quarn Pro"; };
    unsigned long window = 0;
    ASSERT_TRUE(WaitForWindows([&](const std::vector<TopLevel>& windows) {
        const int main = StackPosition(windows, titled);
        if (main >= 0) window = windows[main].id;
        return main >= 0;
    })) << "the main window never appeared";

    std::string error;
    ASSERT_TRUE(desktop_test::DropFile(m_x.Display(), window, script, 30, &error))
        << error << "\n"
        << ErrorText("quarn.err");
    ASSERT_TRUE(WaitForWindows([&](const std::vector<TopLevel>& windows) {
        return std::count_if(windows.begin(), windows.end(), titled) == 2;
    })) << "the script's message box never showed:\n"
        << Windows() << ErrorText("quarn.err");
    EXPECT_TRUE(fs::exists(m_programDir.File("projects/default/html/dropped.html")))
        << "the dropped script did not run\n"
        << ErrorText("quarn.err");

    quarn.Signal(SIGTERM);
    std::vector<std::string> lines;
    EXPECT_EQ(quarn.Finish(lines, Clock::now() + kLimit), 0) << ErrorText("quarn.err");
}

}  // namespace
