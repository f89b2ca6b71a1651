#pragma once
// The desktop as the bar's controller sees it, on Windows: the monitors with their work areas
// and dots per inch, the foreground window and the user's notification state; the shell's
// application-bar interface; and the work area written directly where no shell arranges it.
#include <windows.h>

#include <shellapi.h>

#include "bar/AppBar.h"
#include "bar/Desktop.h"

namespace gb {

class Win32Desktop final : public IDesktop {
  public:
    std::vector<Monitor> Monitors() const override;
    std::optional<ForegroundWindow> Foreground() const override;
    QuietState Quiet() const override;

    // The effective DPI of the monitor nearest the window (the system's where the platform
    // cannot tell a monitor's own).
    static int DpiOf(HWND hwnd) noexcept;
};

class ShellAppBar final : public IAppBar {
  public:
    // The bar's window and the message the shell's notices come back as.
    void Attach(HWND bar, UINT callback) noexcept { bar_ = bar, callback_ = callback; }
    bool Register() override;
    void Unregister() override;
    PixelRect QueryPos(const PixelRect& wanted) override;
    PixelRect SetPos(const PixelRect& proposed) override;
    void Activate() override;
    void WindowPosChanged() override;

  private:
    APPBARDATA Data() const noexcept;
    HWND bar_ = nullptr;
    UINT callback_ = 0;
    bool registered_ = false;
};

class MonitorWorkArea final : public IWorkArea {
  public:
    PixelRect Get(const Monitor& monitor) override;
    void Set(const PixelRect& area) override;
};

} // namespace gb
