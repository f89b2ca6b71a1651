#pragma once
// The bar's behaviour: it owns the strip and the messenger's event handling, and decides what
// every event of the bar's window means - the load with its placement, banner and slide-in,
// the display loop, the mouse gestures, the notification icon, the menu's entries, the strip
// it reserves at the top of its monitor, full-screen programs, changes of display, DPI and
// shell, and the unload. It acts only through the interfaces of BarWindow.h, so every rule is
// a host test; the window procedure unpacks messages and calls one member each.
//
// "The screen" of every rule is the monitor the bar mostly lies on; its place is stored in the
// twips of the virtual screen (Desktop.h).
#include <functional>
#include <memory>
#include <optional>

#include "app/Lifetime.h"
#include "app/modSettings.h"
#include "bar/AppBar.h"
#include "bar/BarEvents.h"
#include "bar/BarShell.h"
#include "bar/BarStartup.h"
#include "bar/BarWindow.h"
#include "bar/Desktop.h"
#include "bar/Docking.h"
#include "bar/TrayIcon.h"
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

// What the shell tells an application bar.
enum class AppBarNotice { PositionsChanged, FullScreenOpened, FullScreenClosed };

class BarController final : public IBarLink, public IBarMenu, public messenger::IMessengerEvents {
  public:
    static constexpr double kFontSize = 14.25;
    static constexpr char16_t kFontName[] = u"Arial";

    // settings: what the bar and its strip read (the dialog's changes show at once) and where
    // the unload keeps the bar's place and speed; it must outlive the bar.
    BarController(IBarWindow& window, IDesktop& desktop, IAppBar& appBar, IWorkArea& workArea,
                  ITrayIcon& tray, IBarShell& shell, modSettings::SettingsRecord& settings,
                  BarServices services);
    ~BarController() override;
    BarController(const BarController&) = delete;
    BarController& operator=(const BarController&) = delete;

    // The messenger's events reach the bar here; the link is given at Load.
    messenger::IMessengerEvents& Events() noexcept { return *this; }
    void OnTextReceived(const messenger::SessionPtr& session, const messenger::ContactPtr& sender,
                        const std::u16string& header, const std::u16string& text) override;
    void OnUserStateChanged(const messenger::ContactPtr& user, std::int32_t previousState) override;
    void OnUnreadEmailChanged(std::int32_t folder, std::int32_t unreadCount) override;
    // The line entering the bar last, in words: who says what, a sign-in, the unread mail.
    const std::u16string& CurrentLine() const noexcept { return currentLine_; }

    // The load: attach to the messenger, build the strip, place the bar off the right edge of
    // its monitor, reserve, add the banner, start the display loop and slide in. Returns when
    // the bar has slid in, or when a close stopped the slide (the close has run then).
    void Load(messenger::IMessengerLink& link);
    // Open: loaded and not closing.
    bool IsOpen() const noexcept { return loaded_ && life_.IsOpen(); }
    // The dots per inch the bar is drawn at: its monitor's.
    int Dpi() const noexcept { return stripHost_.dpi; }

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
    void TrayEvent(BarRules::TrayMouse mouse);
    // The shell restarted: the icon and the reservation it forgot come back.
    void TaskbarCreated();
    void AppBarNotify(AppBarNotice notice);
    void Activated();
    void Moved();
    // Another window came to the foreground, or the foreground window moved. The display tick
    // looks too, where the platform does not tell.
    void ForegroundChanged();
    // The resolution or the monitors changed.
    void DisplayChanged();
    // The bar's monitor has another DPI now; suggested is where Windows proposes it goes.
    void DpiChanged(int dpi, const PixelRect& suggested);
    // Any close of the window: the unload runs now, or once the bar's own slide has stopped.
    void Close();
    // The session ends when the window's handler returns: everything the unload keeps is kept
    // now (geometry, speed, settings saved; work area and icon given back), without sliding.
    void EndSession();

    // The menu.
    BarRules::MenuVisibility MenuEntries() const override;
    void OnMenu(BarRules::MenuEntry entry) override;

    // The public operations of the bar.
    void SnapToScreen();
    void ShowTooltip();
    void HideToolTip();
    void Minimize();
    void Maximize();
    // The bar's top edge and height, in twips.
    float BarTop() const;
    float BarHeight() const;
    // Whether a full-screen program has sent the bar below it (the strip holds still).
    bool SteppedBack() const noexcept { return fullScreen_; }

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
    void UpdateDisplayTimer();
    // The items from a 1-based position on are a new line: it is the bar's value now, and
    // announced when asked.
    void NewLine(std::size_t from, bool announce);
    // Runs an event's handling; what it adds to the strip is one line.
    template <class Handle> void AsLine(Handle&& handle);
    // Something was added or changed: a resting strip runs its display loop again.
    void WakeUp();
    // The bar's height in pixels at a DPI: the alphabet in its font, plus 4.
    int HeightAt(int dpi) const;

    DesktopLayout Layout() const;
    std::size_t BarMonitor(const DesktopLayout& layout) const;
    // The bar's place in twips as a monitor's scale reads it, and back.
    BarRules::Geometry TwipsOn(const DesktopLayout& layout, std::size_t monitor) const;
    void PlaceOn(const DesktopLayout& layout, std::size_t monitor, const BarRules::Geometry& g);
    // Lies across the top of its monitor, at the top or where the shell docked it.
    bool AcrossTheTop(const DesktopLayout& layout, std::size_t monitor) const;

    IBarWindow& window_;
    IDesktop& desktop_;
    IAppBar& appBar_;
    ITrayIcon& tray_;
    IBarShell& shell_;
    modSettings::SettingsRecord& settings_;
    BarServices services_;
    Docking docking_;
    StripHost stripHost_;
    BarEvents events_;
    messenger::IMessengerLink* link_ = nullptr;
    std::unique_ptr<colMsg> msgScroll_;
    Lifetime life_;
    BarRules::MessengerRetry retry_;
    BarRules::Once shutdown_; // the program's shutdown runs once, however the bar ends

    bool loaded_ = false;
    // Where the pointer stood at the start of a modified drag or its last step; none after a
    // plain click, which marks that no modified drag is under way.
    std::optional<ScreenPoint> LastCursorPos_;
    bool SizeMode_ = false;
    bool paused_ = false;      // the right button holds the strip
    bool fullScreen_ = false;  // a full-screen program holds it, the bar below that program
    std::uintptr_t below_ = 0; // the full-screen window the bar lies below, 0 none known
    bool resting_ = false;     // the strip rests: its display loop sleeps
    std::optional<bool> shellFullScreen_;
    std::optional<ForegroundWindow> lastForeground_; // what the last look at the desktop saw
    std::u16string currentLine_;
    // The slide-in's target (twips) while it runs: an unload meanwhile stores it, not the way
    // there.
    std::optional<float> slideTarget_;
    // The monitor of the stored place while the load slides the bar in.
    std::optional<std::size_t> loadMonitor_;
};

} // namespace gb
