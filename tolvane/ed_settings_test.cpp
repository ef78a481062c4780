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
    const CWindowPlace frame = ReadFramePlace(m_file, {0, 0, 1024, 768}, 124);
    EXPECT_EQ(frame, (CWindowPlace{242, 159, 540, 450}));
    EXPECT_EQ(ReadToolPlace(m_file, "sf", frame, 0), (CToolPlace{{118, 159, 120, 222}, 4}));
    EXPECT_EQ(ReadToolPlace(m_file, "ht", frame, 0), (CToolPlace{{118, 385, 120, 222}, 4}));
    // A tool window wider than 120 keeps 4 pixels from the frame.
    EXPECT_EQ(ReadToolPlace(m_file, "ht", frame, 200).place, (CWindowPlace{38, 385, 200, 222}));
}

// Centred, unless that leaves the tool windows too little room on the left; never off the screen.
TEST_F(EdSettingsTest, DefaultFrameLeavesRoomForTheToolWindows) {
    struct Case {
        CWindowPlace area;
        int leftRoom;
        int left;
    } const cases[] = {
        {{0, 0, 1024, 768}, 204, 242},  // centring leaves room
        {{0, 0, 800, 600}, 204, 204},   // moved right by the missing room
        {{0, 0, 640, 480}, 204, 100},   // as far right as the screen allows
        {{60, 0, 800, 600}, 204, 264},  // a panel on the left: the free area counts
        {{0, 0, 500, 400}, 204, -20},   // a frame wider than the screen stays centred ...
    };
    for (const Case& c : cases) {
        const CWindowPlace frame = ReadFramePlace(m_file, c.area, c.leftRoom);
        EXPECT_EQ(frame.left, c.left) << c.area.width;
        EXPECT_EQ(frame.top, c.area.top + (c.area.height - 450) / 2);
    }
    // ... and is then kept inside it from the left.
    EXPECT_EQ(KeptInside(ReadFramePlace(m_file, {0, 0, 500, 400}, 204), {0, 0, 500, 400}),
              (CWindowPlace{0, 0, 540, 450}));
}

TEST(KeptInsideTest, MovesAPlaceOntoTheArea) {
    const CWindowPlace area{10, 20, 800, 600};
    struct Case {
        CWindowPlace place, kept;
    } const cases[] = {
        {{100, 100, 200, 200}, {100, 100, 200, 200}},  // inside: unchanged
        {{-50, 100, 200, 200}, {10, 100, 200, 200}},   // off the left edge
        {{700, 500, 200, 200}, {610, 420, 200, 200}},  // off the right and bottom edges
        {{100, -30, 200, 200}, {100, 20, 200, 200}},   // off the top edge
        {{300, 300, 900, 700}, {10, 20, 900, 700}},    // larger: its top left corner is the area's
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeptInside(c.place, area), c.kept) << c.place.left << "," << c.place.top;
}

TEST_F(EdSettingsTest, StoredShowCodeOneReadsAsFourAndZeroStaysHidden) {
    ASSERT_TRUE(m_file.WriteInt("tolvane", "sfwindowvis", 1));
    ASSERT_TRUE(m_file.WriteInt("tolvane", "htwindowvis", 0));
    EXPECT_EQ(ReadToolPlace(m_file, "sf", {}, 0).showCode, kShowNoActivate);
    EXPECT_EQ(ReadToolPlace(m_file, "ht", {}, 0).showCode, kShowHidden);
}

TEST_F(EdSettingsTest, WrittenKeysAreReadBack) {
    const CEdOptions options{0, 0, 0, 0, 2};
    ASSERT_TRUE(WriteEdOptions(m_file, options, nullptr));
    EXPECT_EQ(ReadEdOptions(m_file), options);
    const CWindowPlace frame{10, 20, 600, 500};
    const CToolPlace tool{{1, 2, 3, 4}, 0};
    ASSERT_TRUE(WriteFramePlace(m_file, frame, nullptr));
    ASSERT_TRUE(WriteToolPlace(m_file, "ht", tool, nullptr));
    EXPECT_EQ(ReadFramePlace(m_file, {0, 0, 1, 1}, 0), frame);
    EXPECT_EQ(ReadToolPlace(m_file, "ht", frame, 0), tool);
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
