#include "bar/BarController.h"

#include <algorithm>
#include <cmath>

#include "app/Slide.h"
#include "strip/colMsg.h"

namespace gb {
namespace {

namespace rules = BarRules;

constexpr int kHelpTipWidth = 600; // pixels at 96 dots per inch

// The bar slides on its monitor, at that monitor's scale.
modMain::WindowSlide<IBarWindow> BarSlide(IBarWindow& window, const DesktopLayout& layout,
                                          std::size_t monitor, const Lifetime* stopWith) {
    const PixelRect r = window.GetRect();
    const Monitor& m = layout.At(monitor);
    return {window, r.left, r.Width(), {m.bounds.left, m.dpi}, stopWith};
}

} // namespace

BarController::BarController(IBarWindow& window, IDesktop& desktop, IAppBar& appBar,
                             IWorkArea& workArea, ITrayIcon& tray, IBarShell& shell,
                             modSettings::SettingsRecord& settings, BarServices services)
    : window_(window), desktop_(desktop), appBar_(appBar), tray_(tray), shell_(shell),
      settings_(settings), services_(std::move(services)),
      docking_(appBar, workArea), stripHost_{.fontSize = kFontSize,
                                             .measure = services_.measure,
                                             .windows = services_.windows,
                                             .settings = settings_,
                                             .bar = this,
                                             .messenger = &services_.messenger},
      events_([this] { return msgScroll_.get(); }, services_.messenger, settings_) {}

BarController::~BarController() = default;

// ---------------------------------------------------------------- places

DesktopLayout BarController::Layout() const { return DesktopLayout(desktop_.Monitors()); }

std::size_t BarController::BarMonitor(const DesktopLayout& layout) const {
    if (loadMonitor_ && *loadMonitor_ < layout.Monitors().size()) return *loadMonitor_;
    return layout.MonitorOf(window_.GetRect());
}

rules::Geometry BarController::TwipsOn(const DesktopLayout& layout, std::size_t monitor) const {
    return layout.ToTwips(window_.GetRect(), monitor);
}

void BarController::PlaceOn(const DesktopLayout& layout, std::size_t monitor,
                            const rules::Geometry& g) {
    window_.SetRect(layout.ToPixels(g, monitor));
}

bool BarController::AcrossTheTop(const DesktopLayout& layout, std::size_t monitor) const {
    const rules::Screen screen = layout.ScreenOf(monitor);
    const rules::Geometry g = TwipsOn(layout, monitor);
    if (rules::LiesAcrossTop(g, screen)) return true;
    return docking_.Reserved() && g.Width == screen.WidthTwips &&
           window_.GetRect().top == docking_.Rect().top;
}

int BarController::HeightAt(int dpi) const {
    const StdFont font(kFontName, kFontSize);
    return rules::BarHeightPixels(static_cast<int>(
        std::nearbyint(services_.measure.TextHeight(font, rules::kHeightSample, dpi))));
}

// ---------------------------------------------------------------- load

void BarController::Load(messenger::IMessengerLink& link) {
    if (loaded_) return;
    loaded_ = true;

    // The link first: events may arrive as soon as messages run.
    link_ = &link;
    const auto attempt = retry_.AfterAttempt(link.TryAttach());
    if (attempt.retryTimer) window_.SetRetryTimer(true);

    // A stored place on a monitor that is gone brings the bar onto the primary monitor.
    const DesktopLayout layout = Layout();
    const std::size_t monitor = layout.MonitorOfTwips(settings_.X, settings_.Y);
    // Until it has slid in from beyond its monitor's right edge (onto the next monitor, maybe)
    // the bar's monitor is the one of its stored place.
    loadMonitor_ = monitor;
    stripHost_.dpi = layout.At(monitor).dpi;
    msgScroll_ = std::make_unique<colMsg>(stripHost_, services_.surfaces);
    msgScroll_->SetScrollSpeed(rules::StoredSpeed(settings_.Speed));
    // Whoever adds to the strip - the messenger's events, the retry, the tests - wakes it.
    msgScroll_->SetOnAdded([this] { WakeUp(); });

    const int height = HeightAt(stripHost_.dpi);
    const rules::Screen screen = layout.ScreenOf(monitor);
    const rules::Geometry placed =
        rules::PlaceStored(settings_.X, settings_.Y, settings_.Width,
                           static_cast<float>(height) * screen.TwipsPerPixelY, screen);
    // It starts just beyond the right edge of its monitor and slides in from there.
    rules::Geometry start = placed;
    start.Left = screen.LeftTwips + screen.WidthTwips;
    PlaceOn(layout, monitor, start);
    if (rules::LiesAcrossTop(placed, screen)) ReserveWorkArea();

    const StdFont font(kFontName, kFontSize);
    const int k = rules::DrawBannerEmoticon(services_.randomCell);
    const int blanks = rules::BannerBlankCount(
        window_.ScaleWidth(), services_.measure.TextWidth(font, rules::kTitle, stripHost_.dpi),
        services_.measure.TextWidth(font, u" ", stripHost_.dpi));
    rules::AddStartupBanner(*msgScroll_, blanks, settings_.ShowEmo, k);
    NewLine(1, false);
    if (attempt.showNotFound) AsLine([&] { msgScroll_->AddString(rules::kNoMessengerLine); });

    UpdateDisplayTimer();
    slideTarget_ = placed.Left;
    window_.Show();
    ForegroundChanged();
    life_.Nested([&] {
        auto slide = BarSlide(window_, layout, monitor, &life_);
        if (modMain::SlideIn(slide, placed.Left - screen.LeftTwips))
            slideTarget_.reset(), loadMonitor_.reset();
    });
}

// ---------------------------------------------------------------- window events

void BarController::Paint(IDisplay& target) {
    if (msgScroll_) msgScroll_->DisplayOn(target, true);
}

void BarController::Resize() {
    WakeUp();
    const int size = ScaleForDpi(rules::kMenuButtonSize, Dpi());
    const int margin = ScaleForDpi(rules::kMenuButtonMargin, Dpi());
    window_.PlaceMenuButton(static_cast<int>(window_.ScaleWidth()) - size - margin, margin, size);
    if (settings_.ShowTooltip) ShowTooltip();
}

void BarController::DisplayTick() {
    if (!msgScroll_) return;
    if (desktop_.Foreground() != lastForeground_) ForegroundChanged();
    // Below a full-screen program the strip holds still, so that nothing scrolls away unseen,
    // and the bar stays below it: something may raise it meanwhile (Wine does).
    if (fullScreen_) return window_.SetTopmost(false, below_);
    // A strip at rest moves nothing, and its frame is on the bar already: no composing, no
    // copying, and no wake-ups until something changes.
    if (msgScroll_->AtRest(window_)) {
        resting_ = true;
        UpdateDisplayTimer();
        return;
    }
    msgScroll_->MoveOn(window_);
    // The strip goes on moving while the bar is hidden; drawing it would be wasted.
    if (window_.Visible()) msgScroll_->DisplayOn(window_, true);
}

void BarController::RetryTick() {
    if (!IsOpen() || !link_) return;
    const auto attempt = retry_.AfterAttempt(link_->TryAttach());
    if (!attempt.retryTimer) window_.SetRetryTimer(false);
    if (attempt.showNotFound && msgScroll_)
        AsLine([&] { msgScroll_->AddString(rules::kNoMessengerLine); });
}

// ---------------------------------------------------------------- messenger events

template <class Handle> void BarController::AsLine(Handle&& handle) {
    const std::size_t before = msgScroll_ ? msgScroll_->Count() : 0;
    handle();
    if (msgScroll_ && msgScroll_->Count() > before) NewLine(before + 1, true);
}

void BarController::NewLine(std::size_t from, bool announce) {
    currentLine_ = msgScroll_->SpokenText(from);
    if (announce && !currentLine_.empty()) window_.AnnounceLine(currentLine_);
}

void BarController::OnTextReceived(const messenger::SessionPtr& session,
                                   const messenger::ContactPtr& sender,
                                   const std::u16string& header, const std::u16string& text) {
    AsLine([&] { events_.OnTextReceived(session, sender, header, text); });
}

void BarController::OnUserStateChanged(const messenger::ContactPtr& user,
                                       std::int32_t previousState) {
    AsLine([&] { events_.OnUserStateChanged(user, previousState); });
}

void BarController::OnUnreadEmailChanged(std::int32_t folder, std::int32_t unreadCount) {
    AsLine([&] { events_.OnUnreadEmailChanged(folder, unreadCount); });
}

void BarController::MouseDown(int button, int shift, float x, float y) {
    if (!IsOpen()) return;
    switch (rules::OnMouseDown(button, shift)) {
    case rules::PressAction::StripClick:
        LastCursorPos_.reset();
        if (msgScroll_) msgScroll_->MouseDown(x, y);
        break;
    case rules::PressAction::StartDrag:
        LastCursorPos_ = window_.CursorPos();
        // The bar moves under the pointer; the capture keeps the drag's messages coming.
        window_.CaptureMouse();
        break;
    case rules::PressAction::Pause:
        paused_ = true;
        UpdateDisplayTimer();
        // The release must reach the bar wherever it happens, or the strip would stay still.
        window_.CaptureMouse();
        break;
    case rules::PressAction::None:
        break;
    }
}

void BarController::MouseMove(int button, int shift, float x, float /*y*/) {
    if (!IsOpen() || !window_.Visible()) return;
    const auto choice = rules::ChooseCursor(button, shift, x, window_.ScaleWidth());
    if (choice.cursor != rules::Cursor::Unchanged) window_.SetCursor(choice.cursor);
    if (choice.sizeMode) SizeMode_ = *choice.sizeMode;

    if (button != kLeftButton || !LastCursorPos_) return;
    if (shift == rules::kAlt && msgScroll_) {
        const ScreenPoint cur = window_.CursorPos();
        msgScroll_->SetScrollSpeed(
            rules::SpeedStep(msgScroll_->ScrollSpeed(), LastCursorPos_->x, cur.x));
        LastCursorPos_ = cur;
        WakeUp();
    } else if (shift == rules::kShift) {
        // The bar stays on the monitor under the pointer, so it can be dragged to another.
        const ScreenPoint cur = window_.CursorPos();
        const DesktopLayout layout = Layout();
        const std::size_t monitor = layout.MonitorAt(cur.x, cur.y);
        PlaceOn(layout, monitor,
                rules::DragStep(TwipsOn(layout, monitor), SizeMode_, x, window_.ScaleWidth(),
                                LastCursorPos_->x - cur.x, LastCursorPos_->y - cur.y,
                                layout.ScreenOf(monitor)));
        LastCursorPos_ = cur;
    }
}

void BarController::MouseUp(int button, int /*shift*/, float /*x*/, float /*y*/) {
    if (!IsOpen()) return;
    const DesktopLayout layout = Layout();
    if (AcrossTheTop(layout, BarMonitor(layout)))
        ReserveWorkArea();
    else
        RestoreWorkArea();
    if (button == kRightButton) Resume();
}

void BarController::CaptureLost() {
    // Another window took the mouse while the strip was held: its release will never come
    // here, so the strip runs again instead of standing still for good.
    if (paused_ && IsOpen()) Resume();
}

void BarController::Resume() {
    paused_ = false;
    UpdateDisplayTimer();
}

void BarController::UpdateDisplayTimer() {
    // Below a full-screen program the tick keeps looking for its end, where nothing tells.
    window_.SetDisplayTimer(loaded_ && !paused_ && (!resting_ || fullScreen_));
}

void BarController::WakeUp() {
    if (!resting_) return;
    resting_ = false;
    UpdateDisplayTimer();
}

void BarController::MenuButtonDown() {
    if (IsOpen()) shell_.DoScrollPopUp();
}

void BarController::TrayEvent(rules::TrayMouse mouse) {
    if (!IsOpen() || !tray_.Shown()) return;
    switch (rules::OnTrayCallback(mouse)) {
    case rules::TrayAction::Maximize:
        Maximize();
        break;
    case rules::TrayAction::ShowMenu:
        shell_.DoScrollPopUp();
        break;
    case rules::TrayAction::None:
        break;
    }
}

// ---------------------------------------------------------------- desktop and shell

void BarController::TaskbarCreated() {
    if (!IsOpen()) return;
    // The shell restarted and forgot every icon and every bar's place: without the icon the
    // hidden bar is unreachable, without the reservation windows cover it.
    if (tray_.Shown()) tray_.AddAgain();
    if (docking_.Reserved()) {
        RestoreWorkArea();
        ReserveWorkArea();
    }
}

void BarController::AppBarNotify(AppBarNotice notice) {
    if (!IsOpen()) return;
    switch (notice) {
    case AppBarNotice::PositionsChanged:
        // Another bar or the taskbar moved: stand where the strip is granted now.
        if (const auto granted = docking_.Follow()) {
            const PixelRect bar = window_.GetRect();
            window_.SetRect({bar.left, granted->top, bar.right, granted->top + bar.Height()});
        }
        break;
    case AppBarNotice::FullScreenOpened:
    case AppBarNotice::FullScreenClosed:
        shellFullScreen_ = notice == AppBarNotice::FullScreenOpened;
        ForegroundChanged();
        break;
    }
}

void BarController::Activated() {
    if (docking_.InForce() == Docking::Method::Shell) appBar_.Activate();
}

void BarController::Moved() {
    if (docking_.InForce() == Docking::Method::Shell) appBar_.WindowPosChanged();
}

void BarController::ForegroundChanged() {
    if (!IsOpen()) return;
    const DesktopLayout layout = Layout();
    lastForeground_ = desktop_.Foreground();
    const bool full = FullScreenOn(layout, BarMonitor(layout), shellFullScreen_, lastForeground_,
                                   desktop_.Quiet());
    // The window the decision found is the one to lie below, not whatever is in front later.
    const std::uintptr_t below =
        lastForeground_ && !lastForeground_->ours ? lastForeground_->handle : 0;
    if (full == fullScreen_ && (!full || below == below_)) return;
    fullScreen_ = full;
    below_ = full ? below : 0;
    window_.SetTopmost(!full, below_);
    UpdateDisplayTimer();
}

void BarController::DisplayChanged() {
    if (!IsOpen()) return;
    const DesktopLayout layout = Layout();
    const std::size_t monitor = BarMonitor(layout);
    const int dpi = layout.At(monitor).dpi;
    if (dpi != Dpi()) {
        const PixelRect r = window_.GetRect();
        DpiChanged(dpi, r);
        return;
    }
    // The bar is placed again by the rules on its monitor as it is now, and a bar that had
    // its strip reserved lies across that monitor's top and reserves it again.
    const bool reserved = docking_.Reserved();
    RestoreWorkArea();
    const rules::Screen screen = layout.ScreenOf(monitor);
    rules::Geometry g = TwipsOn(layout, monitor);
    if (reserved) {
        g = {screen.LeftTwips, screen.TopTwips, screen.WidthTwips, g.Height};
    } else {
        g.Width = std::min(g.Width, screen.WidthTwips);
        g = rules::ClampToScreen(g, screen);
    }
    PlaceOn(layout, monitor, g);
    if (reserved && window_.Visible()) ReserveWorkArea();
    ForegroundChanged();
}

void BarController::DpiChanged(int dpi, const PixelRect& suggested) {
    // Sliding in, the bar crosses other monitors and keeps the DPI of its own.
    if (!IsOpen() || loadMonitor_) return;
    // Fonts, pictures and sizes follow the new DPI; the items of the strip are measured
    // again at it, so the line stays whole.
    stripHost_.dpi = dpi;
    const bool reserved = docking_.Reserved();
    RestoreWorkArea();
    window_.SetRect(
        {suggested.left, suggested.top, suggested.right, suggested.top + HeightAt(dpi)});
    Resize();
    if (reserved && window_.Visible()) {
        const DesktopLayout layout = Layout();
        const std::size_t monitor = BarMonitor(layout);
        const rules::Screen screen = layout.ScreenOf(monitor);
        const rules::Geometry g = TwipsOn(layout, monitor);
        PlaceOn(layout, monitor, {screen.LeftTwips, screen.TopTwips, screen.WidthTwips, g.Height});
        ReserveWorkArea();
    }
}

void BarController::Close() {
    if (!loaded_) return;
    life_.RequestClose([this] { Unload(UnloadKind::Slide); });
}

void BarController::EndSession() {
    if (!loaded_ || life_.Closed() || life_.Closing()) return;
    // Nothing is torn down here: a slide of the bar may be under this handler, and the
    // process ends with the session anyway.
    StoreGeometry();
    GiveBack();
    if (msgScroll_) settings_.Speed = msgScroll_->ScrollSpeed();
    if (shutdown_()) shell_.AppShutdown();
    life_.RequestClose([this] { Unload(UnloadKind::Quick); });
}

// ---------------------------------------------------------------- menu and operations

rules::MenuVisibility BarController::MenuEntries() const {
    return rules::MenuFor(window_.Visible());
}

void BarController::OnMenu(rules::MenuEntry entry) {
    switch (entry) {
    case rules::MenuEntry::Minimize:
        Minimize();
        break;
    case rules::MenuEntry::Maximize:
        Maximize();
        break;
    case rules::MenuEntry::Snap:
        SnapToScreen();
        break;
    case rules::MenuEntry::Options:
        if (IsOpen()) shell_.ShowOptions();
        break;
    case rules::MenuEntry::Exit:
        window_.PostClose();
        break;
    }
}

void BarController::SnapToScreen() {
    if (!IsOpen()) return;
    const DesktopLayout layout = Layout();
    const std::size_t monitor = BarMonitor(layout);
    const rules::Screen screen = layout.ScreenOf(monitor);
    const rules::Geometry g = TwipsOn(layout, monitor);
    PlaceOn(layout, monitor, {screen.LeftTwips, screen.TopTwips, screen.WidthTwips, g.Height});
    // A hidden bar reserves nothing: Maximize reserves when it comes back.
    if (window_.Visible()) ReserveWorkArea();
}

void BarController::ShowTooltip() {
    if (IsOpen())
        window_.ShowHelpTip(rules::kHelpText, rules::kTitle, rules::kHelpIcon,
                            ScaleForDpi(kHelpTipWidth, Dpi()));
}

void BarController::HideToolTip() { window_.HideHelpTip(); }

void BarController::Minimize() {
    if (!IsOpen() || !window_.Visible()) return;
    // Without its icon a hidden bar could never come back: it stays when the shell refuses
    // the icon twice.
    if (!tray_.Add() && !tray_.Add()) return;
    window_.Hide();
    RestoreWorkArea();
}

void BarController::Maximize() {
    if (!IsOpen()) return;
    window_.Show();
    WakeUp();
    tray_.Remove();
    ReserveWorkArea();
}

float BarController::BarTop() const {
    const DesktopLayout layout = Layout();
    return TwipsOn(layout, BarMonitor(layout)).Top;
}

float BarController::BarHeight() const {
    const DesktopLayout layout = Layout();
    return TwipsOn(layout, BarMonitor(layout)).Height;
}

// ---------------------------------------------------------------- unload

void BarController::StoreGeometry() {
    const DesktopLayout layout = Layout();
    const auto g = rules::GeometryToStore(TwipsOn(layout, BarMonitor(layout)),
                                          slideTarget_.has_value(), slideTarget_.value_or(0.0f));
    settings_.Y = g.Top;
    settings_.X = g.Left;
    settings_.Width = g.Width;
}

void BarController::GiveBack() {
    // Both whatever the bar's state: neither an icon nor a reservation may outlive the bar.
    tray_.Remove();
    RestoreWorkArea();
}

void BarController::Unload(UnloadKind kind) {
    StoreGeometry();
    if (window_.Visible() && kind == UnloadKind::Slide) {
        life_.Nested([&] {
            const DesktopLayout layout = Layout();
            auto slide = BarSlide(window_, layout, BarMonitor(layout), nullptr);
            modMain::SlideOut(slide);
        });
    }
    GiveBack();
    if (msgScroll_) settings_.Speed = msgScroll_->ScrollSpeed();
    window_.SetDisplayTimer(false);
    window_.SetRetryTimer(false);
    if (link_) link_->Detach();
    msgScroll_.reset();
    window_.HideHelpTip();
    if (shutdown_()) shell_.AppShutdown();
    window_.Destroy();
}

// ---------------------------------------------------------------- the reserved strip

void BarController::ReserveWorkArea() {
    if (docking_.Reserved() || !settings_.ChangeWorkArea) return;
    const DesktopLayout layout = Layout();
    const Monitor& monitor = layout.At(BarMonitor(layout));
    const PixelRect bar = window_.GetRect();
    // Maximize reserves wherever the bar stands: only a bar at the top of its monitor (or of
    // its work area, where the shell puts bars) follows where the strip is granted, below
    // another bar, say; one the user put lower stays where it is.
    const bool atTop = bar.top == monitor.bounds.top || bar.top == monitor.work.top;
    const PixelRect granted = docking_.Reserve(monitor, bar.Height());
    if (atTop && granted.top != bar.top)
        window_.SetRect({bar.left, granted.top, bar.right, granted.top + bar.Height()});
}

void BarController::RestoreWorkArea() { docking_.Restore(); }

} // namespace gb
