#include "quarn/app/launch_commands.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "quarn/app/app_test_support.h"

namespace {

using Words = std::vector<std::string>;

TEST(LaunchCommands, SplitCommandLine) {
    const struct {
        std::string text;
        Words words;
    } kCases[] = {
        {"", {}},
        {"   ", {}},
        {"  gedit", {"gedit"}},
        {"gedit --new-window", {"gedit", "--new-window"}},
        {"\"/opt/my editor/ed\" -x", {"/opt/my editor/ed", "-x"}},
        {"a \"\" b", {"a", "", "b"}},
        {"\tsqlitebrowser\tdb.sqlite ", {"sqlitebrowser", "db.sqlite"}},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(SplitCommandLine(c.text), c.words) << c.text;
}

class LaunchCommandsTest : public ProgramDirTest {};

TEST_F(LaunchCommandsTest, CommandsFromSettings) {
    PutFile(ProgramDir() + "/tolvane", "#!/bin/sh\n");
    ::chmod((ProgramDir() + "/tolvane").c_str(), 0755);
    const std::string local = ProgramDir() + "/tolvane";
    EXPECT_EQ(SettingCommand("tolvane", {"/p/a b.scp"}, "/p"),
              (LaunchCommand{local, {"/p/a b.scp"}, "/p"}));
    EXPECT_EQ(SettingCommand("  notepad", {"/p/listfile.txt"}, "/p"),
              (LaunchCommand{"xdg-open", {"/p/listfile.txt"}, "/p"}));
    EXPECT_EQ(SettingCommand("gedit -s", {"x"}, ""), (LaunchCommand{"gedit", {"-s", "x"}, ""}));
    EXPECT_EQ(SettingCommand("/usr/bin/tolvane", {}, ""),
              (LaunchCommand{"/usr/bin/tolvane", {}, ""}));
    EXPECT_EQ(SettingCommand(" \t", {"x"}, ""), std::nullopt);
    EXPECT_EQ(BrowserCommand("", "/p/html/index page.html"),
              (LaunchCommand{"xdg-open", {"/p/html/index page.html"}, ""}));
    EXPECT_EQ(BrowserCommand("firefox --private", "/p/html/i.html"),
              (LaunchCommand{"firefox", {"--private", "/p/html/i.html"}, ""}));
    EXPECT_EQ(ProgramDirCommand("kestrel"), (LaunchCommand{ProgramDir() + "/kestrel", {}, ""}));
}

TEST_F(LaunchCommandsTest, TheProcessLauncherStartsInTheWorkingDirectory) {
    const std::string dir = ProgramDir() + "/work";
    std::filesystem::create_directory(dir);
    CProcessLauncher launcher;
    ASSERT_EQ(
        launcher.Launch({"/bin/sh", {"-c", "pwd > pwd.txt.tmp && mv pwd.txt.tmp pwd.txt"}, dir}),
        1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(dir + "/pwd.txt") &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(FileText(dir + "/pwd.txt"), std::filesystem::canonical(dir).string() + "\n");

    EXPECT_EQ(launcher.Launch({ProgramDir() + "/missing", {}, ""}), 0);
    EXPECT_EQ(launcher.Launch({"/bin/true", {}, ProgramDir() + "/no such dir"}), 0);
}

}  // namespace
