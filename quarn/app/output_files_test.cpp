#include "quarn/app/output_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "quarn/app/app_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProject = "default";
constexpr std::string_view kError28 = "ERROR 28- upload list file could not be opened.";

class OutputFilesTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        MakeProject(kProject);
        g_strProject.Set(std::string(kProject));
        g_szProjectDir.Set(ProjectDir(kProject));
    }
    std::string Project(std::string_view name) const {
        return ProjectDir(kProject) + "/" + std::string(name);
    }
};

TEST_F(OutputFilesTest, ListsTheGeneratedOrTheChangedFiles) {
    PutFile(Project("htmlgen.log"), "a.html\r\nsub/b.html\n\r\nc.html\r");
    PutFile(Project("htmlgen.chg"), "sub/b.html\r\n");
    EXPECT_EQ(OutputFileNames(false), (std::vector<std::string>{"a.html", "sub/b.html", "c.html"}));
    EXPECT_EQ(OutputFileNames(true), (std::vector<std::string>{"sub/b.html"}));
    fs::remove(Project("htmlgen.chg"));
    EXPECT_TRUE(OutputFileNames(true).empty());
}

TEST_F(OutputFilesTest, AddingToTheChangeListComparesWholeNames) {
    struct Row {
        const char* name;
        const char* before;  // nullptr: no htmlgen.chg
        const char* added;
        const char* after;
    };
    const Row rows[] = {
        {"created when missing", nullptr, "a.html", "a.html\r\n"},
        {"appended", "a.html\r\n", "b.html", "a.html\r\nb.html\r\n"},
        {"a name inside another is not that name", "my page.html\r\n", "page.html",
         "my page.html\r\npage.html\r\n"},
        {"already listed", "x.html\r\npage.html\r\n", "page.html", "x.html\r\npage.html\r\n"},
        {"listed in another spelling", "sub\\a.html\r\n", "sub/a.html", "sub\\a.html\r\n"},
        {"last line without its end", "a.html", "b.html", "a.html\r\nb.html\r\n"},
        {"last line ending in a lone CR", "a.html\r", "b.html", "a.html\r\nb.html\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(Project("htmlgen.chg"));
        if (row.before) PutFile(Project("htmlgen.chg"), row.before);
        std::string message;
        EXPECT_EQ(AddToChangeList(row.added, message), 1) << message;
        EXPECT_EQ(FileText(Project("htmlgen.chg")), row.after);
    }
}

TEST_F(OutputFilesTest, ChangeListThatCannotBeReadStaysAsItIs) {
    fs::create_directories(Project("htmlgen.chg"));
    std::string message;
    EXPECT_EQ(AddToChangeList("a.html", message), 0);
    EXPECT_EQ(message, kError28);
    EXPECT_TRUE(fs::is_directory(Project("htmlgen.chg")));
}

TEST_F(OutputFilesTest, EditOpensTheFileBelowTheHtmlRoot) {
    std::string path;
    std::string message;
    ASSERT_EQ(OutputFilePath("sub/a.html", path, message), 1) << message;
    EXPECT_EQ(path, Project("html/sub/a.html"));

    ASSERT_TRUE(g_settings.Set(kProject, project_key::roothtml, "missing"));
    EXPECT_EQ(OutputFilePath("a.html", path, message), 0);
    EXPECT_EQ(message,
              "ERROR 94- local HTML directory could not be opened. Check program settings.");
}

}  // namespace
