#include "options/OptionsTicker.h"
#include "options/TickerStrip.h"

#include <gtest/gtest.h>

#include "fakes/FakeStripHost.h"
#include "strip/clsEmo.h"
#include "strip/colMsg.h"

namespace {

constexpr float W = 359;
constexpr gb::ProgramVersion kVersion{1, 1, 5};

// The lead-in shows the name at the right end of the first frame; each item keeps its own gap
// with emoticons and without (the full width W after the last one keeps passes apart) and is
// styled in a font of its own; the next pass joins when one item is left, in the same tick.
TEST(TickerStrip, SetUpShowsTheNameAtTheRightEndAndTheNextPassJoinsWhenOneItemIsLeft) {
    // Each item's gap, and the cell of each emoticon (-1: a text).
    const std::pair<std::vector<float>, std::vector<int>> rows[] = {
        {{10, 10, W, W, 0, 10, 25, 0, 10, 25, 10, 25, 10, W, W}, {}},
        {{10, 10, W, W, 0, 10, 25, 25, 0, 10, 10, 25, 10, 25, 25, 10, W, 10, 10, W},
         {-1, -1, -1, -1, -1, -1, -1, 0, -1, -1, -1, 19, -1, -1, 19, -1, -1, 13, -1, 13}},
    };
    for (const auto& [gaps, cells] : rows) {
        fakes::FakeStripHost host;
        host.record.ShowEmo = !cells.empty();
        SCOPED_TRACE(host.record.ShowEmo);
        fakes::FakeSurfaceFactory surfaces;
        gb::colMsg strip(host, surfaces);
        gb::SetUpTicker(strip, host, W, kVersion);
        std::vector<float> gapsSeen;
        std::vector<int> cellsSeen;
        for (const gb::clsItem& item : strip) {
            gapsSeen.push_back(item.WhiteSpace());
            const auto* emo = item.As<gb::clsEmo>();
            if (!cells.empty()) cellsSeen.push_back(emo ? emo->PicNumber() : -1);
        }
        EXPECT_EQ(gapsSeen, gaps);
        EXPECT_EQ(cellsSeen, cells);
        // 12-point Arial in the fake measures 6 pixels a character: floor(359 - 66) / 6 = 48.8.
        EXPECT_EQ(strip.Item(1)->As<gb::clsString>()->Text(), std::u16string(49, u' '));
        const auto* title = strip.Item(2)->As<gb::clsString>();
        EXPECT_EQ(std::make_tuple(title->Text(), title->TextColor(), title->TextFont()->Bold()),
                  std::make_tuple(u"Glidebanner 1.1.5", gb::kTitleColor, true));
        EXPECT_TRUE(strip.Item(6)->As<gb::clsString>()->TextFont()->Italic());
        EXPECT_FALSE(strip.Item(5)->As<gb::clsString>()->TextFont()->Bold());
        EXPECT_EQ(strip.ScrollSpeed(), 15);
        fakes::FakeDisplay display{W, 33};
        strip.SetScrollSpeed(100);
        for (int ticks = 0; strip.Count() > 1 && ticks < 10000; ++ticks)
            strip.MoveOn(display);
        const float before = strip.StripLeft();
        gb::TickTicker(strip, display, host.record.ShowEmo, W, kVersion);
        EXPECT_EQ(strip.Count(), gaps.size());      // the last item and a pass without the lead-in
        EXPECT_EQ(strip.StripLeft(), before - 100); // it kept moving in the same tick
    }
    EXPECT_EQ(gb::TickerLeadIn(W, 83, 0), u""); // a font without a blank width divides nothing
}

// Only a left drag changes the speed: left by 10, 10 faster, within 1 to 100, each move counted
// from the last one (a clamp is no debt).
TEST(TickerGestures, OnlyALeftDragChangesSpeedWithinOneToHundred) {
    const int left = gb::kLeftButton, right = gb::kRightButton;
    const std::tuple<int, float, float> moves[] = {{left, 290, 25},     {left, 90, 100},
                                                   {left, 300, 1},      {left, 289.5f, 11.5f},
                                                   {right, 200, 11.5f}, {left | right, 100, 11.5f}};
    gb::TickerGestures gestures;
    gestures.MouseDown(left, 300);
    float speed = 15;
    for (const auto& [buttons, x, expected] : moves)
        EXPECT_EQ(speed = gestures.MouseMove(buttons, x, speed), expected) << x;
}

} // namespace
