#include <windows.h>

#include "kit/Screen_win32.h"

#include <cmath>

#include "kit/Handles_win32.h"

namespace gb {
namespace {

float TwipsPerPixel(int axis) noexcept {
    unique_hdc_window screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), axis) : 0;
    return dpi > 0 ? 1440.0f / static_cast<float>(dpi) : 15.0f;
}

int ToPixels(float twips, float tpp) noexcept {
    return static_cast<int>(std::nearbyint(twips / tpp));
}

// GetDpiForMonitor came with Windows 8.1; the program also runs where it did not exist.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

GetDpiForMonitorFn DpiForMonitor() noexcept {
    static const GetDpiForMonitorFn fn = [] {
        HMODULE shcore = ::LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                            reinterpret_cast<void*>(::GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    return fn;
}

} // namespace

int MonitorDpi(HMONITOR monitor) noexcept {
    UINT x = 0, y = 0;
    if (auto fn = DpiForMonitor(); fn && SUCCEEDED(fn(monitor, 0, &x, &y)) && y > 0)
        return static_cast<int>(y);
    unique_hdc_window screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND hwnd) noexcept {
    return MonitorDpi(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY));
}

float TwipsPerPixelX() noexcept { return TwipsPerPixel(LOGPIXELSX); }
float TwipsPerPixelY() noexcept { return TwipsPerPixel(LOGPIXELSY); }

float ScreenWidthTwips() noexcept {
    return static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)) * TwipsPerPixelX();
}

float ScreenHeightTwips() noexcept {
    return static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)) * TwipsPerPixelY();
}

TwipsRect WindowRectTwips(HWND hwnd) noexcept {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    const float tx = TwipsPerPixelX();
    const float ty = TwipsPerPixelY();
    return {static_cast<float>(r.left) * tx, static_cast<float>(r.top) * ty,
            static_cast<float>(r.right - r.left) * tx, static_cast<float>(r.bottom - r.top) * ty};
}

void MoveWindowTwips(HWND hwnd, float left, float top) noexcept {
    ::SetWindowPos(hwnd, nullptr, ToPixels(left, TwipsPerPixelX()), ToPixels(top, TwipsPerPixelY()),
                   0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace gb
