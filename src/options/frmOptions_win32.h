#pragma once
// The options dialog: four pages of settings turned with two arrows, the ticker with the
// About lines across its top, "&Okay" and "&Not okay". The decisions live in OptionsModel,
// OptionsTicker and AboutLines; this window only mirrors them.
#include <windows.h>

#include <memory>

#include "options/OptionsHost.h"

namespace gb {

struct StripHost;

// The bar as the dialog's window sees it.
class IOptionsHostWin32 : public IOptionsHost {
  public:
    // The bar's icon; the dialog takes a copy of its own.
    virtual HICON Icon() = 0;
    // Measures text and gives new items their font size; used by the ticker's strip.
    virtual const StripHost& TickerStripHost() = 0;
};

class frmOptions {
  public:
    // module: where the dialog's pictures and the emoticon picture strip are found.
    frmOptions(IOptionsHostWin32& host, HINSTANCE module);
    // Destroys an open dialog at once, without sliding it out.
    ~frmOptions();
    frmOptions(const frmOptions&) = delete;
    frmOptions& operator=(const frmOptions&) = delete;

    // Shows the dialog modeless (owner: the bar's window, or null from the welcome box) and
    // slides it in below the bar; returns when it stands centred or was closed meanwhile.
    // While it is open a second show only brings it to the front.
    void Show(HWND owner);
    // Closes the dialog if it is open, as "&Not okay" does: edits are discarded, a running
    // slide or page turn stops at once, the dialog slides out and is destroyed. Shutdown
    // calls it before the settings are saved.
    void Unload();

    bool IsOpen() const noexcept;
    // The dialog's window; null while it is not open.
    HWND hWnd() const noexcept;

    struct State;

  private:
    friend struct OptionsWindows;

    IOptionsHostWin32& host_;
    HINSTANCE module_;
    std::shared_ptr<State> state_;
};

// Control ids of the dialog, for tests that read the window tree.
enum OptionsControlId : int {
    idcOK = IDOK,
    idcCancel = IDCANCEL,
    idcPicMsg = 100,
    idcPicPrev,
    idcPicNext,
    idcPage0,
    idcPage1,
    idcPage2,
    idcPage3,
    idcPicInfo,
    idcShowEmo,
    idcShowSignInOut,
    idcActAsBar,
    idcShowTooltip,
    idcBuddyNameSample,
    idcNickname,
    idcAddress,
    idcNoDomainName,
    idcSays,
    idcShowSaysOnce,
    idcBuddyLogon,
    idcBuddyLogoff,
    idcUnreadMail,
    idcPlaceHolder,
    idcNote,
    idcLabel,
};

} // namespace gb
