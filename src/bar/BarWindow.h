#pragma once
// The bar's window as its controller drives it. The Win32 layer implements it and the host
// tests fake it, like the controller's other interfaces: the desktop (Desktop.h), the
// application bar and work area (AppBar.h), the notification icon (TrayIcon.h) and the program
// around the bar (BarShell.h). The window speaks virtual-screen pixels; the controller turns
// them into twips.
#include <cstdint>
#include <string_view>

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
    virtual void SetCursor(BarRules::Cursor cursor) = 0;
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

} // namespace gb
