#pragma once
// The bar's world for its controller: its window, the desktop (monitors, work areas and the
// shell's application-bar interface) and the program around it (the notification area and the
// messenger link), each writing what it is asked into one shared log so that a test can read
// the order of everything the controller did.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bar/AppBar.h"
#include "bar/BarShell.h"
#include "bar/BarWindow.h"
#include "bar/TrayIcon.h"
#include "messenger/Messenger.h"

namespace fakes {

using Log = std::vector<std::string>;

// What a fake notes goes into the shared log.
struct Logs {
    explicit Logs(Log& into) : log(into) {}
    void Note(std::string what) const { log.push_back(std::move(what)); }
    Log& log;
};

struct FakeBarWindow final : gb::IBarWindow, Logs {
    using Logs::Logs;
    gb::PixelRect rect;
    bool visible = false, destroyed = false, displayTimer = false;
    int presents = 0;
    gb::ScreenPoint cursor;
    // Runs between the steps of a slide; false from it stops the program.
    std::function<bool()> pending = [] { return true; };

    float ScaleWidth() const override { return static_cast<float>(rect.Width()); }
    float ScaleHeight() const override { return static_cast<float>(rect.Height()); }
    void Present(gb::ISurface&) override { ++presents; }
    gb::PixelRect GetRect() const override { return rect; }
    void SetRect(const gb::PixelRect& r) override { rect = r; }
    // A slide's steps are one entry.
    void MoveLeft(int x) override {
        rect.right += x - rect.left, rect.left = x;
        if (log.empty() || log.back() != "slide") Note("slide");
    }
    bool Visible() const override { return visible; }
    void Show() override { Note("show"), visible = true; }
    void Hide() override { Note("hide"), visible = false; }
    bool topmost = true;
    // Only a change is noted: below a full-screen program the bar is asked again each tick.
    void SetTopmost(bool on, std::uintptr_t) override {
        if (std::exchange(topmost, on) != on) Note(on ? "topmost" : "below");
    }
    void CaptureMouse() override { Note("capture"); }
    gb::ScreenPoint CursorPos() const override { return cursor; }
    void SetCursor(BarRules::Cursor) override {}
    void SetDisplayTimer(bool on) override {
        if (std::exchange(displayTimer, on) != on) Note(on ? "timer on" : "timer off");
    }
    void SetRetryTimer(bool on) override { Note(on ? "retry on" : "retry off"); }
    void PlaceMenuButton(int left, int top, int size) override {
        Note("button " + std::to_string(left) + "," + std::to_string(top) + " " +
             std::to_string(size));
    }
    void ShowHelpTip(std::u16string_view, std::u16string_view, int, int width) override {
        Note("tip " + std::to_string(width));
    }
    void HideHelpTip() override { Note("no tip"); }
    void AnnounceLine(std::u16string_view words) override {
        Note("say " + std::string(words.begin(), words.end()));
    }
    void PostClose() override { Note("post close"); }
    bool RunPendingMessages() override { return pending(); }
    void Destroy() override { Note("destroy"), destroyed = true; }
};

// The desktop: one 1024 x 768 monitor at 96 dots per inch unless a test lays out others, its
// work areas, and a shell that takes application bars (and then keeps the primary's work area
// free of them) or only acknowledges them, or has no such interface.
struct FakeDesktop final : gb::IDesktop, gb::IWorkArea, gb::IAppBar, Logs {
    using Logs::Logs;
    std::vector<gb::Monitor> monitors{{{0, 0, 1024, 768}, {0, 0, 1024, 768}, 96, true}};
    std::optional<gb::ForegroundWindow> foreground;
    gb::QuietState quiet = gb::QuietState::None;
    bool answers = false, arranges = false; // the shell registers bars, and arranges for them
    int taskbarAtTop = 0;                   // a taskbar's height at the top of the primary
    // The shell tells the other bars when this one registers, leaves or takes a place.
    std::function<void()> tellOthers = [] {};

    std::vector<gb::Monitor> Monitors() const override { return monitors; }
    std::optional<gb::ForegroundWindow> Foreground() const override { return foreground; }
    gb::QuietState Quiet() const override { return quiet; }
    gb::PixelRect Get(const gb::Monitor& m) override { return At(m.bounds).work; }
    void Set(const gb::PixelRect& area) override {
        Note("work area top " + std::to_string(area.top));
        At(area).work = area;
    }
    // The monitor with these sides.
    gb::Monitor& At(const gb::PixelRect& r) {
        for (auto& m : monitors)
            if (m.bounds.left == r.left && m.bounds.right == r.right) return m;
        return monitors[0];
    }
    bool Register() override {
        if (answers) tellOthers();
        return Note("appbar new"), answers;
    }
    void Unregister() override {
        Note("appbar remove");
        if (arranges) monitors[0].work.top = taskbarAtTop;
        tellOthers();
    }
    gb::PixelRect QueryPos(const gb::PixelRect& r) override {
        return {r.left, r.top + taskbarAtTop, r.right, r.bottom + taskbarAtTop};
    }
    gb::PixelRect SetPos(const gb::PixelRect& r) override {
        Note("appbar pos " + std::to_string(r.top));
        if (arranges) monitors[0].work.top = r.bottom;
        tellOthers();
        return r;
    }
    void Activate() override {}
    void WindowPosChanged() override {}
};

// The program around the bar: the notification area for its icon, and its link to a
// messenger that is there at once.
struct FakeShell final : gb::IBarShell, gb::ITrayIcon, messenger::IMessengerLink, Logs {
    using Logs::Logs;
    bool shown = false, refuses = false; // the icon, and a shell that will not take it
    void AppShutdown() override { Note("shutdown"); }
    void ShowOptions() override { Note("options"); }
    void DoScrollPopUp() override { Note("menu"); }
    bool Add() override { return Note(refuses ? "icon refused" : "icon"), shown = !refuses; }
    void Remove() override {
        if (std::exchange(shown, false)) Note("no icon");
    }
    bool Shown() const override { return shown; }
    void AddAgain() override { Note("icon again"); }
    bool TryAttach() override { return true; }
    void Detach() override { Note("detach"); }
};

} // namespace fakes
