// Opens the options dialog below a pretend bar at the top of the screen, as the menu would,
// for the end-to-end tests and the screenshots. When the dialog closes it prints the settings
// and the bar's tooltip calls, one "name=value" a line, and ends.
#include <windows.h>

#include "OptionsHost_win32_fake.h"
#include "app/modMain_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    FirstRun();
    FakeOptionsHostWin32 host;
    gb::frmOptions dialog(host, instance);
    dialog.Show(nullptr);
    // A bounded life: the tests close the dialog long before.
    for (const DWORD end = ::GetTickCount() + 120000; dialog.IsOpen() && ::GetTickCount() < end;)
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0)
            modMain::DoEvents();
    dialog.Unload();
    PrintingStore store;
    modSettings::SaveSettings(store, u".");
    for (const auto& call : host.calls)
        std::printf("call=%s\n", call.c_str());
    return 0;
}
