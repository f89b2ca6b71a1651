#include <windows.h>

#include <shellapi.h>
#include <windowsx.h>

#include "bar/frmScroll_win32.h"

#include <chrono>
#include <cmath>
#include <random>

#include "bar/BarResources.h"
#include "surface/WindowDisplay_win32.h"

namespace gb {
namespace {

namespace rules = BarRules;

constexpr wchar_t kClassName[] = L"GlidebannerBar";
constexpr UINT_PTR tmrDisplay = 1;
constexpr UINT_PTR tmrRetry = 2;
constexpr UINT kDisplayIntervalMs = 100;
constexpr UINT_PTR kMenuButtonId = 1;

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
    if (keys & MK_LBUTTON) mask |= kLeftButton;
    if (keys & MK_RBUTTON) mask |= kRightButton;
    return mask;
}

rules::TrayMouse TrayMouseOf(UINT message) noexcept {
    switch (message) {
    case WM_LBUTTONUP:
        return rules::TrayMouse::LeftUp;
    case WM_RBUTTONDOWN:
        return rules::TrayMouse::RightDown;
    default:
        return rules::TrayMouse::Other;
    }
}

} // namespace

frmScroll::frmScroll(IBarShell& shell, HINSTANCE instance, modSettings::SettingsRecord& settings)
    : instance_(instance), random_(static_cast<std::mt19937::result_type>(
                               std::chrono::steady_clock::now().time_since_epoch().count())),
      surfaces_(instance),
      controller_(*this, desktop_, appBar_, workArea_, tray_, shell, settings,
                  {measure_, windowActions_, factory_, surfaces_,
                   [this] { return std::uniform_int_distribution<int>(0, 43)(random_); }}),
      link_(controller_.Events()) {}

frmScroll::~frmScroll() {
    // Normally the unload has run; this covers a bar that is torn down without it.
    link_.Detach();
    tray_.Remove();
    foreground_.Stop();
    Window::Destroy();
}

void frmScroll::LoadCursorAndIcons() {
    // The cursor at the size of the bar's monitor: a hand too small for a 200 % screen is lost.
    const int size = ScaleForDpi(32, hWnd() ? Win32Desktop::DpiOf(hWnd()) : controller_.Dpi());
    hand_.reset(static_cast<HCURSOR>(
        ::LoadImageW(instance_, MAKEINTRESOURCEW(IDC_HAND_POINTER), IMAGE_CURSOR, size, size, 0)));
    cursor_ = hand_ ? hand_.get() : ::LoadCursorW(nullptr, IDC_HAND);
}

bool frmScroll::Load() {
    if (created_) return controller_.IsOpen();
    const auto load = [&](int id, UINT type, int cx, int cy) {
        return ::LoadImageW(instance_, MAKEINTRESOURCEW(id), type, cx, cy, 0);
    };
    icon_.reset(static_cast<HICON>(load(IDI_GLIDEBANNER, IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                        ::GetSystemMetrics(SM_CYICON))));
    smallIcon_.reset(
        static_cast<HICON>(load(IDI_GLIDEBANNER, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                ::GetSystemMetrics(SM_CYSMICON))));
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");

    WNDCLASSEXW wc{};
    wc.hIcon = icon_.get();
    wc.hIconSm = smallIcon_.get();
    RegisterClass(instance_, kClassName, wc);
    // A tool window: no button in the taskbar; the bar is reached on the screen or through
    // its notification icon.
    if (!Create(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName,
                reinterpret_cast<const wchar_t*>(rules::kTitle), WS_POPUP | WS_CLIPCHILDREN,
                {0, 0, 1, 1}, nullptr, 0, instance_))
        return false;
    created_ = true;
    LoadCursorAndIcons();
    tray_.Attach(hWnd(), kTrayCallback, smallIcon_ ? smallIcon_.get() : icon_.get(),
                 reinterpret_cast<const wchar_t*>(rules::kTitle));
    appBar_.Attach(hWnd(), kAppBarCallback);
    foreground_.Start(hWnd(), kForegroundChanged);
    controller_.Load(link_);
    return controller_.IsOpen();
}

// ---------------------------------------------------------------- messages

LRESULT frmScroll::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const float x = static_cast<float>(GET_X_LPARAM(lp));
    const float y = static_cast<float>(GET_Y_LPARAM(lp));
    switch (msg) {
    case WM_CREATE:
        cmdMenu_ = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                                     rules::kMenuButtonSize, rules::kMenuButtonSize, hWnd(),
                                     reinterpret_cast<HMENU>(kMenuButtonId), instance_, nullptr);
        SubclassChild(cmdMenu_);
        return 0;
    case WM_PAINT: {
        unique_hdc_paint paint(hWnd());
        OnPaint(paint.get());
        return 0;
    }
    case WM_PRINTCLIENT:
        OnPaint(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_ERASEBKGND:
        return 1; // the strip covers every pixel
    case WM_SIZE:
        controller_.Resize();
        return 0;
    case WM_TIMER:
        if (wp == tmrDisplay) controller_.DisplayTick();
        if (wp == tmrRetry) controller_.RetryTick();
        return 0;
    case WM_LBUTTONDOWN:
        controller_.MouseDown(kLeftButton, ModifierMask(), x, y);
        return 0;
    case WM_RBUTTONDOWN:
        controller_.MouseDown(kRightButton, ModifierMask(), x, y);
        return 0;
    case WM_MOUSEMOVE:
        controller_.MouseMove(HeldButtons(wp), ModifierMask(), x, y);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(kLeftButton, wp, lp);
        return 0;
    case WM_RBUTTONUP:
        OnButtonUp(kRightButton, wp, lp);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hWnd()) controller_.CaptureLost();
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wp), LOWORD(lp))) return TRUE;
        break;
    case kTrayCallback:
        controller_.TrayEvent(TrayMouseOf(LOWORD(lp)));
        return 0;
    case kAppBarCallback:
        OnAppBar(wp, lp);
        return 0;
    case kForegroundChanged: {
        // A window dragged about sends many: one look at the desktop answers them all.
        MSG more;
        while (::PeekMessageW(&more, hWnd(), kForegroundChanged, kForegroundChanged, PM_REMOVE)) {
        }
        controller_.ForegroundChanged();
        return 0;
    }
    case WM_ACTIVATE:
        controller_.Activated();
        break;
    case WM_WINDOWPOSCHANGED:
        controller_.Moved();
        break; // the default handling sends WM_SIZE and WM_MOVE
    case WM_DISPLAYCHANGE:
        controller_.DisplayChanged();
        return 0;
    case WM_DPICHANGED: {
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        LoadCursorAndIcons();
        controller_.DpiChanged(HIWORD(wp), {r->left, r->top, r->right, r->bottom});
        return 0;
    }
    case WM_SYSCOMMAND:
        // Alt is a gesture of the bar: releasing it must not start a keyboard menu mode
        // (the bar has no menu bar), which would swallow the next click.
        if ((wp & 0xFFF0) == SC_KEYMENU) return 0;
        break;
    case WM_CLOSE:
        controller_.Close();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wp) controller_.EndSession();
        return 0;
    case WM_GETOBJECT:
        if (static_cast<LONG>(lp) == OBJID_CLIENT) {
            if (!accessible_)
                accessible_ =
                    BarAccessible::Create(hWnd(), [this] { return controller_.CurrentLine(); });
            if (accessible_) return ::LresultFromObject(IID_IAccessible, wp, accessible_.get());
        }
        break;
    case WM_DESTROY:
        cmdMenu_ = nullptr;
        foreground_.Stop();
        if (accessible_) accessible_->Forget();
        accessible_.reset();
        ::PostQuitMessage(0);
        return 0;
    default:
        if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
            controller_.TaskbarCreated();
            return 0;
        }
        break;
    }
    return Default(msg, wp, lp);
}

bool frmScroll::OnChildMessage(HWND child, UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (child != cmdMenu_) return false;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        controller_.MenuButtonDown();
        result = 0;
        return true;
    case WM_MOUSEMOVE:
        cursor_ = ::LoadCursorW(nullptr, IDC_ARROW);
        return false;
    default:
        return false;
    }
}

void frmScroll::OnAppBar(WPARAM notice, LPARAM arg) {
    switch (notice) {
    case ABN_POSCHANGED:
        controller_.AppBarNotify(AppBarNotice::PositionsChanged);
        break;
    case ABN_FULLSCREENAPP:
        controller_.AppBarNotify(arg ? AppBarNotice::FullScreenOpened
                                     : AppBarNotice::FullScreenClosed);
        break;
    default:
        break;
    }
}

void frmScroll::OnPaint(HDC dc) {
    WindowDisplay display(hWnd(), dc);
    controller_.Paint(display);
}

void frmScroll::OnButtonUp(int button, WPARAM wp, LPARAM lp) {
    controller_.MouseUp(button, ModifierMask(), static_cast<float>(GET_X_LPARAM(lp)),
                        static_cast<float>(GET_Y_LPARAM(lp)));
    const bool held = (wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
    if (!held && hWnd() && ::GetCapture() == hWnd()) ::ReleaseCapture();
}

bool frmScroll::OnSetCursor(HWND over, UINT hitTest) {
    if (over == cmdMenu_ && cmdMenu_) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return true;
    }
    if (over == hWnd() && hitTest == HTCLIENT) {
        ::SetCursor(cursor_);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- the window for the controller

float frmScroll::ScaleWidth() const { return WindowDisplay(hWnd()).ScaleWidth(); }
float frmScroll::ScaleHeight() const { return WindowDisplay(hWnd()).ScaleHeight(); }
void frmScroll::Present(ISurface& canvas) { WindowDisplay(hWnd()).Present(canvas); }

PixelRect frmScroll::GetRect() const {
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

void frmScroll::SetRect(const PixelRect& r) {
    ::SetWindowPos(hWnd(), nullptr, r.left, r.top, r.Width(), r.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmScroll::MoveLeft(int x) {
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    ::SetWindowPos(hWnd(), nullptr, x, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool frmScroll::Visible() const { return hWnd() && ::IsWindowVisible(hWnd()); }
void frmScroll::Show() { ::ShowWindow(hWnd(), SW_SHOWNA); }
void frmScroll::Hide() { ::ShowWindow(hWnd(), SW_HIDE); }
void frmScroll::SetTopmost(bool topmost, std::uintptr_t below) {
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    const auto isTopmost = [](HWND w) {
        return (::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    };
    if (!topmost) {
        const HWND over = reinterpret_cast<HWND>(below);
        const bool known = over && over != hWnd() && ::IsWindow(over);
        bool underCover = false;
        for (HWND w = known ? ::GetWindow(hWnd(), GW_HWNDPREV) : nullptr; w && !underCover;
             w = ::GetWindow(w, GW_HWNDPREV))
            underCover = w == over;
        const auto moves =
            rules::LeaveTopmost({isTopmost(hWnd()), known, known && isTopmost(over), underCover});
        if (moves.leaveBand) ::SetWindowPos(hWnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
        if (moves.placeBelowCover) ::SetWindowPos(hWnd(), over, 0, 0, 0, 0, flags);
        return;
    }
    // A window that owns a topmost tooltip does not go back into the topmost band on every
    // system: the help tip goes, and comes again afterwards.
    const bool tip = tooltip_ != nullptr;
    tooltip_.reset();
    ::SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
    if (tip) ShowHelpTip(tip_.text, tip_.title, tip_.icon, tip_.maxWidth);
}

void frmScroll::CaptureMouse() { ::SetCapture(hWnd()); }

ScreenPoint frmScroll::CursorPos() const {
    POINT p{};
    ::GetCursorPos(&p);
    return {p.x, p.y};
}

void frmScroll::SetCursor(rules::Cursor cursor) {
    switch (cursor) {
    case rules::Cursor::Hand:
        cursor_ = hand_ ? hand_.get() : ::LoadCursorW(nullptr, IDC_HAND);
        break;
    case rules::Cursor::SizeWE:
        cursor_ = ::LoadCursorW(nullptr, IDC_SIZEWE);
        break;
    case rules::Cursor::SizeAll:
        cursor_ = ::LoadCursorW(nullptr, IDC_SIZEALL);
        break;
    default:
        cursor_ = ::LoadCursorW(nullptr, IDC_ARROW);
        break;
    }
    ::SetCursor(cursor_);
}

void frmScroll::SetDisplayTimer(bool running) {
    if (running)
        ::SetTimer(hWnd(), tmrDisplay, kDisplayIntervalMs, nullptr);
    else
        ::KillTimer(hWnd(), tmrDisplay);
}

void frmScroll::SetRetryTimer(bool running) {
    if (running)
        ::SetTimer(hWnd(), tmrRetry, rules::kRetryIntervalMs, nullptr);
    else
        ::KillTimer(hWnd(), tmrRetry);
}

void frmScroll::PlaceMenuButton(int left, int top, int size) {
    if (cmdMenu_)
        ::SetWindowPos(cmdMenu_, nullptr, left, top, size, size, SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmScroll::ShowHelpTip(std::u16string_view text, std::u16string_view title, int icon,
                            int maxWidth) {
    tip_ = {std::u16string(text), std::u16string(title), icon, maxWidth};
    tooltip_.reset();
    tooltip_ = std::make_unique<clsTooltip>();
    tooltip_->Create(hWnd(), text, title, icon, maxWidth);
}

void frmScroll::HideHelpTip() { tooltip_.reset(); }

void frmScroll::AnnounceLine(std::u16string_view words) {
    if (hWnd()) AnnounceToAssistiveTechnology(hWnd(), words);
}

void frmScroll::PostClose() {
    if (hWnd()) ::PostMessageW(hWnd(), WM_CLOSE, 0, 0);
}

bool frmScroll::RunPendingMessages() { return PumpPendingMessages() && hWnd(); }

} // namespace gb
