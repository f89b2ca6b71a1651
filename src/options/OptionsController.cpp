#include "options/OptionsController.h"

#include <cmath>

#include "app/Slide.h"
#include "app/modSettings.h"
#include "options/TickerStrip.h"
#include "strip/colMsg.h"

namespace gb {
namespace {

modMain::WindowSlide<IOptionsWindow> DialogSlide(IOptionsWindow& window, const DialogScreen& screen,
                                                 const Lifetime* stopWith) {
    return {window, window.Left(), window.Width(), {screen.left, screen.dpi}, stopWith};
}

} // namespace

OptionsController::OptionsController(IOptionsWindow& window, IOptionsHost& host,
                                     OptionsServices services)
    : window_(window), host_(host), services_(services) {}

OptionsController::~OptionsController() = default;

// A handler that may close the dialog. A show that came while the dialog was closing runs
// once the outermost such handler has returned, so that no handler goes on with a dialog
// that is not the one it started with.
template <class Body> void OptionsController::Handle(Body&& body) {
    struct Depth {
        int& n;
        explicit Depth(int& count) : n(++count) {}
        ~Depth() { --n; }
    };
    {
        Depth depth(handlers_);
        body();
    }
    if (handlers_ == 0 && !dialog_ && reshow_) Show(*std::exchange(reshow_, std::nullopt));
}

void OptionsController::Show(bool owned) {
    Handle([&] {
        if (!dialog_)
            Load(owned);
        else if (life_.IsOpen())
            window_.BringToFront();
        else
            reshow_ = owned;
    });
}

void OptionsController::Load(bool owned) {
    life_.Reopen();
    // Just beyond the right edge of the bar's monitor, right below the bar, at its scale.
    const DialogScreen screen = host_.Screen();
    if (!window_.Create(owned, screen.left + screen.width, screen.barBottom, screen.dpi)) return;
    auto& d = dialog_.emplace();
    d.model.FillControls(services_.settings);
    // A copy: the window's change events may read the controls back while they are written.
    const OptionsControls filled = d.model.Controls();
    window_.WriteControls(filled);
    window_.ShowPage(d.model.CurrentPage(), true);
    window_.ShowArrows(d.model.PrevVisible(), d.model.NextVisible());
    d.msgOptions = std::make_unique<colMsg>(services_.ticker, services_.surfaces);
    SetUpTicker(*d.msgOptions, services_.ticker, window_.ScaleWidth(), services_.version);
    window_.SetTickerTimer(true);

    window_.Show();
    life_.Nested([&] {
        auto slide = DialogSlide(window_, screen, &life_);
        // Centred on the bar's monitor.
        modMain::SlideIn(slide, (slide.ToTwips(screen.width) - slide.Width()) / 2);
    });
    if (IsOpen()) window_.BringToFront();
}

void OptionsController::Close() {
    Handle([&] {
        if (dialog_) life_.RequestClose([this] { Unload(); });
    });
}

void OptionsController::Shutdown() {
    Handle([&] {
        reshow_.reset();
        if (dialog_) life_.RequestClose([this] { Unload(); });
        reshow_.reset();
    });
}

void OptionsController::Unload() {
    // A close that comes while the dialog slides out is the same close; only a quit stops it.
    life_.Nested([&] {
        auto slide = DialogSlide(window_, host_.Screen(), nullptr);
        modMain::SlideOut(slide);
    });
    dialog_.reset(); // the ticker's strip first, then the window
    window_.Destroy();
}

void OptionsController::Okay() {
    Handle([&] {
        if (!IsOpen() || !CheckTexts()) return;
        dialog_->model.ApplyControls(services_.settings, host_);
        life_.RequestClose([this] { Unload(); });
    });
}

bool OptionsController::CheckTexts() {
    auto& model = dialog_->model;
    model.Controls() = window_.ReadControls();
    const TextsCheck check = model.CheckTexts();
    if (check.ok) return true;
    life_.Nested([&] { window_.ShowError(check.message); });
    if (IsOpen()) window_.FocusUnreadMail();
    return false;
}

void OptionsController::TurnPage(bool forward) {
    Handle([&] {
        // The arrows are disabled while a page turns; a click that still comes is ignored.
        if (!IsOpen() || !dialog_->arrowsEnabled || !CheckTexts()) return;
        auto& d = *dialog_;
        const int from = d.model.CurrentPage();
        const int to = from + (forward ? 1 : -1);
        if (to < 0 || to >= kPageCount) return;
        EnableArrows(false);
        const PageSpan span = window_.Page(from);
        // The width of now: a change of scale since the load has resized the dialog.
        const float scaleWidth = window_.ScaleWidth();
        window_.MovePage(to, forward ? scaleWidth : -span.width);
        window_.ShowPage(to, true);
        const auto steps = PageTurnSteps(forward, span.left, scaleWidth, span.width);
        life_.Nested([&] {
            for (const auto& step : steps) {
                window_.MovePage(from, step.currentLeft);
                window_.MovePage(to, step.arrivingLeft);
                if (!window_.RunPendingMessages() || life_.Stopping()) return;
            }
        });
        if (!IsOpen()) return; // closed meanwhile: the dialog is not touched again
        window_.MovePage(to, span.left);
        window_.MovePage(from, span.left);
        // The keys follow the page that is shown, never one that is hidden.
        const bool focused = window_.FocusOnPage(from);
        window_.ShowPage(from, false);
        if (focused) window_.FocusPage(to);
        d.model.SetCurrentPage(static_cast<std::int16_t>(to));
        window_.ShowArrows(d.model.PrevVisible(), d.model.NextVisible());
        EnableArrows(true);
    });
}

void OptionsController::EnableArrows(bool enabled) {
    dialog_->arrowsEnabled = enabled;
    window_.EnableArrows(enabled);
}

void OptionsController::NameDisplayChanged() {
    if (IsOpen()) ShowNameSample(window_.ReadControls());
}

void OptionsController::SaysChosen(int index) {
    if (!IsOpen()) return;
    OptionsControls read = window_.ReadControls();
    if (index >= 0 && static_cast<std::size_t>(index) < kSaysChoices.size())
        read.cmbSays = kSaysChoices[static_cast<std::size_t>(index)];
    ShowNameSample(std::move(read));
}

void OptionsController::ShowNameSample(OptionsControls read) {
    auto& model = dialog_->model;
    model.Controls() = std::move(read);
    // The domain box follows the option, whichever control changed.
    model.SelectBuddyName(model.Controls().optBuddyName);
    window_.WriteNameSample(model.Controls().lblBuddyName, model.Controls().chkNoDomainNameEnabled);
}

void OptionsController::BannerClick() {
    if (IsOpen()) window_.OpenWebPage(kHomePage);
}

// ---------------------------------------------------------------- the ticker

void OptionsController::DisplayTick() {
    if (!dialog_) return;
    IDisplay& ticker = window_.Ticker();
    // A pass added now spaces its lines by the width of now.
    TickTicker(*dialog_->msgOptions, ticker, services_.settings.ShowEmo, window_.ScaleWidth(),
               services_.version);
    dialog_->msgOptions->DisplayOn(ticker, true);
}

void OptionsController::PaintTicker(IDisplay& target) {
    if (dialog_) dialog_->msgOptions->DisplayOn(target, true);
}

// A gesture of the ticker's mouse; the display timer follows its pause.
template <class Change> void OptionsController::Gesture(Change&& change) {
    if (!dialog_) return;
    auto& gestures = dialog_->gestures;
    const bool paused = gestures.Paused();
    change(gestures);
    if (gestures.Paused() != paused) window_.SetTickerTimer(!gestures.Paused());
}

void OptionsController::TickerMouseDown(int button, float x) {
    if (!dialog_) return;
    // The release must reach the ticker wherever it happens.
    window_.CaptureTickerMouse();
    Gesture([&](TickerGestures& g) { g.MouseDown(button, x); });
}

void OptionsController::TickerMouseMove(int buttons, float x) {
    if (!dialog_) return;
    colMsg& strip = *dialog_->msgOptions;
    strip.SetScrollSpeed(dialog_->gestures.MouseMove(buttons, x, strip.ScrollSpeed()));
}

void OptionsController::TickerMouseUp(int button) {
    Gesture([&](TickerGestures& g) { g.MouseUp(button); });
}

void OptionsController::TickerCaptureLost() {
    Gesture([](TickerGestures& g) { g.CaptureLost(); });
}

} // namespace gb
