#include "bar/BarLife.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../fakes/FakeStripHost.h"
#include "../fakes/FakeSurface.h"
#include "strip/colMsg.h"

namespace {

using namespace frmScrollRules;

TEST(BarLoad, StoredSpeedKeepsTheDragRange) {
    const float rows[][2] = {{37.5f, 37.5f}, {0, 1},           {-20, 1},
                             {250, 100},     {HUGE_VALF, 100}, {std::nanf(""), 10}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(StoredSpeed(row[0]), row[1]);
    }
}

TEST(BarBanner, NameAloneIsBoldAndANegativeCountGivesNoBlanks) {
    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    gb::colMsg strip(host, surfaces);
    AddStartupBanner(strip, -4, true, 8);
    ASSERT_EQ(strip.Count(), 5u); // blanks, emoticon, name, byline, emoticon
    EXPECT_EQ(strip.Item(1)->As<gb::clsString>()->Text(), u"");
    EXPECT_EQ(strip.Item(2)->As<gb::clsEmo>()->PicNumber(), 8);
    // Each item has a font of its own: making the name bold must not reach the byline.
    EXPECT_TRUE(strip.Item(3)->As<gb::clsString>()->TextFont()->Bold());
    EXPECT_FALSE(strip.Item(4)->As<gb::clsString>()->TextFont()->Bold());
    EXPECT_EQ(strip.Item(5)->As<gb::clsEmo>()->PicNumber(), 7); // 8 gives 7 after the name
}

} // namespace
