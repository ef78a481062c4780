#include "quarn/app/startup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "quarn/app/app_test_support.h"
#include "quarn/app/project_paths.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

namespace fs = std::filesystem;

class StartupTest : public ProgramDirTest {
protected:
    StartupResult Start() {
        m_notices.clear();
        return StartQuarn({ProgramDir(), {m_lockDir.Path(), ""}}, m_lock, m_notices);
    }

    fixtures::TempDir m_lockDir{"quarn_lock"};
    platform::SingleInstanceLock m_lock;
    std::vector<std::string> m_notices;
};

TEST_F(StartupTest, FirstStartInAnEmptyProgramDirectory) {
    ASSERT_EQ(Start(), StartupResult::kReady);
    EXPECT_TRUE(m_notices.empty());
    EXPECT_TRUE(fs::is_directory(ProjectDir("default") + "/html"));
    EXPECT_EQ(CurrentDirectory(), ProjectDir("default"));
    EXPECT_EQ(g_szProjectDir.Get(), ProjectDir("default"));
    EXPECT_EQ(g_strProject.Get(), "default");
    EXPECT_EQ(g_strProgramDir, ProgramDir());
    EXPECT_EQ(g_settings.Path(), ProgramDir() + "/Quarn.ini");
    EXPECT_EQ(g_strProgramTitle.Get(), "Quarn Pro");
    EXPECT_EQ(g_settings.ReadProjectList(), std::vector<std::string>{"default"});
    EXPECT_TRUE(m_lock.Held());
    EXPECT_TRUE(fs::exists(m_lockDir.File("Quarn1RunOnlyAllowed")));
}

TEST_F(StartupTest, ActiveProjectFromTheSettings) {
    WriteSettings(
        "[global]\r\nprogtitle=Site Builder\r\nprofile0=default\r\nprofile1=shop\r\n"
        "defprofile=shop\r\n");
    fs::create_directories(ProjectDir("shop"));
    ASSERT_EQ(Start(), StartupResult::kReady);
    EXPECT_EQ(g_strProgramTitle.Get(), "Site Builder");
    EXPECT_EQ(g_strProject.Get(), "shop");
    EXPECT_EQ(CurrentDirectory(), ProjectDir("shop"));
    EXPECT_FALSE(fs::exists(ProjectDir("shop") + "/html")) << "only a new directory gets html";
    EXPECT_FALSE(fs::exists(ProjectDir("default"))) << "default is made only when used";
    EXPECT_EQ(g_settings.ReadProjectList(), (std::vector<std::string>{"default", "shop"}));
}

TEST_F(StartupTest, AnUnusableDefprofileMeansDefault) {
    for (const char* value : {"..", "global", "a/b", "site ", "[x]"}) {
        SCOPED_TRACE(value);
        WriteSettings(std::string("[global]\r\ndefprofile=") + value + "\r\n");
        ASSERT_EQ(Start(), StartupResult::kReady);
        EXPECT_EQ(g_strProject.Get(), "default");
        EXPECT_EQ(CurrentDirectory(), ProjectDir("default"));
    }
    std::vector<std::string> projects;
    for (const auto& entry : fs::directory_iterator(ProgramDir() + "/projects"))
        projects.push_back(entry.path().filename().string());
    EXPECT_EQ(projects, std::vector<std::string>{"default"});
}

TEST_F(StartupTest, AProjectDirectoryThatCannotBeMadeFallsBackToDefault) {
    WriteSettings("[global]\r\ndefprofile=shop\r\n");
    fs::create_directories(ProgramDir() + "/projects");
    PutFile(ProjectDir("shop"), "a file where the directory belongs");
    ASSERT_EQ(Start(), StartupResult::kReady);
    ASSERT_EQ(m_notices.size(), 1u);
    EXPECT_NE(m_notices[0].find(ProjectDir("shop")), std::string::npos) << m_notices[0];
    EXPECT_EQ(g_strProject.Get(), "default");
    EXPECT_EQ(CurrentDirectory(), ProjectDir("default"));
}

TEST_F(StartupTest, NoProjectsDirectoryEndsStartup) {
    PutFile(ProgramDir() + "/projects", "a file where the directory belongs");
    EXPECT_EQ(Start(), StartupResult::kFailed);
    EXPECT_FALSE(m_notices.empty());
}

TEST_F(StartupTest, ASecondInstanceEndsUnlessSeveralAreAllowed) {
    platform::SingleInstanceLock first;
    ASSERT_EQ(first.TryAcquire(m_lockDir.Path(), kInstanceLockName, nullptr),
              platform::SingleInstanceLock::Result::kAcquired);

    ASSERT_EQ(Start(), StartupResult::kAlreadyRunning);
    ASSERT_EQ(m_notices.size(), 1u);
    EXPECT_EQ(m_notices[0],
              "You have tried to run the program when it is already running. To activate the "
              "program window, double-click on the program icon in the Windows taskbar status "
              "area.");
    EXPECT_FALSE(fs::exists(ProgramDir() + "/projects")) << "the second instance changes nothing";

    WriteSettings("[global]\r\nallowmultiinst=1\r\n");
    EXPECT_EQ(Start(), StartupResult::kReady);
    EXPECT_FALSE(m_lock.Held());
}

TEST_F(StartupTest, AnUnusableLockDirectoryIsReportedAndStartupGoesOn) {
    const std::string missing = m_lockDir.File("missing");
    std::vector<std::string> notices;
    ASSERT_EQ(StartQuarn({ProgramDir(), {missing, ""}}, m_lock, notices), StartupResult::kReady);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].starts_with("cannot open " + missing + "/Quarn1RunOnlyAllowed: "))
        << notices[0];
    EXPECT_TRUE(notices[0].ends_with(kRunsUnlockedNotice)) << notices[0];
    EXPECT_FALSE(m_lock.Held());
}

TEST_F(StartupTest, ARefusedLockFolderIsReportedAndNotUsed) {
    const std::string fault = "cannot use the lock folder /tmp/quarn-7: it is a symbolic link";
    std::vector<std::string> notices;
    ASSERT_EQ(StartQuarn({ProgramDir(), {m_lockDir.Path(), fault}}, m_lock, notices),
              StartupResult::kReady);
    EXPECT_EQ(notices, std::vector<std::string>{fault + std::string(kRunsUnlockedNotice)});
    EXPECT_FALSE(m_lock.Held());
    EXPECT_FALSE(fs::exists(m_lockDir.File("Quarn1RunOnlyAllowed")));

    WriteSettings("[global]\r\nallowmultiinst=1\r\n");
    notices.clear();
    ASSERT_EQ(StartQuarn({ProgramDir(), {m_lockDir.Path(), fault}}, m_lock, notices),
              StartupResult::kReady);
    EXPECT_TRUE(notices.empty()) << "no lock is wanted, so its folder does not matter";
}

}  // namespace
