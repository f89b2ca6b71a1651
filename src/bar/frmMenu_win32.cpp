#include <windows.h>

#include "bar/frmMenu_win32.h"

#include "bar/BarRules.h"

namespace gb {
namespace {

constexpr wchar_t kClassName[] = L"GlidebannerMenu";

} // namespace

bool frmMenu::Load(HINSTANCE instance) {
    if (window_) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc); // fails harmlessly when already registered
    // A top-level window, not a message-only one: only a top-level window can become the
    // foreground window, which a pop-up menu needs to close when the user clicks elsewhere.
    window_.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"frmMenu", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, this));
    return static_cast<bool>(window_);
}

void frmMenu::DoScrollPopUp() {
    if (!window_ || !target_ || tracking_) return;
    const auto shown = frmScrollRules::MenuFor(target_->BarVisible());
    unique_hmenu menu(::CreatePopupMenu());
    if (!menu) return;
    const HMENU m = menu.get();
    if (shown.minimize) ::AppendMenuW(m, MF_STRING, mnuScrollMinimize, L"&Minimize");
    if (shown.maximize) ::AppendMenuW(m, MF_STRING, mnuScrollMaximize, L"&Maximize");
    ::AppendMenuW(m, MF_STRING, mnuScrollSnap, L"&Snap to screen");
    ::AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(m, MF_STRING, mnuScrollOptions, L"&Options...");
    ::AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(m, MF_STRING, mnuScrollExit, L"E&xit");

    POINT at{};
    ::GetCursorPos(&at);
    const HWND owner = window_.get();
    // Without the foreground the menu would stay open after a click elsewhere or Escape; the
    // null message afterwards lets a second pop-up work at once.
    ::SetForegroundWindow(owner);
    tracking_ = true;
    ::TrackPopupMenu(m, TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    tracking_ = false;
    if (::IsWindow(owner)) ::PostMessageW(owner, WM_NULL, 0, 0);
}

void frmMenu::OnCommand(UINT entry) {
    if (!target_) return;
    switch (entry) {
    case mnuScrollMinimize:
        target_->Minimize();
        break;
    case mnuScrollMaximize:
        target_->Maximize();
        break;
    case mnuScrollSnap:
        target_->SnapToScreen();
        break;
    case mnuScrollOptions:
        target_->ShowOptions();
        break;
    case mnuScrollExit:
        target_->Exit();
        break;
    default:
        break;
    }
}

LRESULT CALLBACK frmMenu::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<frmMenu*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) return self->OnMessage(hwnd, msg, wp, lp);
    } catch (...) {
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT frmMenu::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == 0) OnCommand(LOWORD(wp));
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace gb
