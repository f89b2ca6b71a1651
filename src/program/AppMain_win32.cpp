#include <windows.h>

#include <objbase.h>

#include "program/AppMain_win32.h"

#include "app/modSettings.h"
#include "app/modSettings_win32.h"
#include "kit/Screen_win32.h"

namespace modMain {

Application::Application(HINSTANCE instance)
    : instance_(instance),
      scroll_(*this, instance), tickerHost_{gb::BarController::kFontSize, scroll_.Measure(),
                                            scroll_.WindowActions(), nullptr,
                                            &scroll_.MessengerFactory()},
      options_(*this, instance) {}

bool Application::AppMain() {
    const HWND foreground = ::GetForegroundWindow();

    modSettings::RegistrySettingsStore store;
    modSettings::LoadSettings(store, {gb::ScreenWidthTwips(), modSettings::UserDecimalSeparator()});

    menu_.Load(instance_);
    menu_.SetTarget(&scroll_.Controller());

    const bool running = scroll_.Load();
    if (running) CheckNewVersion(modSettings::Settings().Version, *this);

    ::SetForegroundWindow(foreground);
    // A bar that closed during start-up has posted the quit the message loop ends on.
    return scroll_.Created();
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
