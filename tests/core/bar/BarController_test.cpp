#include "bar/BarController.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "../fakes/FakeBar.h"
#include "../fakes/FakeMessenger.h"
#include "../fakes/FakeStripHost.h"
#include "../fakes/MemorySettingsStore.h"
#include "app/modSettings.h"
#include "strip/colMsg.h"

namespace {

using frmScrollRules::MenuEntry;
using frmScrollRules::TrayMouse;
using gb::PixelRect;
constexpr int L = 1, R = 2, Shift = 1, Alt = 4;
// 23 pixels: the alphabet of 14.25-point Arial is 19 high in the fake's measure, plus 4.
constexpr int H = 23;

struct Bar {
    fakes::Log log;
    fakes::FakeBarWindow window{log};
    fakes::FakeDesktop desktop;
    fakes::FakeAppBar appBar{log, desktop};
    fakes::FakeWorkArea workArea{log, desktop};
    fakes::FakeTray tray{log};
    fakes::FakeShell shell{log};
    fakes::FakeLink link{log};
    fakes::FakeStripHost host;
    fakes::FakeMessengerFactory factory;
    fakes::FakeSurfaceFactory surfaces;
    gb::BarController bar{window,
                          desktop,
                          appBar,
                          workArea,
                          tray,
                          shell,
                          {host, host, factory, surfaces, [] { return 8; }}};

    Bar() {
        MemorySettingsStore defaults;
        modSettings::LoadSettings(defaults, {15360, u"."});
    }
    // Loads with the stored place (twips) and forgets what the load did.
    void Load(float x = 0, float y = 0, float width = 15360) {
        auto& s = modSettings::Settings();
        s.X = x, s.Y = y, s.Width = width;
        bar.Load(link);
        log.clear();
    }
    // What the controller did, without the slide's steps.
    fakes::Log Actions() const {
        fakes::Log out;
        std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                     [](const std::string& e) { return e.rfind("left ", 0) != 0; });
        return out;
    }
    std::size_t Steps() const { return log.size() - Actions().size(); }
};

TEST(BarController, LoadPlacesOnItsMonitorSlidesAndReservesOnlyAcrossTheTop) {
    const struct {
        float x, y, width;
        bool changeWorkArea;
        PixelRect placed;
        fakes::Log actions;
    } rows[] = {
        {0,
         0,
         15360,
         true,
         {0, 0, 1024, H},
         {"appbar new", "work area top 23", "timer on", "show"}},
        {0, 0, 15360, false, {0, 0, 1024, H}, {"timer on", "show"}},
        {0, 15, 15360, true, {0, 1, 1024, 1 + H}, {"timer on", "show"}},
        // A stored width below the drag minimum is kept; only a wider one than the screen is cut.
        {3000, 600, 3000, true, {200, 40, 400, 40 + H}, {"timer on", "show"}},
        {0,
         0,
         99999,
         true,
         {0, 0, 1024, H},
         {"appbar new", "work area top 23", "timer on", "show"}},
        // Off the screen, or on a monitor that is gone: onto the primary, kept on it.
        {20000, 20000, 6000, true, {624, 768 - H, 1024, 768}, {"timer on", "show"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.width);
        Bar b;
        auto& s = modSettings::Settings();
        s.ChangeWorkArea = row.changeWorkArea;
        s.X = row.x, s.Y = row.y, s.Width = row.width;
        b.bar.Load(b.link);
        EXPECT_EQ(b.window.rect, row.placed);
        EXPECT_EQ(b.Actions(), row.actions);
        // From just beyond the right edge, 200 twips a step, then the target exactly.
        EXPECT_EQ(b.log[b.log.size() - b.Steps()], "left 1011");
        EXPECT_EQ(b.log.back(), "left " + std::to_string(row.placed.left));
    }
}

TEST(BarController, SlideMovesOnlyTheLeftEdgeAndACloseStopsIt) {
    Bar b;
    int step = 0;
    b.window.pending = [&] {
        if (++step == 3) b.window.rect.top = 300, b.window.rect.bottom = 300 + H; // moved meanwhile
        if (step == 5) b.bar.Close();
        return true;
    };
    b.Load(3000, 0, 6000);
    EXPECT_EQ(b.window.rect.top, 300);
    // The close waited for the slide to stop, then ran whole: the stored left edge is the
    // slide's target, not where it stopped.
    EXPECT_EQ(modSettings::Settings().X, 3000);
    EXPECT_EQ(modSettings::Settings().Y, 4500);
    // Five steps in (to 957), then out until the right edge has left: 102 steps.
    EXPECT_EQ(step, 5 + 102);
    EXPECT_TRUE(b.window.destroyed);
    b.bar.MouseDown(R, 0, 10, 10);
    EXPECT_FALSE(b.window.displayTimer) << "nothing runs on a closed bar";
}

TEST(BarController, UnloadKeepsItsOrder) {
    const struct {
        bool minimised;
        fakes::Log actions;
    } rows[] = {
        {false,
         {"work area top 0", "timer off", "retry off", "detach", "no tip", "shutdown", "destroy"}},
        {true, {"no icon", "timer off", "retry off", "detach", "no tip", "shutdown", "destroy"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.minimised);
        Bar b;
        b.Load();
        if (row.minimised) b.bar.Minimize();
        b.log.clear();
        b.bar.Close();
        EXPECT_EQ(b.Actions(), row.actions);
        EXPECT_EQ(b.Steps(), row.minimised ? 0u : 77u);
        EXPECT_EQ(modSettings::Settings().Speed, 10);
        b.bar.Close(); // a second close is nothing
        EXPECT_EQ(b.Actions().size(), row.actions.size());
    }
}

TEST(BarController, MouseGestures) {
    struct Event {
        char kind; // d down, m move, u up
        int button, shift, cursorX, cursorY;
        float x = 200;
    };
    const struct {
        const char* what;
        std::vector<Event> events;
        PixelRect rect;
        float speed;
        fakes::Log actions;
    } rows[] = {
        {"Shift-drag moves",
         {{'m', 0, Shift, 500, 300},
          {'d', L, Shift, 500, 300},
          {'m', L, Shift, 480, 320},
          {'u', L, Shift, 480, 320}},
         {180, 20, 580, 20 + H},
         10,
         {"capture"}},
        {"the no-drag marker is no coordinate: a drag goes on left of the primary",
         {{'d', L, Shift, 100, 300}, {'m', L, Shift, -50, 300}, {'m', L, Shift, -100, 300}},
         {0, 0, 400, H},
         10,
         {"capture"}},
        {"Alt-drag left speeds up, within 1..100",
         {{'d', L, Alt, 500, 5}, {'m', L, Alt, 480, 5}, {'m', L, Alt, 300, 5}},
         {200, 0, 600, H},
         100,
         {"capture"}},
        {"a plain press ends the modified drag",
         {{'d', L, Alt, 500, 5}, {'d', L, 0, 500, 5}, {'m', L, Alt, 400, 5}},
         {200, 0, 600, H},
         10,
         {"capture"}},
        {"Shift at the left edge resizes, the right edge stays",
         {{'m', 0, Shift, 0, 0, 2}, {'d', L, Shift, 500, 5}, {'m', L, Shift, 400, 5, 2}},
         {100, 0, 600, H},
         10,
         {"capture"}},
        {"the right button holds the strip until released",
         {{'d', R, 0, 0, 0}, {'u', R, 0, 0, 0}},
         {200, 0, 600, H},
         10,
         {"timer off", "capture", "timer on"}},
        {"Ctrl, or Shift and Alt together, do nothing",
         {{'d', L, 2, 500, 5},
          {'m', L, 2, 400, 5},
          {'d', L, Shift | Alt, 500, 5},
          {'m', L, Shift | Alt, 400, 5}},
         {200, 0, 600, H},
         10,
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Bar b;
        b.Load(3000, 0, 6000);
        for (const Event& e : row.events) {
            b.window.cursor = {e.cursorX, e.cursorY};
            if (e.kind == 'd') b.bar.MouseDown(e.button, e.shift, e.x, 5);
            if (e.kind == 'm') b.bar.MouseMove(e.button, e.shift, e.x, 5);
            if (e.kind == 'u') b.bar.MouseUp(e.button, e.shift, e.x, 5);
        }
        EXPECT_EQ(b.window.rect, row.rect);
        EXPECT_EQ(b.bar.BarStrip()->ScrollSpeed(), row.speed);
        EXPECT_EQ(b.Actions(), row.actions);
    }
}

TEST(BarController, CaptureLossResumesOnlyAHeldStrip) {
    Bar b;
    b.Load();
    b.bar.CaptureLost();
    b.bar.MouseDown(R, 0, 5, 5);
    b.bar.CaptureLost();
    EXPECT_EQ(b.Actions(), (fakes::Log{"timer off", "capture", "timer on"}));
}

TEST(BarController, IconMenuAndOperations) {
    Bar b;
    b.Load(3000, 300, 6000);
    EXPECT_EQ(b.bar.MenuEntries().minimize, true);
    b.bar.TrayEvent(TrayMouse::LeftUp); // no icon: nothing
    b.bar.OnMenu(MenuEntry::Minimize);
    EXPECT_EQ(b.bar.MenuEntries().maximize, true);
    b.bar.OnMenu(MenuEntry::Snap); // hidden: moves, reserves nothing
    b.bar.TaskbarCreated();
    b.bar.TrayEvent(TrayMouse::Other);
    b.bar.TrayEvent(TrayMouse::RightDown);
    b.bar.TrayEvent(TrayMouse::LeftUp);
    b.bar.OnMenu(MenuEntry::Options);
    b.bar.OnMenu(MenuEntry::Exit);
    EXPECT_EQ(b.window.rect, (PixelRect{0, 0, 1024, H}));
    EXPECT_EQ(b.Actions(), (fakes::Log{"icon", "hide", "icon again", "menu", "show", "no icon",
                                       "appbar new", "work area top 23", "options", "post close"}));
    // A shell that will not take the icon: the bar stays, or nothing could bring it back.
    b.tray.refuses = true;
    b.log.clear();
    b.bar.Minimize();
    EXPECT_TRUE(b.window.visible);
    EXPECT_EQ(b.Actions(), (fakes::Log{"icon refused", "icon refused"}));
}

// Each occasion of the design's table, through the shell where it arranges the work area and
// by the work area's own top (relative, and given back exactly) where it does not.
TEST(BarController, ReservationFollowsWhatTheShellDoes) {
    const struct {
        const char* what;
        bool answers, arranges;
        int taskbar, workTop;
        fakes::Log load, minimize, maximize, release;
        int barTop;
    } rows[] = {
        {"no shell: the work area's own top, 30 before",
         false,
         false,
         0,
         30,
         {"appbar new", "work area top 53"},
         {"icon", "hide", "work area top 30"},
         {"show", "no icon", "appbar new", "work area top 53"},
         {"work area top 30"},
         0},
        {"a shell that acknowledges and arranges nothing",
         true,
         false,
         0,
         0,
         {"appbar new", "appbar pos 0,0,1024,23", "appbar remove", "work area top 23"},
         {"icon", "hide", "work area top 0"},
         {"show", "no icon", "appbar new", "appbar pos 0,0,1024,23", "appbar remove",
          "work area top 23"},
         {"work area top 0"},
         0},
        {"a shell that docks the bar below its taskbar",
         true,
         true,
         30,
         30,
         {"appbar new", "appbar pos 0,30,1024,53"},
         {"icon", "hide", "appbar remove"},
         {"show", "no icon", "appbar new", "appbar pos 0,30,1024,53"},
         {"appbar remove"},
         30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Bar b;
        b.appBar.answers = row.answers, b.appBar.arranges = row.arranges;
        b.appBar.taskbarAtTop = row.taskbar;
        b.desktop.monitors[0].work.top = row.workTop;
        modSettings::Settings().X = modSettings::Settings().Y = 0;
        b.bar.Load(b.link);
        fakes::Log load = b.Actions();
        load.resize(row.load.size());
        EXPECT_EQ(load, row.load);
        EXPECT_EQ(b.window.rect.top, row.barTop);
        b.bar.MouseUp(L, 0, 5, 5); // a click where it is docked keeps the strip
        b.log.clear();
        b.bar.Minimize();
        EXPECT_EQ(b.Actions(), row.minimize);
        b.log.clear();
        b.bar.TrayEvent(TrayMouse::LeftUp);
        EXPECT_EQ(b.Actions(), row.maximize);
        b.log.clear();
        b.window.rect.top += 40, b.window.rect.bottom += 40; // dragged down and released
        b.bar.MouseUp(L, 0, 5, 5);
        EXPECT_EQ(b.Actions(), row.release);
        EXPECT_EQ(b.desktop.monitors[0].work.top, row.workTop);
    }
}

TEST(BarController, StepsBackForAFullScreenProgramOnItsMonitor) {
    Bar b;
    b.desktop.monitors.push_back({{1024, 0, 2048, 768}, {1024, 0, 2048, 768}, 96, false});
    b.Load();
    const gb::ForegroundWindow game{{0, 0, 1024, 768}, true, false};
    const gb::ForegroundWindow other{{1024, 0, 2048, 768}, true, false};
    const gb::ForegroundWindow captioned{{0, 0, 1024, 768}, false, false};
    const struct {
        const char* what;
        std::optional<gb::ForegroundWindow> foreground;
        gb::QuietState quiet;
        std::optional<gb::AppBarNotice> notice;
        fakes::Log actions;
    } steps[] = {
        {"a maximised window with a caption", captioned, gb::QuietState::None, {}, {}},
        {"a game on the other monitor", other, gb::QuietState::None, {}, {}},
        {"a game on the bar's monitor", game, gb::QuietState::None, {}, {"below"}},
        {"it ends", captioned, gb::QuietState::None, {}, {"topmost"}},
        {"the shell says so",
         captioned,
         gb::QuietState::None,
         gb::AppBarNotice::FullScreenOpened,
         {"below"}},
        {"and says it ended",
         captioned,
         gb::QuietState::None,
         gb::AppBarNotice::FullScreenClosed,
         {"topmost"}},
        {"a presentation", {}, gb::QuietState::Presentation, {}, {"below"}},
        {"quiet again", {}, gb::QuietState::None, {}, {"topmost"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        b.log.clear();
        b.desktop.foreground = step.foreground;
        b.desktop.quiet = step.quiet;
        if (step.notice)
            b.bar.AppBarNotify(*step.notice);
        else
            b.bar.ForegroundChanged();
        EXPECT_EQ(b.Actions(), step.actions);
    }
    // Where the platform tells nothing, the display tick looks; below the program the strip
    // holds still, and runs on from where it stood when the program has gone.
    b.bar.BarStrip()->AddString(std::u16string(300, u'x'));
    b.desktop.foreground = game;
    b.bar.DisplayTick();
    const float held = b.bar.BarStrip()->StripLeft();
    b.bar.DisplayTick();
    EXPECT_FALSE(b.window.topmost);
    EXPECT_EQ(b.bar.BarStrip()->StripLeft(), held);
    b.desktop.foreground = captioned;
    b.bar.DisplayTick();
    EXPECT_TRUE(b.window.topmost);
    EXPECT_EQ(b.bar.BarStrip()->StripLeft(), held - 10);
}

// Three monitors: the primary, one left of it and one above it, the upper one at 144 DPI.
TEST(BarController, LivesOnTheMonitorItMostlyLiesOn) {
    Bar b;
    b.desktop.monitors = {{{0, 0, 1024, 768}, {0, 0, 1024, 768}, 96, true},
                          {{-1280, 0, 0, 1024}, {-1280, 0, 0, 984}, 96, false},
                          {{0, -900, 1440, 0}, {0, -900, 1440, 0}, 144, false}};
    // Stored on the left monitor: placed there, the width of that monitor kept apart.
    b.Load(-19200 + 1500, 3000, 9000);
    EXPECT_EQ(b.window.rect, (PixelRect{-1180, 200, -580, 200 + H}));
    b.bar.SnapToScreen();
    EXPECT_EQ(b.window.rect, (PixelRect{-1280, 0, 0, H}));
    // Dragged by the pointer onto the upper monitor: it stays within that one.
    b.window.cursor = {-500, 10};
    b.bar.MouseDown(L, Shift, 600, 5);
    b.window.cursor = {400, -100};
    b.bar.MouseMove(L, Shift, 600, 5);
    EXPECT_EQ(b.window.rect, (PixelRect{0, -110, 1280, -110 + H}));
    // Its place is stored in the upper monitor's twips: origin at the primary's scale, the
    // rest at its own (10 twips a pixel).
    b.bar.Close();
    const auto& s = modSettings::Settings();
    EXPECT_EQ(s.X, 0);
    EXPECT_EQ(s.Y, -900 * 15 + 790 * 10);
    EXPECT_EQ(s.Width, 12800);
}

TEST(BarController, FollowsItsMonitorsDpiAndDisplayChanges) {
    Bar b;
    b.desktop.monitors[0].dpi = 144;
    b.desktop.monitors[0].bounds = b.desktop.monitors[0].work = {0, 0, 1536, 1152};
    b.Load(0, 0, 23040); // 1536 pixels at 10 twips a pixel
    // The bar's font at 144 DPI: the alphabet 28 high in the fake's measure, plus 4.
    EXPECT_EQ(b.window.rect, (PixelRect{0, 0, 1536, 32}));
    b.bar.Resize();
    EXPECT_EQ(b.Actions(), (fakes::Log{"button 1512,3 21", "tip 900"}));
    b.log.clear();
    b.bar.DpiChanged(96, {0, 0, 1536, 32});
    EXPECT_EQ(b.window.rect, (PixelRect{0, 0, 1536, H}));
    EXPECT_EQ(b.bar.Dpi(), 96);
    // The resolution changes under a bar that reserves its strip: it lies across the new
    // width and reserves again.
    b.desktop.monitors[0].dpi = 96;
    b.desktop.monitors[0].bounds = b.desktop.monitors[0].work = {0, 0, 1280, 1024};
    b.log.clear();
    b.bar.DisplayChanged();
    EXPECT_EQ(b.window.rect, (PixelRect{0, 0, 1280, H}));
    EXPECT_EQ(b.desktop.monitors[0].work.top, H);
}

TEST(BarController, RestsWithoutWakingUntilSomethingChanges) {
    const struct {
        const char* what;
        std::function<void(Bar&)> change;
    } wakers[] = {
        {"a text added", [](Bar& b) { b.bar.BarStrip()->AddString(u"hello"); }},
        {"resized", [](Bar& b) { b.bar.Resize(); }},
        {"shown again",
         [](Bar& b) {
             b.bar.Minimize();
             b.bar.TrayEvent(TrayMouse::LeftUp);
         }},
        {"the speed dragged",
         [](Bar& b) {
             b.window.cursor = {500, 5};
             b.bar.MouseDown(L, Alt, 200, 5);
             b.window.cursor = {490, 5};
             b.bar.MouseMove(L, Alt, 200, 5);
         }},
    };
    for (const auto& waker : wakers) {
        SCOPED_TRACE(waker.what);
        Bar b;
        b.Load(3000, 0, 6000);
        for (int i = 0; i < 1000 && b.window.displayTimer; ++i)
            b.bar.DisplayTick();
        ASSERT_FALSE(b.window.displayTimer) << "a resting strip sets no periodic wake-up";
        EXPECT_EQ(b.bar.BarStrip()->Count(), 1u);
        const int frames = b.window.presents;
        b.bar.DisplayTick(); // a tick that was already on its way
        EXPECT_EQ(b.window.presents, frames) << "composes and copies nothing";
        waker.change(b);
        EXPECT_TRUE(b.window.displayTimer);
    }
}

// Each new line is the bar's value and is announced once, in words: emoticons by their names.
TEST(BarController, AnnouncesEachNewLineInWords) {
    Bar b;
    b.Load();
    auto session = std::make_shared<fakes::FakeSession>();
    auto anna = std::make_shared<fakes::FakeContact>(u"anna@example.com", u"Anna");
    auto bob = std::make_shared<fakes::FakeContact>(u"bob@example.com", u"Bob (Y)",
                                                    messenger::kStateOnline);
    auto& events = b.bar.Events();
    events.OnTextReceived(session, anna, u"FN=Arial; CO=ff;", u"Hi  there :)");
    events.OnTextReceived(session, anna, u"FN=Arial; CO=ff;", u"again (L)");
    events.OnTextReceived(session, fakes::Contact(u"Hotmail"), u"FN=Arial;", u"spam");
    modSettings::Settings().NameMode = 0;
    events.OnUserStateChanged(bob, messenger::kStateOffline);
    events.OnUnreadEmailChanged(0, 3);
    events.OnUnreadEmailChanged(0, 0);
    EXPECT_EQ(b.Actions(),
              (fakes::Log{"say anna says: Hi there smiling face", "say again red heart",
                          "say Bob thumbs up has signed in.", "say You've got 3 unread mail(s)."}));
    EXPECT_EQ(b.bar.CurrentLine(), u"You've got 3 unread mail(s).");
}

} // namespace
