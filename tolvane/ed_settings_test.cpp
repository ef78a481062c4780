#include "tolvane/ed_settings.h"

#include <gtest/gtest.h>

#include "tests/fixtures/temp_dir.h"
#include "tolvane/ed_app.h"

namespace {

class EdSettingsTest : public testing::Test {
protected:
    fixtures::TempDir m_dir{"tolvane_settings"};
    platform::ProfileFile m_file{m_dir.File("Quarn.ini")};
};

TEST_F(EdSettingsTest, DefaultsWithoutASettingsFile) {
    EXPECT_EQ(ReadEdOptions(m_file), (CEdOptions{1, 1, 1, 1, 0}));
    const CWindowPlace frame = ReadFramePlace(m_file, 1024, 768);
    EXPECT_EQ(frame, (CWindowPlace{242, 159, 540, 450}));
    EXPECT_EQ(ReadToolPlace(m_file, "sf", frame), (CToolPlace{{118, 159, 120, 222}, 4}));
    EXPECT_EQ(ReadToolPlace(m_file, "ht", frame), (CToolPlace{{118, 385, 120, 222}, 4}));
}

TEST_F(EdSettingsTest, StoredShowCodeOneReadsAsFourAndZeroStaysHidden) {
    ASSERT_TRUE(m_file.WriteInt("tolvane", "sfwindowvis", 1));
    ASSERT_TRUE(m_file.WriteInt("tolvane", "htwindowvis", 0));
    EXPECT_EQ(ReadToolPlace(m_file, "sf", {}).showCode, kShowNoActivate);
    EXPECT_EQ(ReadToolPlace(m_file, "ht", {}).showCode, kShowHidden);
}

TEST_F(EdSettingsTest, WrittenKeysAreReadBack) {
    const CEdOptions options{0, 0, 0, 0, 2};
    ASSERT_TRUE(WriteEdOptions(m_file, options, nullptr));
    EXPECT_EQ(ReadEdOptions(m_file), options);
    const CWindowPlace frame{10, 20, 600, 500};
    const CToolPlace tool{{1, 2, 3, 4}, 0};
    ASSERT_TRUE(WriteFramePlace(m_file, frame, nullptr));
    ASSERT_TRUE(WriteToolPlace(m_file, "ht", tool, nullptr));
    EXPECT_EQ(ReadFramePlace(m_file, 1, 1), frame);
    EXPECT_EQ(ReadToolPlace(m_file, "ht", frame), tool);
    EXPECT_EQ(m_file.GetString("tolvane", "htwindowx2", ""), "1");
}

TEST(EdAppTest, FunctionListsAndTags) {
    CEdApp app;
    app.BuildFunctionLists();
    ASSERT_EQ(app.ScriptFunctions().size(), 88u);
    EXPECT_EQ(app.ScriptFunctions().front(), "&format()");
    EXPECT_EQ(app.ScriptFunctions().back(), "&datecomp()");
    ASSERT_EQ(app.MathFunctions().size(), 13u);
    EXPECT_EQ(app.MathFunctions().back(), "int()");
    ASSERT_EQ(HtmlTagTexts().size(), 83u);
    EXPECT_EQ(HtmlTagTexts().back(), "<XMP>");
    EXPECT_EQ(SettingsFilePath("/opt/quarn"), "/opt/quarn/Quarn.ini");
    EXPECT_EQ(SettingsFilePath(""), "./Quarn.ini");
}

}  // namespace
