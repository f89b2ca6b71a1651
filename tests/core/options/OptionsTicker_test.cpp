#include "options/OptionsTicker.h"

#include <gtest/gtest.h>

namespace {

using gb::kLeftButton;
using gb::kRightButton;

TEST(TickerGestures, OnlyALeftDragChangesSpeedWithinOneToHundred) {
    const struct {
        int buttons;
        float from, to, speed;
    } rows[] = {
        {kLeftButton, 300, 290, 25},          {kLeftButton, 300, 310, 5},
        {kLeftButton, 300, 100, 100},         {kLeftButton, 300, 350, 1},
        {kLeftButton, 10.5f, 10.25f, 15.25f}, {0, 100, 80, 15},
        {kRightButton, 100, 80, 15},          {kLeftButton | kRightButton, 100, 80, 15},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.buttons << " " << r.from << " -> " << r.to);
        gb::TickerGestures g;
        g.MouseDown(kLeftButton, r.from);
        EXPECT_EQ(g.MouseMove(r.buttons, r.to, 15), r.speed);
    }
    // Each move counts from the last one: a clamp is not remembered as a debt.
    gb::TickerGestures g;
    g.MouseDown(kLeftButton, 200);
    EXPECT_EQ(g.MouseMove(kLeftButton, 130, g.MouseMove(kLeftButton, 100, 15)), 70);
}

TEST(TickerLeadIn, FillsTheTickerButTheProductName) {
    const struct {
        float scaleWidth, nameWidth, blankWidth;
        std::size_t blanks;
    } rows[] = {
        {359, 82.5f, 4, 69}, // floor(276.5) / 4
        {359, 85, 4, 68},    // 68.5, half to even
        {359, 81, 4, 70},    // 69.5, half to even
        {359, 83, 0, 0},     // a font without a blank width must not divide by zero
        {50, 83, 4, 0},      // a ticker narrower than the name
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.nameWidth << " " << r.blankWidth);
        EXPECT_EQ(gb::TickerLeadIn(r.scaleWidth, r.nameWidth, r.blankWidth),
                  std::u16string(r.blanks, u' '));
    }
}

} // namespace
