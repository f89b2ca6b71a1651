#pragma once
// The bar's world for its controller: a window, the desktop, the work area, the notification
// icon, the program and the messenger link, each writing what it is asked into one shared log
// so that a test can read the order of everything the controller did.
#include <functional>
#include <string>
#include <vector>

#include "bar/BarWindow.h"
#include "messenger/Messenger.h"

namespace fakes {

using Log = std::vector<std::string>;

class FakeBarWindow final : public gb::IBarWindow {
  public:
    explicit FakeBarWindow(Log& log) : log_(log) {}
    frmScrollRules::Geometry geometry;
    float innerHeight = 20;
    bool visible = false, destroyed = false;
    gb::ScreenPoint cursor;
    frmScrollRules::Cursor shape = frmScrollRules::Cursor::Arrow;
    bool displayTimer = false;
    // Runs between the steps of a slide; false from it stops the program.
    std::function<bool()> pending = [] { return true; };
    float TwipsPerPixel = 15;

    float ScaleWidth() const override { return geometry.Width / TwipsPerPixel; }
    float ScaleHeight() const override { return innerHeight; }
    void Present(gb::ISurface&) override { log_.push_back("present"); }
    frmScrollRules::Geometry GetGeometry() const override { return geometry; }
    void SetGeometry(const frmScrollRules::Geometry& g) override { geometry = g; }
    void MoveLeft(float twips) override {
        geometry.Left = twips;
        log_.push_back("left " + std::to_string(static_cast<int>(twips)));
    }
    bool Visible() const override { return visible; }
    void Show() override { Note("show"), visible = true; }
    void Hide() override { Note("hide"), visible = false; }
    void CaptureMouse() override { Note("capture"); }
    gb::ScreenPoint CursorPos() const override { return cursor; }
    void SetCursor(frmScrollRules::Cursor c) override { shape = c; }
    void SetDisplayTimer(bool on) override {
        Note(on ? "timer on" : "timer off"), displayTimer = on;
    }
    void SetRetryTimer(bool on) override { Note(on ? "retry on" : "retry off"); }
    void PlaceMenuButton(int left, int top) override {
        Note("menu button " + std::to_string(left) + "," + std::to_string(top));
    }
    void ShowHelpTip(std::u16string_view, std::u16string_view, int) override { Note("tip"); }
    void HideHelpTip() override { Note("no tip"); }
    void PostClose() override { Note("post close"); }
    bool RunPendingMessages() override { return pending(); }
    void Destroy() override { Note("destroy"), destroyed = true; }

  private:
    void Note(std::string what) { log_.push_back(std::move(what)); }
    Log& log_;
};

struct FakeDesktop final : gb::IDesktop {
    frmScrollRules::Screen screen{15360, 11520, 15, 15}; // 1024 x 768 at 96 dots per inch
    frmScrollRules::Screen GetScreen() const override { return screen; }
};

struct FakeWorkArea final : gb::IWorkArea {
    explicit FakeWorkArea(Log& log) : log_(log) {}
    void Reserve(int height) override { log_.push_back("reserve " + std::to_string(height)); }
    void Restore() override { log_.push_back("restore"); }
    Log& log_;
};

struct FakeTray final : gb::ITrayIcon {
    explicit FakeTray(Log& log) : log_(log) {}
    bool shown = false;
    bool Add() override { return log_.push_back("icon"), shown = true; }
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
