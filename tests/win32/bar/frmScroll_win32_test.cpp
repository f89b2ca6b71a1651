// What only Windows can show of the bar: a real window reserving the real work area (by its own
// top where no shell arranges it), the notification icon, the mouse capture, a full-screen
// window of another program, the session's end and a close inside the slide-in. Every rule
// behind these is a host table of BarController.
#include <windows.h>

#include <objbase.h>
#include <oleacc.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BarTestSupport_win32.h"
#include "app/modSettings.h"
#include "bar/frmScroll_win32.h"
#include "strip/colMsg.h"

namespace {

struct FakeShell final : gb::IBarShell {
    int shutdowns = 0, popUps = 0, workAreaTopAtShutdown = -1;
    void AppShutdown() override;
    void ShowOptions() override {}
    void DoScrollPopUp() override { ++popUps; }
};

constexpr int kScreenW = 1024;
constexpr int kTaken = 30; // what another bar took at the top before ours

RECT WorkArea() {
    RECT r{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}
void SetWorkAreaTop(int top) {
    RECT r = WorkArea();
    r.top = top;
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &r, 0);
}
void FakeShell::AppShutdown() {
    ++shutdowns;
    workAreaTopAtShutdown = WorkArea().top;
}

// NIM_MODIFY succeeds only while the bar's icon is in the notification area.
bool Tray(HWND bar, DWORD what = NIM_MODIFY) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = bar;
    data.uID = 1;
    return ::Shell_NotifyIconW(what, &data) != FALSE;
}

std::unique_ptr<gb::frmScroll> Load(FakeShell& shell) {
    bartest::Pump(20); // a bar that ended before has told the loop to end: not this one
    auto& s = modSettings::Settings();
    s = {};
    s.Speed = 10;
    s.ChangeWorkArea = s.ShowTooltip = true;
    s.Width = kScreenW * 15.0f;
    s.UnreadMail = u"You've got # unread mail(s).";
    s.PlaceHolder = u"#";
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // as the program's messenger link has
    auto bar = std::make_unique<gb::frmScroll>(shell, ::GetModuleHandleW(nullptr));
    EXPECT_TRUE(bar->Load());
    return bar;
}

bool Topmost(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Every bar slides in and out (about 2.4 s), so these cases share one, in the order written;
// the last one closes it.
class SharedBar : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        SetWorkAreaTop(kTaken);
        bar_ = Load(shell_);
    }
    static void TearDownTestSuite() {
        bar_.reset();
        SetWorkAreaTop(0);
    }
    void SetUp() override { hwnd_ = bar_->hWnd(); }
    int Height() const {
        RECT r{};
        ::GetWindowRect(hwnd_, &r);
        return r.bottom - r.top;
    }
    static inline FakeShell shell_;
    static inline std::unique_ptr<gb::frmScroll> bar_;
    HWND hwnd_ = nullptr;
};

TEST_F(SharedBar, ReservesBelowWhatWasTakenAndItsButtonOpensTheMenu) {
    // This Wine's shell acknowledges application bars and arranges nothing: the bar takes its
    // strip below the top the work area had, and would give exactly that back.
    EXPECT_EQ(WorkArea().top, kTaken + Height());
    EXPECT_TRUE(Topmost(hwnd_));
    const HWND button = ::FindWindowExW(hwnd_, nullptr, L"BUTTON", nullptr);
    for (int width : {400, kScreenW}) {
        ::SetWindowPos(hwnd_, nullptr, 0, 0, width, Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(bartest::TooltipsOwnedBy(hwnd_).size(), 1u) << "rebuilt, not added";
    }
    ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::SendMessageW(button, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_EQ(shell_.popUps, 2) << "either button opens the menu";
}

TEST_F(SharedBar, MinimizedBarStaysReachableThroughItsIcon) {
    bar_->Controller().Minimize();
    EXPECT_FALSE(::IsWindowVisible(hwnd_));
    EXPECT_EQ(WorkArea().top, kTaken);
    // A restarted shell has forgotten the icon, then announces itself.
    ASSERT_TRUE(Tray(hwnd_, NIM_DELETE));
    ::SendMessageW(hwnd_, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Tray(hwnd_));
    ::SendMessageW(hwnd_, gb::frmScroll::kTrayCallback, 1, WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(hwnd_));
    EXPECT_FALSE(Tray(hwnd_));
    EXPECT_EQ(WorkArea().top, kTaken + Height());
}

TEST_F(SharedBar, HeldStripRunsAgainWhenTheMouseIsTaken) {
    gb::colMsg& strip = *bar_->Controller().BarStrip();
    strip.AddString(std::u16string(300, u'x')); // long enough to keep moving
    ::SendMessageW(hwnd_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 5));
    // A release away from the bar must reach it too, or the strip would stay stopped.
    EXPECT_EQ(::GetCapture(), hwnd_);
    const float held = strip.StripLeft();
    bartest::Pump(300);
    EXPECT_EQ(strip.StripLeft(), held);
    ::SetCapture(::FindWindowExW(hwnd_, nullptr, L"BUTTON", nullptr));
    bartest::Pump(300);
    EXPECT_LT(strip.StripLeft(), held);
    ::ReleaseCapture();
}

TEST_F(SharedBar, StepsBackForAFullScreenWindowOfAnotherProgram) {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring probe(path, n);
    probe = probe.substr(0, probe.find_last_of(L"\\/") + 1) + L"e2e_probe.exe";
    std::wstring command = L"\"" + probe + L"\" fullscreen";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(probe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &si, &pi));
    gb::colMsg& strip = *bar_->Controller().BarStrip();
    strip.AddString(std::u16string(300, u'x'));
    const DWORD start = ::GetTickCount();
    while (!bar_->Controller().SteppedBack() && ::GetTickCount() - start < 10000)
        bartest::Pump(50);
    EXPECT_TRUE(bar_->Controller().SteppedBack());
    EXPECT_FALSE(Topmost(hwnd_)) << "below the full-screen window";
    const float held = strip.StripLeft();
    bartest::Pump(400);
    EXPECT_EQ(strip.StripLeft(), held) << "nothing scrolls away unseen";
    // The program ends: the bar is on top again and runs on from where it stood.
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    gb::unique_handle<HANDLE, gb::detail::NullTraits<HANDLE, ::CloseHandle>> process(pi.hProcess),
        thread(pi.hThread);
    while (bar_->Controller().SteppedBack() && ::GetTickCount() - start < 20000)
        bartest::Pump(50);
    EXPECT_TRUE(Topmost(hwnd_));
    bartest::Pump(400);
    EXPECT_LT(strip.StripLeft(), held);
}

int valueChanges = 0;
void CALLBACK CountValueChanges(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG, DWORD,
                                DWORD) noexcept {
    if (object == OBJID_CLIENT) ++valueChanges;
}

std::u16string Read(IAccessible& acc,
                    HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR raw = nullptr;
    (acc.*get)(self, &raw);
    gb::unique_bstr text(raw);
    return raw ? std::u16string(reinterpret_cast<const char16_t*>(raw), ::SysStringLen(raw))
               : std::u16string();
}

TEST_F(SharedBar, AccessibilityClientReadsItsNameAndLineAndHearsEachNewLineOnce) {
    gb::unique_handle<HWINEVENTHOOK, gb::detail::NullTraits<HWINEVENTHOOK, ::UnhookWinEvent>> hook(
        ::SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                          CountValueChanges, 0, 0, WINEVENT_OUTOFCONTEXT));
    auto& events = bar_->Controller().Events();
    events.OnUnreadEmailChanged(0, 3);
    events.OnUnreadEmailChanged(1, 9); // another folder: no line
    events.OnUnreadEmailChanged(0, 4);
    bartest::Pump(300);
    EXPECT_EQ(valueChanges, 2);
    gb::com_ptr<IAccessible> acc;
    ASSERT_TRUE(SUCCEEDED(
        ::AccessibleObjectFromWindow(hwnd_, OBJID_CLIENT, IID_IAccessible, acc.put_void())));
    EXPECT_EQ(Read(*acc.get(), &IAccessible::get_accName), u"Glidebanner");
    EXPECT_EQ(Read(*acc.get(), &IAccessible::get_accValue), u"You've got 4 unread mail(s).");
}

TEST_F(SharedBar, SessionEndOfAMinimizedBarKeepsItsPlaceAndGivesBackExactly) {
    bar_->Controller().BarStrip()->SetScrollSpeed(33);
    bar_->Controller().Minimize();
    auto& s = modSettings::Settings();
    s.X = s.Y = s.Width = 999; // what was loaded must not be what is checked
    ::SendMessageW(hwnd_, WM_QUERYENDSESSION, 0, 0);
    ::SendMessageW(hwnd_, WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(::IsWindow(hwnd_)) << "a cancelled session end keeps the bar";
    ::SendMessageW(hwnd_, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(::IsWindow(hwnd_));
    EXPECT_EQ(shell_.shutdowns, 1);
    EXPECT_EQ(s.X + s.Y, 0);
    EXPECT_EQ(s.Width, kScreenW * 15.0f);
    EXPECT_EQ(s.Speed, 33);
    EXPECT_FALSE(Tray(hwnd_));
    EXPECT_EQ(WorkArea().top, kTaken) << "given back exactly what was taken";
    ::SendMessageW(hwnd_, WM_CLOSE, 0, 0); // a bar that is gone changes nothing
    EXPECT_EQ(shell_.shutdowns, 1);
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

TEST(Bar, ExitDuringTheSlideInEndsCleanlyAfterTheSlideStops) {
    FakeShell shell;
    gb::unique_hhook hook(
        ::SetWindowsHookExW(WH_CALLWNDPROCRET, CloseDuringSlide, nullptr, ::GetCurrentThreadId()));
    bartest::Pump(20);
    auto& s = modSettings::Settings();
    s = {};
    s.Speed = 10;
    s.ChangeWorkArea = true;
    s.Width = kScreenW * 15.0f;
    EXPECT_FALSE(gb::frmScroll(shell, ::GetModuleHandleW(nullptr)).Load());
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(::IsWindow(slidingBar));
    EXPECT_EQ(shell.shutdowns, 1);
    EXPECT_EQ(shell.workAreaTopAtShutdown, 0) << "work area given back before shutdown";
    // Where the bar was on its way in is no place the user chose.
    EXPECT_EQ(s.X, 0);
}

} // namespace
