#include "quarn/services/html_root.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/temp_dir.h"

namespace {

constexpr std::string_view kProject = "default";

// A settings file of its own and an active project "default"; the previous program-wide values
// come back after.
class HtmlRootTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Ok()) << m_dir.Error();
        m_oldSettings = g_settings.Path();
        m_oldProject = g_strProject.Get();
        g_settings.SetPath(m_dir.File("Quarn.ini"));
        g_strProject.Set(std::string(kProject));
    }
    void TearDown() override {
        g_settings.SetPath(m_oldSettings);
        g_strProject.Set(m_oldProject);
    }

    std::string ProjectDir() const { return m_dir.File("projects/default"); }
    void SetRoot(std::string_view root) const {
        std::string error;
        ASSERT_TRUE(g_settings.Set(kProject, project_key::roothtml, root, &error)) << error;
    }

    fixtures::TempDir m_dir{"html_root"};
    std::string m_oldSettings;
    std::string m_oldProject;
};

TEST_F(HtmlRootTest, ResolvesTheKeyAgainstTheProjectDirectory) {
    EXPECT_EQ(HtmlRootDirectory(ProjectDir()), ProjectDir() + "/html") << "the key's default";
    const struct {
        const char* name;
        const char* roothtml;
        std::string expected;
    } kCases[] = {
        {"backslashes, dots, trailing slash", "site\\pages/./", ProjectDir() + "/site/pages"},
        {"absolute", "/srv/www/", "/srv/www"},
        {"the file system root", "\\", "/"},
        {"empty: the project directory", "", ProjectDir()},
        {"up from the project", "..\\shared/html", m_dir.File("projects/shared/html")},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.name);
        SetRoot(row.roothtml);
        EXPECT_EQ(HtmlRootDirectory(ProjectDir()), row.expected);
    }
}

TEST_F(HtmlRootTest, ARelativeProjectDirectoryGivesARelativeRoot) {
    EXPECT_EQ(HtmlRootDirectory("."), "html");
    SetRoot("");
    EXPECT_EQ(HtmlRootDirectory("."), ".");
    SetRoot("/srv/www");
    EXPECT_EQ(HtmlRootDirectory("."), "/srv/www");
}

}  // namespace
