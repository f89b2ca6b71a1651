#pragma once
// What a strip and its items need of the window that owns the bar: its font size, measuring,
// the bar's own strip (clicks handed on always go there, whichever strip the item is in),
// its PrevBuddy, the window operations of a click, and the messenger for action clicks.
#include <memory>
#include <string_view>

#include "messenger/Messenger.h"
#include "strip/StdFont.h"

namespace gb {

class colMsg;

class IStripHost {
  public:
    virtual ~IStripHost() = default;

    // The bar window's font size in points; new items and a new strip's says font take it.
    virtual double FontSize() const = 0;
    // The pixel width of text drawn in that font (as a surface realises it).
    virtual float TextWidth(const StdFont& font, std::u16string_view text) = 0;
    // Whether the system has this face; "Arial" always counts as available.
    virtual bool FaceExists(std::u16string_view face) = 0;

    // The bar's strip; null while there is none.
    virtual colMsg* BarStrip() = 0;
    // Forgets the buddy whose says item came last, so the next message shows its name again.
    virtual void ClearPrevBuddy() = 0;

    virtual bool IsIconic(messenger::WindowHandle hwnd) = 0;
    virtual void RestoreWindow(messenger::WindowHandle hwnd) = 0;
    virtual void SetForegroundWindow(messenger::WindowHandle hwnd) = 0;

    // Null when no messenger can be reached.
    virtual messenger::IMessengerFactory* MessengerFactory() = 0;
};

} // namespace gb
