#include <windows.h>

#include <shellapi.h>

#include "bar/Desktop_win32.h"

#include "kit/Handles_win32.h"
#include "kit/Screen_win32.h"

namespace gb {
namespace {

PixelRect Rect(const RECT& r) noexcept { return {r.left, r.top, r.right, r.bottom}; }
RECT Rect(const PixelRect& r) noexcept { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, LPARAM data) noexcept {
    auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(handle, &info)) return TRUE;
    try {
        monitors.push_back({Rect(info.rcMonitor), Rect(info.rcWork), MonitorDpi(handle),
                            (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

bool IsPrimary(const PixelRect& bounds) noexcept { return bounds.left == 0 && bounds.top == 0; }

} // namespace

std::vector<Monitor> Win32Desktop::Monitors() const {
    std::vector<Monitor> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    // The primary's work area as the process sees it: where the bar writes it itself, only
    // SPI_GETWORKAREA tells (Wine keeps it apart from the monitor's record).
    for (auto& m : monitors) {
        RECT area{};
        if (m.primary && ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) m.work = Rect(area);
    }
    return monitors;
}

std::optional<ForegroundWindow> Win32Desktop::Foreground() const {
    const HWND window = ::GetForegroundWindow();
    if (!window || window == ::GetDesktopWindow() || window == ::GetShellWindow())
        return std::nullopt;
    RECT r{};
    if (!::GetWindowRect(window, &r)) return std::nullopt;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    return ForegroundWindow{Rect(r), (style & WS_CAPTION) != WS_CAPTION,
                            process == ::GetCurrentProcessId(),
                            reinterpret_cast<std::uintptr_t>(window)};
}

QuietState Win32Desktop::Quiet() const {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(::SHQueryUserNotificationState(&state))) return QuietState::None;
    switch (state) {
    case QUNS_BUSY:
        return QuietState::FullScreenProgram;
    case QUNS_RUNNING_D3D_FULL_SCREEN:
        return QuietState::Direct3DFullScreen;
    case QUNS_PRESENTATION_MODE:
        return QuietState::Presentation;
    case QUNS_QUIET_TIME:
        return QuietState::QuietTime;
    default:
        return QuietState::None;
    }
}

int Win32Desktop::DpiOf(HWND hwnd) noexcept { return WindowDpi(hwnd); }

APPBARDATA ShellAppBar::Data() const noexcept {
    APPBARDATA data{};
    data.cbSize = sizeof data;
    data.hWnd = bar_;
    data.uCallbackMessage = callback_;
    data.uEdge = ABE_TOP;
    return data;
}

bool ShellAppBar::Register() {
    if (registered_) return true;
    APPBARDATA data = Data();
    registered_ = ::SHAppBarMessage(ABM_NEW, &data) != 0;
    return registered_;
}

void ShellAppBar::Unregister() {
    if (!registered_) return;
    APPBARDATA data = Data();
    ::SHAppBarMessage(ABM_REMOVE, &data);
    registered_ = false;
}

PixelRect ShellAppBar::QueryPos(const PixelRect& wanted) {
    APPBARDATA data = Data();
    data.rc = Rect(wanted);
    ::SHAppBarMessage(ABM_QUERYPOS, &data);
    // The shell moves the top edge below other bars; the bar keeps its height.
    data.rc.bottom = data.rc.top + wanted.Height();
    return Rect(data.rc);
}

PixelRect ShellAppBar::SetPos(const PixelRect& proposed) {
    APPBARDATA data = Data();
    data.rc = Rect(proposed);
    ::SHAppBarMessage(ABM_SETPOS, &data);
    return Rect(data.rc);
}

void ShellAppBar::Activate() {
    APPBARDATA data = Data();
    ::SHAppBarMessage(ABM_ACTIVATE, &data);
}

void ShellAppBar::WindowPosChanged() {
    APPBARDATA data = Data();
    ::SHAppBarMessage(ABM_WINDOWPOSCHANGED, &data);
}

PixelRect MonitorWorkArea::Get(const Monitor& monitor) {
    RECT area{};
    if (IsPrimary(monitor.bounds) && ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        return Rect(area);
    const RECT bounds = Rect(monitor.bounds);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(::MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &info))
        return Rect(info.rcWork);
    return monitor.work;
}

void MonitorWorkArea::Set(const PixelRect& area) {
    RECT copy = Rect(area);
    // The monitor that holds the rectangle gets it; the others' windows are told, so that
    // maximised ones move out of the strip.
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &copy, SPIF_SENDWININICHANGE);
}

} // namespace gb
