#pragma once
// The program's life: AppMain brings the windows up, CheckNewVersion greets after a first
// start or an upgrade, AppShutdown closes the rest and saves the settings once.
#include <windows.h>

#include "bar/BarLife.h"
#include "bar/frmMenu_win32.h"
#include "bar/frmScroll_win32.h"
#include "options/frmOptions_win32.h"

#include <exception>
#include <memory>

namespace modMain {

class Application final : public gb::IBarShell, public IWelcomeUi {
  public:
    explicit Application(HINSTANCE instance) : instance_(instance), scroll_(*this, instance) {}

    // Remembers the foreground, loads the settings, loads the menu and the bar (which slides
    // in), greets, and gives the foreground back. Throws what stops start-up, also when the
    // bar's window cannot be made.
    void AppMain();
    void CheckNewVersion();

    // IBarShell
    void AppShutdown() override;
    void ShowOptions() override;
    void DoScrollPopUp() override;
    // The options dialog; owner: the bar, or none (from the welcome box).
    void ShowOptionsDialog(HWND owner);

    // IWelcomeUi
    int ShowBox(const MessageBoxText& box) override;
    void ShowOptionsWithoutOwner() override { ShowOptionsDialog(nullptr); }
    bool BarOpen() override { return scroll_.IsOpen(); }

  private:
    HINSTANCE instance_;
    gb::frmMenu menu_;
    gb::frmScroll scroll_;
    std::unique_ptr<gb::frmOptions> options_;
    frmScrollRules::Once saved_;
};

// Tells the user, in a message box, why start-up failed.
void ShowStartFailure(const std::exception_ptr& failure) noexcept;

// Runs the one message loop until the last window has closed; returns the exit code.
int RunMessageLoop();

} // namespace modMain
