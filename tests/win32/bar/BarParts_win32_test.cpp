// The bar's parts that need no bar window: the tooltip and the menu.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BarTestSupport_win32.h"
#include "bar/BarRules.h"
#include "bar/clsTooltip_win32.h"
#include "bar/frmMenu_win32.h"
#include "kit/Handles_win32.h"

namespace {

TEST(clsTooltip, TwoCreateCallsLeaveOneWindowWithTheHelpTextsLinesAndCharacters) {
    gb::unique_hwnd parent(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 10, 50, 640, 22, nullptr,
                                             nullptr, nullptr, nullptr));
    // A character outside every ANSI code page shows that the wide messages are used.
    const std::u16string text = std::u16string(frmScrollRules::kHelpText) + u"\r\n\u03A9 \u4E2D";
    HWND second = nullptr;
    {
        gb::clsTooltip tip;
        tip.Create(parent.get(), u"first", u"Glidebanner", 1);
        tip.Create(parent.get(), text, u"Glidebanner", 1);
        second = tip.hWnd();
        { gb::clsTooltip unused; } // released without Create: destroys nothing
        EXPECT_EQ(bartest::TooltipsOwnedBy(parent.get()), std::vector<HWND>{second});
        wchar_t got[512] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = parent.get();
        tool.lpszText = got;
        ASSERT_TRUE(::SendMessageW(second, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(got)), text);
        // Without a maximum width the control ignores the line breaks.
        EXPECT_GT(::SendMessageW(second, TTM_GETMAXTIPWIDTH, 0, 0), 0);
    }
    EXPECT_FALSE(::IsWindow(second));
}

struct FakeTarget final : gb::IBarMenu {
    bool visible = true;
    std::vector<frmScrollRules::MenuEntry> calls;
    frmScrollRules::MenuVisibility MenuEntries() const override { return {visible, !visible}; }
    void OnMenu(frmScrollRules::MenuEntry entry) override { calls.push_back(entry); }
};

// When the menu opens: notes its first entry and whether its owner is in front, then closes
// it as a click elsewhere would, or unloads the menu window as shutdown would.
struct MenuReader {
    static inline UINT first = 0;
    static inline bool ownerInFront = false;
    static inline gb::frmMenu* unload = nullptr;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                 DWORD_PTR) noexcept {
        if (msg == WM_INITMENUPOPUP) {
            ownerInFront = ::GetForegroundWindow() == hwnd;
            first = ::GetMenuItemID(reinterpret_cast<HMENU>(wp), 0);
            ::PostMessageW(hwnd, unload ? WM_APP : WM_CANCELMODE, 0, 0);
            if (!unload) ::EndMenu();
        }
        if (msg == WM_APP) return unload->Unload(), 0;
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
};

TEST(frmMenu, OpensForTheBarsStateClosesWithoutAChoiceAndSurvivesShutdown) {
    gb::frmMenu menu;
    ASSERT_TRUE(menu.Load(::GetModuleHandleW(nullptr)));
    ::SetWindowSubclass(menu.hWnd(), MenuReader::Proc, 1, 0);
    FakeTarget target;
    menu.SetTarget(&target);
    for (bool visible : {true, false}) {
        SCOPED_TRACE(visible);
        target.visible = visible;
        menu.DoScrollPopUp(); // returns once the menu has closed again
        EXPECT_EQ(MenuReader::first, visible ? gb::mnuScrollMinimize : gb::mnuScrollMaximize);
        // Without these a menu of a window not in front stays open on a click elsewhere.
        EXPECT_TRUE(MenuReader::ownerInFront);
        bool nullPosted = false; // (a filter of WM_NULL to WM_NULL would take any message)
        for (MSG m; ::PeekMessageW(&m, menu.hWnd(), 0, 0, PM_REMOVE);)
            nullPosted = nullPosted || m.message == WM_NULL;
        EXPECT_TRUE(nullPosted);
    }
    // A choice comes back through the message loop; after shutdown has let go of the target
    // a late one does nothing.
    ::PostMessageW(menu.hWnd(), WM_COMMAND, MAKEWPARAM(gb::mnuScrollSnap, 0), 0);
    bartest::Pump(20);
    menu.SetTarget(nullptr);
    ::PostMessageW(menu.hWnd(), WM_COMMAND, MAKEWPARAM(gb::mnuScrollExit, 0), 0);
    bartest::Pump(20);
    EXPECT_EQ(target.calls, std::vector{frmScrollRules::MenuEntry::Snap});
    // The program ends while the menu is open: the menu window goes from inside its loop.
    menu.SetTarget(&target);
    MenuReader::unload = &menu;
    const HWND owner = menu.hWnd();
    menu.DoScrollPopUp(); // must come back although its owner is gone
    MenuReader::unload = nullptr;
    EXPECT_FALSE(::IsWindow(owner));
    menu.DoScrollPopUp(); // unloaded: nothing to pop up, and no crash
}

} // namespace
