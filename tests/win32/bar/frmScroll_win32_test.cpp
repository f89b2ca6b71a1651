// What only Windows can show of the bar: a real window reserving the real work area (by its own
// top where no shell arranges it), its tooltip, the notification icon, the mouse capture, a
// full-screen window of another program, an accessibility client, the session's end, a close
// inside the slide-in, and the menu's own loop. Every rule behind these is a host table.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <oleacc.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/modSettings.h"
#include "bar/frmMenu_win32.h"
#include "bar/frmScroll_win32.h"
#include "strip/colMsg.h"

namespace {

using unique_kernel = gb::unique_handle<HANDLE, gb::detail::NullTraits<HANDLE, ::CloseHandle>>;

// Runs this thread's messages for about the given time.
void Pump(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (DWORD spent = 0; spent < milliseconds; spent = ::GetTickCount() - start) {
        for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
    }
}

// Runs this thread's messages until done(), for ten seconds at most.
template <class Done> void PumpUntil(Done done) {
    for (const DWORD start = ::GetTickCount(); !done() && ::GetTickCount() - start < 10000;)
        Pump(50);
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

// The settings of a bar across the top that reserves its strip, in a thread as the program's.
modSettings::SettingsRecord& BarSettings() {
    Pump(20); // a bar that ended before has told the loop to end: not the next one
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // as the program's messenger link has
    auto& s = modSettings::Settings() = {};
    s.Speed = 10;
    s.ChangeWorkArea = s.ShowTooltip = true;
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
        BarSettings();
        bar_ = std::make_unique<gb::frmScroll>(shell_, ::GetModuleHandleW(nullptr));
        ASSERT_TRUE(bar_->Load());
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
    gb::colMsg& Strip() { return *bar_->Controller().BarStrip(); }
    static inline FakeShell shell_;
    static inline std::unique_ptr<gb::frmScroll> bar_;
    HWND hwnd_ = nullptr;
};

// This Wine's shell acknowledges application bars and arranges nothing: the bar takes its strip
// below the top the work area had. A resize rebuilds its one tooltip, which keeps the help
// text's lines.
TEST_F(SharedBar, ReservesBelowWhatWasTakenWithOneTooltip) {
    EXPECT_EQ(WorkArea().top, kTaken + Height());
    EXPECT_TRUE(Topmost(hwnd_));
    for (int width : {400, kScreenW})
        ::SetWindowPos(hwnd_, nullptr, 0, 0, width, Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    std::vector<HWND> tips;
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr));)
        if (::GetWindow(w, GW_OWNER) == hwnd_) tips.push_back(w);
    ASSERT_EQ(tips.size(), 1u);
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = hwnd_;
    tool.lpszText = text;
    ASSERT_TRUE(::SendMessageW(tips[0], TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), frmScrollRules::kHelpText);
    // Without a maximum width the control ignores the line breaks.
    EXPECT_GT(::SendMessageW(tips[0], TTM_GETMAXTIPWIDTH, 0, 0), 0);
}

// Minimised, it gives its strip back; a restarted shell has forgotten its icon and announces
// itself, and the icon comes back; a click on it shows the bar and reserves again.
TEST_F(SharedBar, MinimizedBarStaysReachableThroughItsIcon) {
    bar_->Controller().Minimize();
    EXPECT_FALSE(::IsWindowVisible(hwnd_));
    EXPECT_EQ(WorkArea().top, kTaken);
    ASSERT_TRUE(Tray(hwnd_, NIM_DELETE));
    ::SendMessageW(hwnd_, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Tray(hwnd_));
    ::SendMessageW(hwnd_, gb::frmScroll::kTrayCallback, 1, WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(hwnd_));
    EXPECT_FALSE(Tray(hwnd_));
    EXPECT_EQ(WorkArea().top, kTaken + Height());
}

// A strip held by the right button holds the mouse, so that a release away from the bar
// reaches it; when another window takes the mouse first, the strip runs again.
TEST_F(SharedBar, HeldStripRunsAgainWhenTheMouseIsTaken) {
    Strip().AddString(std::u16string(300, u'x')); // long enough to keep moving
    ::SendMessageW(hwnd_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 5));
    EXPECT_EQ(::GetCapture(), hwnd_);
    const float held = Strip().StripLeft();
    Pump(300);
    EXPECT_EQ(Strip().StripLeft(), held);
    ::SetCapture(::FindWindowExW(hwnd_, nullptr, L"BUTTON", nullptr));
    Pump(300);
    EXPECT_LT(Strip().StripLeft(), held);
    ::ReleaseCapture();
}

// Under another program's full-screen window the bar steps back and nothing scrolls away
// unseen; when that program ends the bar is on top again and runs on from where it stood.
TEST_F(SharedBar, StepsBackForAFullScreenWindowOfAnotherProgram) {
    wchar_t path[MAX_PATH] = {};
    std::wstring probe(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    probe = probe.substr(0, probe.find_last_of(L"\\/") + 1) + L"e2e_probe.exe";
    std::wstring command = L"\"" + probe + L"\" fullscreen";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(probe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &si, &pi));
    unique_kernel process(pi.hProcess), thread(pi.hThread);
    Strip().AddString(std::u16string(300, u'x'));
    PumpUntil([&] { return bar_->Controller().SteppedBack(); });
    EXPECT_TRUE(bar_->Controller().SteppedBack());
    EXPECT_FALSE(Topmost(hwnd_));
    const float held = Strip().StripLeft();
    Pump(400);
    EXPECT_EQ(Strip().StripLeft(), held);
    ::TerminateProcess(pi.hProcess, 0);
    PumpUntil([&] { return !bar_->Controller().SteppedBack(); });
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
    events.OnUnreadEmailChanged(1, 9); // another folder: no line
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

// The session ends for a minimised bar: its place, width and speed are stored, its icon goes,
// and exactly what it took of the work area is given back; a bar that is gone changes nothing.
TEST_F(SharedBar, SessionEndOfAMinimizedBarKeepsItsPlaceAndGivesBackExactly) {
    Strip().SetScrollSpeed(33);
    bar_->Controller().Minimize();
    auto& s = modSettings::Settings();
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
    EXPECT_FALSE(gb::frmScroll(shell, ::GetModuleHandleW(nullptr)).Load());
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(::IsWindow(slidingBar));
    EXPECT_EQ(std::tuple(shell.shutdowns, shell.workAreaTopAtShutdown, s.X),
              std::tuple(1, 0L, 0.0f));
}

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

struct FakeTarget final : gb::IBarMenu {
    bool visible = true;
    std::vector<frmScrollRules::MenuEntry> calls;
    frmScrollRules::MenuVisibility MenuEntries() const override { return {visible, !visible}; }
    void OnMenu(frmScrollRules::MenuEntry entry) override { calls.push_back(entry); }
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
    Pump(20);
    menu.SetTarget(nullptr);
    ::PostMessageW(menu.hWnd(), WM_COMMAND, MAKEWPARAM(gb::mnuScrollExit, 0), 0);
    Pump(20);
    EXPECT_EQ(target.calls, std::vector{frmScrollRules::MenuEntry::Snap});
    // The program ends while the menu is open: the menu window goes from inside its loop.
    menu.SetTarget(&target);
    MenuReader::unload = &menu;
    const HWND owner = menu.hWnd();
    menu.DoScrollPopUp(); // must come back although its owner is gone
    EXPECT_FALSE(::IsWindow(owner));
    menu.DoScrollPopUp(); // unloaded: nothing to pop up, and no crash
}

} // namespace
