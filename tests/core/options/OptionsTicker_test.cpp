#include "options/OptionsTicker.h"

#include <gtest/gtest.h>

namespace {

using gb::kLeftButton;
using gb::kRightButton;
using gb::TickerGestures;

TEST(TickerGestures, DragChangesSpeedWithinOneToHundred) {
    const struct {
        const char* what;
        float from, to;
        float speed;
    } rows[] = {
        {"left by 10", 300, 290, 25},
        {"right by 10", 300, 310, 5},
        {"left by 200 stops at 100", 300, 100, 100},
        {"right by 50 stops at 1", 300, 350, 1},
        {"right by 14 reaches 1 exactly", 300, 314, 1},
        {"left by 85 reaches 100 exactly", 300, 215, 100},
        {"no move", 300, 300, 15},
        {"fractions", 10.5f, 10.25f, 15.25f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        TickerGestures g;
        g.MouseDown(kLeftButton, r.from);
        EXPECT_EQ(g.MouseMove(kLeftButton, r.to, 15), r.speed);
        EXPECT_EQ(g.LastX(), r.to);
    }
}

TEST(TickerGestures, DragIsMeasuredFromTheLastMove) {
    TickerGestures g;
    g.MouseDown(kLeftButton, 200);
    float speed = 15;
    // Left 100 (clamped at 100), then right 30: the clamp is not remembered as a debt.
    speed = g.MouseMove(kLeftButton, 100, speed);
    speed = g.MouseMove(kLeftButton, 130, speed);
    EXPECT_EQ(speed, 70);
}

TEST(TickerGestures, OnlyTheLeftButtonAloneDrags) {
    const struct {
        int buttons;
        float speed;
    } rows[] = {
        {0, 15}, {kRightButton, 15}, {kLeftButton | kRightButton, 15}, {4, 15}, {kLeftButton, 35}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.buttons);
        TickerGestures g;
        g.MouseDown(kLeftButton, 100);
        EXPECT_EQ(g.MouseMove(r.buttons, 80, 15), r.speed);
    }
}

TEST(TickerGestures, RightButtonPausesUntilReleased) {
    TickerGestures g;
    g.MouseDown(kLeftButton, 5);
    EXPECT_FALSE(g.Paused());
    g.MouseDown(kRightButton, 50);
    EXPECT_TRUE(g.Paused());
    EXPECT_EQ(g.LastX(), 5); // the right button does not move the drag's origin
    g.MouseUp(kLeftButton);
    EXPECT_TRUE(g.Paused());
    g.MouseUp(kRightButton);
    EXPECT_FALSE(g.Paused());
}

TEST(TickerLeadIn, FillsTheTickerButTheProductName) {
    const struct {
        float scaleWidth, nameWidth, blankWidth;
        std::size_t blanks;
    } rows[] = {
        {359, 83, 4, 69},    // 276 / 4
        {359, 82.5f, 4, 69}, // floor(276.5) = 276
        {359, 85, 4, 68},    // 274 / 4 = 68.5, half to even
        {359, 81, 4, 70},    // 278 / 4 = 69.5, half to even
        {359, 83, 5, 55},    // 55.2
        {359, 83, 0, 0},     // a font without a blank width must not divide by zero
        {50, 83, 4, 0},      // a ticker narrower than the name
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.nameWidth << " " << r.blankWidth);
        const auto leadIn = gb::TickerLeadIn(r.scaleWidth, r.nameWidth, r.blankWidth);
        EXPECT_EQ(leadIn.size(), r.blanks);
        EXPECT_EQ(leadIn.find_first_not_of(u' '), std::u16string::npos);
    }
}

TEST(TickerNeedsPass, WhenDownToTheLastItem) {
    EXPECT_TRUE(gb::TickerNeedsPass(0));
    EXPECT_TRUE(gb::TickerNeedsPass(1));
    EXPECT_FALSE(gb::TickerNeedsPass(2));
}

} // namespace
