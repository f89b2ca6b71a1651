// gbmessenger.exe: the project's own messenger on XMPP. One runs per user session; a second
// start leaves the running one alone.
#include <windows.h>

#include "MessengerApp_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HANDLE only = ::CreateMutexW(nullptr, TRUE, L"Local\\GlidebannerMessenger");
    if (!only || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    int code = 1;
    {
        im::MessengerApp app(instance);
        if (app.Start()) {
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            code = 0;
        }
    }
    ::CloseHandle(only);
    return code;
}
