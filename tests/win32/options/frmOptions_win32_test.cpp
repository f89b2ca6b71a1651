// A close in the middle of an animation of the options dialog's real windows, and its keys.
// Its rules are the controller's host tests.
#include <windows.h>

#include "options/frmOptions_win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "app/modSettings.h"
#include "strip/StripHost_win32.h"

namespace {

using namespace gb;

// The bar as the dialog sees it: a place, an icon, its settings (empty) and a strip host that
// measures on GDI.
struct FakeBar final : IOptionsHostWin32 {
    GdiTextMeasure measure;
    DesktopWindowActions windows;
    modSettings::SettingsRecord settings;
    StripHost ticker{9.75, measure, windows, settings};
    DialogScreen Screen() const override { return {0, 0, 1024, 768, 96, 33}; }
    void ShowTooltip() override {}
    void HideToolTip() override {}
    HICON Icon() override { return ::LoadIconW(nullptr, MAKEINTRESOURCEW(32516)); }
    StripHost& TickerStripHost() override { return ticker; }
};

// Runs an action from inside whichever loop pumps messages next: a slide or a page turn.
std::function<void()> pending;
void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (auto action = std::exchange(pending, nullptr)) action();
}
void Later(std::function<void()> action) {
    pending = std::move(action);
    ::SetTimer(nullptr, 0, 0, RunPending);
}

TEST(frmOptions, ACloseInASlideOrPageTurnEndsTheRealWindowsForGood) {
    FakeBar host;
    frmOptions dialog{host, nullptr, host.settings};
    for (const bool turn : {false, true}) {
        SCOPED_TRACE(turn ? "page turn" : "slide-in");
        HWND seen = nullptr;
        if (turn) dialog.Show(nullptr);
        Later([&] { ::SendMessageW(seen = dialog.hWnd(), WM_CLOSE, 0, 0); });
        turn ? void(::SendMessageW(dialog.hWnd(), WM_COMMAND, idcPicNext, 0))
             : dialog.Show(nullptr);
        EXPECT_TRUE(seen && !::IsWindow(seen));
        PumpPendingMessages(); // nothing brings it back once the pump runs on
        EXPECT_FALSE(dialog.IsOpen() || ::FindWindowW(nullptr, L"Glidebanner - Options"));
    }
}

// A text box takes no more than the next start reads back; the focus leaves a page that is
// hidden for the page shown; "&Okay" is no default button: Enter in a text box presses
// nothing; Escape closes without applying.
TEST(frmOptions, TextBoxesTakeWhatALoadReadsBackTheFocusFollowsThePageEscapeDiscards) {
    FakeBar host;
    host.settings.ShowEmo = true;
    frmOptions dialog{host, nullptr, host.settings};
    dialog.Show(nullptr);
    const auto item = [&](int id) {
        HWND h = ::GetDlgItem(dialog.hWnd(), id);
        for (int page = idcPage0; !h && page <= idcPage3; ++page)
            h = ::GetDlgItem(::GetDlgItem(dialog.hWnd(), page), id);
        return h;
    };
    ::SendMessageW(item(idcShowEmo), BM_CLICK, 0, 0);
    const std::wstring paste(16384, L'x');
    for (const int id : {idcSays, idcBuddyLogon, idcBuddyLogoff, idcUnreadMail, idcPlaceHolder}) {
        HWND box = id == idcSays ? ::GetWindow(item(id), GW_CHILD) : item(id);
        ::SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(paste.c_str()));
        EXPECT_EQ(::GetWindowTextLengthW(box), 16383) << id;
    }
    const auto turn = [&] { ::SendMessageW(dialog.hWnd(), WM_COMMAND, idcPicNext, 0); };
    turn();
    ::SetFocus(item(idcShowEmo));
    turn();
    EXPECT_TRUE(::IsChild(item(idcPage2), ::GetFocus()));
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        ::PostMessageW(item(idcBuddyLogon), WM_KEYDOWN, key, 0);
        PumpPendingMessages();
        EXPECT_EQ(dialog.IsOpen(), key == VK_RETURN);
    }
    EXPECT_TRUE(host.settings.ShowEmo);
}

} // namespace
