#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "BarTestSupport_win32.h"
#include "app/Handles_win32.h"
#include "bar/BarRules.h"
#include "bar/clsTooltip_win32.h"

namespace {

// A plain top-level window for the tooltip to attach to.
gb::unique_hwnd MakeParent(int width, int height) {
    return gb::unique_hwnd(::CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 10, 50, width,
                                             height, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                             nullptr));
}

TEST(clsTooltip, TwoCreateCallsLeaveOneTooltipWindow) {
    auto parent = MakeParent(300, 20);
    gb::clsTooltip tip;
    tip.Create(parent.get(), u"first", u"Glidebanner", 1);
    const HWND first = tip.hWnd();
    ASSERT_TRUE(::IsWindow(first));
    tip.Create(parent.get(), u"second", u"Glidebanner", 1);
    EXPECT_FALSE(::IsWindow(first));
    const auto owned = bartest::TooltipsOwnedBy(parent.get());
    ASSERT_EQ(owned.size(), 1u);
    EXPECT_EQ(owned[0], tip.hWnd());
}

TEST(clsTooltip, ReleaseWithoutCreateDestroysNothing) {
    auto parent = MakeParent(300, 20);
    gb::clsTooltip kept;
    kept.Create(parent.get(), u"kept", u"Glidebanner", 1);
    { gb::clsTooltip unused; }
    EXPECT_TRUE(::IsWindow(kept.hWnd()));
    EXPECT_EQ(bartest::TooltipsOwnedBy(parent.get()).size(), 1u);
}

TEST(clsTooltip, ReleaseDestroysItsWindow) {
    auto parent = MakeParent(300, 20);
    HWND made = nullptr;
    {
        gb::clsTooltip tip;
        tip.Create(parent.get(), u"gone", u"Glidebanner", 1);
        made = tip.hWnd();
    }
    EXPECT_FALSE(::IsWindow(made));
    EXPECT_TRUE(bartest::TooltipsOwnedBy(parent.get()).empty());
}

TEST(clsTooltip, HelpTextKeepsItsLinesAndCharacters) {
    auto parent = MakeParent(640, 22);
    gb::clsTooltip tip;
    // A character outside every ANSI code page shows that the wide messages are used.
    const std::u16string text = std::u16string(frmScrollRules::kHelpText) + u"\r\n\u03A9 \u4E2D";
    tip.Create(parent.get(), text, u"Glidebanner", 1);

    wchar_t got[512] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = parent.get();
    tool.uId = 0;
    tool.lpszText = got;
    ASSERT_TRUE(::SendMessageW(tip.hWnd(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(got)), text);
    EXPECT_EQ(tool.uFlags & TTF_SUBCLASS, static_cast<UINT>(TTF_SUBCLASS));
    RECT client{};
    ::GetClientRect(parent.get(), &client);
    EXPECT_TRUE(::EqualRect(&tool.rect, &client));

    // Without a maximum width the control ignores the line breaks.
    const auto width = static_cast<int>(::SendMessageW(tip.hWnd(), TTM_GETMAXTIPWIDTH, 0, 0));
    EXPECT_GT(width, 0);
}

TEST(clsTooltip, StaysTopmostLikeTheBar) {
    auto parent = MakeParent(300, 20);
    gb::clsTooltip tip;
    tip.Create(parent.get(), u"x", u"Glidebanner", 1);
    EXPECT_TRUE(::GetWindowLongPtrW(tip.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

} // namespace
