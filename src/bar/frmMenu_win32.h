#pragma once
// The hidden window that owns the bar's pop-up menu. It is never shown; it pops the menu up
// at the pointer and hands the chosen entry to the bar.
#include <windows.h>

#include "bar/BarShell.h"
#include "kit/Window_win32.h"

namespace gb {

// Entry ids of the menu, as WM_COMMAND carries them.
enum MenuEntryId : UINT {
    mnuScrollMinimize = 1,
    mnuScrollMaximize,
    mnuScrollSnap,
    mnuScrollOptions,
    mnuScrollExit,
};

class frmMenu final : public Window {
  public:
    // Creates the hidden window; false when it could not be made.
    bool Load(HINSTANCE instance);
    // Entries chosen from now on go to target; null drops them.
    void SetTarget(IBarMenu* target) noexcept { target_ = target; }
    void Unload() noexcept { Destroy(); }

    // Pops the menu up at the pointer: "&Minimize" while the bar is visible, "&Maximize"
    // while it is not. Returns when the menu has closed; the chosen entry's action runs
    // afterwards, from the message loop, so that it never runs inside the caller.
    void DoScrollPopUp();

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    IBarMenu* target_ = nullptr;
    bool tracking_ = false;
};

} // namespace gb
