// Opens the options dialog below a pretend bar at the top of the screen, as the menu would,
// for the end-to-end tests and the screenshots. When the dialog closes it prints the settings
// and the bar's tooltip calls, one "name=value" a line, and ends.
#include <windows.h>

#include <cstdio>
#include <string>

#include "OptionsHost_win32_fake.h"
#include "app/modSettings.h"

namespace {

std::string Utf8(const std::u16string& s) {
    const auto* w = reinterpret_cast<const wchar_t*>(s.c_str());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w, -1, out.data(), n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

void Print(const FakeOptionsHostWin32& host) {
    const auto& s = modSettings::Settings();
    const auto b = [](bool v) { return v ? "True" : "False"; };
    std::printf("Says=%s\nNameMode=%d\nShowSaysOnce=%s\nShowEmo=%s\nShowSignInOut=%s\n"
                "ChangeWorkArea=%s\nPlaceHolder=%s\nUnreadMail=%s\nBuddyLogon=%s\n"
                "BuddyLogoff=%s\nShowTooltip=%s\n",
                Utf8(s.Says).c_str(), static_cast<int>(s.NameMode), b(s.ShowSaysOnce), b(s.ShowEmo),
                b(s.ShowSignInOut), b(s.ChangeWorkArea), Utf8(s.PlaceHolder).c_str(),
                Utf8(s.UnreadMail).c_str(), Utf8(s.BuddyLogon).c_str(), Utf8(s.BuddyLogoff).c_str(),
                b(s.ShowTooltip));
    for (const auto& call : host.calls)
        std::printf("call=%s\n", call.c_str());
    std::fflush(stdout);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    auto& s = modSettings::Settings();
    s.Says = u"says: ";
    s.NameMode = 2;
    s.ShowSaysOnce = true;
    s.ShowEmo = true;
    s.ShowSignInOut = true;
    s.ChangeWorkArea = true;
    s.PlaceHolder = u"#";
    s.UnreadMail = u"You've got # unread mail(s).";
    s.BuddyLogon = u"has signed in.";
    s.BuddyLogoff = u"has signed out.";
    s.ShowTooltip = true;
    FakeOptionsHostWin32 host;
    gb::frmOptions dialog(host, instance);
    dialog.Show(nullptr);
    // A bounded life: the tests close the dialog long before.
    const DWORD end = ::GetTickCount() + 120000;
    MSG msg;
    while (dialog.IsOpen() && ::GetTickCount() < end) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0)
            continue;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    dialog.Unload();
    Print(host);
    return 0;
}
