#include <windows.h>

#include <shellapi.h>

#include "app/modMain_win32.h"

namespace modMain {

void OpenWebPage(const std::u16string& address) {
    ::ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(address.c_str()), nullptr,
                    nullptr, SW_SHOWNORMAL);
}

void RestoreWindow(HWND hwnd) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(hwnd, &placement);
    placement.showCmd = SW_RESTORE;
    ::SetWindowPlacement(hwnd, &placement);
}

} // namespace modMain
