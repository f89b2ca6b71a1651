#include <windows.h>

#include <objbase.h>

#include "program/AppMain_win32.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/modSettings.h"
#include "app/modSettings_win32.h"
#include "kit/Screen_win32.h"

namespace modMain {

Application::Application(HINSTANCE instance)
    : instance_(instance), scroll_(*this, instance, modSettings::Settings()),
      tickerHost_{.fontSize = gb::BarController::kFontSize,
                  .measure = scroll_.Measure(),
                  .windows = scroll_.WindowActions(),
                  .settings = modSettings::Settings(),
                  .messenger = &scroll_.MessengerFactory()},
      options_(*this, instance, modSettings::Settings()) {}

void Application::AppMain() {
    const HWND foreground = ::GetForegroundWindow();

    modSettings::RegistrySettingsStore store;
    modSettings::LoadSettings(store, {gb::ScreenWidthTwips(), modSettings::UserDecimalSeparator()});

    menu_.Load(instance_);
    menu_.SetTarget(&scroll_.Controller());

    const bool running = scroll_.Load();
    // A bar that closed during start-up has posted the quit the message loop ends on; one that
    // was never made leaves nothing to run.
    if (!scroll_.Created()) throw std::runtime_error("its window could not be made");
    if (running) CheckNewVersion(modSettings::Settings().Version, *this);

    ::SetForegroundWindow(foreground);
}

bool Application::ShowBox(const MessageBoxText& box) {
    const UINT style = MB_ICONINFORMATION | (box.buttons == BoxButtons::YesNo ? MB_YESNO : MB_OK);
    return ::MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(box.text),
                         reinterpret_cast<const wchar_t*>(box.caption), style) == IDYES;
}

void Application::ShowOptionsDialog(HWND owner) {
    if (!scroll_.Controller().IsOpen()) return;
    // One dialog at most: while it is open, showing it again brings it to the front.
    options_.Show(owner);
}

gb::DialogScreen Application::Screen() const {
    // The monitor the bar mostly lies on, as the bar's own rules choose it.
    RECT bar{};
    ::GetWindowRect(scroll_.hWnd(), &bar);
    HMONITOR monitor = ::MonitorFromRect(&bar, MONITOR_DEFAULTTONEAREST);
    gb::DialogScreen screen{0,
                            0,
                            ::GetSystemMetrics(SM_CXSCREEN),
                            ::GetSystemMetrics(SM_CYSCREEN),
                            gb::MonitorDpi(monitor),
                            bar.bottom};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info)) {
        const RECT& m = info.rcMonitor;
        screen.left = m.left, screen.top = m.top;
        screen.width = m.right - m.left, screen.height = m.bottom - m.top;
    }
    return screen;
}

void Application::DoScrollPopUp() {
    if (!menu_.hWnd()) {
        menu_.Load(instance_);
        menu_.SetTarget(&scroll_.Controller());
    }
    menu_.DoScrollPopUp();
}

void Application::AppShutdown() {
    options_.Unload();
    menu_.SetTarget(nullptr);
    menu_.Unload();
    if (saved_()) {
        modSettings::RegistrySettingsStore store;
        modSettings::SaveSettings(store, modSettings::UserDecimalSeparator());
    }
}

void ShowStartFailure(const std::exception_ptr& failure) noexcept {
    // A quit left by a window that closed on the way would end the box before it is read.
    MSG quit;
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    try {
        const std::u16string text = StartFailureText(failure);
        ::MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.c_str()),
                      reinterpret_cast<const wchar_t*>(BarRules::kTitle), MB_OK | MB_ICONERROR);
    } catch (...) {
        // Not even the words fit in memory: a box with none.
        ::MessageBoxW(nullptr, L"Glidebanner could not start.",
                      reinterpret_cast<const wchar_t*>(BarRules::kTitle), MB_OK | MB_ICONERROR);
    }
}

int RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

} // namespace modMain

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The messenger's objects live in this thread's single-threaded apartment.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    {
        std::optional<modMain::Application> app;
        std::exception_ptr failure;
        try {
            app.emplace(instance);
            app->AppMain();
        } catch (...) {
            failure = std::current_exception();
        }
        if (failure) {
            // The user learns why nothing came up; the windows made so far go first.
            app.reset();
            modMain::ShowStartFailure(failure);
            code = 1;
        } else {
            code = modMain::RunMessageLoop();
        }
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return code;
}
