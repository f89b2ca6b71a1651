// What only Windows shows of the options dialog: its real controls with their texts, fonts
// and places, its keys, and a close in the middle of an animation of real windows. Its rules
// are the controller's host tests.
#include <windows.h>

#include "options/frmOptions_win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>

#include "app/modSettings.h"
#include "strip/StripHost_win32.h"

namespace {

using namespace gb;

// The bar as the dialog sees it: a place, an icon, and a strip host that measures on GDI.
struct FakeBar final : IOptionsHostWin32 {
    float top = 0, height = 495;
    GdiTextMeasure measure;
    DesktopWindowActions windows;
    StripHost ticker{9.75, measure, windows};
    float BarTop() const override { return top; }
    float BarHeight() const override { return height; }
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

// Where a window stands in its parent, and its font.
std::tuple<LONG, LONG, LONG, LONG> Place(HWND h) {
    RECT r{};
    ::GetWindowRect(h, &r);
    ::MapWindowPoints(nullptr, ::GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}
LOGFONTW Font(HWND h) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(h, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

struct OptionsDialog : ::testing::Test {
    HWND Item(int id) const {
        HWND h = ::GetDlgItem(dialog.hWnd(), id);
        for (int page = idcPage0; !h && page <= idcPage3; ++page)
            h = ::GetDlgItem(::GetDlgItem(dialog.hWnd(), page), id);
        return h;
    }
    // The settings the rows below show; emoticons on, which Escape must leave on.
    OptionsDialog() {
        auto& s = modSettings::Settings() = {};
        s.Says = u"says: ", s.NameMode = 2, s.ShowEmo = true;
        s.UnreadMail = u"You've got # unread mail(s).";
    }
    FakeBar host;
    frmOptions dialog{host, nullptr};
};

TEST_F(OptionsDialog, ControlsStandWhereTheLayoutSaysWithTheirTextsAndFonts) {
    host.top = 1508; // 121 pixels below the top of the screen, once rounded
    host.height = 300;
    dialog.Show(nullptr);
    RECT w{}, client{};
    ::GetWindowRect(dialog.hWnd(), &w);
    ::GetClientRect(dialog.hWnd(), &client);
    EXPECT_EQ(std::tuple(w.top, client.right, client.bottom), std::tuple(121, 359, 282));
    const struct {
        int id;
        const wchar_t* text;
        std::tuple<LONG, LONG, LONG, LONG> at; // pixels in its page or the dialog
        LONG height, weight;
        bool italic;
    } rows[] = {
        // clang-format off
        {idcOK, L"&Okay", {32, 232, 137, 257}, -13, FW_BOLD, true},
        {idcNote, L"NOTE: not all settings take place immediately", {0, 264, 361, 281}, -12,
         FW_BOLD, true},
        {idcShowEmo, L"show &emoticons", {8, 24, 337, 41}, -13, FW_NORMAL, false},
        {idcBuddyNameSample, L"email says: ", {8, 23, 337, 40}, -13, FW_BOLD, false},
        {idcUnreadMail, L"You've got # unread mail(s).", {56, 96, 305, 120}, -13, FW_NORMAL, true},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.id);
        wchar_t text[128] = {};
        ::GetWindowTextW(Item(r.id), text, 128);
        const LOGFONTW font = Font(Item(r.id));
        EXPECT_STREQ(text, r.text);
        EXPECT_EQ(Place(Item(r.id)), r.at);
        EXPECT_EQ(std::tuple(font.lfHeight, font.lfWeight, font.lfItalic != 0),
                  std::tuple(r.height, r.weight, r.italic));
        EXPECT_STREQ(font.lfFaceName, L"Arial");
    }
    // Moved to a monitor at 150 %: every control and font follows its scale.
    RECT suggested{w.left, w.top, w.left + (w.right - w.left) * 3 / 2,
                   w.top + (w.bottom - w.top) * 3 / 2};
    ::SendMessageW(dialog.hWnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(Place(Item(idcOK)), std::tuple(48, 348, 206, 386));
    EXPECT_EQ(Font(Item(idcOK)).lfHeight, -20);
    EXPECT_EQ(host.ticker.dpi, 144) << "the ticker's text too";
    dialog.Unload();
}

TEST_F(OptionsDialog, EnterInATextBoxPressesNothingAndEscapeClosesWithoutApplying) {
    dialog.Show(nullptr);
    ::SendMessageW(Item(idcShowEmo), BM_CLICK, 0, 0);
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        ::PostMessageW(Item(idcBuddyLogon), WM_KEYDOWN, key, 0);
        PumpPendingMessages();
        EXPECT_EQ(dialog.IsOpen(), key == VK_RETURN);
    }
    EXPECT_TRUE(modSettings::Settings().ShowEmo);
}

TEST_F(OptionsDialog, ACloseInASlideOrPageTurnEndsTheRealWindowsForGood) {
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

} // namespace
