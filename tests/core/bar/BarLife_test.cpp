#include "bar/BarLife.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "../fakes/FakeStripHost.h"
#include "../fakes/FakeSurface.h"
#include "strip/colMsg.h"

namespace {

using namespace frmScrollRules;

// The program's windows as the welcome check sees them: records the boxes and the dialog.
class FakeWelcomeUi final : public modMain::IWelcomeUi {
  public:
    std::vector<int> answers;     // given to the boxes in turn
    bool closeAtFirstBox = false; // the user chooses Exit while the first box is up
    std::vector<std::u16string> shown;
    int optionsShown = 0;
    bool barOpen = true;

    int ShowBox(const modMain::MessageBoxText& box) override {
        shown.push_back(box.text);
        if (closeAtFirstBox) barOpen = false;
        const std::size_t i = shown.size() - 1;
        return i < answers.size() ? answers[i] : 0;
    }
    void ShowOptionsWithoutOwner() override { ++optionsShown; }
    bool BarOpen() override { return barOpen; }
};

TEST(Welcome, BoxesFollowTheStoredVersionAndTheAnswer) {
    constexpr int yes = 6, no = 7;
    const std::u16string question = modMain::kWelcomeQuestion.text;
    const std::u16string later = modMain::kWelcomeLater.text;
    const struct {
        const char* what;
        std::u16string stored;
        std::vector<int> answers;
        bool closeAtFirstBox;
        std::vector<std::u16string> boxes;
        int options;
    } rows[] = {
        {"first start, Yes", u"0.0", {yes}, false, {question}, 1},
        {"first start, No", u"0.0", {no}, false, {question, later}, 0},
        {"upgrade from 1.0", u"1.0", {no}, false, {question, later}, 0},
        {"upgrade from 0.9", u"0.9", {yes}, false, {question}, 1},
        {"no dot counts as 0.0", u"1", {no}, false, {question, later}, 0},
        {"same version", u"1.1", {}, false, {}, 0},
        {"newer minor", u"1.2", {}, false, {}, 0},
        {"newer major", u"2.0", {}, false, {}, 0},
        {"Exit while the box is up: Yes opens nothing", u"0.0", {yes}, true, {question}, 0},
        {"Exit while the box is up: No shows no second box", u"0.0", {no}, true, {question}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        FakeWelcomeUi ui;
        ui.answers = row.answers;
        ui.closeAtFirstBox = row.closeAtFirstBox;
        modMain::CheckNewVersion(row.stored, ui);
        EXPECT_EQ(ui.shown, row.boxes);
        EXPECT_EQ(ui.optionsShown, row.options);
    }
}

TEST(MessengerRetry, SaysNotFoundOnceAndRetriesUntilAttached) {
    const struct {
        const char* what;
        std::vector<bool> attempts;
        std::vector<bool> timer, notFound;
    } rows[] = {
        {"attached at load", {true}, {false}, {false}},
        {"found at the third try", {false, false, true}, {true, true, false}, {true, false, false}},
        {"never found", {false, false, false}, {true, true, true}, {true, false, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        MessengerRetry retry;
        for (std::size_t i = 0; i < row.attempts.size(); ++i) {
            const auto outcome = retry.AfterAttempt(row.attempts[i]);
            EXPECT_EQ(outcome.retryTimer, row.timer[i]) << "attempt " << i;
            EXPECT_EQ(outcome.showNotFound, row.notFound[i]) << "attempt " << i;
        }
    }
}

TEST(BarUnload, StoresTheSlideTargetWhileSlidingIn) {
    const Geometry onTheWay{7500, 0, 15360, 345};
    EXPECT_EQ(GeometryToStore(onTheWay, true, 0), (Geometry{0, 0, 15360, 345}));
    EXPECT_EQ(GeometryToStore(onTheWay, false, 0), onTheWay);
}

TEST(BarLoad, StoredSpeedKeepsTheDragRange) {
    const struct {
        float stored, taken;
    } rows[] = {
        {10, 10},
        {1, 1},
        {100, 100},
        {37.5f, 37.5f},
        {0, 1},
        {-20, 1},
        {250, 100},
        {std::numeric_limits<float>::infinity(), 100},
        {std::numeric_limits<float>::quiet_NaN(), 10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        EXPECT_EQ(StoredSpeed(row.stored), row.taken);
    }
}

TEST(BarShutdown, SavesOnce) {
    Once once;
    EXPECT_TRUE(once());
    EXPECT_FALSE(once());
    EXPECT_FALSE(once());
    EXPECT_TRUE(once.Done());
}

// The banner's items as "kind:text:bold:colour" or "emo:cell".
std::vector<std::string> Describe(const gb::colMsg& strip) {
    std::vector<std::string> out;
    for (const gb::clsItem& item : strip) {
        if (const auto* s = item.As<gb::clsString>()) {
            std::string text(s->Text().begin(), s->Text().end());
            if (text.find_first_not_of(' ') == std::string::npos)
                text = std::to_string(text.size()) + " blanks";
            char colour[16];
            std::snprintf(colour, sizeof colour, "%06X", s->TextColor());
            out.push_back("text:" + text + (s->TextFont()->Bold() ? ":bold:" : ":regular:") +
                          colour);
        } else if (const auto* e = item.As<gb::clsEmo>()) {
            out.push_back("emo:" + std::to_string(e->PicNumber()));
        } else {
            out.push_back("other");
        }
    }
    return out;
}

TEST(BarBanner, ItemsInOrderWithAndWithoutEmoticons) {
    const std::string byline(std::begin(kByline), std::end(kByline) - 1);
    const struct {
        const char* what;
        int blanks;
        bool showEmo;
        int k;
        std::vector<std::string> items;
    } rows[] = {
        {"emoticons around the name",
         3,
         true,
         5,
         {"text:3 blanks:regular:000000", "emo:5", "text:Glidebanner:bold:3264FF",
          "text:" + byline + ":regular:3264FF", "emo:5"}},
        {"8 gives 7 after the name",
         0,
         true,
         8,
         {"text:0 blanks:regular:000000", "emo:8", "text:Glidebanner:bold:3264FF",
          "text:" + byline + ":regular:3264FF", "emo:7"}},
        {"no emoticons",
         2,
         false,
         5,
         {"text:2 blanks:regular:000000", "text:Glidebanner:bold:3264FF",
          "text:" + byline + ":regular:3264FF"}},
        {"a negative count gives no blanks",
         -4,
         false,
         5,
         {"text:0 blanks:regular:000000", "text:Glidebanner:bold:3264FF",
          "text:" + byline + ":regular:3264FF"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fakes::FakeStripHost host;
        fakes::FakeSurfaceFactory surfaces;
        gb::colMsg strip(host, surfaces);
        AddStartupBanner(strip, row.blanks, row.showEmo, row.k);
        EXPECT_EQ(Describe(strip), row.items);
    }
}

TEST(BarBanner, NameIsBoldWithoutMakingTheBylineBold) {
    // Each item has a font of its own: making the name bold must not reach its neighbours.
    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    gb::colMsg strip(host, surfaces);
    AddStartupBanner(strip, 1, false, 0);
    ASSERT_EQ(strip.Count(), 3u);
    EXPECT_NE(strip.Item(2)->As<gb::clsString>()->TextFont(),
              strip.Item(3)->As<gb::clsString>()->TextFont());
}

} // namespace
