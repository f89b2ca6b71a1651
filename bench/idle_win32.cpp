// An idle program beside which the benchmarks tell the bar's own use of the processor: a small
// window and its message loop, which ends itself after ten minutes.
#include <windows.h>

namespace {

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void CALLBACK CloseProbe(HWND hwnd, UINT, UINT_PTR, DWORD) { ::DestroyWindow(hwnd); }

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"GbProbe";
    ::RegisterClassW(&wc);
    const HWND hwnd = ::CreateWindowExW(0, L"GbProbe", L"GbProbe", WS_POPUP | WS_VISIBLE, 100, 100,
                                        200, 50, nullptr, nullptr, instance, nullptr);
    ::SetTimer(hwnd, 1, 600000, CloseProbe);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}
