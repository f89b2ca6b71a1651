#include "bar/BarRules.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using namespace frmScrollRules;

const Screen kScreen{15360, 11520, 15, 15}; // 1024 x 768 pixels at 96 dots per inch

TEST(BarBanner, BlankCountLeadsTheNameToTheRightEnd) {
    const struct {
        float inner, name, blank;
        int blanks;
    } rows[] = {
        {1024, 86, 4, 220},    // (1024 - 86 - 58) / 4
        {1024, 86.5f, 4, 220}, // integer part of 879.5 is 879; 879 / 4 = 219.75
        {300, 86, 4, 39},      // 156 / 4
        {150, 86, 4, 2},       // 6 / 4 = 1.5, halves to even
        {154, 86, 4, 2},       // 10 / 4 = 2.5, halves to even
        {144, 86, 4, 0},       // exactly the name plus 58
        {100, 86, 4, 0},       // narrower than the name plus 58: no blanks
        {1024, 86, 0, 0},      // a face without a blank width
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.inner);
        EXPECT_EQ(BannerBlankCount(row.inner, row.name, row.blank), row.blanks);
    }
}

TEST(BarBanner, RandomEmoticonSkipsTheExcludedCells) {
    std::vector<int> draws = {1, 7, 14, 15, 16, 17, 18, 20, 24, 28, 39, 41, 42, 8};
    std::size_t i = 0;
    EXPECT_EQ(DrawBannerEmoticon([&] { return draws[i++]; }), 8);
    EXPECT_EQ(i, draws.size());
    EXPECT_EQ(SecondBannerEmoticon(8), 7);
    EXPECT_EQ(SecondBannerEmoticon(9), 9);
    std::set<int> allowed;
    for (int k = 0; k <= 43; ++k) {
        if (!IsExcludedBannerEmoticon(k)) allowed.insert(k);
    }
    EXPECT_EQ(allowed.size(), 31u);
}

TEST(BarGeometry, StoredPlacementStaysOnTheScreen) {
    const float h = 300; // 20 pixels
    const struct {
        const char* what;
        float x, y, width;
        Geometry expected;
    } rows[] = {
        {"default: across the top", 0, 0, 15360, {0, 0, 15360, h}},
        {"inside the screen", 3000, 6000, 9000, {3000, 6000, 9000, h}},
        {"wider than the screen", 0, 0, 20000, {0, 0, 15360, h}},
        {"right of a smaller screen", 20000, 0, 9000, {6360, 0, 9000, h}},
        {"below a smaller screen", 0, 15000, 9000, {0, 11220, 9000, h}},
        {"above and left", -500, -50, 9000, {0, 0, 9000, h}},
        {"partly off on the right", 10000, 0, 9000, {6360, 0, 9000, h}},
        {"narrower than a drag may make it", 0, 0, 3000, {0, 0, 3000, h}},
        {"less than a pixel", 0, 0, 10, {0, 0, 15360, h}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(PlaceStored(row.x, row.y, row.width, h, kScreen), row.expected);
    }
}

TEST(BarGeometry, WorkAreaIsReservedOnlyAcrossTheWholeTop) {
    EXPECT_TRUE(LiesAcrossTop({0, 0, 15360, 300}, kScreen));
    EXPECT_FALSE(LiesAcrossTop({0, 15, 15360, 300}, kScreen));
    EXPECT_FALSE(LiesAcrossTop({0, 0, 15345, 300}, kScreen));
}

TEST(BarMouse, CursorTable) {
    const float w = 400;
    const struct {
        int button, shift;
        float x;
        Cursor cursor;
        std::optional<bool> sizeMode;
    } rows[] = {
        {0, 0, 200, Cursor::Hand, {}},
        {1, 0, 200, Cursor::Hand, {}},
        {0, kAlt, 200, Cursor::SizeWE, {}},
        {1, kAlt, 2, Cursor::SizeWE, {}},
        {0, kShift, 4.9f, Cursor::SizeWE, true},
        {0, kShift, 5, Cursor::SizeAll, false},
        {0, kShift, 395, Cursor::SizeAll, false},
        {0, kShift, 395.5f, Cursor::SizeWE, true},
        {1, kShift, 2, Cursor::Unchanged, {}},
        {2, kShift, 200, Cursor::Unchanged, {}},
        {0, kCtrl, 200, Cursor::Arrow, {}},
        {0, kShift | kAlt, 200, Cursor::Arrow, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.button << "/" << row.shift << "/" << row.x);
        const CursorChoice c = ChooseCursor(row.button, row.shift, row.x, w);
        EXPECT_EQ(c.cursor, row.cursor);
        EXPECT_EQ(c.sizeMode, row.sizeMode);
    }
}

TEST(BarMouse, PressActions) {
    const struct {
        int button, shift;
        PressAction action;
    } rows[] = {
        {1, 0, PressAction::StripClick},        {1, kShift, PressAction::StartDrag},
        {1, kAlt, PressAction::StartDrag},      {1, kCtrl, PressAction::None},
        {1, kShift | kCtrl, PressAction::None}, {2, 0, PressAction::Pause},
        {2, kShift, PressAction::Pause},        {3, 0, PressAction::None},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.button << "/" << row.shift);
        EXPECT_EQ(OnMouseDown(row.button, row.shift), row.action);
    }
}

TEST(BarMouse, ShiftDragSteps) {
    // A 400-pixel bar at left 3000, top 1500: 6000 twips wide, 300 high.
    const Geometry bar{3000, 1500, 6000, 300};
    const struct {
        const char* what;
        bool sizeMode;
        float x;
        int dx, dy;
        Geometry expected;
    } rows[] = {
        {"move left and up", false, 200, 10, 5, {2850, 1425, 6000, 300}},
        {"move right and down", false, 200, -10, -5, {3150, 1575, 6000, 300}},
        {"move past the top", false, 200, 0, 200, {3000, 0, 6000, 300}},
        {"move past the bottom", false, 200, 0, -1000, {3000, 11220, 6000, 300}},
        {"move past the left", false, 200, 300, 0, {0, 1500, 6000, 300}},
        {"move past the right", false, 200, -1000, 0, {9360, 1500, 6000, 300}},
        {"widen to the left", true, 2, 20, 7, {2700, 1500, 6300, 300}},
        {"narrow from the left to the minimum", true, 2, -200, 0, {4500, 1500, 4500, 300}},
        {"narrow from the right", true, 398, 20, 0, {3000, 1500, 5700, 300}},
        {"narrow from the right to the minimum", true, 398, 200, 0, {3000, 1500, 4500, 300}},
        {"widen to the right", true, 200, -20, 0, {3000, 1500, 6300, 300}},
        {"widen to the left past the screen", true, 2, 300, 0, {0, 1500, 9000, 300}},
        {"widen to the right past the screen", true, 398, -1000, 0, {3000, 1500, 12360, 300}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(DragStep(bar, row.sizeMode, row.x, 400, row.dx, row.dy, kScreen), row.expected);
    }
}

TEST(BarMouse, AltDragSpeedStaysWithinOneAndAHundred) {
    const struct {
        float speed;
        int last, now;
        float expected;
    } rows[] = {
        {10, 500, 480, 30}, {10, 500, 520, 1},  {10, 500, 509, 1},   {10, 500, 508, 2},
        {95, 100, 80, 100}, {10, 500, 500, 10}, {0.5f, 500, 500, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.now);
        EXPECT_EQ(SpeedStep(row.speed, row.last, row.now), row.expected);
    }
}

TEST(BarTray, CallbackMessages) {
    EXPECT_EQ(OnTrayCallback(TrayMouse::LeftUp), TrayAction::Maximize);
    EXPECT_EQ(OnTrayCallback(TrayMouse::RightDown), TrayAction::ShowMenu);
    EXPECT_EQ(OnTrayCallback(TrayMouse::Other), TrayAction::None);
}

} // namespace
