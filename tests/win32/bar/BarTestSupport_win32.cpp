#include <windows.h>

#include <objbase.h>

#include "BarTestSupport_win32.h"

#include <gtest/gtest.h>

namespace bartest {

void Pump(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= milliseconds) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
    }
}

std::vector<HWND> TooltipsOwnedBy(HWND owner) {
    struct Search {
        HWND owner;
        std::vector<HWND> found;
    } search{owner, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t name[64] = {};
            ::GetClassNameW(hwnd, name, 64);
            if (::lstrcmpiW(name, L"tooltips_class32") == 0 &&
                ::GetWindow(hwnd, GW_OWNER) == s->owner)
                s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace bartest

// The bar's messenger link needs the single-threaded apartment it has in the program.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    if (SUCCEEDED(com)) ::CoUninitialize();
    return result;
}
