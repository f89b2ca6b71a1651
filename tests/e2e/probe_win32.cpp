// Another program's window for the tests and benchmarks: with "fullscreen" a window without
// caption over the whole screen in the foreground, as a game or a video is; otherwise a small
// idle window beside which the bar's own use of the processor is told.
#include <windows.h>

namespace {

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void CALLBACK CloseProbe(HWND hwnd, UINT, UINT_PTR, DWORD) { ::DestroyWindow(hwnd); }

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"GbProbe";
    ::RegisterClassW(&wc);
    const bool full = commandLine && ::lstrcmpiW(commandLine, L"fullscreen") == 0;
    const HWND hwnd = ::CreateWindowExW(
        0, L"GbProbe", L"GbProbe", WS_POPUP | WS_VISIBLE, full ? 0 : 100, full ? 0 : 100,
        full ? ::GetSystemMetrics(SM_CXSCREEN) : 200, full ? ::GetSystemMetrics(SM_CYSCREEN) : 50,
        nullptr, nullptr, instance, nullptr);
    ::SetForegroundWindow(hwnd);
    ::SetTimer(hwnd, 1, 600000, CloseProbe); // never outlive a caller that forgot to end it
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}
