#pragma once
// What the options dialog's controller drives: the dialog window with its controls, pages,
// arrows and ticker. The Win32 layer implements it; the host tests fake it. The dialog's
// place is in pixels of the virtual screen, everything inside it in pixels too.
#include <string_view>

#include "options/OptionsModel.h"
#include "surface/Surface.h"

namespace gb {

// A page's left edge and width inside the dialog, in pixels.
struct PageSpan {
    float left = 0, width = 0;
};

class IOptionsWindow {
  public:
    virtual ~IOptionsWindow() = default;

    // Makes the dialog with its controls, topmost and hidden, laid out at the given dots per
    // inch with its top-left corner at left, top; owned by the bar's window or by none. False
    // when it could not be made.
    virtual bool Create(bool owned, int left, int top, int dpi) = 0;
    // The dialog goes with its controls and its ticker's timer.
    virtual void Destroy() = 0;
    virtual void Show() = 0;
    virtual void BringToFront() = 0;
    // The dialog's left edge and outer width.
    virtual int Left() const = 0;
    virtual int Width() const = 0;
    // Moves only the left edge: a slide leaves the rest as it finds it.
    virtual void MoveLeft(int left) = 0;
    // The dialog's inner width in pixels: the ticker's and the pages' room. It changes with the
    // dots per inch of the monitor the dialog stands on.
    virtual float ScaleWidth() const = 0;

    // The controls' values: the user's edits read back, or the model's written out (the name
    // sample and the domain box's enabling with them).
    virtual OptionsControls ReadControls() const = 0;
    virtual void WriteControls(const OptionsControls& controls) = 0;
    virtual void WriteNameSample(std::u16string_view sample, bool domainEnabled) = 0;

    virtual PageSpan Page(int index) const = 0;
    virtual void MovePage(int index, float left) = 0;
    virtual void ShowPage(int index, bool visible) = 0;
    virtual void ShowArrows(bool previous, bool next) = 0;
    // Whether the keyboard focus is on a control of the page (or was, while the dialog is not
    // active); gives the focus to the page's first control that takes it, "&Okay" on a page
    // without one.
    virtual bool FocusOnPage(int index) const = 0;
    virtual void FocusPage(int index) = 0;
    virtual void EnableArrows(bool enabled) = 0;

    // The "Error" box; returns once it is closed (messages run meanwhile).
    virtual void ShowError(std::u16string_view text) = 0;
    virtual void FocusUnreadMail() = 0;

    // The ticker, its display timer, and its hold on the mouse while a button is down.
    virtual IDisplay& Ticker() = 0;
    virtual void SetTickerTimer(bool running) = 0;
    virtual void CaptureTickerMouse() = 0;

    // Runs the pending messages; false when the program is quitting.
    virtual bool RunPendingMessages() = 0;
    virtual void OpenWebPage(std::u16string_view address) = 0;
};

} // namespace gb
