#include "options/TickerStrip.h"

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

TEST_F(TickerStrip, SetUpShowsTheNameAtTheRightEndInTheFirstFrameAndStylesEachItem) {
    modSettings::Settings().ShowEmo = true;
    gb::SetUpTicker(strip, host, W, kVersion);
    EXPECT_EQ(strip.ScrollSpeed(), 15);
    ASSERT_EQ(strip.Count(), 20u); // the lead-in and one pass
    // 12-point Arial in the fake measures 6 pixels a character: floor(359 - 66) / 6 = 48.8,
    // and the title enters at 49 * 6 + 10 (the lead-in's default gap).
    EXPECT_EQ(strip.Item(1)->As<gb::clsString>()->Text(), std::u16string(49, u' '));
    EXPECT_EQ(strip.Item(1)->Width(), 304);
    // Each item is styled in a font of its own: styling one leaves the others plain.
    EXPECT_EQ(strip.Item(2)->As<gb::clsString>()->TextColor(), 0x3264FFu);
    EXPECT_TRUE(strip.Item(6)->As<gb::clsString>()->TextFont()->Italic());
    EXPECT_FALSE(strip.Item(5)->As<gb::clsString>()->TextFont()->Bold());
    EXPECT_EQ(strip.Item(20)->WhiteSpace(), W);
}

TEST_F(TickerStrip, NextPassJoinsInTheTickTheLastItemIsAlone) {
    modSettings::Settings().ShowEmo = false;
    fakes::FakeDisplay display{W, 33};
    gb::AddAboutLines(strip, W, kVersion);
    strip.SetScrollSpeed(100);
    // Scroll until only the greeting (with its full-width tail) is left.
    for (int ticks = 0; strip.Count() > 1 && ticks < 10000; ++ticks)
        strip.MoveOn(display);
    ASSERT_EQ(strip.Count(), 1u);
    const float before = strip.StripLeft();
    gb::TickTicker(strip, display, W, kVersion);
    EXPECT_EQ(strip.Count(), 15u);
    EXPECT_EQ(strip.StripLeft(), before - 100); // it kept moving in the same tick
}

} // namespace
