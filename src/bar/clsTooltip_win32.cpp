#include <windows.h>

#include <commctrl.h>

#include "bar/clsTooltip_win32.h"

#include <string>

namespace gb {
clsTooltip::clsTooltip() noexcept {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
}

void clsTooltip::Create(HWND parent, std::u16string_view text, std::u16string_view title, int icon,
                        int maxWidth) {
    window_.reset();
    window_.reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    parent, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (!window_) return;
    const HWND tip = window_.get();
    ::SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);

    // The control keeps its own copy of the text; these copies only need to live for the call.
    std::u16string textCopy(text);
    std::u16string titleCopy(title);
    TTTOOLINFOW tool{};
    // The size every common-controls version accepts: the newer, larger record is refused by
    // version 5, which a program without the manifest gets.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = 0;
    ::GetClientRect(parent, &tool.rect);
    tool.lpszText = reinterpret_cast<wchar_t*>(textCopy.data());
    ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
    ::SendMessageW(tip, TTM_SETTITLEW, static_cast<WPARAM>(icon),
                   reinterpret_cast<LPARAM>(titleCopy.c_str()));
}

} // namespace gb
