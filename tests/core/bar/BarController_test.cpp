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

using frmScrollRules::Geometry;
using frmScrollRules::MenuEntry;
using frmScrollRules::TrayMouse;
constexpr int L = 1, R = 2, Shift = 1, Alt = 4;

struct Bar {
    fakes::Log log;
    fakes::FakeBarWindow window{log};
    fakes::FakeDesktop desktop;
    fakes::FakeWorkArea workArea{log};
    fakes::FakeTray tray{log};
    fakes::FakeShell shell{log};
    fakes::FakeLink link{log};
    fakes::FakeStripHost host;
    fakes::FakeMessengerFactory factory;
    fakes::FakeSurfaceFactory surfaces;
    gb::BarController bar{window, desktop, workArea,
                          tray,   shell,   {host, host, factory, surfaces, [] { return 8; }}};

    Bar() {
        MemorySettingsStore defaults;
        modSettings::LoadSettings(defaults, {15360, u"."});
    }
    // Loads with the stored geometry and forgets what the load did.
    void Load(float x = 0, float y = 0, float width = 15360) {
        auto& s = modSettings::Settings();
        s.X = x, s.Y = y, s.Width = width;
        bar.Load(link);
        log.clear();
    }
    // What the controller did, without the slide's steps and the frames.
    fakes::Log Actions() const {
        fakes::Log out;
        for (const auto& e : log)
            if (e.rfind("left ", 0) != 0 && e != "present") out.push_back(e);
        return out;
    }
    std::size_t Steps() const {
        return static_cast<std::size_t>(std::count_if(
            log.begin(), log.end(), [](auto& e) { return e.rfind("left ", 0) == 0; }));
    }
};

// 23 pixels: the alphabet of 14.25-point Arial is 19 high in the fake's measure, plus 4.
constexpr float kHeight = 345;

TEST(BarController, LoadPlacesSlidesAndReservesOnlyAcrossTheTop) {
    const struct {
        float x, y, width;
        bool changeWorkArea;
        Geometry placed;
        fakes::Log actions;
    } rows[] = {
        {0, 0, 15360, true, {0, 0, 15360, kHeight}, {"reserve 23", "timer on", "show"}},
        {0, 0, 15360, false, {0, 0, 15360, kHeight}, {"timer on", "show"}},
        {0, 15, 15360, true, {0, 15, 15360, kHeight}, {"timer on", "show"}},
        // A stored width below the drag minimum is kept; only a wider one than the screen is cut.
        {3000, 600, 3000, true, {3000, 600, 3000, kHeight}, {"timer on", "show"}},
        {0, 0, 99999, true, {0, 0, 15360, kHeight}, {"reserve 23", "timer on", "show"}},
        {20000, 20000, 6000, true, {9360, 11175, 6000, kHeight}, {"timer on", "show"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.width);
        Bar b;
        auto& s = modSettings::Settings();
        s.ChangeWorkArea = row.changeWorkArea;
        s.X = row.x, s.Y = row.y, s.Width = row.width;
        b.bar.Load(b.link);
        EXPECT_EQ(b.window.geometry, row.placed);
        EXPECT_EQ(b.Actions(), row.actions);
        // From just beyond the right edge, 200 twips a step, then the target exactly.
        const auto first = std::find(b.log.begin(), b.log.end(), "show") + 1;
        EXPECT_EQ(*first, "left 15160");
        EXPECT_EQ(b.log.back(), "left " + std::to_string(static_cast<int>(row.placed.Left)));
    }
}

TEST(BarController, SlideMovesOnlyTheLeftEdgeAndACloseStopsIt) {
    Bar b;
    int step = 0;
    b.window.pending = [&] {
        if (++step == 3) b.window.geometry.Top = 4500; // the user moved it meanwhile
        if (step == 5) b.bar.Close();
        return true;
    };
    b.Load(3000, 0, 6000);
    EXPECT_EQ(b.window.geometry.Top, 4500);
    // The close waited for the slide to stop, then ran whole: the stored left edge is the
    // slide's target, not where it stopped.
    EXPECT_EQ(modSettings::Settings().X, 3000);
    EXPECT_EQ(modSettings::Settings().Y, 4500);
    // Five steps in (to 14360), then out until the right edge has left: 102 steps.
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
        {false, {"restore", "timer off", "retry off", "detach", "no tip", "shutdown", "destroy"}},
        {true, {"no icon", "timer off", "retry off", "detach", "no tip", "shutdown", "destroy"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.minimised);
        Bar fresh;
        fresh.Load();
        if (row.minimised) fresh.bar.Minimize();
        fresh.bar.MouseMove(0, Alt, 10, 10);
        fresh.log.clear();
        fresh.window.cursor = {900, 5};
        fresh.bar.Close();
        EXPECT_EQ(fresh.Actions(), row.actions);
        EXPECT_EQ(fresh.Steps(), row.minimised ? 0u : 77u);
        EXPECT_EQ(modSettings::Settings().Speed, 10);
        fresh.bar.Close(); // a second close is nothing
        EXPECT_EQ(fresh.Actions().size(), row.actions.size());
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
        Geometry geometry;
        float speed;
        fakes::Log actions;
    } rows[] = {
        {"Shift-drag moves",
         {{'m', 0, Shift, 500, 300},
          {'d', L, Shift, 500, 300},
          {'m', L, Shift, 480, 320},
          {'u', L, Shift, 480, 320}},
         {2700, 300, 6000, kHeight},
         10,
         {"capture"}},
        {"a drag is not a coordinate: it goes on left of the primary monitor",
         {{'d', L, Shift, 100, 300}, {'m', L, Shift, -50, 300}, {'m', L, Shift, -100, 300}},
         {0, 0, 6000, kHeight},
         10,
         {"capture"}},
        {"Alt-drag left speeds up, within 1..100",
         {{'d', L, Alt, 500, 5}, {'m', L, Alt, 480, 5}, {'m', L, Alt, 300, 5}},
         {3000, 0, 6000, kHeight},
         100,
         {"capture"}},
        {"a plain press ends the modified drag",
         {{'d', L, Alt, 500, 5}, {'d', L, 0, 500, 5}, {'m', L, Alt, 400, 5}},
         {3000, 0, 6000, kHeight},
         10,
         {"capture"}},
        {"Shift at the left edge resizes, right edge stays",
         {{'m', 0, Shift, 0, 0, 2}, {'d', L, Shift, 500, 5}, {'m', L, Shift, 400, 5, 2}},
         {1500, 0, 7500, kHeight},
         10,
         {"capture"}},
        {"the right button holds the strip until released",
         {{'d', R, 0, 0, 0}, {'u', R, 0, 0, 0}},
         {3000, 0, 6000, kHeight},
         10,
         {"timer off", "capture", "timer on"}},
        {"Ctrl, or Shift and Alt together, do nothing",
         {{'d', L, 2, 500, 5},
          {'m', L, 2, 400, 5},
          {'d', L, Shift | Alt, 500, 5},
          {'m', L, Shift | Alt, 400, 5}},
         {3000, 0, 6000, kHeight},
         10,
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Bar fresh;
        fresh.Load(3000, 0, 6000);
        for (const Event& e : row.events) {
            fresh.window.cursor = {e.cursorX, e.cursorY};
            if (e.kind == 'd') fresh.bar.MouseDown(e.button, e.shift, e.x, 5);
            if (e.kind == 'm') fresh.bar.MouseMove(e.button, e.shift, e.x, 5);
            if (e.kind == 'u') fresh.bar.MouseUp(e.button, e.shift, e.x, 5);
        }
        EXPECT_EQ(fresh.window.geometry, row.geometry);
        EXPECT_EQ(fresh.bar.BarStrip()->ScrollSpeed(), row.speed);
        EXPECT_EQ(fresh.Actions(), row.actions);
    }
}

TEST(BarController, ReleaseReservesAcrossTheTopAndGivesBackElsewhere) {
    Bar b;
    b.Load(3000, 0, 6000);
    b.bar.MouseUp(L, 0, 5, 5);
    b.window.geometry = {0, 0, 15360, kHeight};
    b.bar.MouseUp(L, 0, 5, 5);
    b.bar.MouseUp(L, 0, 5, 5); // reserved already
    b.window.geometry.Top = 15;
    b.bar.MouseUp(L, 0, 5, 5);
    EXPECT_EQ(b.Actions(), (fakes::Log{"reserve 23", "restore"}));
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
    EXPECT_EQ(b.window.geometry, (Geometry{0, 0, 15360, kHeight}));
    EXPECT_EQ(b.Actions(), (fakes::Log{"icon", "hide", "icon again", "menu", "show", "no icon",
                                       "reserve 23", "options", "post close"}));
}

} // namespace
