#include "quarn/app/project_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "quarn/app/app_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kExists =
    "A project of this name already exists. Please choose another name.";
constexpr const char* kIllegal =
    "The following characters are illegal in project names.\n"
    "\\ / : * ? \" < > | [ ] and control characters";

class ProjectCommandsTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        WriteSettings(
            "[global]\r\nprofile0=default\r\nprofile1=Shop\r\nprofile2=blog\r\n"
            "defprofile=Shop\r\n[Shop]\r\nroothtml=html\r\n[blog]\r\nroothtml=www\r\n");
        for (const char* project : {"default", "Shop", "blog"})
            MakeProject(project);
        ASSERT_EQ(::chdir(ProjectDir("Shop").c_str()), 0);
        g_strProject.Set("Shop");
        g_szProjectDir.Set(ProjectDir("Shop"));
    }
    CProjectCommands commands;
};

TEST_F(ProjectCommandsTest, NewNameChecks) {
    const struct {
        std::string typed;
        std::string message;  // "" when accepted
        std::string name;
    } kCases[] = {
        {"news", "", "news"},
        {"  news", "", "news"},
        {"SHOP", kExists, ""},
        {"  shop", kExists, ""},
        {"..", kExists, ""},
        {".", kExists, ""},
        {"Global", kExists, ""},
        {"a/b", kIllegal, ""},
        {"../etc", kIllegal, ""},
        {"a[b]", kIllegal, ""},
        {"a\tb", kIllegal, ""},
        {"", "You cannot create a new project without giving it a name.", ""},
        {"   ", "You cannot create a new project without giving it a name.", ""},
        {"news ", "Project names cannot end with a blank.", ""},
    };
    for (const auto& c : kCases) {
        std::string name;
        commands.m_strMessage.clear();
        EXPECT_EQ(commands.CheckNewName(c.typed, &name), c.message.empty() ? 1 : 0) << c.typed;
        EXPECT_EQ(commands.m_strMessage, c.message) << c.typed;
        EXPECT_EQ(name, c.name) << c.typed;
    }
}

TEST_F(ProjectCommandsTest, CreateListsEntersAndKeepsAnExistingScript) {
    MakeProject("news");
    PutFile(ProjectDir("news") + "/Script1.scp", "&print(\"kept\")");
    ASSERT_EQ(commands.Create("news"), 1) << commands.m_strMessage;
    EXPECT_EQ(g_settings.ReadProjectList(),
              (std::vector<std::string>{"default", "Shop", "blog", "news"}));
    EXPECT_EQ(g_settings.GetGlobal(global_key::defprofile), "news");
    EXPECT_EQ(g_strProject.Get(), "news");
    EXPECT_EQ(fs::canonical(g_szProjectDir.Get()), fs::canonical(ProjectDir("news")));
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(ProjectDir("news")));
    EXPECT_TRUE(fs::is_directory(ProjectDir("news") + "/html"));
    EXPECT_EQ(FileText(ProjectDir("news") + "/Script1.scp"), "&print(\"kept\")");

    ASSERT_EQ(commands.Create("fresh"), 1);
    EXPECT_EQ(FileText(ProjectDir("fresh") + "/Script1.scp"), "");
}

TEST_F(ProjectCommandsTest, CreateThatCannotMakeTheDirectoryUndoesTheListEntry) {
    PutFile(ProjectDir("news"), "a file where the directory should be");
    EXPECT_EQ(commands.Create("news"), 0);
    EXPECT_EQ(commands.m_strMessage, "The directory of project \"news\" could not be created.");
    EXPECT_EQ(g_settings.ReadProjectList(), (std::vector<std::string>{"default", "Shop", "blog"}));
    EXPECT_EQ(g_strProject.Get(), "Shop");
    EXPECT_EQ(g_settings.GetGlobal(global_key::defprofile), "Shop");
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(ProjectDir("Shop")));
}

TEST_F(ProjectCommandsTest, DeleteTheActiveProjectClosesUpTheListAndSelectsDefault) {
    PutFile(ProjectDir("Shop") + "/a.scp", "x");
    PutFile(ProjectDir("Shop") + "/html/index.html", "x");
    fs::create_directory_symlink(ProgramDir(), ProjectDir("Shop") + "/html/up");
    ASSERT_EQ(commands.Delete("Shop"), 1) << commands.m_strMessage;
    EXPECT_FALSE(fs::exists(fs::symlink_status(ProjectDir("Shop"))));
    // The link was removed as a link, never followed.
    EXPECT_TRUE(fs::exists(ProgramDir() + "/Quarn.ini"));
    EXPECT_TRUE(fs::is_directory(ProjectDir("blog")));
    EXPECT_EQ(g_settings.ReadProjectList(), (std::vector<std::string>{"default", "blog"}));
    EXPECT_EQ(g_settings.Get("Shop", project_key::roothtml), "html");  // the default again
    EXPECT_EQ(g_settings.Get("blog", project_key::roothtml), "www");
    EXPECT_EQ(g_settings.GetGlobal(global_key::defprofile), "default");
    EXPECT_EQ(g_strProject.Get(), "default");
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(ProjectDir("default")));
}

TEST_F(ProjectCommandsTest, DeleteKeepsASubdirectoryWithContent) {
    fs::create_directories(ProjectDir("blog") + "/html/img");
    PutFile(ProjectDir("blog") + "/html/img/a.png", "x");
    ASSERT_EQ(commands.Delete("blog"), 1);
    EXPECT_TRUE(fs::exists(ProjectDir("blog") + "/html/img/a.png"));
    EXPECT_EQ(g_settings.ReadProjectList(), (std::vector<std::string>{"default", "Shop"}));
}

TEST_F(ProjectCommandsTest, DeleteNeverLeavesTheProjectsFolder) {
    // A hand-edited list naming something outside "projects".
    WriteSettings("[global]\r\nprofile0=default\r\nprofile1=..\r\nprofile2=../victim\r\n");
    fs::create_directories(ProgramDir() + "/victim");
    PutFile(ProgramDir() + "/victim/keep.txt", "x");
    PutFile(ProgramDir() + "/projects/keep.txt", "x");
    EXPECT_EQ(commands.Delete(".."), 1);
    EXPECT_EQ(commands.Delete("../victim"), 1);
    EXPECT_TRUE(fs::exists(ProgramDir() + "/victim/keep.txt"));
    EXPECT_TRUE(fs::exists(ProgramDir() + "/projects/keep.txt"));
    EXPECT_TRUE(fs::exists(ProgramDir() + "/Quarn.ini"));
    EXPECT_EQ(g_settings.ReadProjectList(), (std::vector<std::string>{"default"}));
}

TEST_F(ProjectCommandsTest, DefaultCannotBeDeleted) {
    EXPECT_EQ(commands.Delete("default"), 0);
    EXPECT_EQ(commands.m_strMessage, "You cannot delete the default project.");
    EXPECT_TRUE(fs::is_directory(ProjectDir("default")));
    EXPECT_EQ(CProjectCommands::DeleteQuestion("blog"),
              "This action will permanently remove all files and settings stored under project "
              "\"blog\". Are you sure you want to continue?");
}

TEST_F(ProjectCommandsTest, ResetUploadStatusMarksEveryOutputFileForUpload) {
    PutFile(ProjectDir("Shop") + "/htmlgen.log", "index.html\r\nnews/a.html\r\n");
    PutFile(ProjectDir("Shop") + "/htmlgen.chg", "news/a.html\r\n");
    ASSERT_EQ(commands.ResetUploadStatus(), 1) << commands.m_strMessage;
    EXPECT_EQ(g_settings.Get("Shop", project_key::resetupload), 1);
    EXPECT_EQ(FileText(ProjectDir("Shop") + "/htmlgen.chg"), "index.html\r\nnews/a.html\r\n");

    // Nothing generated yet: the flag alone, and the change list stays as it is.
    fs::remove(ProjectDir("Shop") + "/htmlgen.log");
    PutFile(ProjectDir("Shop") + "/htmlgen.chg", "kept\r\n");
    ASSERT_EQ(commands.ResetUploadStatus(), 1) << commands.m_strMessage;
    EXPECT_EQ(FileText(ProjectDir("Shop") + "/htmlgen.chg"), "kept\r\n");

    // A change list that cannot be replaced is reported, and the list it names stays.
    PutFile(ProjectDir("Shop") + "/htmlgen.log", "index.html\r\n");
    fs::remove(ProjectDir("Shop") + "/htmlgen.chg");
    fs::create_directory(ProjectDir("Shop") + "/htmlgen.chg");
    EXPECT_EQ(commands.ResetUploadStatus(), 0);
    EXPECT_NE(commands.m_strMessage.find("htmlgen.chg"), std::string::npos)
        << commands.m_strMessage;
    EXPECT_TRUE(fs::is_directory(ProjectDir("Shop") + "/htmlgen.chg"));
}

}  // namespace
