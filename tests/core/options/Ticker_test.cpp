#include "options/TickerStrip.h"

#include "options/OptionsTicker.h"

#include <gtest/gtest.h>

#include "app/modSettings.h"
#include "fakes/FakeStripHost.h"
#include "fakes/FakeSurface.h"
#include "strip/colMsg.h"

namespace {

constexpr float W = 359;
constexpr gb::ProgramVersion kVersion{1, 1, 5};

class TickerStrip : public ::testing::Test {
  protected:
    ~TickerStrip() override { modSettings::Settings() = saved_; }
    modSettings::SettingsRecord saved_ = modSettings::Settings();
    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    gb::colMsg strip{host, surfaces};
};

TEST_F(TickerStrip, SetUpShowsTheNameAtTheRightEndAndTheNextPassJoinsWhenOneItemIsLeft) {
    modSettings::Settings().ShowEmo = false;
    gb::SetUpTicker(strip, host, W, kVersion);
    EXPECT_EQ(strip.ScrollSpeed(), 15);
    ASSERT_EQ(strip.Count(), 15u); // the lead-in and one pass
    // 12-point Arial in the fake measures 6 pixels a character: floor(359 - 66) / 6 = 48.8,
    // and the title enters at 49 * 6 + 10 (the lead-in's default gap): in the first frame.
    EXPECT_EQ(strip.Item(1)->As<gb::clsString>()->Text(), std::u16string(49, u' '));
    EXPECT_EQ(strip.Item(1)->Width(), 304);
    // Each item is styled in a font of its own: styling one leaves the others plain.
    EXPECT_EQ(strip.Item(2)->As<gb::clsString>()->TextColor(), 0x3264FFu);
    EXPECT_TRUE(strip.Item(6)->As<gb::clsString>()->TextFont()->Italic());
    EXPECT_FALSE(strip.Item(5)->As<gb::clsString>()->TextFont()->Bold());
    EXPECT_EQ(strip.Item(15)->WhiteSpace(), W);
    fakes::FakeDisplay display{W, 33};
    strip.SetScrollSpeed(100);
    // Scroll until only the greeting (with its full-width tail) is left.
    for (int ticks = 0; strip.Count() > 1 && ticks < 10000; ++ticks)
        strip.MoveOn(display);
    ASSERT_EQ(strip.Count(), 1u);
    const float before = strip.StripLeft();
    gb::TickTicker(strip, display, W, kVersion);
    EXPECT_EQ(strip.Count(), 15u);              // a pass without the lead-in
    EXPECT_EQ(strip.StripLeft(), before - 100); // it kept moving in the same tick
}

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
