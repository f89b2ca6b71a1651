// A window with known pixels, so the end-to-end machinery can be checked on its own: it finds
// the window, reads its colour, and sees a real click change it. With "fullscreen" it is a
// window without caption over the whole screen in the foreground, as a game or a video is;
// with "idle" it is an idle program beside which the bar's own use of the processor is told.
#include <windows.h>

namespace {

COLORREF g_colour = RGB(255, 100, 50);

void CALLBACK CloseProbe(HWND hwnd, UINT, UINT_PTR, DWORD) { ::DestroyWindow(hwnd); }

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
    case WM_LBUTTONDOWN:
        g_colour = RGB(0, 0, 255);
        ::InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        ::GetClientRect(hwnd, &r);
        HBRUSH brush = ::CreateSolidBrush(g_colour);
        ::FillRect(reinterpret_cast<HDC>(wp), &r, brush);
        ::DeleteObject(brush);
        return 1;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"GbProbe";
    ::RegisterClassW(&wc);
    const bool full = commandLine && ::lstrcmpiW(commandLine, L"fullscreen") == 0;
    const bool idle = commandLine && ::lstrcmpiW(commandLine, L"idle") == 0;
    HWND hwnd =
        full ? ::CreateWindowExW(0, L"GbProbe", L"GbProbe", WS_POPUP | WS_VISIBLE, 0, 0,
                                 ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                 nullptr, nullptr, instance, nullptr)
             : ::CreateWindowExW(WS_EX_TOPMOST, L"GbProbe", L"GbProbe", WS_POPUP | WS_VISIBLE, 100,
                                 100, 200, 50, nullptr, nullptr, instance, nullptr);
    ::SetForegroundWindow(hwnd);
    // Never outlive a test that forgot to close it.
    ::SetTimer(hwnd, 1, idle ? 600000 : 60000, CloseProbe);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
