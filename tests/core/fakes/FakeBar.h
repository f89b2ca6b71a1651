#pragma once
// The bar's world for its controller: a window, the desktop, the shell's application-bar
// interface and work areas, the notification icon, the program and the messenger link, each
// writing what it is asked into one shared log so that a test can read the order of
// everything the controller did.
#include <functional>
#include <string>
#include <vector>

#include "bar/BarWindow.h"
#include "messenger/Messenger.h"

namespace fakes {

using Log = std::vector<std::string>;

inline std::string Text(const gb::PixelRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

class FakeBarWindow final : public gb::IBarWindow {
  public:
    explicit FakeBarWindow(Log& log) : log_(log) {}
    gb::PixelRect rect;
    bool visible = false, topmost = true, destroyed = false, displayTimer = false;
    gb::ScreenPoint cursor;
    frmScrollRules::Cursor shape = frmScrollRules::Cursor::Arrow;
    // Runs between the steps of a slide; false from it stops the program.
    std::function<bool()> pending = [] { return true; };

    float ScaleWidth() const override { return static_cast<float>(rect.Width()); }
    float ScaleHeight() const override { return static_cast<float>(rect.Height()); }
    int presents = 0;
    void Present(gb::ISurface&) override { ++presents; }
    gb::PixelRect GetRect() const override { return rect; }
    void SetRect(const gb::PixelRect& r) override { rect = r; }
    void MoveLeft(int x) override {
        rect.right += x - rect.left, rect.left = x;
        Note("left " + std::to_string(x));
    }
    bool Visible() const override { return visible; }
    void Show() override { Note("show"), visible = true; }
    void Hide() override { Note("hide"), visible = false; }
    void SetTopmost(bool on) override { Note(on ? "topmost" : "below"), topmost = on; }
    void CaptureMouse() override { Note("capture"); }
    gb::ScreenPoint CursorPos() const override { return cursor; }
    void SetCursor(frmScrollRules::Cursor c) override { shape = c; }
    void SetDisplayTimer(bool on) override {
        if (on != displayTimer) Note(on ? "timer on" : "timer off");
        displayTimer = on;
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

  private:
    void Note(std::string what) { log_.push_back(std::move(what)); }
    Log& log_;
};

// One 1024 x 768 monitor at 96 dots per inch unless a test lays out others.
struct FakeDesktop final : gb::IDesktop {
    std::vector<gb::Monitor> monitors{{{0, 0, 1024, 768}, {0, 0, 1024, 768}, 96, true}};
    std::optional<gb::ForegroundWindow> foreground;
    gb::QuietState quiet = gb::QuietState::None;
    std::vector<gb::Monitor> Monitors() const override { return monitors; }
    std::optional<gb::ForegroundWindow> Foreground() const override { return foreground; }
    gb::QuietState Quiet() const override { return quiet; }
};

// A shell that takes bars (and then keeps the work area free of them) or only acknowledges.
struct FakeAppBar final : gb::IAppBar {
    FakeAppBar(Log& log, FakeDesktop& desktop) : log_(log), desktop_(desktop) {}
    bool answers = false;  // registers bars at all
    bool arranges = false; // and keeps the work area free of them
    int taskbarAtTop = 0;  // a taskbar's height at the top of the primary monitor
    bool Register() override { return log_.push_back("appbar new"), answers; }
    void Unregister() override {
        log_.push_back("appbar remove");
        if (arranges) desktop_.monitors[0].work.top = taskbarAtTop;
    }
    gb::PixelRect SetPos(const gb::PixelRect& wanted) override {
        gb::PixelRect granted = wanted;
        granted.top += taskbarAtTop, granted.bottom += taskbarAtTop;
        log_.push_back("appbar pos " + Text(granted));
        if (arranges) desktop_.monitors[0].work.top = granted.bottom;
        return granted;
    }
    void Activate() override { log_.push_back("appbar activate"); }
    void WindowPosChanged() override { log_.push_back("appbar moved"); }
    Log& log_;
    FakeDesktop& desktop_;
};

struct FakeWorkArea final : gb::IWorkArea {
    FakeWorkArea(Log& log, FakeDesktop& desktop) : log_(log), desktop_(desktop) {}
    gb::PixelRect Get(const gb::Monitor& m) override {
        for (const auto& d : desktop_.monitors)
            if (d.bounds == m.bounds) return d.work;
        return m.work;
    }
    void Set(const gb::PixelRect& area) override {
        log_.push_back("work area top " + std::to_string(area.top));
        for (auto& d : desktop_.monitors)
            if (d.work.left == area.left && d.work.right == area.right) d.work = area;
    }
    Log& log_;
    FakeDesktop& desktop_;
};

struct FakeTray final : gb::ITrayIcon {
    explicit FakeTray(Log& log) : log_(log) {}
    bool shown = false, refuses = false;
    bool Add() override {
        log_.push_back(refuses ? "icon refused" : "icon");
        return shown = !refuses;
    }
    void Remove() override {
        if (shown) log_.push_back("no icon");
        shown = false;
    }
    bool Shown() const override { return shown; }
    void AddAgain() override { log_.push_back("icon again"); }
    Log& log_;
};

struct FakeShell final : gb::IBarShell {
    explicit FakeShell(Log& log) : log_(log) {}
    void AppShutdown() override { log_.push_back("shutdown"); }
    void ShowOptions() override { log_.push_back("options"); }
    void DoScrollPopUp() override { log_.push_back("menu"); }
    Log& log_;
};

struct FakeLink final : messenger::IMessengerLink {
    explicit FakeLink(Log& log) : log_(log) {}
    bool attaches = true;
    bool TryAttach() override { return attaches; }
    void Detach() override { log_.push_back("detach"); }
    Log& log_;
};

} // namespace fakes
