#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include "bar/frmScroll_win32.h"

#include <chrono>
#include <cmath>
#include <random>

#include "app/Screen_win32.h"
#include "app/modMain_win32.h"
#include "app/modSettings.h"
#include "bar/BarResources.h"
#include "surface/WindowDisplay_win32.h"

namespace gb {
namespace {

namespace rules = frmScrollRules;

constexpr wchar_t kClassName[] = L"GlidebannerBar";
constexpr UINT_PTR tmrDisplay = 1;
constexpr UINT_PTR tmrRetry = 2;
constexpr UINT kDisplayIntervalMs = 100;
constexpr UINT_PTR kMenuButtonId = 1;

int Round(float v) noexcept { return static_cast<int>(std::nearbyint(v)); }

rules::Screen ThisScreen() noexcept {
    return {ScreenWidthTwips(), ScreenHeightTwips(), TwipsPerPixelX(), TwipsPerPixelY()};
}

// The modifier keys as the bar's handlers receive them: 1 Shift, 2 Ctrl, 4 Alt.
int ModifierMask() noexcept {
    int mask = 0;
    if (::GetKeyState(VK_SHIFT) < 0) mask |= rules::kShift;
    if (::GetKeyState(VK_CONTROL) < 0) mask |= rules::kCtrl;
    if (::GetKeyState(VK_MENU) < 0) mask |= rules::kAlt;
    return mask;
}

// The buttons held during a pointer movement: 1 left, 2 right.
int HeldButtons(WPARAM keys) noexcept {
    int mask = 0;
    if (keys & MK_LBUTTON) mask |= rules::kLeftButton;
    if (keys & MK_RBUTTON) mask |= rules::kRightButton;
    return mask;
}

bool AnyButtonHeld(WPARAM keys) noexcept {
    return (keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
}

} // namespace

frmScroll::frmScroll(IBarShell& shell, HINSTANCE instance)
    : shell_(shell), instance_(instance), surfaces_(instance) {}

frmScroll::~frmScroll() {
    // Normally the unload has run; this covers a bar that is torn down without it.
    RemoveTrayIcon();
    if (window_) {
        ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
        window_.reset();
    }
    Msn_.reset();
}

bool frmScroll::Load() {
    if (window_) return IsOpen();
    icon_.reset(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_GLIDEBANNER),
                                                IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                                ::GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_GLIDEBANNER),
                                                     IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0)));
    hand_.reset(static_cast<HCURSOR>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDC_HAND_POINTER),
                                                  IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
    cursor_ = hand_ ? hand_.get() : ::LoadCursorW(nullptr, IDC_HAND);
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance_;
    wc.hIcon = icon_.get();
    wc.hIconSm = smallIcon_.get();
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc); // fails harmlessly when already registered

    // A tool window: no button in the taskbar; the bar is reached on the screen or through
    // its notification icon.
    HWND hwnd = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName,
                                  reinterpret_cast<const wchar_t*>(rules::kTitle),
                                  WS_POPUP | WS_CLIPCHILDREN, 0, 0, 1, 1, nullptr, nullptr,
                                  instance_, this);
    if (!hwnd) return false;
    created_ = true;
    Form_Load();
    return IsOpen();
}

void frmScroll::Form_Load() {
    const HWND hwnd = window_.get();
    auto& settings = modSettings::Settings();

    // The event handling and the link first: events may arrive as soon as messages run.
    events_ = std::make_unique<BarEvents>([this] { return msgScroll_.get(); }, factory_);
    Msn_ = std::make_unique<messenger::MessengerLink>(*events_);
    const bool attached = Msn_->TryAttach();
    const auto link = retry_.AfterAttempt(attached);
    if (link.retryTimer) ::SetTimer(hwnd, tmrRetry, rules::kRetryIntervalMs, nullptr);

    msgScroll_ = std::make_unique<colMsg>(*this, surfaces_);
    msgScroll_->SetScrollSpeed(rules::StoredSpeed(settings.Speed));

    // The bar's font measures its height and the banner's lead.
    measure_.SetFont(std::make_shared<StdFont>(u"Arial", kFontSize));
    const int height = rules::BarHeightPixels(measure_.StringHeight(rules::kHeightSample));
    const auto screen = ThisScreen();
    const auto placed =
        rules::PlaceStored(settings.X, settings.Y, settings.Width,
                           static_cast<float>(height) * screen.TwipsPerPixelY, screen);
    // It starts just beyond the right edge of the screen and slides in from there.
    ::SetWindowPos(hwnd, HWND_TOPMOST, Round(screen.WidthTwips / screen.TwipsPerPixelX),
                   Round(placed.Top / screen.TwipsPerPixelY),
                   Round(placed.Width / screen.TwipsPerPixelX), height, SWP_NOACTIVATE);
    if (rules::LiesAcrossTop(Geometry(), screen)) ReserveWorkArea();

    std::mt19937 random(static_cast<std::mt19937::result_type>(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> cell(0, 43);
    const int k = rules::DrawBannerEmoticon([&] { return cell(random); });
    const int blanks = rules::BannerBlankCount(
        InnerWidth(), static_cast<float>(measure_.StringWidth(rules::kTitle)),
        static_cast<float>(measure_.StringWidth(u" ")));
    rules::AddStartupBanner(*msgScroll_, blanks, settings.ShowEmo, k);
    if (link.showNotFound) msgScroll_->AddString(rules::kNoMessengerLine);

    ::SetTimer(hwnd, tmrDisplay, kDisplayIntervalMs, nullptr);

    slidingIn_ = true;
    slideTarget_ = placed.Left;
    // Shown without taking the foreground: start-up gives it back to where the user was.
    ::ShowWindow(hwnd, SW_SHOWNA);
    modMain::SlideFormIn(hwnd, placed.Left, [this] { return unloading_; });
    slidingIn_ = false;
}

// ---------------------------------------------------------------- public operations

void frmScroll::SnapToScreen() {
    if (!IsOpen()) return;
    auto g = Geometry();
    g.Left = 0;
    g.Top = 0;
    g.Width = ThisScreen().WidthTwips;
    SetGeometry(g);
    // A hidden bar reserves nothing: Maximize reserves when it comes back.
    if (BarVisible()) ReserveWorkArea();
}

void frmScroll::ShowTooltip() {
    if (!IsOpen()) return;
    Tooltip_.reset();
    Tooltip_ = std::make_unique<clsTooltip>();
    Tooltip_->Create(window_.get(), rules::kHelpText, rules::kTitle, rules::kHelpIcon);
}

void frmScroll::HideToolTip() { Tooltip_.reset(); }

void frmScroll::Minimize() {
    if (!IsOpen() || !BarVisible()) return;
    AddTrayIcon();
    ::ShowWindow(window_.get(), SW_HIDE);
    RestoreWorkArea();
}

void frmScroll::Maximize() {
    if (!IsOpen()) return;
    ::ShowWindow(window_.get(), SW_SHOWNA);
    RemoveTrayIcon();
    ReserveWorkArea();
}

float frmScroll::BarTop() const { return Geometry().Top; }
float frmScroll::BarHeight() const { return Geometry().Height; }

bool frmScroll::BarVisible() { return window_ && ::IsWindowVisible(window_.get()); }

void frmScroll::ShowOptions() {
    if (IsOpen()) shell_.ShowOptions();
}

void frmScroll::Exit() {
    // Through the message loop, so that the unload never runs inside the menu's handler.
    if (window_) ::PostMessageW(window_.get(), WM_CLOSE, 0, 0);
}

void frmScroll::ClearPrevBuddy() {
    if (events_) events_->PrevBuddy.clear();
}

// ---------------------------------------------------------------- window procedure

LRESULT CALLBACK frmScroll::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        if (msg == WM_NCCREATE) {
            auto* self =
                static_cast<frmScroll*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            self->window_.reset(hwnd);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<frmScroll*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) return self->OnMessage(hwnd, msg, wp, lp);
    } catch (...) {
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT frmScroll::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        cmdMenu_ = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                                     rules::kMenuButtonSize, rules::kMenuButtonSize, hwnd,
                                     reinterpret_cast<HMENU>(kMenuButtonId), instance_, nullptr);
        if (cmdMenu_)
            ::SetWindowSubclass(cmdMenu_, MenuButtonProc, kMenuButtonId,
                                reinterpret_cast<DWORD_PTR>(this));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        OnPrintClient(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_ERASEBKGND:
        return 1; // the strip covers every pixel
    case WM_SIZE:
        Form_Resize();
        return 0;
    case WM_TIMER:
        if (wp == tmrDisplay) tmrDisplay_Timer();
        if (wp == tmrRetry) tmrRetry_Timer();
        return 0;
    case WM_LBUTTONDOWN:
        Form_MouseDown(rules::kLeftButton, ModifierMask(), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_RBUTTONDOWN:
        Form_MouseDown(rules::kRightButton, ModifierMask(), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_MOUSEMOVE:
        Form_MouseMove(HeldButtons(wp), ModifierMask(), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_LBUTTONUP:
        Form_MouseUp(rules::kLeftButton, ModifierMask(), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        if (!AnyButtonHeld(wp) && ::GetCapture() == hwnd) ::ReleaseCapture();
        return 0;
    case WM_RBUTTONUP:
        Form_MouseUp(rules::kRightButton, ModifierMask(), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        if (!AnyButtonHeld(wp) && ::GetCapture() == hwnd) ::ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lp));
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wp), LOWORD(lp))) return TRUE;
        break;
    case kTrayCallback:
        OnTrayCallback(LOWORD(lp));
        return 0;
    case WM_SYSCOMMAND:
        // Alt is a gesture of the bar: releasing it must not start a keyboard menu mode
        // (the bar has no menu bar), which would swallow the next click.
        if ((wp & 0xFFF0) == SC_KEYMENU) return 0;
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        OnEndSession(wp != FALSE);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        window_.release();
        cmdMenu_ = nullptr;
        break;
    default:
        if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
            OnTaskbarCreated();
            return 0;
        }
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK frmScroll::MenuButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                           DWORD_PTR data) noexcept {
    try {
        auto* self = reinterpret_cast<frmScroll*>(data);
        switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
            self->cmdMenu_MouseDown();
            return 0;
        case WM_MOUSEMOVE:
            self->cursor_ = ::LoadCursorW(nullptr, IDC_ARROW);
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(hwnd, MenuButtonProc, id);
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

// ---------------------------------------------------------------- handlers

void frmScroll::Present(HDC dc) {
    if (!msgScroll_) return;
    WindowDisplay display(window_.get(), dc);
    msgScroll_->DisplayOn(display, true);
}

void frmScroll::OnPaint() {
    unique_hdc_paint paint(window_.get());
    Present(paint.get());
}

void frmScroll::OnPrintClient(HDC dc) { Present(dc); }

void frmScroll::Form_Resize() {
    if (cmdMenu_) {
        ::SetWindowPos(cmdMenu_, nullptr,
                       static_cast<int>(InnerWidth()) - rules::kMenuButtonSize -
                           rules::kMenuButtonMargin,
                       rules::kMenuButtonMargin, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (modSettings::Settings().ShowTooltip) ShowTooltip();
}

void frmScroll::tmrDisplay_Timer() {
    if (!msgScroll_) return;
    msgScroll_->MoveOn(WindowDisplay(window_.get()));
    // The strip goes on moving while the bar is hidden; drawing it would be wasted.
    if (BarVisible()) Present(nullptr);
}

void frmScroll::tmrRetry_Timer() {
    if (unloading_ || !Msn_) return;
    AttachMessenger();
}

void frmScroll::AttachMessenger() {
    const auto outcome = retry_.AfterAttempt(Msn_->TryAttach());
    if (!outcome.retryTimer) ::KillTimer(window_.get(), tmrRetry);
    if (outcome.showNotFound && msgScroll_) msgScroll_->AddString(rules::kNoMessengerLine);
}

void frmScroll::Form_MouseDown(int button, int shift, float x, float y) {
    if (unloading_) return;
    switch (rules::OnMouseDown(button, shift)) {
    case rules::PressAction::StripClick:
        LastCursorPos_ = {-1, -1};
        if (msgScroll_) msgScroll_->MouseDown(x, y);
        break;
    case rules::PressAction::StartDrag:
        ::GetCursorPos(&LastCursorPos_);
        // The bar moves under the pointer; the capture keeps the drag's messages coming.
        ::SetCapture(window_.get());
        break;
    case rules::PressAction::Pause:
        ::KillTimer(window_.get(), tmrDisplay);
        paused_ = true;
        // The release must reach the bar wherever it happens, or the strip would stay still.
        ::SetCapture(window_.get());
        break;
    case rules::PressAction::None:
        break;
    }
}

void frmScroll::Form_MouseMove(int button, int shift, float x, float /*y*/) {
    if (unloading_ || !BarVisible()) return;
    const auto choice = rules::ChooseCursor(button, shift, x, InnerWidth());
    switch (choice.cursor) {
    case rules::Cursor::Hand:
        cursor_ = hand_ ? hand_.get() : ::LoadCursorW(nullptr, IDC_HAND);
        break;
    case rules::Cursor::SizeWE:
        cursor_ = ::LoadCursorW(nullptr, IDC_SIZEWE);
        break;
    case rules::Cursor::SizeAll:
        cursor_ = ::LoadCursorW(nullptr, IDC_SIZEALL);
        break;
    case rules::Cursor::Arrow:
        cursor_ = ::LoadCursorW(nullptr, IDC_ARROW);
        break;
    case rules::Cursor::Unchanged:
        break;
    }
    if (choice.sizeMode) SizeMode_ = *choice.sizeMode;
    ::SetCursor(cursor_);

    if (button != rules::kLeftButton || LastCursorPos_.x < 0) return;
    if (shift == rules::kAlt && msgScroll_) {
        POINT cur{};
        ::GetCursorPos(&cur);
        msgScroll_->SetScrollSpeed(
            rules::SpeedStep(msgScroll_->ScrollSpeed(), LastCursorPos_.x, cur.x));
        LastCursorPos_ = cur;
    } else if (shift == rules::kShift) {
        POINT cur{};
        ::GetCursorPos(&cur);
        const auto g =
            rules::DragStep(Geometry(), SizeMode_, x, InnerWidth(), LastCursorPos_.x - cur.x,
                            LastCursorPos_.y - cur.y, ThisScreen());
        LastCursorPos_ = cur;
        SetGeometry(g);
    }
}

void frmScroll::Form_MouseUp(int button, int /*shift*/, float /*x*/, float /*y*/) {
    if (unloading_) return;
    if (rules::LiesAcrossTop(Geometry(), ThisScreen()))
        ReserveWorkArea();
    else
        RestoreWorkArea();
    if (button == rules::kRightButton) Resume();
}

void frmScroll::Resume() {
    paused_ = false;
    ::SetTimer(window_.get(), tmrDisplay, kDisplayIntervalMs, nullptr);
}

void frmScroll::OnCaptureChanged(HWND gainer) {
    // Another window took the mouse while the strip was held: its release will never come
    // here, so the strip runs again instead of standing still for good.
    if (paused_ && gainer != window_.get() && !unloading_) Resume();
}

bool frmScroll::OnSetCursor(HWND over, UINT hitTest) {
    if (over == cmdMenu_ && cmdMenu_) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return true;
    }
    if (over == window_.get() && hitTest == HTCLIENT) {
        ::SetCursor(cursor_);
        return true;
    }
    return false;
}

void frmScroll::cmdMenu_MouseDown() {
    if (IsOpen()) shell_.DoScrollPopUp();
}

void frmScroll::OnTrayCallback(UINT mouseMessage) {
    if (!IsOpen() || !trayIconAdded_) return;
    switch (rules::OnTrayCallback(static_cast<int>(mouseMessage))) {
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

void frmScroll::OnTaskbarCreated() {
    // The shell restarted and forgot every icon: without this the hidden bar is unreachable.
    if (trayIconAdded_) ::Shell_NotifyIconW(NIM_ADD, &TrayIcon_);
}

void frmScroll::OnClose() {
    if (unloading_) return; // already closing, from inside the slide-out
    Form_Unload(false);
    window_.reset();
}

void frmScroll::OnEndSession(bool ending) {
    if (!ending || unloading_) return;
    // The session ends when this returns: no slide-out, but everything else of the unload,
    // so that the work area is given back and the settings are kept.
    Form_Unload(true);
    window_.reset();
}

void frmScroll::Form_Unload(bool quick) {
    unloading_ = true;
    const HWND hwnd = window_.get();
    if (::GetCapture() == hwnd) ::ReleaseCapture();
    ::KillTimer(hwnd, tmrRetry);

    auto& settings = modSettings::Settings();
    const auto g = rules::GeometryToStore(Geometry(), slidingIn_, slideTarget_);
    settings.Y = g.Top;
    settings.X = g.Left;
    settings.Width = g.Width;

    if (BarVisible()) {
        if (!quick) modMain::SlideFormOut(hwnd);
    }
    // Both whatever the bar's state: neither an icon nor a reservation may outlive the bar.
    RemoveTrayIcon();
    RestoreWorkArea();

    if (msgScroll_) settings.Speed = msgScroll_->ScrollSpeed();
    ::KillTimer(hwnd, tmrDisplay);
    Msn_.reset();
    msgScroll_.reset();
    Tooltip_.reset();
    shell_.AppShutdown();
}

// ---------------------------------------------------------------- helpers

void frmScroll::ReserveWorkArea() {
    if (!modSettings::Settings().ChangeWorkArea) return;
    workArea_.Reserve(HeightPixels());
}

void frmScroll::RestoreWorkArea() { workArea_.Restore(); }

void frmScroll::AddTrayIcon() {
    if (trayIconAdded_) return;
    TrayIcon_ = {};
    TrayIcon_.cbSize = sizeof TrayIcon_;
    TrayIcon_.hWnd = window_.get();
    TrayIcon_.uID = 1;
    TrayIcon_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIcon_.uCallbackMessage = kTrayCallback;
    TrayIcon_.hIcon = smallIcon_ ? smallIcon_.get() : icon_.get();
    ::lstrcpynW(TrayIcon_.szTip, reinterpret_cast<const wchar_t*>(rules::kTitle),
                static_cast<int>(std::size(TrayIcon_.szTip)));
    ::Shell_NotifyIconW(NIM_ADD, &TrayIcon_);
    trayIconAdded_ = true;
}

void frmScroll::RemoveTrayIcon() {
    if (!trayIconAdded_) return;
    ::Shell_NotifyIconW(NIM_DELETE, &TrayIcon_);
    trayIconAdded_ = false;
}

rules::Geometry frmScroll::Geometry() const {
    const auto r = WindowRectTwips(window_.get());
    return {r.Left, r.Top, r.Width, r.Height};
}

void frmScroll::SetGeometry(const rules::Geometry& g) {
    const float tx = TwipsPerPixelX();
    const float ty = TwipsPerPixelY();
    ::SetWindowPos(window_.get(), nullptr, Round(g.Left / tx), Round(g.Top / ty),
                   Round(g.Width / tx), HeightPixels(), SWP_NOZORDER | SWP_NOACTIVATE);
}

int frmScroll::HeightPixels() const {
    RECT r{};
    ::GetWindowRect(window_.get(), &r);
    return r.bottom - r.top;
}

float frmScroll::InnerWidth() const {
    RECT r{};
    ::GetClientRect(window_.get(), &r);
    return static_cast<float>(r.right - r.left);
}

} // namespace gb
