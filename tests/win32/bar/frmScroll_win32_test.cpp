#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BarTestSupport_win32.h"
#include "app/modSettings.h"
#include "bar/WorkArea_win32.h"
#include "bar/frmScroll_win32.h"
#include "strip/colMsg.h"

namespace {

struct FakeShell final : gb::IBarShell {
    int shutdowns = 0, popUps = 0, workAreaTopAtShutdown = -1;
    void AppShutdown() override {
        ++shutdowns;
        workAreaTopAtShutdown = gb::ReadWorkArea().top;
    }
    void ShowOptions() override {}
    void DoScrollPopUp() override { ++popUps; }
};

constexpr int kScreenW = 1024;
constexpr float kFullWidth = kScreenW * 15.0f;

int Reserved() { return gb::ReadWorkArea().top; }
void ExpectAcrossTheTop(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, kScreenW);
    EXPECT_EQ(Reserved(), r.bottom - r.top);
}

// NIM_MODIFY succeeds only while the bar's icon is in the notification area.
bool Tray(HWND bar, DWORD what = NIM_MODIFY) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = bar;
    data.uID = 1;
    return ::Shell_NotifyIconW(what, &data) != FALSE;
}

// The settings a bar loads from: across the top of a 96-dpi screen unless told otherwise.
void Stored(float x = 0, float y = 0, float width = kFullWidth) {
    EXPECT_EQ(Reserved(), 0) << "the work area is reserved before the test";
    bartest::Pump(20); // a bar that ended before has told the loop to end: not this one
    auto& s = modSettings::Settings();
    s = {};
    s.Speed = 10;
    s.ChangeWorkArea = s.ShowTooltip = true;
    s.X = x;
    s.Y = y;
    s.Width = width;
}

std::unique_ptr<gb::frmScroll> Load(FakeShell& shell, float x = 0, float y = 0,
                                    float width = kFullWidth) {
    Stored(x, y, width);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // as the program's messenger link has
    auto bar = std::make_unique<gb::frmScroll>(shell, ::GetModuleHandleW(nullptr));
    EXPECT_TRUE(bar->Load());
    return bar;
}

void ExpectEndedCleanly(const FakeShell& shell, HWND hwnd) {
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(shell.shutdowns, 1);
    EXPECT_EQ(shell.workAreaTopAtShutdown, 0) << "work area given back before shutdown";
}

// Every bar slides in and out (about 2.4 s), so these cases share one and leave it across
// the top as they found it; the last one closes it.
class SharedBar : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!bar_) bar_ = Load(shell_);
        hwnd_ = bar_->hWnd();
    }
    static void TearDownTestSuite() { bar_.reset(); }
    static inline FakeShell shell_;
    static inline std::unique_ptr<gb::frmScroll> bar_;
    HWND hwnd_ = nullptr;
};

TEST_F(SharedBar, FirstStartLiesAcrossTheTopAndItsButtonOpensTheMenu) {
    ExpectAcrossTheTop(hwnd_);
    const HWND button = ::FindWindowExW(hwnd_, nullptr, L"BUTTON", nullptr);
    for (int width : {400, kScreenW}) {
        ::SetWindowPos(hwnd_, nullptr, 0, 0, width, Reserved(), SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(bartest::TooltipsOwnedBy(hwnd_).size(), 1u) << "rebuilt, not added";
    }
    ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::SendMessageW(button, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_EQ(shell_.popUps, 2) << "either button opens the menu";
}

TEST_F(SharedBar, MinimizedBarStaysReachableAndReservesOnlyWhenShown) {
    const int height = Reserved();
    bar_->Controller().Minimize();
    EXPECT_FALSE(::IsWindowVisible(hwnd_));
    EXPECT_EQ(Reserved(), 0);
    // A restarted shell has forgotten the icon, then announces itself.
    ASSERT_TRUE(Tray(hwnd_, NIM_DELETE));
    ::SendMessageW(hwnd_, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Tray(hwnd_));
    ::SendMessageW(hwnd_, gb::frmScroll::kTrayCallback, 1, WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(hwnd_));
    EXPECT_FALSE(Tray(hwnd_));
    EXPECT_EQ(Reserved(), height);

    ::SetWindowPos(hwnd_, nullptr, 100, 200, 400, height, SWP_NOZORDER | SWP_NOACTIVATE);
    bar_->Controller().SnapToScreen();
    ExpectAcrossTheTop(hwnd_);
}

TEST_F(SharedBar, RightButtonHeldStopsTheStripUntilReleasedOrTheMouseIsTaken) {
    gb::colMsg& strip = *bar_->Controller().BarStrip();
    strip.AddString(std::u16string(300, u'x')); // long enough to keep moving
    for (bool taken : {false, true}) {
        SCOPED_TRACE(taken);
        ::SendMessageW(hwnd_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 5));
        // A release away from the bar must reach it too, or the strip would stay stopped.
        EXPECT_EQ(::GetCapture(), hwnd_);
        const float held = strip.StripLeft();
        bartest::Pump(300);
        EXPECT_EQ(strip.StripLeft(), held);
        if (taken) // another window takes the mouse: the release never comes to the bar
            ::SetCapture(::FindWindowExW(hwnd_, nullptr, L"BUTTON", nullptr));
        else
            ::SendMessageW(hwnd_, WM_RBUTTONUP, 0, MAKELPARAM(50, 5));
        bartest::Pump(300);
        EXPECT_LT(strip.StripLeft(), held);
        ::ReleaseCapture();
    }
}

TEST_F(SharedBar, SessionEndOfAMinimizedBarStoresItsPlaceAndSpeedAndEndsOnce) {
    bar_->Controller().BarStrip()->SetScrollSpeed(33);
    bar_->Controller().Minimize();
    auto& s = modSettings::Settings();
    s.X = s.Y = s.Width = 999; // what was loaded must not be what is checked
    ::SendMessageW(hwnd_, WM_QUERYENDSESSION, 0, 0);
    ::SendMessageW(hwnd_, WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(::IsWindow(hwnd_)) << "a cancelled session end keeps the bar";
    ::SendMessageW(hwnd_, WM_ENDSESSION, TRUE, 0);
    ExpectEndedCleanly(shell_, hwnd_);
    EXPECT_EQ(s.X + s.Y, 0);
    EXPECT_EQ(s.Width, kFullWidth);
    EXPECT_EQ(s.Speed, 33);
    EXPECT_FALSE(Tray(hwnd_));
    ::SendMessageW(hwnd_, WM_CLOSE, 0, 0); // a bar that is gone changes nothing
    EXPECT_EQ(shell_.shutdowns, 1);
    bar_.reset();
}

// Closes the bar after its fifth move, while it is still sliding in.
HWND slidingBar = nullptr;
LRESULT CALLBACK CloseDuringSlide(int code, WPARAM wp, LPARAM lp) noexcept {
    static int moves = 0;
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    wchar_t name[32] = {};
    if (code == HC_ACTION && m->message == WM_WINDOWPOSCHANGED &&
        ::GetClassNameW(m->hwnd, name, 32) && ::lstrcmpW(name, L"GlidebannerBar") == 0 &&
        ++moves == 5)
        ::PostMessageW(slidingBar = m->hwnd, WM_CLOSE, 0, 0);
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

TEST(Bar, ExitDuringTheSlideIn) {
    Stored();
    FakeShell shell;
    gb::unique_hhook hook(
        ::SetWindowsHookExW(WH_CALLWNDPROCRET, CloseDuringSlide, nullptr, ::GetCurrentThreadId()));
    EXPECT_FALSE(gb::frmScroll(shell, ::GetModuleHandleW(nullptr)).Load());
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    ExpectEndedCleanly(shell, slidingBar);
    // Where the bar was on its way in is no place the user chose.
    EXPECT_EQ(modSettings::Settings().X, 0);
    EXPECT_EQ(modSettings::Settings().Width, kFullWidth);
}

TEST(Bar, StoredPlaceOffASmallerScreenThenExitDuringAShiftDrag) {
    FakeShell shell;
    const auto bar = Load(shell, 30000, -600, 40000); // wider, right of the screen and above it
    const HWND hwnd = bar->hWnd();
    ExpectAcrossTheTop(hwnd);
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80; // as the bar reads it
    ::SetKeyboardState(keys);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(500, 5));
    EXPECT_EQ(::GetCapture(), hwnd) << "the drag holds the mouse";
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    bartest::Pump(50);
    // A late drag step reaches a window that is gone: nothing may move or crash.
    ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(400, 5));
    ExpectEndedCleanly(shell, hwnd);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(modSettings::Settings().X, 0);
}

} // namespace
