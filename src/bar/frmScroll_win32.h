#pragma once
// The bar's window: a thin, borderless, topmost window through which the strip scrolls. Its
// window procedure unpacks each message and makes one call of the bar's controller, which
// decides everything; the window carries the controller's decisions out on Win32.
#include <windows.h>

#include <memory>
#include <random>

#include "bar/BarAccessible_win32.h"
#include "bar/BarController.h"
#include "bar/Desktop_win32.h"
#include "bar/TrayIcon_win32.h"
#include "bar/clsTooltip_win32.h"
#include "kit/ForegroundWatch_win32.h"
#include "kit/Window_win32.h"
#include "messenger/MessengerBinding_win32.h"
#include "messenger/MessengerLink_win32.h"
#include "strip/StripHost_win32.h"
#include "surface/OffscreenDC_win32.h"

namespace gb {

class frmScroll final : public Window, public IBarWindow {
  public:
    // settings: the bar's, which it reads and its unload writes; it must outlive the bar.
    frmScroll(IBarShell& shell, HINSTANCE instance, modSettings::SettingsRecord& settings);
    ~frmScroll() override;

    // Creates the window and runs the load; returns when the bar has slid in. False when the
    // window could not be made, or the bar closed while it slid in.
    bool Load();
    // The window was made (it may have closed since).
    bool Created() const noexcept { return created_; }
    BarController& Controller() noexcept { return controller_; }
    const BarController& Controller() const noexcept { return controller_; }
    HICON Icon() const noexcept { return icon_.get(); }
    // What the options dialog's ticker measures and acts with.
    ITextMeasure& Measure() noexcept { return measure_; }
    IWindowActions& WindowActions() noexcept { return windowActions_; }
    messenger::IMessengerFactory& MessengerFactory() noexcept { return factory_; }

    static constexpr UINT kTrayCallback = WM_APP + 1;
    static constexpr UINT kAppBarCallback = WM_APP + 2;
    static constexpr UINT kForegroundChanged = WM_APP + 3;

    // IDisplay
    float ScaleWidth() const override;
    float ScaleHeight() const override;
    void Present(ISurface& canvas) override;
    // IBarWindow
    PixelRect GetRect() const override;
    void SetRect(const PixelRect& rect) override;
    void MoveLeft(int x) override;
    bool Visible() const override;
    void Show() override;
    void Hide() override;
    void SetTopmost(bool topmost, std::uintptr_t below) override;
    void CaptureMouse() override;
    ScreenPoint CursorPos() const override;
    void SetCursor(BarRules::Cursor cursor) override;
    void SetDisplayTimer(bool running) override;
    void SetRetryTimer(bool running) override;
    void PlaceMenuButton(int left, int top, int size) override;
    void ShowHelpTip(std::u16string_view text, std::u16string_view title, int icon,
                     int maxWidth) override;
    void HideHelpTip() override;
    void AnnounceLine(std::u16string_view words) override;
    void PostClose() override;
    bool RunPendingMessages() override;
    void Destroy() override { Window::Destroy(); }

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildMessage(HWND child, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnPaint(HDC dc);
    void OnButtonUp(int button, WPARAM wp, LPARAM lp);
    bool OnSetCursor(HWND over, UINT hitTest);
    void OnAppBar(WPARAM notice, LPARAM arg);
    void LoadCursorAndIcons();

    HINSTANCE instance_;
    unique_hicon icon_;
    unique_hicon smallIcon_;
    unique_hcursor hand_;
    HCURSOR cursor_ = nullptr; // chosen by the last pointer movement
    UINT taskbarCreated_ = 0;
    HWND cmdMenu_ = nullptr; // a child of the window, destroyed with it
    bool created_ = false;
    std::mt19937 random_; // the banner's emoticon
    struct HelpTip {
        std::u16string text, title;
        int icon = 0, maxWidth = 0;
    } tip_;

    OffscreenDCFactory surfaces_;
    GdiTextMeasure measure_;
    DesktopWindowActions windowActions_;
    messenger::ComMessengerFactory factory_;
    Win32Desktop desktop_;
    ShellAppBar appBar_;
    MonitorWorkArea workArea_;
    TrayIcon tray_;
    ForegroundWatch foreground_;
    std::unique_ptr<clsTooltip> tooltip_;
    com_ptr<BarAccessible> accessible_; // made when assistive technology first asks
    BarController controller_;
    messenger::MessengerLink link_;
};

} // namespace gb
