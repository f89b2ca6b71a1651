#include "bar/BarController.h"

#include <cmath>

#include "app/Slide.h"
#include "app/modSettings.h"
#include "strip/colMsg.h"

namespace gb {
namespace {

namespace rules = frmScrollRules;

// The bar as a slide moves it: only its left edge, pending messages after each step.
class BarSlide final : public modMain::ISlideForm {
  public:
    BarSlide(IBarWindow& window, const Lifetime& life, bool stopOnClose)
        : window_(window), life_(life), stopOnClose_(stopOnClose), start_(window.GetGeometry()) {}
    float Left() override { return start_.Left; }
    float Width() override { return start_.Width; }
    void SetLeft(float twips) override { window_.MoveLeft(twips); }
    bool RunPendingMessages() override {
        if (!window_.RunPendingMessages()) return false;
        return !(stopOnClose_ && life_.Stopping());
    }

  private:
    IBarWindow& window_;
    const Lifetime& life_;
    bool stopOnClose_;
    rules::Geometry start_;
};

} // namespace

BarController::BarController(IBarWindow& window, IDesktop& desktop, IWorkArea& workArea,
                             ITrayIcon& tray, IBarShell& shell, BarServices services)
    : window_(window), desktop_(desktop), workArea_(workArea), tray_(tray), shell_(shell),
      services_(std::move(services)), stripHost_{kFontSize, services_.measure, services_.windows,
                                                 this, &services_.messenger},
      events_([this] { return msgScroll_.get(); }, services_.messenger) {}

BarController::~BarController() = default;

void BarController::Load(messenger::IMessengerLink& link) {
    if (loaded_) return;
    loaded_ = true;
    auto& settings = modSettings::Settings();

    // The link first: events may arrive as soon as messages run.
    link_ = &link;
    const auto attempt = retry_.AfterAttempt(link.TryAttach());
    if (attempt.retryTimer) window_.SetRetryTimer(true);

    msgScroll_ = std::make_unique<colMsg>(stripHost_, services_.surfaces);
    msgScroll_->SetScrollSpeed(rules::StoredSpeed(settings.Speed));

    // The bar's font sizes the bar and measures the banner's lead.
    const StdFont font(kFontName, kFontSize);
    const int height = rules::BarHeightPixels(
        static_cast<int>(std::nearbyint(services_.measure.TextHeight(font, rules::kHeightSample))));
    const rules::Screen screen = desktop_.GetScreen();
    const rules::Geometry placed =
        rules::PlaceStored(settings.X, settings.Y, settings.Width,
                           static_cast<float>(height) * screen.TwipsPerPixelY, screen);
    // It starts just beyond the right edge of the screen and slides in from there.
    window_.SetGeometry({screen.WidthTwips, placed.Top, placed.Width, placed.Height});
    if (rules::LiesAcrossTop(window_.GetGeometry(), screen)) ReserveWorkArea();

    const int k = rules::DrawBannerEmoticon(services_.randomCell);
    const int blanks = rules::BannerBlankCount(window_.ScaleWidth(),
                                               services_.measure.TextWidth(font, rules::kTitle),
                                               services_.measure.TextWidth(font, u" "));
    rules::AddStartupBanner(*msgScroll_, blanks, settings.ShowEmo, k);
    if (attempt.showNotFound) msgScroll_->AddString(rules::kNoMessengerLine);

    window_.SetDisplayTimer(true);
    slideTarget_ = placed.Left;
    window_.Show();
    life_.Nested([&] {
        BarSlide slide(window_, life_, true);
        if (modMain::SlideIn(slide, placed.Left)) slideTarget_.reset();
    });
}

// ---------------------------------------------------------------- window events

void BarController::Paint(IDisplay& target) {
    if (msgScroll_) msgScroll_->DisplayOn(target, true);
}

void BarController::Resize() {
    window_.PlaceMenuButton(static_cast<int>(window_.ScaleWidth()) - rules::kMenuButtonSize -
                                rules::kMenuButtonMargin,
                            rules::kMenuButtonMargin);
    if (modSettings::Settings().ShowTooltip) ShowTooltip();
}

void BarController::DisplayTick() {
    if (!msgScroll_) return;
    msgScroll_->MoveOn(window_);
    // The strip goes on moving while the bar is hidden; drawing it would be wasted.
    if (window_.Visible()) msgScroll_->DisplayOn(window_, true);
}

void BarController::RetryTick() {
    if (!IsOpen() || !link_) return;
    const auto attempt = retry_.AfterAttempt(link_->TryAttach());
    if (!attempt.retryTimer) window_.SetRetryTimer(false);
    if (attempt.showNotFound && msgScroll_) msgScroll_->AddString(rules::kNoMessengerLine);
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
        window_.SetDisplayTimer(false);
        paused_ = true;
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

    if (button != rules::kLeftButton || !LastCursorPos_) return;
    if (shift == rules::kAlt && msgScroll_) {
        const ScreenPoint cur = window_.CursorPos();
        msgScroll_->SetScrollSpeed(
            rules::SpeedStep(msgScroll_->ScrollSpeed(), LastCursorPos_->x, cur.x));
        LastCursorPos_ = cur;
    } else if (shift == rules::kShift) {
        const ScreenPoint cur = window_.CursorPos();
        window_.SetGeometry(rules::DragStep(window_.GetGeometry(), SizeMode_, x,
                                            window_.ScaleWidth(), LastCursorPos_->x - cur.x,
                                            LastCursorPos_->y - cur.y, desktop_.GetScreen()));
        LastCursorPos_ = cur;
    }
}

void BarController::MouseUp(int button, int /*shift*/, float /*x*/, float /*y*/) {
    if (!IsOpen()) return;
    if (rules::LiesAcrossTop(window_.GetGeometry(), desktop_.GetScreen()))
        ReserveWorkArea();
    else
        RestoreWorkArea();
    if (button == rules::kRightButton) Resume();
}

void BarController::CaptureLost() {
    // Another window took the mouse while the strip was held: its release will never come
    // here, so the strip runs again instead of standing still for good.
    if (paused_ && IsOpen()) Resume();
}

void BarController::Resume() {
    paused_ = false;
    window_.SetDisplayTimer(true);
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

void BarController::TaskbarCreated() {
    // The shell restarted and forgot every icon: without this the hidden bar is unreachable.
    if (tray_.Shown()) tray_.AddAgain();
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
    if (msgScroll_) modSettings::Settings().Speed = msgScroll_->ScrollSpeed();
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
    rules::Geometry g = window_.GetGeometry();
    g.Left = 0;
    g.Top = 0;
    g.Width = desktop_.GetScreen().WidthTwips;
    window_.SetGeometry(g);
    // A hidden bar reserves nothing: Maximize reserves when it comes back.
    if (window_.Visible()) ReserveWorkArea();
}

void BarController::ShowTooltip() {
    if (IsOpen()) window_.ShowHelpTip(rules::kHelpText, rules::kTitle, rules::kHelpIcon);
}

void BarController::HideToolTip() { window_.HideHelpTip(); }

void BarController::Minimize() {
    if (!IsOpen() || !window_.Visible()) return;
    tray_.Add();
    window_.Hide();
    RestoreWorkArea();
}

void BarController::Maximize() {
    if (!IsOpen()) return;
    window_.Show();
    tray_.Remove();
    ReserveWorkArea();
}

float BarController::BarTop() const { return window_.GetGeometry().Top; }
float BarController::BarHeight() const { return window_.GetGeometry().Height; }

// ---------------------------------------------------------------- unload

void BarController::StoreGeometry() {
    auto& settings = modSettings::Settings();
    const auto g = rules::GeometryToStore(window_.GetGeometry(), slideTarget_.has_value(),
                                          slideTarget_.value_or(0.0f));
    settings.Y = g.Top;
    settings.X = g.Left;
    settings.Width = g.Width;
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
            BarSlide slide(window_, life_, false);
            modMain::SlideOut(slide);
        });
    }
    GiveBack();
    if (msgScroll_) modSettings::Settings().Speed = msgScroll_->ScrollSpeed();
    window_.SetDisplayTimer(false);
    window_.SetRetryTimer(false);
    if (link_) link_->Detach();
    msgScroll_.reset();
    window_.HideHelpTip();
    if (shutdown_()) shell_.AppShutdown();
    window_.Destroy();
}

// ---------------------------------------------------------------- work area

void BarController::ReserveWorkArea() {
    if (WorkAreaSet_ || !modSettings::Settings().ChangeWorkArea) return;
    workArea_.Reserve(HeightPixels());
    WorkAreaSet_ = true;
}

void BarController::RestoreWorkArea() {
    if (!WorkAreaSet_) return;
    workArea_.Restore();
    WorkAreaSet_ = false;
}

int BarController::HeightPixels() const {
    return static_cast<int>(
        std::nearbyint(window_.GetGeometry().Height / desktop_.GetScreen().TwipsPerPixelY));
}

} // namespace gb
