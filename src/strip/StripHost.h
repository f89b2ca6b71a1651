#pragma once
// What a strip and its items need of the program around them, one small interface a concern:
// measuring text, the window operations of a click, the links back to the bar (its strip,
// which receives every handed-on click whichever strip the item is in, and its PrevBuddy),
// the messenger for the notification lines' clicks, and the settings its items read. A StripHost
// names them for one strip.
#include <string_view>

#include "app/modSettings.h"
#include "messenger/Messenger.h"
#include "surface/StdFont.h"
#include "surface/Surface.h"

namespace gb {

class colMsg;

class ITextMeasure {
  public:
    virtual ~ITextMeasure() = default;
    // Pixels, in the font as a surface realises it at that many dots per inch.
    virtual float TextWidth(const StdFont& font, std::u16string_view text, int dpi) = 0;
    virtual float TextHeight(const StdFont& font, std::u16string_view text, int dpi) = 0;
    // Whether the system has this face; "Arial" always counts as available.
    virtual bool FaceExists(std::u16string_view face) = 0;
};

class IWindowActions {
  public:
    virtual ~IWindowActions() = default;
    virtual bool IsIconic(messenger::WindowHandle hwnd) = 0;
    virtual void RestoreWindow(messenger::WindowHandle hwnd) = 0;
    virtual void SetForegroundWindow(messenger::WindowHandle hwnd) = 0;
};

class IBarLink {
  public:
    virtual ~IBarLink() = default;
    // The bar's strip; null while there is none.
    virtual colMsg* BarStrip() = 0;
    // Forgets the buddy whose says item came last, so the next message shows its name again.
    virtual void ClearPrevBuddy() = 0;
};

// Must outlive the strip it is given to.
struct StripHost {
    // The bar window's font size in points; new items and a new strip's says font take it.
    double fontSize = 14.25;
    ITextMeasure& measure;
    IWindowActions& windows;
    // Read as items are made, measured and drawn (the says text, emoticons, the notification
    // lines and the name mode), so that what the dialog changes shows at once.
    const modSettings::SettingsRecord& settings;
    // Null for a strip that no bar stands behind: nothing is handed on, nothing cleared.
    IBarLink* bar = nullptr;
    // Null when no messenger can be reached.
    messenger::IMessengerFactory* messenger = nullptr;
    // The dots per inch of the monitor the strip is shown on: fonts and pictures follow it.
    int dpi = kDefaultDpi;
};

} // namespace gb
