#pragma once
// What the bar's Win32 tests share.
#include <windows.h>

#include <vector>

namespace bartest {

// Runs this thread's messages for about the given time.
inline void Pump(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (DWORD spent = 0; spent < milliseconds; spent = ::GetTickCount() - start) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
    }
}

// The tooltip windows that the given window owns.
inline std::vector<HWND> TooltipsOwnedBy(HWND owner) {
    std::vector<HWND> found;
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"tooltips_class32", nullptr));)
        if (::GetWindow(w, GW_OWNER) == owner) found.push_back(w);
    return found;
}

} // namespace bartest
