// The bar's rules that the controller's tables do not reach: the banner, the cursor and the speed.
#include "bar/BarRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "../fakes/FakeStripHost.h"
#include "bar/BarStartup.h"
#include "strip/colMsg.h"

namespace {

using namespace BarRules;
using gb::kLeftButton, gb::kRightButton;

TEST(BarBanner, BlanksEmoticonsAndFonts) {
    // Blanks before the name (86 pixels wide) in a bar of 1024 and 154 pixels, 4 a blank:
    // (1024 - 86 - 58) / 4, and 2.5 halved to even; none without room or without a blank width.
    EXPECT_EQ(std::vector({BannerBlankCount(1024, 86, 4), BannerBlankCount(154, 86, 4),
                           BannerBlankCount(144, 86, 4), BannerBlankCount(1024, 86, 0)}),
              std::vector({220, 2, 0, 0}));
    std::vector<int> draws = {1, 7, 14, 15, 16, 17, 18, 20, 24, 28, 39, 41, 42, 44, -1, 8};
    std::size_t i = 0;
    EXPECT_EQ(DrawBannerEmoticon([&] { return draws[i++]; }), 8);
    EXPECT_EQ(i, draws.size());

    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    gb::colMsg strip(host, surfaces);
    AddStartupBanner(strip, -4, true, 8);
    ASSERT_EQ(strip.Count(), 5u); // blanks, emoticon, name, byline, emoticon
    EXPECT_EQ(strip.Item(1)->As<gb::clsString>()->Text(), u"");
    // Each item has a font of its own: making the name bold must not reach the byline.
    EXPECT_TRUE(strip.Item(3)->As<gb::clsString>()->TextFont()->Bold());
    EXPECT_FALSE(strip.Item(4)->As<gb::clsString>()->TextFont()->Bold());
    EXPECT_EQ(strip.Item(2)->As<gb::clsEmo>()->PicNumber(), 8);
    EXPECT_EQ(strip.Item(5)->As<gb::clsEmo>()->PicNumber(), 7); // 8 gives 7 after the name
}

// Over a bar 400 pixels wide: only exact modifiers count, and Shift without a button decides
// between resizing (within 5 pixels of an edge) and moving.
TEST(BarCursor, FollowsModifiersButtonAndEdge) {
    const struct {
        int button, shift;
        float x;
        Cursor cursor;
        std::optional<bool> sizeMode;
    } rows[] = {
        // clang-format off
        {kRightButton, 0, 2, Cursor::Hand, {}}, {kLeftButton, kAlt, 200, Cursor::SizeWE, {}},
        {0, kShift, 4.5f, Cursor::SizeWE, true}, {0, kShift, 5, Cursor::SizeAll, false},
        {0, kShift, 395, Cursor::SizeAll, false}, {0, kShift, 395.5f, Cursor::SizeWE, true},
        {kLeftButton, kShift, 2, Cursor::Unchanged, {}}, {0, 2, 200, Cursor::Arrow, {}},
        {0, kShift | kAlt, 2, Cursor::Arrow, {}},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(&r - rows);
        const CursorChoice c = ChooseCursor(r.button, r.shift, r.x, 400);
        EXPECT_EQ(c.cursor, r.cursor);
        EXPECT_EQ(c.sizeMode, r.sizeMode);
    }
}

// An Alt-drag to the right slows down to 1 at most; a stored speed keeps that range, and no
// number at all gives 10.
TEST(BarLoad, StoredSpeedKeepsTheDragRange) {
    EXPECT_EQ(
        std::vector({SpeedStep(10, 500, 520), StoredSpeed(37.5f), StoredSpeed(0), StoredSpeed(-20),
                     StoredSpeed(250), StoredSpeed(HUGE_VALF), StoredSpeed(std::nanf(""))}),
        std::vector<float>({1, 37.5f, 1, 1, 100, 100, 10}));
}

// Out of the band only while in it; below the cover only where that helps and is needed.
TEST(BarRules, LeavingTheTopmostBand) {
    const struct {
        BandLeave found;
        BandMoves moves;
    } rows[] = {
        {{true, true, false, false}, {true, true}},   {{false, true, false, false}, {false, true}},
        {{false, true, false, true}, {false, false}}, {{true, true, true, false}, {true, false}},
        {{true, false, false, false}, {true, false}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(&r - rows);
        EXPECT_EQ(LeaveTopmost(r.found), r.moves);
    }
}

} // namespace
