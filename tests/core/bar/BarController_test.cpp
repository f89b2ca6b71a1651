#include "bar/BarController.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>
#include <vector>

#include "../fakes/FakeBar.h"
#include "../fakes/FakeMessenger.h"
#include "../fakes/FakeStripHost.h"
#include "../fakes/MemorySettingsStore.h"
#include "app/modSettings.h"
#include "strip/colMsg.h"

namespace {

using BarRules::MenuEntry;
using BarRules::TrayMouse;
using gb::PixelRect;
constexpr int L = 1, R = 2, Shift = 1, Alt = 4;
// 23 pixels: the alphabet of 14.25-point Arial is 19 high in the fake's measure, plus 4.
constexpr int H = 23;

// A bar with the settings of a first run on one 1024 x 768 monitor.
struct Bar {
    fakes::Log log;
    fakes::FakeBarWindow window{log};
    fakes::FakeDesktop desktop{log};
    fakes::FakeShell shell{log};
    fakes::FakeStripHost host;
    fakes::FakeMessengerFactory factory;
    fakes::FakeSurfaceFactory surfaces;
    gb::BarServices services{host, host, factory, surfaces, [] { return 8; }};
    modSettings::SettingsRecord settings = FirstRunSettings();
    gb::BarController bar{window, desktop, desktop, desktop, shell, shell, settings, services};

    Bar() = default;
    Bar(float x, float y, float width) { Load(x, y, width); }
    // Loads from the stored place (twips) and forgets what the load did.
    void Load(float x, float y, float width) {
        settings.X = x, settings.Y = y, settings.Width = width;
        bar.Load(shell);
        log.clear();
    }
    // What the controller did since the last look.
    std::string Did() {
        std::string out;
        for (const auto& e : std::exchange(log, {}))
            out += (out.empty() ? "" : ", ") + e;
        return out;
    }
};

TEST(BarController, LoadPlacesOnItsMonitorSlidesAndReservesOnlyAcrossTheTop) {
    const struct {
        float x, y, width;
        bool changeWorkArea;
        PixelRect placed;
        std::string did = "timer on, show, slide";
    } rows[] = {
        // clang-format off
        {0, 0, 15360, true, {0, 0, 1024, H}, "appbar new, work area top 23, timer on, show, slide"},
        {0, 0, 15360, false, {0, 0, 1024, H}},
        {0, 15, 15360, true, {0, 1, 1024, 1 + H}},
        // A stored width below the drag minimum is kept; a wider one than the screen is cut,
        // and one of less than a pixel is damaged.
        {3000, 600, 3000, true, {200, 40, 400, 40 + H}},
        {0, 0, 99999, true, {0, 0, 1024, H}, "appbar new, work area top 23, timer on, show, slide"},
        {0, 0, 10, true, {0, 0, 1024, H}, "appbar new, work area top 23, timer on, show, slide"},
        // Off the screen, or on a monitor that is gone: onto the primary, kept on it.
        {20000, 20000, 6000, true, {624, 768 - H, 1024, 768}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.width);
        Bar b;
        auto& s = b.settings;
        s.ChangeWorkArea = row.changeWorkArea, s.X = row.x, s.Y = row.y, s.Width = row.width;
        b.bar.Load(b.shell);
        EXPECT_EQ(b.window.rect, row.placed);
        EXPECT_EQ(b.Did(), row.did);
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
    EXPECT_EQ(std::pair(b.settings.X, b.settings.Y), std::pair(3000.f, 4500.f));
    // Five steps in (from 1011 to 957), then out until the right edge has left: 102 steps.
    EXPECT_EQ(step, 5 + 102);
    EXPECT_TRUE(b.window.destroyed);
    b.bar.MouseDown(R, 0, 10, 10);
    EXPECT_FALSE(b.window.displayTimer) << "nothing runs on a closed bar";
    // On a monitor left of the primary it slides out beyond that monitor's left edge.
    Bar left;
    left.desktop.monitors.push_back({{-1024, 0, 0, 768}, {-1024, 0, 0, 768}, 96, false});
    left.Load(-15360 + 3000, 0, 6000);
    left.bar.Close();
    EXPECT_EQ(left.window.rect.right, -1024);
}

TEST(BarController, MouseGestures) {
    struct Event {
        char kind; // d down, m move, u up
        int button, shift, cursorX;
        float x = 200;
    };
    const struct {
        std::vector<Event> events;
        PixelRect rect;
        float speed = 10;
        std::string did = "capture";
    } rows[] = {
        // clang-format off
        // The no-drag marker is no coordinate: a drag goes on left of the primary.
        {{{'d', L, Shift, 100}, {'m', L, Shift, -50}, {'m', L, Shift, -100}}, {0, 0, 400, H}},
        // Alt-drag left speeds up, within 1..100.
        {{{'d', L, Alt, 500}, {'m', L, Alt, 480}, {'m', L, Alt, 300}}, {200, 0, 600, H}, 100},
        // A plain press ends the modified drag.
        {{{'d', L, Alt, 500}, {'d', L, 0, 500}, {'m', L, Alt, 400}}, {200, 0, 600, H}},
        // Shift at an edge resizes there, the other edge stays, down to the minimum width.
        {{{'m', 0, Shift, 0, 2}, {'d', L, Shift, 500}, {'m', L, Shift, 400, 2}}, {100, 0, 600, H}},
        {{{'m', 0, Shift, 0, 2}, {'d', L, Shift, 500}, {'m', L, Shift, 900, 2}}, {300, 0, 600, H}},
        {{{'m', 0, Shift, 0, 398}, {'d', L, Shift, 500}, {'m', L, Shift, 300, 398}},
         {200, 0, 500, H}},
        // The right button holds the strip until released.
        {{{'d', R, 0, 0}, {'u', R, 0, 0}}, {200, 0, 600, H}, 10, "timer off, capture, timer on"},
        // Ctrl, or Shift and Alt together, do nothing.
        {{{'d', L, 2, 500}, {'m', L, 2, 400}, {'d', L, 5, 500}, {'m', L, 5, 400}},
         {200, 0, 600, H}, 10, ""},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        Bar b(3000, 0, 6000);
        for (const Event& e : row.events) {
            b.window.cursor = {e.cursorX, 5};
            if (e.kind == 'd') b.bar.MouseDown(e.button, e.shift, e.x, 5);
            if (e.kind == 'm') b.bar.MouseMove(e.button, e.shift, e.x, 5);
            if (e.kind == 'u') b.bar.MouseUp(e.button, e.shift, e.x, 5);
        }
        EXPECT_EQ(b.window.rect, row.rect);
        EXPECT_EQ(b.bar.BarStrip()->ScrollSpeed(), row.speed);
        EXPECT_EQ(b.Did(), row.did);
    }
}

// The icon, the menu, the mouse's capture and the unload, from a bar at 3000, 300 twips,
// 6000 wide.
TEST(BarController, IconMenuCaptureAndUnload) {
    const struct {
        std::function<void(Bar&)> act;
        const char* did;
    } rows[] = {
        // clang-format off
        // Capture loss resumes only a held strip.
        {[](Bar& b) { b.bar.CaptureLost(), b.bar.MouseDown(R, 0, 5, 5), b.bar.CaptureLost(); },
         "timer off, capture, timer on"},
        // The icon's events count only while it is there; Snap while hidden moves the bar and
        // reserves nothing until it is shown; the shell's restart brings the icon back.
        {[](Bar& b) {
             b.bar.TrayEvent(TrayMouse::LeftUp), b.bar.OnMenu(MenuEntry::Minimize);
             b.bar.OnMenu(MenuEntry::Snap), b.bar.TaskbarCreated();
             b.bar.TrayEvent(TrayMouse::Other), b.bar.TrayEvent(TrayMouse::RightDown);
             b.bar.TrayEvent(TrayMouse::LeftUp);
             b.bar.OnMenu(MenuEntry::Options), b.bar.OnMenu(MenuEntry::Exit);
         },
         "icon, hide, icon again, menu, show, no icon, appbar new, work area top 23, options, "
         "post close"},
        // Back from the icon it reserves again and stands where it was, not at the top.
        {[](Bar& b) {
             b.bar.Minimize(), b.bar.TrayEvent(TrayMouse::LeftUp);
             EXPECT_EQ(b.window.rect, (PixelRect{200, 20, 600, 20 + H}));
         },
         "icon, hide, show, no icon, appbar new, work area top 23"},
        // A shell that will not take the icon: the bar stays, or nothing could bring it back.
        {[](Bar& b) { b.shell.refuses = true, b.bar.Minimize(); }, "icon refused, icon refused"},
        // The unload, once; a hidden bar does not slide out.
        {[](Bar& b) { b.bar.Close(), b.bar.Close(); },
         "slide, timer off, retry off, detach, no tip, shutdown, destroy"},
        {[](Bar& b) { b.bar.Minimize(), b.bar.Close(); },
         "icon, hide, no icon, timer off, retry off, detach, no tip, shutdown, destroy"},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.did);
        Bar b(3000, 300, 6000);
        row.act(b);
        EXPECT_EQ(b.Did(), row.did);
    }
}

// Load, a click, Minimize, the icon's Maximize, and a release dragged down from the top:
// through the shell where it arranges the work area, by the work area's own top (relative,
// and given back exactly) where it does not.
TEST(BarController, ReservationFollowsWhatTheShellDoes) {
    const struct {
        bool answers, arranges;
        int taskbar, workTop;
        const char* did;
    } rows[] = {
        // clang-format off
        // No shell: the work area's own top, 30 before.
        {false, false, 0, 30, "appbar new, work area top 53, timer on, show, slide, icon, hide, "
                              "work area top 30, show, no icon, appbar new, work area top 53, "
                              "work area top 30"},
        // A shell that docks the bar below its taskbar.
        {true, true, 30, 30, "appbar new, appbar pos 30, timer on, show, slide, icon, hide, "
                             "appbar remove, show, no icon, appbar new, appbar pos 30, "
                             "appbar remove"},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.did);
        Bar b;
        b.desktop.answers = row.answers, b.desktop.arranges = row.arranges;
        b.desktop.taskbarAtTop = row.taskbar;
        b.desktop.monitors[0].work.top = row.workTop;
        b.bar.Load(b.shell);
        EXPECT_EQ(b.window.rect.top, row.taskbar);
        b.bar.MouseUp(L, 0, 5, 5), b.bar.Minimize(), b.bar.TrayEvent(TrayMouse::LeftUp);
        b.window.rect.top += 40, b.window.rect.bottom += 40;
        b.bar.MouseUp(L, 0, 5, 5);
        EXPECT_EQ(b.Did(), row.did);
        EXPECT_EQ(b.desktop.monitors[0].work.top, row.workTop);
    }
}

// Two bars docked one below the other, each told by the shell whenever the other registers,
// leaves or takes a place: the notices come to rest. When the taskbar above them grows, the
// first follows it down.
TEST(BarController, TwoDockedBarsDoNotAnswerEachOtherForEver) {
    Bar first, second;
    std::vector<Bar*> told;
    for (auto [b, other, above] :
         {std::tuple(&first, &second, 0), std::tuple(&second, &first, H)}) {
        b->desktop.answers = b->desktop.arranges = true;
        b->desktop.taskbarAtTop = b->desktop.monitors[0].work.top = above;
        b->desktop.tellOthers = [&told, other] { told.push_back(other); };
    }
    first.Load(0, 0, 15360), second.Load(0, 0, 15360);
    const auto settle = [&] {
        for (int notices = 0; !told.empty() && notices < 100; ++notices) {
            Bar* b = told.front();
            told.erase(told.begin());
            b->bar.AppBarNotify(gb::AppBarNotice::PositionsChanged);
        }
        return told.empty();
    };
    EXPECT_TRUE(settle());
    first.desktop.taskbarAtTop = 30;
    first.bar.AppBarNotify(gb::AppBarNotice::PositionsChanged);
    EXPECT_TRUE(settle());
    EXPECT_EQ(std::pair(first.window.rect.top, second.window.rect.top), std::pair(30, H));
}

// It stays on top of a maximised window with a caption and of a game on the other monitor;
// it steps back below a game on its own, while the shell says a full-screen program runs, and
// in a presentation.
TEST(BarController, StepsBackForAFullScreenProgramOnItsMonitor) {
    Bar b;
    b.desktop.monitors.push_back({{1024, 0, 2048, 768}, {1024, 0, 2048, 768}, 144, false});
    const gb::ForegroundWindow game{{0, 0, 1024, 768}, true}, other{{1024, 0, 2048, 768}, true},
        captioned{{0, 0, 1024, 768}, false};
    // The load starts it beyond its monitor's right edge, on the other monitor, whose DPI
    // Windows announces: reservation, full-screen check and DPI stay with its own monitor.
    b.desktop.foreground = game;
    b.window.pending = [&] { return b.bar.DpiChanged(144, b.window.rect), true; };
    b.bar.Load(b.shell);
    EXPECT_EQ(b.window.rect, (PixelRect{0, 0, 1024, H}));
    EXPECT_EQ(std::pair(b.desktop.monitors[0].work.top, b.desktop.monitors[1].work.top),
              std::pair(H, 0));
    EXPECT_EQ(b.Did(), "appbar new, work area top 23, timer on, show, below, slide");
    for (const auto& window : {captioned, other, game, captioned}) {
        b.desktop.foreground = window;
        b.bar.ForegroundChanged();
    }
    b.bar.AppBarNotify(gb::AppBarNotice::FullScreenOpened);
    b.bar.AppBarNotify(gb::AppBarNotice::FullScreenClosed);
    for (const auto quiet : {gb::QuietState::Presentation, gb::QuietState::None}) {
        b.desktop.quiet = quiet;
        b.bar.ForegroundChanged();
    }
    EXPECT_EQ(b.Did(), "topmost, below, topmost, below, topmost, below, topmost");
}

// Three monitors: the primary, one left of it and one above it at 144 DPI.
TEST(BarController, LivesOnTheMonitorItMostlyLiesOnAtItsDpi) {
    Bar b;
    b.desktop.monitors = {{{0, 0, 1024, 768}, {0, 0, 1024, 768}, 96, true},
                          {{-1280, 0, 0, 1024}, {-1280, 0, 0, 984}, 96, false},
                          {{0, -900, 1440, 0}, {0, -900, 1440, 0}, 144, false}};
    // Stored on the left monitor: placed there, the width of that monitor kept apart.
    b.Load(-19200 + 1500, 3000, 9000);
    EXPECT_EQ(b.window.rect, (PixelRect{-1180, 200, -580, 200 + H}));
    // Snapped, it reserves there; when that monitor's resolution changes it lies across the
    // new width and reserves again.
    b.bar.SnapToScreen();
    b.desktop.monitors[1].bounds = b.desktop.monitors[1].work = {-1024, 0, 0, 768};
    b.bar.DisplayChanged();
    EXPECT_EQ(b.window.rect, (PixelRect{-1024, 0, 0, H}));
    EXPECT_EQ(b.desktop.monitors[1].work.top, H);
    // Dragged by the pointer onto the upper monitor: it stays within that one, and follows
    // its DPI (the alphabet 28 high in the fake's measure, plus 4; button and tip scaled).
    b.window.cursor = {-500, 10};
    b.bar.MouseDown(L, Shift, 600, 5);
    b.window.cursor = {400, -100};
    b.bar.MouseMove(L, Shift, 600, 5);
    EXPECT_EQ(b.window.rect, (PixelRect{0, -110, 1024, -110 + H}));
    b.bar.MouseUp(L, Shift, 600, 5);
    b.bar.DpiChanged(144, b.window.rect);
    EXPECT_EQ(b.window.rect, (PixelRect{0, -110, 1024, -110 + 32}));
    EXPECT_EQ(b.Did(), "appbar new, work area top 23, appbar new, work area top 23, capture, "
                       "work area top 0, button 1000,3 21, tip 900");
    // Its place is stored in the upper monitor's twips: origin at the primary's scale, the
    // rest at its own (10 twips a pixel); its speed is stored too.
    b.bar.BarStrip()->SetScrollSpeed(37);
    b.bar.Close();
    const auto& s = b.settings;
    EXPECT_EQ(std::vector({s.X, s.Y, s.Width, s.Speed}),
              std::vector<float>({0, -900 * 15 + 790 * 10, 10240, 37}));
}

TEST(BarController, RestsWithoutWakingUntilSomethingChanges) {
    const std::function<void(Bar&)> wakers[] = {
        // clang-format off
        [](Bar& b) { b.bar.BarStrip()->AddString(u"hello"); },
        [](Bar& b) { b.bar.Resize(); },
        [](Bar& b) { b.bar.Minimize(), b.bar.TrayEvent(TrayMouse::LeftUp); },
        [](Bar& b) { b.bar.MouseDown(L, Alt, 200, 5), b.window.cursor.x = -10;
                     b.bar.MouseMove(L, Alt, 200, 5); },
        // clang-format on
    };
    for (const auto& wake : wakers) {
        SCOPED_TRACE(&wake - wakers);
        Bar b(3000, 0, 6000);
        for (int i = 0; i < 1000 && b.window.displayTimer; ++i)
            b.bar.DisplayTick();
        ASSERT_FALSE(b.window.displayTimer) << "a resting strip sets no periodic wake-up";
        const int frames = b.window.presents;
        b.bar.DisplayTick(); // a tick that was already on its way
        EXPECT_EQ(b.window.presents, frames) << "composes and copies nothing";
        wake(b);
        EXPECT_TRUE(b.window.displayTimer);
    }
}

// Each new line is the bar's value and is announced once, in words: emoticons by their names.
TEST(BarController, AnnouncesEachNewLineInWords) {
    Bar b(0, 0, 15360);
    const auto session = std::make_shared<fakes::FakeSession>();
    const auto anna = fakes::Contact(u"anna@example.com", u"Anna");
    auto& events = b.bar.Events();
    events.OnTextReceived(session, anna, u"FN=Arial; CO=ff;", u"Hi  there :)");
    events.OnTextReceived(session, anna, u"FN=Arial; CO=ff;", u"again (L)");
    events.OnTextReceived(session, fakes::Contact(u"Hotmail"), u"FN=Arial;", u"spam");
    b.settings.NameMode = 0;
    events.OnUserStateChanged(fakes::Contact(u"bob@example.com", u"Bob (Y)"), 1);
    events.OnUnreadEmailChanged(0, 3);
    events.OnUnreadEmailChanged(0, 0);
    EXPECT_EQ(b.Did(), "say anna says: Hi there smiling face, say again red heart, "
                       "say Bob thumbs up has signed in., say You've got 3 unread mail(s).");
    EXPECT_EQ(b.bar.CurrentLine(), u"You've got 3 unread mail(s).");
}

} // namespace
