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
    TickerStrip() : saved_(modSettings::Settings()) { modSettings::Settings().ShowEmo = true; }
    ~TickerStrip() override { modSettings::Settings() = saved_; }

    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    fakes::FakeDisplay display{W, 33};

  private:
    modSettings::SettingsRecord saved_;
};

TEST_F(TickerStrip, SetUpPutsTheProductNameAtTheRightEnd) {
    gb::colMsg strip(host, surfaces);
    gb::SetUpTicker(strip, host, W, kVersion);
    EXPECT_EQ(strip.ScrollSpeed(), 15);
    ASSERT_EQ(strip.Count(), 20u); // the lead-in and one pass
    const auto* leadIn = strip.Item(1)->As<gb::clsString>();
    ASSERT_NE(leadIn, nullptr);
    // 12-point Arial in the fake measures 6 pixels a character: floor(359 - 66) / 6 = 48.8.
    EXPECT_EQ(leadIn->Text(), std::u16string(49, u' '));
    // The title starts where the lead-in and its default gap end: inside the ticker, with
    // the product name's width before the right edge.
    const float titleLeft = leadIn->Width();
    EXPECT_LE(titleLeft + 66, W + 10);
    EXPECT_GT(titleLeft + 66, W - 10);
}

TEST_F(TickerStrip, ItemsCarryTheirStyles) {
    const struct {
        bool emo;
        std::size_t count;
        gb::ItemKind lastKind;
    } rows[] = {{true, 19, gb::ItemKind::Emo}, {false, 14, gb::ItemKind::String}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.emo);
        modSettings::Settings().ShowEmo = r.emo;
        gb::colMsg strip(host, surfaces);
        gb::AddAboutLines(strip, W, kVersion);
        ASSERT_EQ(strip.Count(), r.count);
        const auto* title = strip.Item(1)->As<gb::clsString>();
        ASSERT_NE(title, nullptr);
        EXPECT_TRUE(title->TextFont()->Bold());
        EXPECT_FALSE(title->TextFont()->Italic());
        EXPECT_EQ(title->TextColor(), 0x3264FFu);
        EXPECT_EQ(title->WhiteSpace(), gb::kDefaultWhiteSpace);
        const auto* name = strip.Item(5)->As<gb::clsString>();
        ASSERT_NE(name, nullptr);
        EXPECT_TRUE(name->TextFont()->Bold());
        EXPECT_TRUE(name->TextFont()->Italic());
        // Each item has a font of its own: styling one leaves the others plain.
        EXPECT_FALSE(strip.Item(4)->As<gb::clsString>()->TextFont()->Bold());
        EXPECT_EQ(strip.Item(4)->WhiteSpace(), 0);
        const auto* last = strip.Item(r.count);
        EXPECT_EQ(last->Kind(), r.lastKind);
        EXPECT_EQ(last->WhiteSpace(), W);
        for (const auto& item : strip) {
            if (const auto* emo = item.As<gb::clsEmo>()) {
                EXPECT_EQ(emo->hWnd(), 0);
            }
        }
    }
}

TEST_F(TickerStrip, NextPassJoinsInTheTickTheLastItemIsAlone) {
    modSettings::Settings().ShowEmo = false;
    gb::colMsg strip(host, surfaces);
    gb::AddAboutLines(strip, W, kVersion);
    strip.SetScrollSpeed(100);
    std::size_t ticks = 0;
    // Scroll until only the greeting (with its full-width tail) is left.
    while (strip.Count() > 1 && ticks < 10000) {
        strip.MoveOn(display);
        ++ticks;
    }
    ASSERT_EQ(strip.Count(), 1u);
    const float before = strip.StripLeft();
    gb::TickTicker(strip, display, W, kVersion);
    EXPECT_EQ(strip.Count(), 15u);
    EXPECT_EQ(strip.StripLeft(), before - 100); // it kept moving in the same tick
    // Another tick with many items left adds nothing.
    gb::TickTicker(strip, display, W, kVersion);
    EXPECT_LE(strip.Count(), 15u);
}

TEST_F(TickerStrip, EmptyStripGetsAPass) {
    gb::colMsg strip(host, surfaces);
    gb::TickTicker(strip, display, W, kVersion);
    EXPECT_EQ(strip.Count(), 19u);
}

} // namespace
