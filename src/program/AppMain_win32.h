#pragma once
// The program's top-level wiring and its life: AppMain brings the windows up, CheckNewVersion
// greets after a first start or an upgrade, AppShutdown closes the rest and saves the settings
// once. The bar and the options dialog know nothing of each other; they meet here.
#include <windows.h>

#include <exception>
#include <memory>

#include "app/modMain.h"
#include "bar/BarStartup.h"
#include "bar/frmMenu_win32.h"
#include "bar/frmScroll_win32.h"
#include "options/frmOptions_win32.h"
#include "strip/StripHost.h"

namespace modMain {

class Application final : public gb::IBarShell, public IWelcomeUi, public gb::IOptionsHostWin32 {
  public:
    explicit Application(HINSTANCE instance);

    // Remembers the foreground, loads the settings, loads the menu and the bar (which slides
    // in), greets, and gives the foreground back. Throws what stops start-up, also when the
    // bar's window cannot be made.
    void AppMain();

    // IBarShell
    void AppShutdown() override;
    void ShowOptions() override { ShowOptionsDialog(scroll_.hWnd()); }
    void DoScrollPopUp() override;

    // IWelcomeUi
    bool ShowBox(const MessageBoxText& box) override;
    void ShowOptionsWithoutOwner() override { ShowOptionsDialog(nullptr); }
    bool BarOpen() override { return scroll_.Controller().IsOpen(); }

    // IOptionsHostWin32: the bar as the dialog sees it.
    gb::DialogScreen Screen() const override;
    void ShowTooltip() override { scroll_.Controller().ShowTooltip(); }
    void HideToolTip() override { scroll_.Controller().HideToolTip(); }
    HICON Icon() override { return scroll_.Icon(); }
    gb::StripHost& TickerStripHost() override { return tickerHost_; }

  private:
    // The options dialog; owner: the bar, or none (from the welcome box).
    void ShowOptionsDialog(HWND owner);

    HINSTANCE instance_;
    gb::frmMenu menu_;
    gb::frmScroll scroll_;
    gb::StripHost tickerHost_;
    gb::frmOptions options_;
    BarRules::Once saved_;
};

// Tells the user, in a message box, why start-up failed.
void ShowStartFailure(const std::exception_ptr& failure) noexcept;

// Runs the one message loop until the last window has closed; returns the exit code.
int RunMessageLoop();

} // namespace modMain
