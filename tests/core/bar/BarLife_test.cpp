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

// Answers the welcome boxes in turn; can close the bar while the first box is up.
struct FakeWelcomeUi final : modMain::IWelcomeUi {
    std::vector<int> answers;
    bool closeAtFirstBox = false, barOpen = true;
    std::vector<std::u16string> shown;
    int optionsShown = 0;
    int ShowBox(const modMain::MessageBoxText& box) override {
        shown.push_back(box.text);
        if (closeAtFirstBox) barOpen = false;
        return shown.size() <= answers.size() ? answers[shown.size() - 1] : 0;
    }
    void ShowOptionsWithoutOwner() override { ++optionsShown; }
    bool BarOpen() override { return barOpen; }
};

TEST(Welcome, BoxesFollowTheStoredVersionAndTheAnswer) {
    constexpr int yes = 6, no = 7;
    const std::u16string q = modMain::kWelcomeQuestion.text, later = modMain::kWelcomeLater.text;
    const struct {
        std::u16string stored;
        int answer;
        bool closeAtFirstBox;
        std::vector<std::u16string> boxes;
        int options;
    } rows[] = {
        {u"0.0", yes, false, {q}, 1},       {u"0.0", no, false, {q, later}, 0},
        {u"1.0", no, false, {q, later}, 0}, {u"1", no, false, {q, later}, 0}, // no dot: 0.0
        {u"1.1", yes, false, {}, 0},        {u"2.0", yes, false, {}, 0},
        {u"0.0", yes, true, {q}, 0},        {u"0.0", no, true, {q}, 0}, // Exit while it is up
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        FakeWelcomeUi ui;
        ui.answers = {row.answer};
        ui.closeAtFirstBox = row.closeAtFirstBox;
        modMain::CheckNewVersion(row.stored, ui);
        EXPECT_EQ(ui.shown, row.boxes);
        EXPECT_EQ(ui.optionsShown, row.options);
    }
}

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
