#include "options/OptionsController.h"

#include <gtest/gtest.h>

#include "../fakes/FakeOptionsWindow.h"
#include "../fakes/FakeStripHost.h"
#include "../fakes/MemorySettingsStore.h"
#include "app/modSettings.h"

namespace {

using Log = fakes::FakeOptionsWindow::Log;
// In from the right edge 200 twips a step to (15360 - 5490) / 2, then exactly there; out
// from there until the right edge has left the screen.
constexpr std::size_t kSlideIn = 54, kSlideOut = 53;
const Log kLoad = {
    "create owned 15360 495", "controls", "page 0 at 8", "arrows >", "timer on", "show"};

struct Dialog {
    Log log;
    fakes::FakeOptionsWindow window{log};
    fakes::FakeStripHost strip;
    fakes::FakeSurfaceFactory surfaces;
    gb::OptionsController options{window, window, {strip, surfaces, {1, 1, 5}}};

    Dialog() {
        MemorySettingsStore defaults;
        modSettings::LoadSettings(defaults, {15360, u"."});
    }
    // Shows, turns to a page, and forgets what that did.
    void Open(int page = 0) {
        options.Show(true);
        for (int i = 0; i < page; ++i)
            options.TurnPage(true);
        log.clear(), window.steps.clear(), window.pageSteps = 0;
    }
    // Runs action once, at the count-th run of the pending messages.
    template <class Action> void During(int count, Action action) {
        window.pending = [count, action, n = 0]() mutable {
            if (++n == count) action();
            return true;
        };
    }
};

TEST(OptionsController, ShowsBelowTheBarSlidesInAndThenOnlyComesToTheFront) {
    Dialog d;
    d.window.barTop = 1500, d.window.barHeight = 345;
    d.options.Show(false);
    Log load = kLoad;
    load[0] = "create 15360 1845";
    load.push_back("front");
    EXPECT_EQ(d.log, load);
    EXPECT_EQ(d.window.steps.size(), kSlideIn);
    EXPECT_EQ(d.window.steps.back(), 4935);
    d.log.clear();
    d.options.Show(true);
    d.options.BannerClick();
    d.options.SaysChosen(2); // the list's entry, not the box's text, which follows later
    EXPECT_EQ(d.log, (Log{"front", "open https://glidebanner.github.io/", "sample email said:"}));
}

// A whole page turn: the arrows off, the arriving page shown at its start, the other one
// hidden at the end, the arrows for the page reached and on again.
Log Turned(int to, int from, const char* start, const char* arrows) {
    return {"arrows off", "page " + std::to_string(to) + " at " + start,
            "page " + std::to_string(from) + " hidden", arrows, "arrows on"};
}

TEST(OptionsController, PagesTurnOnlyPastTheTextsCheckAndLandExactly) {
    enum Click { Next, Prev, Okay };
    const Log refused = {"error", "focus"};
    const struct {
        int from;
        Click click;
        std::u16string placeHolder, unread;
        Log log;
        int page;
    } rows[] = {
        {0, Next, u"#", u"# #", Turned(1, 0, "359", "arrows < >"), 1}, // only the Texts page
        {2, Next, u"#", u"# #", Turned(3, 2, "359", "arrows <"), 3},
        {1, Prev, u"#", u"#", Turned(0, 1, "-345", "arrows >"), 0},
        {3, Prev, u"#", u"# #", refused, 3},
        {3, Okay, u"##", u"###", refused, 3}, // overlapping occurrences count
        // The markers of the message come from its pattern only, never from the texts.
        {3, Okay, u"|2", u"|2 \u8AAA |2", refused, 3},
        {3, Prev, u"", u"# #", Turned(2, 3, "-345", "arrows < >"), 2},
        {3, Next, u"#", u"#", {}, 3}, // there is no page after the last
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.from << " " << r.click << " " << r.unread.size());
        Dialog d;
        d.Open(r.from);
        d.window.controls.txtPlaceHolder = r.placeHolder;
        d.window.controls.txtUnreadMail = r.unread;
        r.click == Okay ? d.options.Okay() : d.options.TurnPage(r.click == Next);
        EXPECT_EQ(d.log, r.log);
        if (r.log == refused) {
            EXPECT_EQ(d.window.error, u"There may only be one '" + r.placeHolder +
                                          u"' character in \r\n'" + r.unread + u"'!");
        }
        // 71 steps of both pages, then the arriving one snaps to the left edge it replaces.
        EXPECT_EQ(d.window.pageSteps, r.log.size() > 2 ? 1 + 2 * 71 + 2 : 0);
        EXPECT_EQ(d.window.pageLeft[static_cast<unsigned>(r.page)], 8);
        EXPECT_TRUE(d.options.IsOpen());
    }
}

TEST(OptionsController, OnlyOkayAppliesAndACloseUnderASlideOrTurnWaitsThenTouchesNothing) {
    enum When { Idle, SlidingIn, Turning };
    enum How { Okay, Close, Shutdown };
    for (const When when : {Idle, SlidingIn, Turning})
        for (const How how : {Okay, Close, Shutdown}) {
            SCOPED_TRACE(testing::Message() << how << " when " << when);
            Dialog d;
            if (when != SlidingIn) d.Open(when == Idle ? 3 : 0);
            const auto close = [&] {
                d.window.controls.chkShowEmo = false;
                how == Okay    ? d.options.Okay()
                : how == Close ? d.options.Close()
                               : d.options.Shutdown();
            };
            when == Idle ? close() : d.During(3, close);
            if (when == Turning) d.options.TurnPage(true);
            if (when == SlidingIn) d.options.Show(true);
            Log expected = when == Turning     ? Log{"arrows off", "page 1 at 359"}
                           : when == SlidingIn ? kLoad
                                               : Log{};
            expected.push_back("destroy");
            // Three steps in from 15360, then out from 14760: 102 steps.
            EXPECT_EQ(d.window.steps.size(), when == SlidingIn ? 3 + 102 : kSlideOut);
            EXPECT_EQ(modSettings::Settings().ShowEmo, how != Okay);
            d.options.Okay(), d.options.TurnPage(false), d.options.DisplayTick();
            d.options.TickerMouseDown(gb::kRightButton, 5);
            EXPECT_EQ(d.log, expected) << "nothing of a closed dialog answers";
        }
}

TEST(OptionsController, AShowWhileClosingShowsANewDialogOnceItHasGoneUnlessTheProgramEnds) {
    for (const bool shutdown : {false, true}) {
        SCOPED_TRACE(shutdown);
        Dialog d;
        d.Open(2);
        d.During(2, [&] {
            modSettings::Settings().Says = u"told:";
            d.options.Show(false);
        });
        shutdown ? d.options.Shutdown() : d.options.Close();
        Log expected{"destroy"};
        if (!shutdown) {
            expected.insert(expected.end(), kLoad.begin(), kLoad.end());
            expected[1] = "create 15360 495";
            expected.push_back("front");
        }
        EXPECT_EQ(d.log, expected);
        // Built afresh from the settings.
        EXPECT_EQ(d.window.controls.lblBuddyName, shutdown ? u"email says: " : u"email told:");
    }
}

TEST(OptionsController, TheRightButtonHoldsTheTickerUntilItsReleaseOrTheLossOfTheMouse) {
    // L, R: a button pressed; l, r: released; x: the mouse taken by another window.
    const std::pair<const char*, Log> rows[] = {
        {"Rr", {"capture", "timer off", "timer on"}},
        {"Rx", {"capture", "timer off", "timer on"}},
        {"RLlr", {"capture", "timer off", "capture", "timer on"}},
        {"Lxl", {"capture"}},
    };
    for (const auto& [events, log] : rows) {
        SCOPED_TRACE(events);
        Dialog d;
        d.Open();
        for (const char* e = events; *e; ++e) {
            const int button = *e == 'L' || *e == 'l' ? gb::kLeftButton : gb::kRightButton;
            if (*e == 'L' || *e == 'R') d.options.TickerMouseDown(button, 10);
            if (*e == 'l' || *e == 'r') d.options.TickerMouseUp(button);
            if (*e == 'x') d.options.TickerCaptureLost();
        }
        EXPECT_EQ(d.log, log);
    }
}

} // namespace
