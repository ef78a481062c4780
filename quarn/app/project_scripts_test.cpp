#include "quarn/app/project_scripts.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "quarn/app/app_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class ProjectScriptsTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        MakeProject("default");
        g_strProject.Set("default");
        g_szProjectDir.Set(ProjectDir("default"));
    }
    std::string Project(std::string_view name) const {
        return ProjectDir("default") + "/" + std::string(name);
    }
    void ScriptDir(std::string_view value) const {
        ASSERT_TRUE(g_settings.Set("default", project_key::pscriptdir, value));
    }
};

TEST_F(ProjectScriptsTest, ScriptDirectoryFollowsTheProjectKey) {
    const std::string project = ProjectDir("default");
    const struct {
        const char* key;
        std::string dir;
    } rows[] = {
        {"", project},
        {"  scripts", project + "/scripts"},
        {"scripts\\sub\\", project + "/scripts/sub"},
        {"/srv/scripts/", "/srv/scripts"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        ScriptDir(row.key);
        EXPECT_EQ(ProjectScriptDirectory(), row.dir);
        EXPECT_EQ(ProjectScriptPath(""), row.dir);
        EXPECT_EQ(ProjectScriptPath("a.scp"), row.dir + "/a.scp");
    }
}

TEST_F(ProjectScriptsTest, ListsScriptFilesSortedWithoutCase) {
    for (const char* name : {"b.scp", "A.scp", "c.SCP", "notes.txt", "x.scpx", ".scp", "a.sce"})
        PutFile(Project(name), "");
    fs::create_directories(Project("dir.scp"));
    fs::create_symlink(Project("b.scp"), Project("link.scp"));
    EXPECT_EQ(ListProjectScripts(), (Names{"A.scp", "b.scp", "c.SCP", "link.scp"}));

    ScriptDir("scripts");
    EXPECT_TRUE(ListProjectScripts().empty());
    fs::create_directories(Project("scripts"));
    PutFile(Project("scripts/new.scp"), "");
    EXPECT_EQ(ListProjectScripts(), Names{"new.scp"});
}

TEST_F(ProjectScriptsTest, DeleteRemovesOnlyTheNamedFile) {
    PutFile(Project("a.scp"), "");
    PutFile(Project("b.scp"), "");
    fs::create_directories(Project("dir.scp/inner"));
    fs::create_directories(Project("target"));
    fs::create_symlink(Project("target"), Project("link.scp"));

    EXPECT_FALSE(DeleteProjectScript(""));
    EXPECT_FALSE(DeleteProjectScript("dir.scp"));
    EXPECT_FALSE(DeleteProjectScript("../default/a.scp"));
    EXPECT_FALSE(DeleteProjectScript("missing.scp"));
    EXPECT_TRUE(fs::is_directory(Project("dir.scp/inner")));
    EXPECT_TRUE(DeleteProjectScript("a.scp"));
    EXPECT_TRUE(DeleteProjectScript("link.scp"));
    EXPECT_FALSE(fs::exists(Project("a.scp")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(Project("link.scp"))));
    EXPECT_TRUE(fs::is_directory(Project("target")));
    EXPECT_TRUE(fs::exists(Project("b.scp")));
}

TEST_F(ProjectScriptsTest, PlacementDefaultsBesideTheMainWindowAndIsKept) {
    EXPECT_EQ(ReadScriptsPlacement(300, 200), (ScriptsWindowPlacement{176, 200, 120, 222, 4}));
    WriteScriptsPlacement({-20, 15, 300, 400, 0});
    EXPECT_EQ(ReadScriptsPlacement(300, 200), (ScriptsWindowPlacement{-20, 15, 300, 400, 0}));
}

}  // namespace
