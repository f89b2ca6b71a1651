#include <windows.h>

#include <objbase.h>

#include "app/AppMain_win32.h"

#include "app/Screen_win32.h"
#include "app/modSettings.h"
#include "app/modSettings_win32.h"

namespace modMain {

bool Application::AppMain() {
    const HWND foreground = ::GetForegroundWindow();

    modSettings::RegistrySettingsStore store;
    modSettings::LoadSettings(store, {gb::ScreenWidthTwips(), modSettings::UserDecimalSeparator()});

    menu_.Load(instance_);
    menu_.SetTarget(&scroll_);

    const bool running = scroll_.Load();
    if (running) CheckNewVersion();

    ::SetForegroundWindow(foreground);
    // A bar that closed during start-up has posted the quit the message loop ends on.
    return scroll_.Created();
}

void Application::CheckNewVersion() {
    modMain::CheckNewVersion(modSettings::Settings().Version, *this);
}

int Application::ShowBox(const MessageBoxText& box) {
    return ::MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(box.text),
                         reinterpret_cast<const wchar_t*>(box.caption), box.style);
}

void Application::ShowOptions() { ShowOptionsDialog(scroll_.hWnd()); }

void Application::ShowOptionsDialog(HWND owner) {
    if (!scroll_.IsOpen()) return;
    // One dialog at most: while it is open, showing it again brings it to the front.
    if (!options_) options_ = std::make_unique<gb::frmOptions>(scroll_, instance_);
    options_->Show(owner);
}

void Application::DoScrollPopUp() {
    if (!menu_.hWnd()) {
        menu_.Load(instance_);
        menu_.SetTarget(&scroll_);
    }
    menu_.DoScrollPopUp();
}

void Application::AppShutdown() {
    if (options_) options_->Unload();
    menu_.SetTarget(nullptr);
    menu_.Unload();
    if (saved_()) {
        modSettings::RegistrySettingsStore store;
        modSettings::SaveSettings(store, modSettings::UserDecimalSeparator());
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
        modMain::Application app(instance);
        if (app.AppMain()) code = modMain::RunMessageLoop();
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return code;
}
