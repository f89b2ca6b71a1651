#pragma once
// The bar: a thin, borderless, topmost window through which the strip scrolls. It owns the
// strip, the help tooltip, the messenger link and the notification icon, places and slides
// itself, reserves the top of the work area while it lies across the top of the screen, and
// turns the mouse into the gestures of BarRules.
#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "app/Handles_win32.h"
#include "bar/BarEvents.h"
#include "bar/BarLife.h"
#include "bar/BarRules.h"
#include "bar/WorkArea_win32.h"
#include "bar/clsTooltip_win32.h"
#include "bar/frmMenu_win32.h"
#include "messenger/MessengerBinding_win32.h"
#include "messenger/MessengerLink_win32.h"
#include "options/frmOptions_win32.h"
#include "strip/StripHost_win32.h"
#include "strip/colMsg.h"
#include "surface/OffscreenDC_win32.h"

namespace gb {

// What the bar needs of the program around it.
class IBarShell {
  public:
    virtual ~IBarShell() = default;
    // Closes the other windows and saves the settings; the unload's last step.
    virtual void AppShutdown() = 0;
    // Shows the options dialog (or brings the open one to the front).
    virtual void ShowOptions() = 0;
    // Pops the menu up at the pointer.
    virtual void DoScrollPopUp() = 0;
};

class frmScroll final : public StripHostBase, public IScrollMenuTarget, public IOptionsHostWin32 {
  public:
    frmScroll(IBarShell& shell, HINSTANCE instance);
    ~frmScroll() override;
    frmScroll(const frmScroll&) = delete;
    frmScroll& operator=(const frmScroll&) = delete;

    // Creates the window and runs the load: messenger, strip, placement, banner, slide-in.
    // Returns when the bar has slid in; false when it closed meanwhile (or could not be made).
    bool Load();
    HWND hWnd() const noexcept { return window_.get(); }
    // The window was made (it may have closed since).
    bool Created() const noexcept { return created_; }
    // The window exists and is not closing.
    bool IsOpen() const noexcept { return window_ && !unloading_; }

    // The public operations of the bar.
    void SnapToScreen() override;
    void ShowTooltip() override;
    void HideToolTip() override;
    void Minimize() override;
    void Maximize() override;

    // The bar's top edge and height in twips, for placing the options dialog below it.
    float BarTop() const override;
    float BarHeight() const override;
    HICON Icon() override { return icon_.get(); }
    IStripHost& TickerStripHost() override { return *this; }

    // IScrollMenuTarget
    bool BarVisible() override;
    void ShowOptions() override;
    void Exit() override;

    // IStripHost (measuring, the face check and window operations come from StripHostBase)
    double FontSize() const override { return kFontSize; }
    colMsg* BarStrip() override { return msgScroll_.get(); }
    void ClearPrevBuddy() override;
    messenger::IMessengerFactory* MessengerFactory() override { return &factory_; }

    static constexpr double kFontSize = 14.25;
    static constexpr UINT kTrayCallback = WM_APP + 1;

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    static LRESULT CALLBACK MenuButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                           DWORD_PTR self) noexcept;
    LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    void Form_Load();
    void OnPaint();
    void OnPrintClient(HDC dc);
    void Form_Resize();
    void tmrDisplay_Timer();
    void tmrRetry_Timer();
    void Form_MouseDown(int button, int shift, float x, float y);
    void Form_MouseMove(int button, int shift, float x, float y);
    void Form_MouseUp(int button, int shift, float x, float y);
    bool OnSetCursor(HWND over, UINT hitTest);
    void OnCaptureChanged(HWND gainer);
    void Resume();
    void OnTrayCallback(UINT mouseMessage);
    void OnTaskbarCreated();
    void OnClose();
    void OnEndSession(bool ending);
    void cmdMenu_MouseDown();
    // The unload; quick leaves out the slide-out (the session is ending).
    void Form_Unload(bool quick);

    void ReserveWorkArea();
    void RestoreWorkArea();
    void AttachMessenger();
    void AddTrayIcon();
    void RemoveTrayIcon();
    frmScrollRules::Geometry Geometry() const;
    void SetGeometry(const frmScrollRules::Geometry& g);
    int HeightPixels() const;
    float InnerWidth() const;
    void Present(HDC dc);

    IBarShell& shell_;
    HINSTANCE instance_;
    unique_hwnd window_;
    HWND cmdMenu_ = nullptr; // a child of window_, destroyed with it
    unique_hicon icon_;
    unique_hicon smallIcon_;
    unique_hcursor hand_;
    HCURSOR cursor_ = nullptr; // chosen by the last pointer movement
    UINT taskbarCreated_ = 0;

    OffscreenDCFactory surfaces_;
    OffscreenDC measure_; // the bar's font, for its height and the banner's lead
    messenger::ComMessengerFactory factory_;
    std::unique_ptr<colMsg> msgScroll_;
    std::unique_ptr<BarEvents> events_;
    std::unique_ptr<messenger::MessengerLink> Msn_;
    frmScrollRules::MessengerRetry retry_;
    std::unique_ptr<clsTooltip> Tooltip_;
    WorkAreaReservation workArea_;
    NOTIFYICONDATAW TrayIcon_{};
    bool trayIconAdded_ = false;

    POINT LastCursorPos_{-1, -1};
    bool SizeMode_ = false;
    bool paused_ = false; // the right button holds the strip
    bool slidingIn_ = false;
    float slideTarget_ = 0;
    bool unloading_ = false;
    bool created_ = false;
};

} // namespace gb
