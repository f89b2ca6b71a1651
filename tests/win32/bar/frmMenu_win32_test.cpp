#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BarTestSupport_win32.h"
#include "bar/frmMenu_win32.h"

namespace {

class FakeTarget final : public gb::IScrollMenuTarget {
  public:
    bool visible = true;
    std::vector<std::string> calls;
    bool BarVisible() override { return visible; }
    void Minimize() override { calls.push_back("Minimize"); }
    void Maximize() override { calls.push_back("Maximize"); }
    void SnapToScreen() override { calls.push_back("SnapToScreen"); }
    void ShowOptions() override { calls.push_back("ShowOptions"); }
    void Exit() override { calls.push_back("Exit"); }
};

// Reads the menu's entries when it opens, then closes it as a click elsewhere would.
struct MenuReader {
    static inline std::vector<std::wstring> entries;
    static inline int opened = 0;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                 DWORD_PTR) noexcept {
        if (msg == WM_INITMENUPOPUP) {
            ++opened;
            entries.clear();
            const HMENU menu = reinterpret_cast<HMENU>(wp);
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                wchar_t text[64] = {};
                MENUITEMINFOW info{};
                info.cbSize = sizeof info;
                info.fMask = MIIM_FTYPE | MIIM_STRING;
                info.dwTypeData = text;
                info.cch = 64;
                ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
                entries.push_back((info.fType & MFT_SEPARATOR) ? L"-" : text);
            }
            ::PostMessageW(hwnd, WM_CANCELMODE, 0, 0);
            ::EndMenu();
        }
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
};

TEST(frmMenu, EntriesFollowTheBarsVisibility) {
    const struct {
        bool visible;
        std::vector<std::wstring> entries;
    } rows[] = {
        {true, {L"&Minimize", L"&Snap to screen", L"-", L"&Options...", L"-", L"E&xit"}},
        {false, {L"&Maximize", L"&Snap to screen", L"-", L"&Options...", L"-", L"E&xit"}},
    };
    gb::frmMenu menu;
    ASSERT_TRUE(menu.Load(::GetModuleHandleW(nullptr)));
    ::SetWindowSubclass(menu.hWnd(), MenuReader::Proc, 1, 0);
    FakeTarget target;
    menu.SetTarget(&target);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.visible);
        target.visible = row.visible;
        MenuReader::opened = 0;
        // Returns only once the menu has closed again.
        menu.DoScrollPopUp();
        EXPECT_EQ(MenuReader::opened, 1);
        EXPECT_EQ(MenuReader::entries, row.entries);
    }
    bartest::Pump(50);
    EXPECT_TRUE(target.calls.empty()) << "closing without a choice chose something";
    ::RemoveWindowSubclass(menu.hWnd(), MenuReader::Proc, 1);
}

// The program ends while the menu is open: shutdown unloads the menu window from inside the
// menu's own loop.
struct UnloadWhileOpen {
    static inline gb::frmMenu* menu = nullptr;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                 DWORD_PTR) noexcept {
        if (msg == WM_INITMENUPOPUP) ::PostMessageW(hwnd, WM_APP, 0, 0);
        if (msg == WM_APP) {
            menu->Unload();
            return 0;
        }
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
};

TEST(frmMenu, UnloadWhileTheMenuIsOpenEndsItCleanly) {
    gb::frmMenu menu;
    ASSERT_TRUE(menu.Load(::GetModuleHandleW(nullptr)));
    FakeTarget target;
    menu.SetTarget(&target);
    UnloadWhileOpen::menu = &menu;
    const HWND owner = menu.hWnd();
    ::SetWindowSubclass(owner, UnloadWhileOpen::Proc, 2, 0);
    menu.DoScrollPopUp(); // must come back although its owner is gone
    EXPECT_FALSE(::IsWindow(owner));
    EXPECT_EQ(menu.hWnd(), nullptr);
    bartest::Pump(20);
    EXPECT_TRUE(target.calls.empty());
}

TEST(frmMenu, ChosenEntryReachesTheTargetFromTheMessageLoop) {
    const struct {
        UINT entry;
        const char* call;
    } rows[] = {
        {gb::mnuScrollMinimize, "Minimize"}, {gb::mnuScrollMaximize, "Maximize"},
        {gb::mnuScrollSnap, "SnapToScreen"}, {gb::mnuScrollOptions, "ShowOptions"},
        {gb::mnuScrollExit, "Exit"},
    };
    gb::frmMenu menu;
    ASSERT_TRUE(menu.Load(::GetModuleHandleW(nullptr)));
    FakeTarget target;
    menu.SetTarget(&target);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.call);
        target.calls.clear();
        // What TrackPopupMenu posts when an entry is chosen.
        ::PostMessageW(menu.hWnd(), WM_COMMAND, MAKEWPARAM(row.entry, 0), 0);
        bartest::Pump(20);
        EXPECT_EQ(target.calls, std::vector<std::string>{row.call});
    }
    // After shutdown let go of the target, a late choice does nothing.
    menu.SetTarget(nullptr);
    ::PostMessageW(menu.hWnd(), WM_COMMAND, MAKEWPARAM(gb::mnuScrollExit, 0), 0);
    bartest::Pump(20);
    menu.Unload();
    EXPECT_EQ(menu.hWnd(), nullptr);
    menu.DoScrollPopUp(); // unloaded: nothing to pop up, and no crash
}

} // namespace
