#pragma once
// What the bar's controller drives: the bar's window, the desktop it stands on (monitors,
// work areas, the shell's application-bar interface, the foreground), the notification icon
// and the program around it. The Win32 layer implements each; the host tests fake each. The
// window speaks virtual-screen pixels; the controller turns them into the twips of the design.
#include <optional>
#include <string_view>
#include <vector>

#include "bar/BarRules.h"
#include "bar/Desktop.h"
#include "surface/Surface.h"

namespace gb {

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The window; as a display its ScaleWidth and ScaleHeight are its inner size.
class IBarWindow : public IDisplay {
  public:
    virtual PixelRect GetRect() const = 0;
    virtual void SetRect(const PixelRect& rect) = 0;
    // Moves only the left edge: a slide leaves the rest of the place as it finds it.
    virtual void MoveLeft(int x) = 0;
    virtual bool Visible() const = 0;
    // Shows the window without taking the foreground.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // In the topmost band (as designed), or out of it and just below the window that covers
    // its monitor (none known: 0); asked again while it lasts, it puts the bar back below that
    // window if anything has raised it.
    virtual void SetTopmost(bool topmost, std::uintptr_t below) = 0;
    // Keeps the mouse's messages coming while a button is held anywhere.
    virtual void CaptureMouse() = 0;
    virtual ScreenPoint CursorPos() const = 0;
    // The cursor over the bar from now on (never Unchanged).
    virtual void SetCursor(frmScrollRules::Cursor cursor) = 0;
    virtual void SetDisplayTimer(bool running) = 0;
    virtual void SetRetryTimer(bool running) = 0;
    // The menu button's place and size, pixels inside the bar.
    virtual void PlaceMenuButton(int left, int top, int size) = 0;
    // The help tooltip, built anew over the bar as it is now (maxWidth pixels wide at most);
    // or removed.
    virtual void ShowHelpTip(std::u16string_view text, std::u16string_view title, int icon,
                             int maxWidth) = 0;
    virtual void HideHelpTip() = 0;
    // A new line has come into the strip: assistive technology announces it once.
    virtual void AnnounceLine(std::u16string_view words) = 0;
    // Closes through the message loop, so that the unload never runs inside a menu's handler.
    virtual void PostClose() = 0;
    // Runs the pending messages; false when the program is quitting.
    virtual bool RunPendingMessages() = 0;
    virtual void Destroy() = 0;
};

class IDesktop {
  public:
    virtual ~IDesktop() = default;
    virtual std::vector<Monitor> Monitors() const = 0;
    virtual std::optional<ForegroundWindow> Foreground() const = 0;
    virtual QuietState Quiet() const = 0;
};

// The shell's application-bar interface for the bar, always at the top edge of a monitor.
class IAppBar {
  public:
    virtual ~IAppBar() = default;
    // Registers the bar with its callback message; false when the shell refuses.
    virtual bool Register() = 0;
    virtual void Unregister() = 0;
    // Asks where the strip would go (the bar's height kept); telling nobody.
    virtual PixelRect QueryPos(const PixelRect& wanted) = 0;
    // Takes that strip and returns the rectangle the shell grants.
    virtual PixelRect SetPos(const PixelRect& proposed) = 0;
    virtual void Activate() = 0;
    virtual void WindowPosChanged() = 0;
};

// The work area of a monitor, read and written directly where no shell arranges it.
class IWorkArea {
  public:
    virtual ~IWorkArea() = default;
    virtual PixelRect Get(const Monitor& monitor) = 0;
    virtual void Set(const PixelRect& area) = 0;
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
