#include "platform/shell_command.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace platform {
namespace {

namespace fs = std::filesystem;

class ShellCommandTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "shell_command_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string File(const std::string& name) const { return m_dir + "/" + name; }
    static std::string Text(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string m_dir;
};

TEST_F(ShellCommandTest, ReturnsTheExitStatusOnceTheShellHasEnded) {
    const struct {
        const char* command;
        int status;
    } kCases[] = {
        {"true", 0},
        {"exit 7", 7},
        {"no-such-command-x 2>/dev/null", 127},
        {"kill -TERM $$", 128 + SIGTERM},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.command);
        EXPECT_EQ(RunShellCommand(row.command), row.status);
    }
    const std::string where = File("where.txt");
    EXPECT_EQ(RunShellCommand("sleep 0.2; pwd > '" + where + "'"), 0);
    EXPECT_EQ(Text(where), fs::current_path().string() + "\n");
}

// An argument over 128 KiB is one the kernel refuses to pass.
TEST_F(ShellCommandTest, AShellThatCannotStartIsNoStatus) {
    EXPECT_EQ(RunShellCommand("echo " + std::string(200000, 'x')), std::nullopt);
}

TEST_F(ShellCommandTest, TheShellsStandardOutputGoesToOurStandardError) {
    const int captured = ::open(File("stderr").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(captured, 0);
    const int saved = ::dup(STDERR_FILENO);
    ASSERT_GE(saved, 0);
    ::dup2(captured, STDERR_FILENO);
    const auto status = RunShellCommand("echo to-stdout; echo to-stderr >&2");
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(captured);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Text(File("stderr")), "to-stdout\nto-stderr\n");
}

TEST_F(ShellCommandTest, TheShellInheritsNoDescriptorsOrIgnoredSignals) {
    const int leaked = ::open("/dev/null", O_RDONLY);  // no close-on-exec, on purpose
    ASSERT_GE(leaked, 3);
    struct sigaction ignore {};
    struct sigaction old {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &old);
    const std::string fd = File("fd.txt");
    const std::string signals = File("signals.txt");
    const std::string check = "if [ -e /proc/$$/fd/" + std::to_string(leaked) +
                              " ]; then echo inherited; else echo closed; fi > '" + fd + "'";
    const auto status =
        RunShellCommand(check + "; grep SigIgn: /proc/$$/status > '" + signals + "'");
    ::sigaction(SIGPIPE, &old, nullptr);
    ::close(leaked);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Text(fd), "closed\n");
    const std::string ignored = Text(signals);
    ASSERT_TRUE(ignored.starts_with("SigIgn:")) << ignored;
    EXPECT_EQ(std::stoull(ignored.substr(7), nullptr, 16) & (1ull << (SIGPIPE - 1)), 0u) << ignored;
}

std::string ReadAll(PipedShellCommand& command) {
    std::string output;
    char chunk[7];  // small, so that lines arrive in pieces
    for (;;) {
        const ssize_t got = command.Read(chunk, sizeof chunk);
        if (got <= 0) return got == 0 ? output : output + "<read failed>";
        output.append(chunk, static_cast<std::size_t>(got));
    }
}

TEST_F(ShellCommandTest, APipedCommandsOutputAndErrorArriveThroughOnePipe) {
    PipedShellCommand command;
    ASSERT_EQ(command.Start("echo out; echo err >&2; cat; pwd", m_dir),
              PipedShellCommand::StartFailure::kNone);
    // cat ends at once: the command's input is at its end.
    EXPECT_EQ(ReadAll(command), "out\nerr\n" + fs::canonical(m_dir).string() + "\n");
    EXPECT_EQ(command.Finish(), 0);
    EXPECT_EQ(command.Finish(), -1);
}

TEST_F(ShellCommandTest, APipedCommandStartsInTheCurrentDirectoryOrFailsOnABadOne) {
    PipedShellCommand here;
    ASSERT_EQ(here.Start("pwd; exit 3", ""), PipedShellCommand::StartFailure::kNone);
    EXPECT_EQ(ReadAll(here), fs::current_path().string() + "\n");
    EXPECT_EQ(here.Finish(), 3);

    PipedShellCommand nowhere;
    EXPECT_EQ(nowhere.Start("pwd", File("missing")), PipedShellCommand::StartFailure::kSpawn);
    EXPECT_EQ(nowhere.Finish(), -1);
}

// A reader that stops early must not wait for ever on a command that goes on writing.
TEST_F(ShellCommandTest, FinishingEndsACommandThatStillWrites) {
    PipedShellCommand command;
    ASSERT_EQ(command.Start("yes", ""), PipedShellCommand::StartFailure::kNone);
    char chunk[16];
    EXPECT_GT(command.Read(chunk, sizeof chunk), 0);
    EXPECT_EQ(command.Finish(), 128 + SIGPIPE);
}

// With standard input closed, pipe() hands out descriptor 0; the child must still get the
// right ends on 0, 1 and 2.
TEST_F(ShellCommandTest, APipedCommandIsWiredRightWithOurStandardInputClosed) {
    const int saved = ::dup(STDIN_FILENO);
    ASSERT_GE(saved, 0);
    ::close(STDIN_FILENO);
    PipedShellCommand command;
    const auto started = command.Start("cat; echo done", "");
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    ASSERT_EQ(started, PipedShellCommand::StartFailure::kNone);
    EXPECT_EQ(ReadAll(command), "done\n");
    EXPECT_EQ(command.Finish(), 0);
}

}  // namespace
}  // namespace platform
