#include <windows.h>

#include "bar/TrayIcon_win32.h"

#include <iterator>

namespace gb {

void TrayIcon::Attach(HWND owner, UINT callback, HICON icon, const wchar_t* tip) noexcept {
    data_ = {};
    data_.cbSize = sizeof data_;
    data_.hWnd = owner;
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callback;
    data_.hIcon = icon;
    ::lstrcpynW(data_.szTip, tip, static_cast<int>(std::size(data_.szTip)));
}

bool TrayIcon::Add() {
    if (shown_) return true;
    shown_ = ::Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
    return shown_;
}

void TrayIcon::Remove() {
    if (!shown_) return;
    ::Shell_NotifyIconW(NIM_DELETE, &data_);
    shown_ = false;
}

void TrayIcon::AddAgain() {
    if (shown_) ::Shell_NotifyIconW(NIM_ADD, &data_);
}

} // namespace gb
