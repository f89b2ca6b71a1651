#pragma once
// The bar's behaviour: it owns the strip and the messenger's event handling, and decides what
// every event of the bar's window means - the load with its placement, banner and slide-in,
// the display loop, the mouse gestures, the notification icon, the menu's entries, the work
// area and the unload. It acts only through the interfaces of BarWindow.h, so every rule is a
// host test; the window procedure unpacks messages and calls one member each.
#include <functional>
#include <memory>
#include <optional>

#include "app/Lifetime.h"
#include "bar/BarEvents.h"
#include "bar/BarLife.h"
#include "bar/BarWindow.h"
#include "strip/StripHost.h"

namespace gb {

class colMsg;

// What the bar's strip is built with.
struct BarServices {
    ITextMeasure& measure;
    IWindowActions& windows;
    messenger::IMessengerFactory& messenger;
    ISurfaceFactory& surfaces;
    // A whole number from 0 to 43, uniformly: the banner's emoticon is drawn with it.
    std::function<int()> randomCell;
};

class BarController final : public IBarLink, public IBarMenu {
  public:
    static constexpr double kFontSize = 14.25;
    static constexpr char16_t kFontName[] = u"Arial";

    BarController(IBarWindow& window, IDesktop& desktop, IWorkArea& workArea, ITrayIcon& tray,
                  IBarShell& shell, BarServices services);
    ~BarController() override;
    BarController(const BarController&) = delete;
    BarController& operator=(const BarController&) = delete;

    // The messenger's events reach the bar here; the link is given at Load.
    messenger::IMessengerEvents& Events() noexcept { return events_; }

    // The load: attach to the messenger, build the strip, place the bar off the right edge,
    // reserve, add the banner, start the display loop and slide in. Returns when the bar has
    // slid in, or when a close stopped the slide (the close has run then).
    void Load(messenger::IMessengerLink& link);
    // Open: loaded and not closing.
    bool IsOpen() const noexcept { return loaded_ && life_.IsOpen(); }

    // Window events.
    void Paint(IDisplay& target);
    void Resize();
    void DisplayTick();
    void RetryTick();
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);
    // Another window took the mouse.
    void CaptureLost();
    void MenuButtonDown();
    void TrayEvent(frmScrollRules::TrayMouse mouse);
    void TaskbarCreated();
    // Any close of the window: the unload runs now, or once the bar's own slide has stopped.
    void Close();
    // The session ends when the window's handler returns: everything the unload keeps is kept
    // now (geometry, speed, settings saved; work area and icon given back), without sliding.
    void EndSession();

    // The menu.
    frmScrollRules::MenuVisibility MenuEntries() const override;
    void OnMenu(frmScrollRules::MenuEntry entry) override;

    // The public operations of the bar.
    void SnapToScreen();
    void ShowTooltip();
    void HideToolTip();
    void Minimize();
    void Maximize();
    // The bar's top edge and height, in twips.
    float BarTop() const;
    float BarHeight() const;

    // IBarLink
    colMsg* BarStrip() override { return msgScroll_.get(); }
    void ClearPrevBuddy() override { events_.PrevBuddy.clear(); }

  private:
    enum class UnloadKind { Slide, Quick };
    void Unload(UnloadKind kind);
    // The parts of the unload that keep what must outlive the bar.
    void StoreGeometry();
    void GiveBack();
    void ReserveWorkArea();
    void RestoreWorkArea();
    void Resume();
    int HeightPixels() const;

    IBarWindow& window_;
    IDesktop& desktop_;
    IWorkArea& workArea_;
    ITrayIcon& tray_;
    IBarShell& shell_;
    BarServices services_;
    StripHost stripHost_;
    BarEvents events_;
    messenger::IMessengerLink* link_ = nullptr;
    std::unique_ptr<colMsg> msgScroll_;
    Lifetime life_;
    frmScrollRules::MessengerRetry retry_;
    frmScrollRules::Once shutdown_; // the program's shutdown runs once, however the bar ends

    bool loaded_ = false;
    bool WorkAreaSet_ = false;
    // Where the pointer stood at the start of a modified drag or its last step; none after a
    // plain click, which marks that no modified drag is under way.
    std::optional<ScreenPoint> LastCursorPos_;
    bool SizeMode_ = false;
    bool paused_ = false; // the right button holds the strip
    // The slide-in's target while it runs: an unload meanwhile stores it, not the way there.
    std::optional<float> slideTarget_;
};

} // namespace gb
