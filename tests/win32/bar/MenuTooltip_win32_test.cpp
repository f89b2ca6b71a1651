// The bar's help tip and pop-up menu on the real controls: one tooltip window per object with
// the bar's text, title and icon, and the menu's entries in order, each with its action, and
// the menu's own loop.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "bar/BarRules.h"
#include "bar/clsTooltip_win32.h"
#include "bar/frmMenu_win32.h"

namespace {

using BarRules::MenuEntry;

std::vector<HWND> TipsOf(HWND parent) {
    std::vector<HWND> tips;
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr));)
        if (::GetWindow(w, GW_OWNER) == parent) tips.push_back(w);
    return tips;
}

// The text and the right edge of the tool that covers the parent.
std::pair<std::u16string, LONG> Tool(HWND tip, HWND parent) {
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = parent;
    tool.lpszText = text;
    ::SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
    return {reinterpret_cast<const char16_t*>(text), tool.rect.right};
}

// The title and icon as the tooltip is given them (this Wine has no message to read them back).
std::pair<std::wstring, WPARAM> title;
LRESULT CALLBACK NoteTitle(int code, WPARAM wp, LPARAM lp) noexcept {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && m->message == TTM_SETTITLEW)
        title = {reinterpret_cast<const wchar_t*>(m->lParam), m->wParam};
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

// A second Create replaces the first window; an object released without one destroys no
// window; the tool covers the client area as it was at Create.
TEST(clsTooltip, OneWindowWithTheBarsTextTitleAndIcon) {
    gb::unique_hwnd parent(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 20, nullptr,
                                             nullptr, nullptr, nullptr));
    const HWND p = parent.get();
    gb::unique_hhook hook(
        ::SetWindowsHookExW(WH_CALLWNDPROC, NoteTitle, nullptr, ::GetCurrentThreadId()));
    auto tip = std::make_unique<gb::clsTooltip>();
    tip->Create(p, u"first", u"", 0);
    const HWND first = tip->hWnd();
    { gb::clsTooltip unused; }
    EXPECT_EQ(TipsOf(p), std::vector{first});
    ::SetWindowPos(p, nullptr, 0, 0, 600, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Tool(first, p), std::pair(std::u16string(u"first"), 300L));

    tip->Create(p, BarRules::kHelpText, BarRules::kTitle, BarRules::kHelpIcon);
    EXPECT_EQ(TipsOf(p), std::vector{tip->hWnd()});
    EXPECT_EQ(Tool(tip->hWnd(), p), std::pair(std::u16string(BarRules::kHelpText), 600L));
    EXPECT_EQ(title, std::pair(std::wstring(L"Glidebanner"), WPARAM{TTI_INFO}));
    tip.reset();
    EXPECT_TRUE(TipsOf(p).empty());
}

// Notes the entries of the menu as it opens ("-" a separator, "!" after one checked or
// greyed), their ids and whether its owner is in front, then closes it as a click elsewhere
// would, or unloads the menu window as shutdown would.
std::vector<std::wstring> entries;
std::vector<UINT> ids;
bool ownerInFront = false;
gb::frmMenu* unload = nullptr;
LRESULT CALLBACK ReadMenu(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) noexcept {
    if (msg == WM_APP) return unload->Unload(), 0;
    if (msg == WM_INITMENUPOPUP) {
        ownerInFront = ::GetForegroundWindow() == hwnd;
        const auto menu = reinterpret_cast<HMENU>(wp);
        entries.clear();
        ids.clear();
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = L"-";
            const UINT state = ::GetMenuState(menu, i, MF_BYPOSITION);
            const bool separator = state & MF_SEPARATOR;
            if (!separator && ::GetMenuStringW(menu, i, text, 64, MF_BYPOSITION))
                ids.push_back(::GetMenuItemID(menu, i));
            const bool marked = !separator && state & (MF_CHECKED | MF_GRAYED | MF_DISABLED);
            entries.emplace_back(std::wstring(text) + (marked ? L"!" : L""));
        }
        ::PostMessageW(hwnd, unload ? WM_APP : WM_CANCELMODE, 0, 0);
        if (!unload) ::EndMenu();
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

struct Target final : gb::IBarMenu {
    bool visible = true;
    std::vector<MenuEntry> chosen;
    BarRules::MenuVisibility MenuEntries() const override { return BarRules::MenuFor(visible); }
    void OnMenu(MenuEntry entry) override { chosen.push_back(entry); }
};

// The menu closes without a choice on a click elsewhere, and survives the program's end while
// it is open.
TEST(frmMenu, EntriesInOrderEachWithItsActionAndClosesWithoutAChoiceOrAtShutdown) {
    gb::frmMenu menu;
    ASSERT_TRUE(menu.Load(::GetModuleHandleW(nullptr)));
    ::SetWindowSubclass(menu.hWnd(), ReadMenu, 1, 0);
    Target target;
    menu.SetTarget(&target);
    for (bool visible : {true, false}) {
        SCOPED_TRACE(visible);
        target.visible = visible;
        target.chosen.clear();
        menu.DoScrollPopUp();      // returns once the menu has closed again
        EXPECT_TRUE(ownerInFront); // else a click elsewhere leaves the menu open
        EXPECT_TRUE(target.chosen.empty());
        for (UINT id : ids)
            ::SendMessageW(menu.hWnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        EXPECT_EQ(entries, std::vector<std::wstring>({visible ? L"&Minimize" : L"&Maximize",
                                                      L"&Snap to screen", L"-", L"&Options...",
                                                      L"-", L"E&xit"}));
        EXPECT_EQ(target.chosen,
                  std::vector({visible ? MenuEntry::Minimize : MenuEntry::Maximize, MenuEntry::Snap,
                               MenuEntry::Options, MenuEntry::Exit}));
    }
    bool nullPosted = false; // (a filter of WM_NULL to WM_NULL would take any message)
    for (MSG m; ::PeekMessageW(&m, menu.hWnd(), 0, 0, PM_REMOVE);)
        nullPosted = nullPosted || m.message == WM_NULL;
    EXPECT_TRUE(nullPosted) << "else a click elsewhere leaves the menu open";
    unload = &menu;
    const HWND owner = menu.hWnd();
    menu.DoScrollPopUp(); // must come back although its owner is gone
    EXPECT_FALSE(::IsWindow(owner));
    menu.DoScrollPopUp(); // unloaded: nothing to pop up, and no crash
}

} // namespace
