#pragma once
// What the bar's controller drives: the bar's window, the desktop it stands on, the work area,
// the notification icon and the program around it. The Win32 layer implements each; the host
// tests fake each. Geometry of the bar is in twips, everything inside it in pixels.
#include <string_view>

#include "bar/BarRules.h"
#include "surface/Surface.h"

namespace gb {

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The window; as a display its ScaleWidth and ScaleHeight are its inner size.
class IBarWindow : public IDisplay {
  public:
    virtual frmScrollRules::Geometry GetGeometry() const = 0;
    // Moves and sizes the window (twips, rounded to pixels); it stays topmost.
    virtual void SetGeometry(const frmScrollRules::Geometry& g) = 0;
    // Moves only the left edge: a slide leaves the rest of the geometry as it finds it.
    virtual void MoveLeft(float twips) = 0;
    virtual bool Visible() const = 0;
    // Shows the window without taking the foreground.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Keeps the mouse's messages coming while a button is held anywhere.
    virtual void CaptureMouse() = 0;
    virtual ScreenPoint CursorPos() const = 0;
    // The cursor over the bar from now on (never Unchanged).
    virtual void SetCursor(frmScrollRules::Cursor cursor) = 0;
    virtual void SetDisplayTimer(bool running) = 0;
    virtual void SetRetryTimer(bool running) = 0;
    virtual void PlaceMenuButton(int left, int top) = 0;
    // The help tooltip, built anew over the bar as it is now; or removed.
    virtual void ShowHelpTip(std::u16string_view text, std::u16string_view title, int icon) = 0;
    virtual void HideHelpTip() = 0;
    // Closes through the message loop, so that the unload never runs inside a menu's handler.
    virtual void PostClose() = 0;
    // Runs the pending messages; false when the program is quitting.
    virtual bool RunPendingMessages() = 0;
    virtual void Destroy() = 0;
};

class IDesktop {
  public:
    virtual ~IDesktop() = default;
    virtual frmScrollRules::Screen GetScreen() const = 0;
};

// The top strip of the desktop work area, reserved while the bar lies across the top.
class IWorkArea {
  public:
    virtual ~IWorkArea() = default;
    virtual void Reserve(int heightPixels) = 0;
    virtual void Restore() = 0;
};

// The minimised bar's icon in the notification area.
class ITrayIcon {
  public:
    virtual ~ITrayIcon() = default;
    // False when the shell did not take it.
    virtual bool Add() = 0;
    virtual void Remove() = 0;
    virtual bool Shown() const = 0;
    // The shell restarted and forgot every icon: the icon that was there goes back.
    virtual void AddAgain() = 0;
};

// The pop-up menu's view of the bar: which entries it shows, and what a choice does.
class IBarMenu {
  public:
    virtual ~IBarMenu() = default;
    virtual frmScrollRules::MenuVisibility MenuEntries() const = 0;
    virtual void OnMenu(frmScrollRules::MenuEntry entry) = 0;
};

// What the bar needs of the program around it.
class IBarShell {
  public:
    virtual ~IBarShell() = default;
    // Closes the other windows and saves the settings; the unload's last step.
    virtual void AppShutdown() = 0;
    // Shows the options dialog (or brings the open one to the front).
    virtual void ShowOptions() = 0;
    // Pops the menu up at the pointer.
    virtual void DoScrollPopUp() = 0;
};

} // namespace gb
