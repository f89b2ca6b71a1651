#pragma once
// The hidden window that owns the bar's pop-up menu. It is never shown; it pops the menu up
// at the pointer and hands the chosen entry to the bar.
#include <windows.h>

#include "app/Handles_win32.h"

namespace gb {

// What the menu's entries do; the bar implements it.
class IScrollMenuTarget {
  public:
    virtual ~IScrollMenuTarget() = default;
    virtual bool BarVisible() = 0;
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    virtual void SnapToScreen() = 0;
    virtual void ShowOptions() = 0;
    virtual void Exit() = 0;
};

// Entry ids of the menu, as WM_COMMAND carries them.
enum MenuEntry : UINT {
    mnuScrollMinimize = 1,
    mnuScrollMaximize,
    mnuScrollSnap,
    mnuScrollOptions,
    mnuScrollExit,
};

class frmMenu {
  public:
    frmMenu() = default;
    frmMenu(const frmMenu&) = delete;
    frmMenu& operator=(const frmMenu&) = delete;

    // Creates the hidden window; false when it could not be made.
    bool Load(HINSTANCE instance);
    // Entries chosen from now on go to target; null drops them.
    void SetTarget(IScrollMenuTarget* target) noexcept { target_ = target; }
    void Unload() noexcept { window_.reset(); }
    HWND hWnd() const noexcept { return window_.get(); }

    // Pops the menu up at the pointer: "&Minimize" while the bar is visible, "&Maximize"
    // while it is not. Returns when the menu has closed; the chosen entry's action runs
    // afterwards, from the message loop, so that it never runs inside the caller.
    void DoScrollPopUp();

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(UINT entry);

    unique_hwnd window_;
    IScrollMenuTarget* target_ = nullptr;
    bool tracking_ = false;
};

} // namespace gb
