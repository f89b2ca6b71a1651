// What only Windows can show of the bar: a real window reserving the real work area (by its own
// top where no shell arranges it), the mouse capture, a full-screen program, an accessibility
// client, the session's end and a close inside the slide-in. Every rule behind these is a host
// table.
#include <windows.h>

#include <objbase.h>
#include <oleacc.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/modSettings.h"
#include "bar/frmScroll_win32.h"
#include "strip/colMsg.h"

namespace {

// Runs this thread's messages for about the given time.
void Pump(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (DWORD spent = 0; spent < milliseconds; spent = ::GetTickCount() - start) {
        for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
    }
}

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

struct FakeShell final : gb::IBarShell {
    int shutdowns = 0;
    LONG workAreaTopAtShutdown = -1;
    void AppShutdown() override {
        ++shutdowns;
        workAreaTopAtShutdown = WorkArea().top;
    }
    void ShowOptions() override {}
    void DoScrollPopUp() override {}
};

constexpr int kScreenW = 1024;
constexpr int kTaken = 30; // what another bar took at the top before ours

// NIM_MODIFY succeeds only while the bar's icon is in the notification area.
bool Tray(HWND bar, DWORD what = NIM_MODIFY) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = bar;
    data.uID = 1;
    return ::Shell_NotifyIconW(what, &data) != FALSE;
}

bool Topmost(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Whether the bar lies below a shown window of another process in the z-order every program
// reads.
bool BelowWindowOf(HWND bar, DWORD process) {
    for (HWND w = ::GetWindow(bar, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner == process && ::IsWindowVisible(w)) return true;
    }
    return false;
}

// The settings of a bar across the top that reserves its strip, in a thread as the program's.
modSettings::SettingsRecord settings;
modSettings::SettingsRecord& BarSettings() {
    Pump(20); // a bar that ended before has told the loop to end: not the next one
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // as the program's messenger link has
    auto& s = settings = {};
    s.Speed = 10;
    s.ChangeWorkArea = true;
    s.Width = kScreenW * 15.0f;
    s.UnreadMail = u"You've got # unread mail(s).";
    s.PlaceHolder = u"#";
    return s;
}

// Every bar slides in and out (about 2.4 s), so these cases share one, in the order written;
// the last one closes it.
class SharedBar : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        SetWorkAreaTop(kTaken);
        bar_ = std::make_unique<gb::frmScroll>(shell_, ::GetModuleHandleW(nullptr), BarSettings());
        ASSERT_TRUE(bar_->Load());
    }
    static void TearDownTestSuite() {
        bar_.reset();
        SetWorkAreaTop(0);
    }
    void SetUp() override { hwnd_ = bar_->hWnd(); }
    gb::colMsg& Strip() { return *bar_->Controller().BarStrip(); }
    static inline FakeShell shell_;
    static inline std::unique_ptr<gb::frmScroll> bar_;
    HWND hwnd_ = nullptr;
};

// A strip held by the right button (that it holds still is the end-to-end test's) holds the
// mouse, so that a release away from the bar reaches it; when another window takes the mouse
// first, the strip runs again.
TEST_F(SharedBar, HeldStripRunsAgainWhenTheMouseIsTaken) {
    Strip().AddString(std::u16string(300, u'x')); // long enough to keep moving
    ::SendMessageW(hwnd_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 5));
    EXPECT_EQ(::GetCapture(), hwnd_);
    const float held = Strip().StripLeft();
    ::SetCapture(::FindWindowExW(hwnd_, nullptr, L"BUTTON", nullptr));
    Pump(300);
    EXPECT_LT(Strip().StripLeft(), held);
    ::ReleaseCapture();
}

// Another program's window without caption over the whole screen, in front, as a game or a
// video is: the bar lies below it and its strip holds; when it ends, both come back.
TEST_F(SharedBar, StepsBackForAFullScreenWindowOfAnotherProgram) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --full-screen-window";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &pi));
    gb::unique_handle<HANDLE, gb::detail::NullTraits<HANDLE, ::CloseHandle>> process(pi.hProcess),
        thread(pi.hThread);
    Strip().AddString(std::u16string(300, u'x'));
    const auto waitFor = [&](bool stepped) {
        for (int i = 0; i < 200 && bar_->Controller().SteppedBack() != stepped; ++i)
            Pump(50);
        return bar_->Controller().SteppedBack() == stepped;
    };
    ASSERT_TRUE(waitFor(true));
    EXPECT_FALSE(Topmost(hwnd_));
    const float held = Strip().StripLeft();
    // Below it within a second, and still below it for as long as it lasts.
    for (int look = 0; look < 12; ++look) {
        Pump(look == 0 ? 1000 : 200);
        EXPECT_TRUE(BelowWindowOf(hwnd_, pi.dwProcessId)) << "look " << look;
    }
    EXPECT_EQ(Strip().StripLeft(), held) << "nothing scrolls away unseen";
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ASSERT_TRUE(waitFor(false));
    EXPECT_TRUE(Topmost(hwnd_));
    Pump(400);
    EXPECT_LT(Strip().StripLeft(), held);
}

int valueChanges = 0;
void CALLBACK CountValueChanges(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG, DWORD,
                                DWORD) noexcept {
    if (object == OBJID_CLIENT) ++valueChanges;
}

// A screen reader finds the bar by its name, reads the entering line, and hears each new
// line once.
TEST_F(SharedBar, AccessibilityClientReadsItsNameAndLineAndHearsEachNewLineOnce) {
    gb::unique_handle<HWINEVENTHOOK, gb::detail::NullTraits<HWINEVENTHOOK, ::UnhookWinEvent>> hook(
        ::SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                          CountValueChanges, 0, 0, WINEVENT_OUTOFCONTEXT));
    auto& events = bar_->Controller().Events();
    events.OnUnreadEmailChanged(0, 3);
    events.OnUnreadEmailChanged(0, 4);
    Pump(300);
    EXPECT_EQ(valueChanges, 2);
    gb::com_ptr<IAccessible> acc;
    ASSERT_TRUE(SUCCEEDED(
        ::AccessibleObjectFromWindow(hwnd_, OBJID_CLIENT, IID_IAccessible, acc.put_void())));
    const auto read = [&](auto get) {
        VARIANT self{};
        self.vt = VT_I4; // CHILDID_SELF
        BSTR raw = nullptr;
        (acc.get()->*get)(self, &raw);
        return gb::unique_bstr(raw);
    };
    EXPECT_STREQ(read(&IAccessible::get_accName).get(), L"Glidebanner");
    EXPECT_STREQ(read(&IAccessible::get_accValue).get(), L"You've got 4 unread mail(s).");
}

// Where no shell arranges application bars (this Wine), the bar takes its strip below the top
// the work area had. When the session ends for it minimised, its place, width and speed are
// stored, its icon goes, and exactly what it took is given back; a bar that is gone changes
// nothing.
TEST_F(SharedBar, ReservesBelowWhatWasTakenAndAtSessionEndGivesBackExactly) {
    RECT bar{};
    ::GetWindowRect(hwnd_, &bar);
    EXPECT_EQ(WorkArea().top, kTaken + bar.bottom - bar.top);
    Strip().SetScrollSpeed(33);
    bar_->Controller().Minimize();
    EXPECT_TRUE(Tray(hwnd_));
    auto& s = settings;
    s.X = s.Y = s.Width = 999; // what was loaded must not be what is checked
    ::SendMessageW(hwnd_, WM_QUERYENDSESSION, 0, 0);
    ::SendMessageW(hwnd_, WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(::IsWindow(hwnd_)) << "a cancelled session end keeps the bar";
    ::SendMessageW(hwnd_, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(::IsWindow(hwnd_));
    EXPECT_EQ(shell_.shutdowns, 1);
    EXPECT_EQ(std::tuple(s.X, s.Y, s.Width, s.Speed),
              std::tuple(0.0f, 0.0f, kScreenW * 15.0f, 33.0f));
    EXPECT_FALSE(Tray(hwnd_));
    EXPECT_EQ(WorkArea().top, kTaken);
    ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
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

// The program ends cleanly once the slide has stopped: shutdown once, after the work area is
// given back, and where the bar was on its way in is no place the user chose.
TEST(Bar, ExitDuringTheSlideInEndsCleanlyAfterTheSlideStops) {
    FakeShell shell;
    gb::unique_hhook hook(
        ::SetWindowsHookExW(WH_CALLWNDPROCRET, CloseDuringSlide, nullptr, ::GetCurrentThreadId()));
    auto& s = BarSettings();
    EXPECT_FALSE(gb::frmScroll(shell, ::GetModuleHandleW(nullptr), s).Load());
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(::IsWindow(slidingBar));
    EXPECT_EQ(std::tuple(shell.shutdowns, shell.workAreaTopAtShutdown, s.X),
              std::tuple(1, 0L, 0.0f));
}

} // namespace

// Run as "--full-screen-window", this program is the other program of the full-screen case.
int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--full-screen-window") {
        const HWND full = ::CreateWindowExW(
            0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
            ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
        ::SetForegroundWindow(full);
        Pump(60000); // ended by the test, at the latest by itself
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
