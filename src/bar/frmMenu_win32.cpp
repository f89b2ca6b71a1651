#include <windows.h>

#include "bar/frmMenu_win32.h"

#include "kit/Handles_win32.h"

namespace gb {
namespace {

constexpr wchar_t kClassName[] = L"GlidebannerMenu";

} // namespace

bool frmMenu::Load(HINSTANCE instance) {
    RegisterClass(instance, kClassName);
    // A top-level window, not a message-only one: only a top-level window can become the
    // foreground window, which a pop-up menu needs to close when the user clicks elsewhere.
    return Create(WS_EX_TOOLWINDOW, kClassName, L"frmMenu", WS_POPUP, {0, 0, 0, 0}, nullptr, 0,
                  instance);
}

void frmMenu::DoScrollPopUp() {
    if (!hWnd() || !target_ || tracking_) return;
    const auto shown = target_->MenuEntries();
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
    const HWND owner = hWnd();
    // Without the foreground the menu would stay open after a click elsewhere or Escape; the
    // null message afterwards lets a second pop-up work at once.
    ::SetForegroundWindow(owner);
    tracking_ = true;
    ::TrackPopupMenu(m, TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    tracking_ = false;
    if (::IsWindow(owner)) ::PostMessageW(owner, WM_NULL, 0, 0);
}

LRESULT frmMenu::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_COMMAND || HIWORD(wp) != 0 || !target_) return Default(msg, wp, lp);
    using BarRules::MenuEntry;
    switch (LOWORD(wp)) {
    case mnuScrollMinimize:
        target_->OnMenu(MenuEntry::Minimize);
        break;
    case mnuScrollMaximize:
        target_->OnMenu(MenuEntry::Maximize);
        break;
    case mnuScrollSnap:
        target_->OnMenu(MenuEntry::Snap);
        break;
    case mnuScrollOptions:
        target_->OnMenu(MenuEntry::Options);
        break;
    case mnuScrollExit:
        target_->OnMenu(MenuEntry::Exit);
        break;
    default:
        break;
    }
    return 0;
}

} // namespace gb
