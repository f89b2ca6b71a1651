#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BarTestSupport_win32.h"
#include "app/Screen_win32.h"
#include "app/modSettings.h"
#include "bar/BarLife.h"
#include "bar/WorkArea_win32.h"
#include "bar/frmScroll_win32.h"

namespace {

namespace rules = frmScrollRules;

class FakeShell final : public gb::IBarShell {
  public:
    int shutdowns = 0;
    int options = 0;
    int popUps = 0;
    gb::WorkAreaReservation* reservation = nullptr;
    int workAreaTopAtShutdown = -1;
    void AppShutdown() override {
        ++shutdowns;
        workAreaTopAtShutdown = gb::ReadWorkArea().top;
    }
    void ShowOptions() override { ++options; }
    void DoScrollPopUp() override { ++popUps; }
};

constexpr int kScreenW = 1024, kScreenH = 768;

RECT WindowRect(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

// Whether the bar's notification icon is in the notification area now.
bool TrayIconPresent(HWND bar) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = bar;
    data.uID = 1;
    data.uFlags = NIF_TIP;
    ::lstrcpyW(data.szTip, L"probe");
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

class Bar : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(gb::TwipsPerPixelX(), 15.0f) << "the tests expect 96 dots per inch";
        ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), kScreenW);
        ASSERT_EQ(gb::ReadWorkArea().top, 0) << "the work area is reserved before the test";
        auto& s = modSettings::Settings();
        s = {};
        s.Says = u"says: ";
        s.NameMode = 2;
        s.ShowEmo = true;
        s.Speed = 10;
        s.ChangeWorkArea = true;
        s.X = 0;
        s.Y = 0;
        s.Width = kScreenW * 15.0f;
        s.ShowTooltip = true;
        s.Version = u"1.1";
    }
    void TearDown() override {
        bar_.reset();
        RECT area = gb::ReadWorkArea();
        if (area.top != 0) {
            ADD_FAILURE() << "the work area was left reserved";
            area.top = 0;
            gb::WriteWorkArea(area);
        }
    }
    gb::frmScroll& Load() {
        bar_ = std::make_unique<gb::frmScroll>(shell_, ::GetModuleHandleW(nullptr));
        EXPECT_TRUE(bar_->Load());
        return *bar_;
    }
    void Close() {
        ::SendMessageW(bar_->hWnd(), WM_CLOSE, 0, 0);
        bartest::Pump(20);
    }
    FakeShell shell_;
    std::unique_ptr<gb::frmScroll> bar_;
};

TEST_F(Bar, FirstStartLiesAcrossTheTopAndReservesIt) {
    auto& bar = Load();
    const HWND hwnd = bar.hWnd();
    const RECT r = WindowRect(hwnd);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, kScreenW);
    const int height = r.bottom - r.top;
    EXPECT_GE(height, 18);
    EXPECT_LE(height, 32);
    EXPECT_EQ(gb::ReadWorkArea().top, height);

    wchar_t title[32] = {};
    ::GetWindowTextW(hwnd, title, 32);
    EXPECT_STREQ(title, L"Glidebanner");
    const auto ex = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW) << "the bar has no taskbar button";
    EXPECT_FALSE(::GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_EQ(bartest::TooltipsOwnedBy(hwnd).size(), 1u);
    Close();
    EXPECT_EQ(shell_.shutdowns, 1);
}

TEST_F(Bar, StoredPlacementIsKeptOnTheScreen) {
    const struct {
        const char* what;
        float x, y, width;
        bool changeWorkArea;
        int left, top, width_px; // -1 top: at the bottom of the screen
        bool reserved;
    } rows[] = {
        {"across the top, no reservation wanted", 0, 0, kScreenW * 15.0f, false, 0, 0, kScreenW,
         false},
        {"anywhere else", 1500, 3000, 6000, true, 100, 200, 400, false},
        {"beyond the right and bottom edges", 30000, 20000, 6000, true, kScreenW - 400, -1, 400,
         false},
        {"left of and above the screen", -9000, -600, 6000, true, 0, 0, 400, false},
        {"wider than the screen", 0, 0, 40000, true, 0, 0, kScreenW, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto& s = modSettings::Settings();
        s.X = row.x;
        s.Y = row.y;
        s.Width = row.width;
        s.ChangeWorkArea = row.changeWorkArea;
        auto& bar = Load();
        const RECT r = WindowRect(bar.hWnd());
        const int height = r.bottom - r.top;
        EXPECT_EQ(r.left, row.left);
        EXPECT_EQ(r.top, row.top < 0 ? kScreenH - height : row.top);
        EXPECT_EQ(r.right - r.left, row.width_px);
        EXPECT_EQ(gb::ReadWorkArea().top, row.reserved ? height : 0);
        Close();
        bar_.reset();
    }
}

TEST_F(Bar, HeightFollowsTheFontOnly) {
    modSettings::Settings().Width = 4500;
    const RECT narrow = WindowRect(Load().hWnd());
    Close();
    modSettings::Settings().Width = kScreenW * 15.0f;
    const RECT wide = WindowRect(Load().hWnd());
    Close();
    EXPECT_EQ(narrow.bottom - narrow.top, wide.bottom - wide.top);
}

TEST_F(Bar, MenuButtonStaysTwoPixelsFromTheTopAndRight) {
    auto& bar = Load();
    const HWND button = ::FindWindowExW(bar.hWnd(), nullptr, L"BUTTON", nullptr);
    ASSERT_NE(button, nullptr);
    for (int widthPx : {kScreenW, 400, 650}) {
        SCOPED_TRACE(widthPx);
        ::SetWindowPos(bar.hWnd(), nullptr, 0, 100, widthPx, 25, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT b = WindowRect(button);
        EXPECT_EQ(b.right - b.left, 14);
        EXPECT_EQ(b.bottom - b.top, 14);
        EXPECT_EQ(b.top, 100 + 2);
        EXPECT_EQ(b.right, widthPx - 2);
        // The tooltip is rebuilt for the new size: still one.
        EXPECT_EQ(bartest::TooltipsOwnedBy(bar.hWnd()).size(), 1u);
    }
    ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::SendMessageW(button, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_EQ(shell_.popUps, 2) << "either button opens the menu";
    Close();
}

TEST_F(Bar, MinimizeAndTheIconsClickBringItBack) {
    auto& bar = Load();
    const HWND hwnd = bar.hWnd();
    const int height = gb::ReadWorkArea().top;
    ASSERT_GT(height, 0);
    bar.Minimize();
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_TRUE(TrayIconPresent(hwnd));
    EXPECT_EQ(gb::ReadWorkArea().top, 0);

    // A press of the left button on the icon does nothing; its release brings the bar back.
    ::SendMessageW(hwnd, gb::frmScroll::kTrayCallback, 1, WM_LBUTTONDOWN);
    ::SendMessageW(hwnd, gb::frmScroll::kTrayCallback, 1, WM_MOUSEMOVE);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    ::SendMessageW(hwnd, gb::frmScroll::kTrayCallback, 1, WM_RBUTTONDOWN);
    EXPECT_EQ(shell_.popUps, 1);
    ::SendMessageW(hwnd, gb::frmScroll::kTrayCallback, 1, WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_FALSE(TrayIconPresent(hwnd));
    EXPECT_EQ(gb::ReadWorkArea().top, height);
    Close();
}

TEST_F(Bar, MaximizeReservesWhereverTheBarStands) {
    modSettings::Settings().Y = 3000;
    auto& bar = Load();
    EXPECT_EQ(gb::ReadWorkArea().top, 0);
    bar.Minimize();
    bar.Maximize();
    const RECT r = WindowRect(bar.hWnd());
    EXPECT_EQ(gb::ReadWorkArea().top, r.bottom - r.top);
    Close();
}

TEST_F(Bar, SnapToScreenMovesAcrossTheTopAndReserves) {
    modSettings::Settings().X = 1500;
    modSettings::Settings().Y = 3000;
    modSettings::Settings().Width = 6000;
    auto& bar = Load();
    EXPECT_EQ(gb::ReadWorkArea().top, 0);
    bar.SnapToScreen();
    const RECT r = WindowRect(bar.hWnd());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, kScreenW);
    EXPECT_EQ(gb::ReadWorkArea().top, r.bottom - r.top);

    // A minimised bar that snaps reserves nothing for itself until it is shown again.
    bar.Minimize();
    bar.SnapToScreen();
    EXPECT_EQ(gb::ReadWorkArea().top, 0);
    bar.Maximize();
    EXPECT_EQ(gb::ReadWorkArea().top, r.bottom - r.top);
    Close();
}

TEST_F(Bar, IconComesBackWhenTheShellRestarts) {
    auto& bar = Load();
    const HWND hwnd = bar.hWnd();
    bar.Minimize();
    ASSERT_TRUE(TrayIconPresent(hwnd));
    // A restarted shell has forgotten the icon, then announces itself.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uID = 1;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    ASSERT_FALSE(TrayIconPresent(hwnd));
    ::SendMessageW(hwnd, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TrayIconPresent(hwnd));
    Close();
    EXPECT_FALSE(TrayIconPresent(hwnd));
}

TEST_F(Bar, UnloadStoresGeometryAndSpeedAndEndsOnce) {
    const struct {
        const char* what;
        bool minimise;
    } rows[] = {{"visible", false}, {"minimised", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        shell_ = {};
        auto& s = modSettings::Settings();
        s.X = 1500;
        s.Y = 3000;
        s.Width = 6000;
        s.Speed = 10;
        auto& bar = Load();
        const HWND hwnd = bar.hWnd();
        bar.SnapToScreen();
        bar.BarStrip()->SetScrollSpeed(33);
        if (row.minimise) bar.Minimize();
        Close();
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(shell_.shutdowns, 1);
        EXPECT_EQ(shell_.workAreaTopAtShutdown, 0) << "work area given back before shutdown";
        EXPECT_EQ(s.X, 0);
        EXPECT_EQ(s.Y, 0);
        EXPECT_EQ(s.Width, kScreenW * 15.0f);
        EXPECT_EQ(s.Speed, 33);
        EXPECT_FALSE(TrayIconPresent(hwnd));
        // A second close of a bar that is gone changes nothing.
        ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
        EXPECT_EQ(shell_.shutdowns, 1);
        bar_.reset();
    }
}

// Closes the bar after its fifth move, while it is still sliding in.
struct CloseDuringSlide {
    static inline int moves = 0;
    static inline HWND bar = nullptr;
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) noexcept {
        if (code == HC_ACTION) {
            const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
            wchar_t name[32] = {};
            if (m->message == WM_WINDOWPOSCHANGED && ::GetClassNameW(m->hwnd, name, 32) &&
                ::lstrcmpW(name, L"GlidebannerBar") == 0 && ++moves == 5) {
                bar = m->hwnd;
                ::PostMessageW(m->hwnd, WM_CLOSE, 0, 0);
            }
        }
        return ::CallNextHookEx(nullptr, code, wp, lp);
    }
};

TEST_F(Bar, ExitDuringTheSlideInEndsCleanly) {
    CloseDuringSlide::moves = 0;
    gb::unique_hhook hook(::SetWindowsHookExW(WH_CALLWNDPROCRET, CloseDuringSlide::Hook, nullptr,
                                              ::GetCurrentThreadId()));
    ASSERT_TRUE(hook);
    bar_ = std::make_unique<gb::frmScroll>(shell_, ::GetModuleHandleW(nullptr));
    EXPECT_FALSE(bar_->Load());
    hook.reset();
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the message loop is told to end";
    EXPECT_FALSE(::IsWindow(CloseDuringSlide::bar));
    EXPECT_EQ(shell_.shutdowns, 1);
    EXPECT_EQ(shell_.workAreaTopAtShutdown, 0);
    // Where the bar was on its way in is no place the user chose.
    EXPECT_EQ(modSettings::Settings().X, 0);
    EXPECT_EQ(modSettings::Settings().Width, kScreenW * 15.0f);
}

// Holds Shift down through the system's input, as the user's keyboard would.
struct ShiftHeld {
    static void Send(bool down) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = VK_SHIFT;
        in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        ::SendInput(1, &in, sizeof in);
        bartest::Pump(50);
    }
    ShiftHeld() { Send(true); }
    ~ShiftHeld() { Send(false); }
};

TEST_F(Bar, ExitDuringAShiftDragEndsCleanly) {
    auto& bar = Load();
    const HWND hwnd = bar.hWnd();
    {
        ShiftHeld shift;
        if (::GetKeyState(VK_SHIFT) >= 0) GTEST_SKIP() << "no keyboard input on this display";
        ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(500, 5));
        ASSERT_EQ(::GetCapture(), hwnd) << "the drag holds the mouse";
        ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        bartest::Pump(50);
        // Late drag steps reach a window that is gone: nothing may move or crash.
        ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(400, 5));
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(shell_.shutdowns, 1);
    EXPECT_EQ(shell_.workAreaTopAtShutdown, 0);
    EXPECT_EQ(modSettings::Settings().X, 0);
}

TEST_F(Bar, SessionEndGivesTheWorkAreaBack) {
    auto& bar = Load();
    const HWND hwnd = bar.hWnd();
    ASSERT_GT(gb::ReadWorkArea().top, 0);
    ::SendMessageW(hwnd, WM_QUERYENDSESSION, 0, 0);
    ::SendMessageW(hwnd, WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(::IsWindow(hwnd)) << "a cancelled session end keeps the bar";
    EXPECT_EQ(shell_.shutdowns, 0);
    ::SendMessageW(hwnd, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(shell_.shutdowns, 1);
    EXPECT_EQ(gb::ReadWorkArea().top, 0);
    bartest::Pump(20);
}

TEST_F(Bar, RightButtonHeldStopsTheStrip) {
    auto& bar = Load();
    const HWND hwnd = bar.hWnd();
    gb::colMsg& strip = *bar.BarStrip();
    strip.AddString(std::u16string(300, u'x')); // long enough to keep moving
    bartest::Pump(250);
    const float moving = strip.StripLeft();
    bartest::Pump(250);
    EXPECT_LT(strip.StripLeft(), moving);

    ::SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 5));
    // A release away from the bar must reach it too, or the strip would stay stopped.
    EXPECT_EQ(::GetCapture(), hwnd);
    const float held = strip.StripLeft();
    bartest::Pump(350);
    EXPECT_EQ(strip.StripLeft(), held);
    ::SendMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(50, 5));
    bartest::Pump(350);
    EXPECT_LT(strip.StripLeft(), held);

    // Held again, then another window takes the mouse: the release never comes to the bar.
    ::SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 5));
    gb::unique_hwnd other(::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 300, 50, 50,
                                            nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                            nullptr));
    ::SetCapture(other.get());
    const float stolen = strip.StripLeft();
    bartest::Pump(350);
    EXPECT_LT(strip.StripLeft(), stolen) << "the strip stays stopped for good";
    ::ReleaseCapture();
    Close();
}

TEST_F(Bar, WithoutAMessengerTheStripSaysSo) {
    const CLSID eventSource = {
        0xF3A614DC, 0xABE0, 0x11D2, {0xA4, 0x41, 0x00, 0xC0, 0x4F, 0x79, 0x56, 0x83}};
    IUnknown* probe = nullptr;
    if (SUCCEEDED(::CoCreateInstance(eventSource, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&probe)))) {
        probe->Release();
        GTEST_SKIP() << "a messenger is registered in this prefix";
    }
    auto& bar = Load();
    bool found = false;
    for (const gb::clsItem& item : *bar.BarStrip()) {
        if (const auto* s = item.As<gb::clsString>())
            found = found || s->Text() == rules::kNoMessengerLine;
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(bartest::TooltipsOwnedBy(bar.hWnd()).size(), 1u);
    Close();
}

} // namespace
