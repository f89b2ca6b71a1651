#include <windows.h>

#include <commctrl.h>

#include "kit/Window_win32.h"

namespace gb {

Window::~Window() {
    if (!hwnd_) return;
    // Detached first: the messages of the destruction must not reach a half-destroyed object.
    ::SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
    hwnd_.reset();
}

void Window::RegisterClass(HINSTANCE instance, const wchar_t* name, WNDCLASSEXW cls) {
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = Procedure;
    cls.hInstance = instance;
    cls.lpszClassName = name;
    if (!cls.hCursor) cls.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    ::RegisterClassExW(&cls);
}

bool Window::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                    RECT placement, HWND parent, UINT_PTR childId, HINSTANCE instance) noexcept {
    if (hwnd_) return true;
    // WM_NCCREATE stores the handle in hwnd_ before CreateWindowExW returns.
    const HWND made =
        ::CreateWindowExW(exStyle, className, title, style, placement.left, placement.top,
                          placement.right - placement.left, placement.bottom - placement.top,
                          parent, reinterpret_cast<HMENU>(childId), instance, this);
    return made != nullptr && hwnd_.get() == made;
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
        if (self) {
            self->hwnd_.reset(hwnd);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    try {
        result = self->OnMessage(msg, wp, lp);
    } catch (...) {
        result = ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        // The window is gone: the object lives on without one.
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_.release();
    }
    return result;
}

void Window::SubclassChild(HWND child) noexcept {
    if (child) ::SetWindowSubclass(child, ChildProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
}

bool Window::OnChildMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CALLBACK Window::ChildProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                        DWORD_PTR data) noexcept {
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, ChildProcedure, id);
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    auto* self = reinterpret_cast<Window*>(data);
    // A child outlives nothing of its parent's object: the parent destroys it with itself.
    if (self && self->hwnd_) {
        try {
            LRESULT result = 0;
            if (self->OnChildMessage(hwnd, msg, wp, lp, result)) return result;
        } catch (...) {
        }
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

bool PumpPendingMessages() noexcept {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

} // namespace gb
