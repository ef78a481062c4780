#include "tolvane/preview_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/fixtures/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(PreviewFileTest, DirectoryFollowsRootCurrentDirectoryThenActiveProject) {
    fixtures::TempDir dir("preview_dir");
    ASSERT_TRUE(dir.Ok()) << dir.Error();
    fs::create_directories(dir.File("project/html"));
    const std::string project = dir.File("project");
    struct Case {
        const char* what;
        std::string roothtml;
        std::string directory;
    } cases[] = {
        {"absolute root", "/srv/site/", "/srv/site"},
        {"root below the current directory", "html", project + "/html"},
        {"root below the current directory, closing slash", "html/", project + "/html"},
        {"not here: the active project's root", "www", "/opt/quarn/projects/shop/www"},
        {"filesystem root stays", "/", "/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreviewDirectory(project, "/opt/quarn", "shop", c.roothtml), c.directory)
            << c.what;
}

TEST(PreviewFileTest, WritesThePageReplacingThePreviousPreview) {
    fixtures::TempDir first("preview_a");
    fixtures::TempDir second("preview_b");
    ASSERT_TRUE(first.Ok() && second.Ok());
    CPreviewFile preview;

    const std::string written = preview.Write(first.Path(), "<p>one</p>", false);
    EXPECT_EQ(written, first.File("quarntmp.html"));
    EXPECT_EQ(fixtures::ReadTextFile(written), "<p>one</p>");

    // The project's root changed in between: the old preview goes.
    const std::string rewritten = preview.Write(second.Path(), "<p>two</p>", true);
    EXPECT_FALSE(fs::exists(written));
    EXPECT_EQ(fixtures::ReadTextFile(rewritten),
              "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"4\">\r\n<p>two</p>");
    EXPECT_EQ(preview.LastFile(), rewritten);
}

TEST(PreviewFileTest, AMissingDirectoryWritesNothingAndKeepsNothing) {
    fixtures::TempDir dir("preview_missing");
    ASSERT_TRUE(dir.Ok());
    CPreviewFile preview;
    const std::string written = preview.Write(dir.Path(), "x", false);
    EXPECT_EQ(preview.Write(dir.File("gone"), "y", false), "");
    EXPECT_EQ(preview.LastFile(), "");
    EXPECT_FALSE(fs::exists(written));
}

TEST(PreviewFileTest, TheLastPreviewGoesWithItsWriter) {
    fixtures::TempDir dir("preview_end");
    ASSERT_TRUE(dir.Ok());
    std::string written;
    {
        CPreviewFile preview;
        written = preview.Write(dir.Path(), "x", false);
        ASSERT_TRUE(fs::exists(written));
    }
    EXPECT_FALSE(fs::exists(written));
}

}  // namespace
