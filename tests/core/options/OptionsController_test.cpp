#include "options/OptionsController.h"

#include <gtest/gtest.h>

#include "../fakes/FakeOptionsWindow.h"
#include "../fakes/FakeStripHost.h"

namespace {

using Log = fakes::FakeOptionsWindow::Log;
// In from the right edge 200 twips a step to (15360 - 5490) / 2, then exactly there; out
// from there until the right edge has left the screen.
constexpr std::size_t kSlideIn = 54, kSlideOut = 53;
const Log kLoad = {
    "create owned 1024 33", "controls", "page 0 at 8", "arrows >", "timer on", "show"};

struct Dialog {
    Log log;
    fakes::FakeOptionsWindow window{log};
    fakes::FakeStripHost strip;
    fakes::FakeSurfaceFactory surfaces;
    // A first run's, which the bar's strip (the ticker's here) reads too.
    modSettings::SettingsRecord& settings = strip.record;
    gb::OptionsController options{window, window, {strip, surfaces, {1, 1, 5}, settings}};

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

TEST(OptionsController, PagesTurnOnlyPastTheTextsCheckAndLandExactly) {
    enum Click { Next, Prev, Okay };
    // A whole turn: the arrows off, the arriving page shown at its start, the other one hidden
    // at the end (the keyboard focus leaving it for the page shown), the arrows for the page
    // reached and on again.
    const auto turned = [](int to, int from, const char* start, const char* arrows,
                           bool focused = false) {
        Log log{"arrows off", "page " + std::to_string(to) + " at " + start,
                "page " + std::to_string(from) + " hidden", arrows, "arrows on"};
        if (focused) log.insert(log.begin() + 3, "focus page " + std::to_string(to));
        return log;
    };
    const Log refused = {"error", "focus"};
    const std::tuple<int, Click, std::u16string, std::u16string, Log, int> rows[] = {
        {2, Next, u"#", u"# #", turned(3, 2, "359", "arrows <", true), 3}, // only the Texts page
        {1, Prev, u"#", u"#", turned(0, 1, "-345", "arrows >"), 0},
        {3, Prev, u"#", u"# #", refused, 3},
        {3, Okay, u"##", u"###", refused, 3}, // overlapping occurrences count
        // The markers of the message come from its pattern only, never from the texts.
        {3, Okay, u"|2", u"|2 \u8AAA |2", refused, 3},
        {3, Prev, u"", u"# #", turned(2, 3, "-345", "arrows < >", true), 2},
        {3, Next, u"#", u"#", {}, 3}, // there is no page after the last
    };
    for (const auto& [from, click, placeHolder, unread, log, page] : rows) {
        SCOPED_TRACE(testing::Message() << from << " " << click << " " << unread.size());
        Dialog d;
        d.Open(from);
        d.window.focusPage = from > 1 ? from : -1;
        d.window.controls.txtPlaceHolder = placeHolder;
        d.window.controls.txtUnreadMail = unread;
        click == Okay ? d.options.Okay() : d.options.TurnPage(click == Next);
        EXPECT_EQ(d.log, log);
        if (log == refused) {
            EXPECT_EQ(d.window.error, u"There may only be one '" + placeHolder +
                                          u"' character in \r\n'" + unread + u"'!");
        }
        // 71 steps of both pages, then the arriving one snaps to the left edge it replaces.
        EXPECT_EQ(d.window.pageSteps, log.size() > 2 ? 1 + 2 * 71 + 2 : 0);
        EXPECT_EQ(d.window.pageLeft[static_cast<unsigned>(page)], 8);
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
            EXPECT_EQ(d.settings.ShowEmo, how != Okay);
            d.options.Okay(), d.options.TurnPage(false), d.options.DisplayTick();
            d.options.TickerMouseDown(gb::kRightButton, 5);
            EXPECT_EQ(d.log, expected) << "nothing of a closed dialog answers";
        }
}

// A show while the dialog closes builds a new one from the settings once the old one has
// gone, unless the program ends: below the bar, slid in to the middle. Shown again, a dialog
// only comes to the front.
TEST(OptionsController, AShowWhileClosingShowsANewDialogOnceItHasGoneUnlessTheProgramEnds) {
    for (const bool shutdown : {false, true}) {
        SCOPED_TRACE(shutdown);
        Dialog d;
        d.Open(2);
        d.window.screen.barBottom = 123;
        d.During(2, [&] {
            d.settings.Says = u"told:";
            d.options.Show(false);
        });
        shutdown ? d.options.Shutdown() : d.options.Close();
        Log expected{"destroy"};
        if (!shutdown) {
            expected.insert(expected.end(), kLoad.begin(), kLoad.end());
            expected[1] = "create 1024 123";
            expected.push_back("front");
        }
        EXPECT_EQ(d.log, expected);
        EXPECT_EQ(d.window.steps.size(), shutdown ? kSlideOut : kSlideOut + kSlideIn);
        EXPECT_EQ(d.window.left, shutdown ? -378 : 329);
        EXPECT_EQ(d.window.controls.lblBuddyName, shutdown ? u"email says: " : u"email told:");
    }
    Dialog d;
    d.Open();
    d.options.Show(true);
    d.options.BannerClick();
    d.options.SaysChosen(2); // the list's entry, not the box's text, which follows later
    EXPECT_EQ(d.log, (Log{"front", "open https://glidebanner.github.io/", "sample email said:"}));
}

// The dialog's screen is the bar's monitor, wherever it lies and whatever its scale: in from
// its right edge right below the bar, centred on it, out past its left edge. A page enters
// from the dialog's right edge as wide as the dialog is now.
TEST(OptionsController, TheDialogStandsOnTheBarsMonitorAndFollowsItsScale) {
    const std::tuple<gb::DialogScreen, std::string, int, int> rows[] = {
        {{-1280, 100, 1280, 1024, 192, 166}, "create owned 0 166", -1006, -2019},
        {{1024, -200, 1600, 1200, 144, -150}, "create owned 2624 -150", 1550, 470},
    };
    for (const auto& [screen, created, centred, gone] : rows) {
        SCOPED_TRACE(created);
        Dialog d;
        d.window.screen = screen;
        d.options.Show(true);
        EXPECT_EQ(std::make_pair(d.log.front(), d.window.left), std::make_pair(created, centred));
        d.window.scaleWidth = 539; // the dialog moved to a monitor at 150 %
        d.log.clear();
        d.options.TurnPage(true);
        EXPECT_EQ(d.log.at(1), "page 1 at 539");
        d.options.Close();
        EXPECT_EQ(d.window.left, gone);
    }
}

TEST(OptionsController, TheRightButtonHoldsTheTickerUntilItsReleaseOrTheLossOfTheMouse) {
    // L, R: a button pressed; l, r: released; x: the mouse taken by another window.
    const std::pair<std::string, Log> rows[] = {
        {"Rr", {"capture", "timer off", "timer on"}},
        {"Rx", {"capture", "timer off", "timer on"}},
        {"RLlr", {"capture", "timer off", "capture", "timer on"}},
        {"Lxl", {"capture"}},
    };
    for (const auto& [events, log] : rows) {
        SCOPED_TRACE(events);
        Dialog d;
        d.Open();
        for (const char e : events) {
            const int button = e == 'L' || e == 'l' ? gb::kLeftButton : gb::kRightButton;
            if (e == 'L' || e == 'R') d.options.TickerMouseDown(button, 10);
            if (e == 'l' || e == 'r') d.options.TickerMouseUp(button);
            if (e == 'x') d.options.TickerCaptureLost();
        }
        EXPECT_EQ(d.log, log);
    }
}

// Fill shows the settings, the domain check usable with the address only and keeping its
// state; apply stores the edits as typed (characters beyond the ANSI code page, markers,
// trailing blanks), keeps a NameMode outside 0..2 and switches the tooltip only on a change.
TEST(OptionsModel, FillShowsTheSettingsAndApplyStoresTheEditsAsTyped) {
    // NameMode stored, the option button selected, the domain box, the sample; the tooltip
    // stored and ticked, and what that calls.
    const std::tuple<int, int, bool, std::u16string, bool, bool, Log> rows[] = {
        {0, 0, false, u"Buddy says: ", true, true, {}},
        {1, 1, false, u"email@example.com says: ", false, false, {}},
        {2, 1, true, u"email says: ", true, false, {"tooltip off"}},
        {3, -1, false, u" says: ", false, true, {"tooltip on"}},
    };
    for (const auto& [stored, option, noDomain, sample, tipStored, tipOn, calls] : rows) {
        SCOPED_TRACE(stored);
        modSettings::SettingsRecord s;
        s.Says = u"says: ", s.NameMode = stored, s.ShowTooltip = tipStored;
        gb::OptionsModel m;
        m.FillControls(s);
        auto& c = m.Controls();
        EXPECT_EQ(
            std::tie(c.optBuddyName, c.chkNoDomainName, c.chkNoDomainNameEnabled, c.lblBuddyName),
            std::make_tuple(option, noDomain, option == 1, sample));
        c.chkShowSaysOnce = c.chkShowSignInOut = c.chkShowTooltip = tipOn;
        c.chkShowEmo = c.chkActAsBar = !tipOn;
        c.cmbSays = u"\u8AAA\u00E9:  ", c.txtBuddyLogon = u"\u041F\u0440 in";
        c.txtBuddyLogoff = u"\u00E9 out", c.txtUnreadMail = u"|1 \U0001F600 |2";
        c.txtPlaceHolder = u"\u00A7\u00A7";
        Log log;
        fakes::FakeOptionsWindow host(log);
        m.ApplyControls(s, host);
        EXPECT_EQ(log, calls);
        EXPECT_EQ(s,
                  (modSettings::SettingsRecord{c.cmbSays, stored, tipOn, !tipOn, 0, tipOn, !tipOn,
                                               0, 0, 0, c.txtPlaceHolder, c.txtUnreadMail,
                                               c.txtBuddyLogon, c.txtBuddyLogoff, tipOn, u""}));
        m.SelectBuddyName(0);
        EXPECT_EQ(std::tie(c.chkNoDomainName, c.chkNoDomainNameEnabled, c.lblBuddyName),
                  std::make_tuple(noDomain, false, u"Buddy \u8AAA\u00E9:  "));
    }
}

} // namespace
