#include <windows.h>

#include "options/frmOptions_win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "OptionsHost_win32_fake.h"
#include "app/modMain_win32.h"
#include "app/modSettings.h"

namespace {

using namespace gb;

std::wstring Text(HWND hwnd) {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

bool Checked(HWND h) { return ::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }

RECT ClientRectIn(HWND hwnd, HWND parent) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Runs actions from inside the message pumping of a slide, a page turn or a message box:
// each is posted now and runs when the pump next dispatches.
class Later {
  public:
    Later() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OptionsTestLater";
        ::RegisterClassW(&wc);
        hwnd_ = ::CreateWindowExW(0, L"OptionsTestLater", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, this);
    }
    ~Later() { ::DestroyWindow(hwnd_); }
    void Post(std::function<void()> action) {
        actions_.push_back(std::move(action));
        ::PostMessageW(hwnd_, WM_APP, actions_.size() - 1, 0);
    }

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) noexcept {
        if (m == WM_NCCREATE)
            ::SetWindowLongPtrW(
                h, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
        auto* self = reinterpret_cast<Later*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
        if (m == WM_APP && self && w < self->actions_.size()) {
            auto action = self->actions_[w];
            action();
            return 0;
        }
        return ::DefWindowProcW(h, m, w, l);
    }
    HWND hwnd_ = nullptr;
    std::vector<std::function<void()>> actions_;
};

// Records the x of every move of a window, with a callback run at each move.
struct Recorder {
    using Seen = std::function<void(int)>;
    static inline Seen seen;
    static inline WNDPROC original = nullptr;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) noexcept {
        if (m == WM_WINDOWPOSCHANGED) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(l);
            if (!(pos->flags & SWP_NOMOVE) && seen) seen(pos->x);
        }
        return ::CallWindowProcW(original, h, m, w, l);
    }
    static void Start(HWND h, Seen callback) {
        seen = std::move(callback);
        original = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    }
    static void Stop(HWND h) {
        ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        seen = nullptr;
    }
};

modSettings::SettingsRecord FirstRun() {
    modSettings::SettingsRecord s;
    s.Says = u"says: ";
    s.NameMode = 2;
    s.ShowSaysOnce = true;
    s.ShowEmo = true;
    s.Speed = 10;
    s.ShowSignInOut = true;
    s.ChangeWorkArea = true;
    s.PlaceHolder = u"#";
    s.UnreadMail = u"You've got # unread mail(s).";
    s.BuddyLogon = u"has signed in.";
    s.BuddyLogoff = u"has signed out.";
    s.ShowTooltip = true;
    s.Version = u"1.1";
    return s;
}

void ExpectSameSettings(const modSettings::SettingsRecord& a,
                        const modSettings::SettingsRecord& b) {
    EXPECT_EQ(a.Says, b.Says);
    EXPECT_EQ(a.NameMode, b.NameMode);
    EXPECT_EQ(a.ShowSaysOnce, b.ShowSaysOnce);
    EXPECT_EQ(a.ShowEmo, b.ShowEmo);
    EXPECT_EQ(a.Speed, b.Speed);
    EXPECT_EQ(a.ShowSignInOut, b.ShowSignInOut);
    EXPECT_EQ(a.ChangeWorkArea, b.ChangeWorkArea);
    EXPECT_EQ(a.PlaceHolder, b.PlaceHolder);
    EXPECT_EQ(a.UnreadMail, b.UnreadMail);
    EXPECT_EQ(a.BuddyLogon, b.BuddyLogon);
    EXPECT_EQ(a.BuddyLogoff, b.BuddyLogoff);
    EXPECT_EQ(a.ShowTooltip, b.ShowTooltip);
    EXPECT_EQ(a.Version, b.Version);
}

class OptionsDialog : public ::testing::Test {
  public:
    OptionsDialog() { modSettings::Settings() = FirstRun(); }

    HWND Dlg() const { return dialog.hWnd(); }
    HWND Item(int id) const {
        HWND h = ::GetDlgItem(Dlg(), id);
        for (int page = idcPage0; !h && page <= idcPage3; ++page)
            h = ::GetDlgItem(::GetDlgItem(Dlg(), page), id);
        return h;
    }
    void Command(int id, int code = BN_CLICKED) {
        ::SendMessageW(Dlg(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
    }
    void Click(int id) { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
    void SetText(int id, const wchar_t* text) { ::SetWindowTextW(Item(id), text); }
    void TurnTo(int page) {
        while (true) {
            int shown = -1;
            for (int i = 0; i < 4; ++i)
                if (::IsWindowVisible(::GetDlgItem(Dlg(), idcPage0 + i))) shown = i;
            if (shown == page) return;
            Command(shown < page ? idcPicNext : idcPicPrev, STN_CLICKED);
        }
    }

    FakeOptionsHostWin32 host;
    frmOptions dialog{host, nullptr};
    Later later;
};

TEST_F(OptionsDialog, OpensCentredRightBelowTheBar) {
    const struct {
        float barTop, barHeight;
        int top;
    } rows[] = {{0, 495, 33}, {3000, 600, 240}, {1507, 300, 120}, {1508, 300, 121}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.barTop);
        host.top = r.barTop;
        host.height = r.barHeight;
        dialog.Show(nullptr);
        ASSERT_TRUE(dialog.IsOpen());
        RECT w{}, c{};
        ::GetWindowRect(Dlg(), &w);
        ::GetClientRect(Dlg(), &c);
        EXPECT_EQ(c.right, 359);
        EXPECT_EQ(c.bottom, 282);
        EXPECT_EQ(w.top, r.top);
        // Centred as the slide's twips give it, within the rounding of one pixel.
        EXPECT_NEAR(w.left, (1024 - (w.right - w.left)) / 2, 1);
        EXPECT_TRUE(::IsWindowVisible(Dlg()));
        EXPECT_EQ(Text(Dlg()), L"Glidebanner - Options");
        const LONG style = ::GetWindowLongW(Dlg(), GWL_STYLE);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_TRUE(::GetWindowLongW(Dlg(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_NE(::SendMessageW(Dlg(), WM_GETICON, ICON_BIG, 0), 0);
        dialog.Unload();
        EXPECT_FALSE(dialog.IsOpen());
    }
}

TEST_F(OptionsDialog, ASecondShowKeepsTheOneDialog) {
    dialog.Show(nullptr);
    HWND first = Dlg();
    dialog.Show(nullptr);
    EXPECT_EQ(Dlg(), first);
    int count = 0;
    for (HWND h = ::FindWindowExW(nullptr, nullptr, nullptr, L"Glidebanner - Options"); h;
         h = ::FindWindowExW(nullptr, h, nullptr, L"Glidebanner - Options"))
        ++count;
    EXPECT_EQ(count, 1);
    dialog.Unload();
}

TEST_F(OptionsDialog, PagesShowTheSettings) {
    auto& s = modSettings::Settings();
    s.ShowSignInOut = false;
    s.Says = u"tells: \u8AAA\U0001F600";
    s.BuddyLogoff = u"\u00E9\u00F1 left";
    dialog.Show(nullptr);
    EXPECT_FALSE(::IsWindowVisible(Item(idcPicPrev)));
    EXPECT_TRUE(::IsWindowVisible(Item(idcPicNext)));
    const struct {
        int id;
        const wchar_t* text;
        int checked; // -1: not a check box
    } rows[] = {
        {idcShowEmo, L"show &emoticons", 1},
        {idcShowSignInOut, L"show sign in / sign out messages", 0},
        {idcActAsBar, L"act as a bar", 1},
        {idcShowTooltip, L"show tooltip", 1},
        {idcAddress, L"e-mail address", 1},
        {idcNoDomainName, L"drop '@' and domain name", 1},
        {idcSays, L"tells: \u8AAA\U0001F600", -1},
        {idcBuddyNameSample, L"email tells: \u8AAA\U0001F600", -1},
        {idcBuddyLogoff, L"\u00E9\u00F1 left", -1},
        {idcUnreadMail, L"You've got # unread mail(s).", -1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.id);
        HWND h = Item(r.id);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(Text(h), r.text);
        if (r.checked >= 0) {
            EXPECT_EQ(Checked(h), r.checked == 1);
        }
    }
    EXPECT_EQ(::SendMessageW(Item(idcSays), CB_GETCOUNT, 0, 0), 6);
    EXPECT_TRUE(::IsWindowEnabled(Item(idcNoDomainName)));
    dialog.Unload();
}

TEST_F(OptionsDialog, PageTurnsMoveInStepsWithTheArrowsDisabled) {
    dialog.Show(nullptr);
    const struct {
        int arrow;
        int page;
        bool prev, next;
    } rows[] = {
        {idcPicNext, 1, true, true}, {idcPicNext, 2, true, true}, {idcPicNext, 3, true, false},
        {idcPicPrev, 2, true, true}, {idcPicPrev, 1, true, true}, {idcPicPrev, 0, false, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.page);
        std::vector<int> lefts;
        bool arrowsEnabled = true;
        HWND arriving = Item(idcPage0 + r.page);
        // Every place the arriving page is moved to, seen from its own window procedure.
        Recorder::Start(arriving, [&](int left) {
            lefts.push_back(left);
            arrowsEnabled = arrowsEnabled && (::IsWindowEnabled(Item(idcPicNext)) ||
                                              ::IsWindowEnabled(Item(idcPicPrev)));
        });
        Command(r.arrow, STN_CLICKED);
        Recorder::Stop(arriving);
        // Put in place first, then 71 steps of 5 pixels, then the snap to the page's Left.
        ASSERT_EQ(lefts.size(), 73u);
        const int start = r.arrow == idcPicNext ? 359 : -345;
        const int step = r.arrow == idcPicNext ? -5 : 5;
        for (int i = 0; i <= 71; ++i)
            EXPECT_EQ(lefts[static_cast<std::size_t>(i)], start + step * i);
        EXPECT_EQ(lefts.back(), 8);
        EXPECT_FALSE(arrowsEnabled); // while it moved
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(::IsWindowVisible(Item(idcPage0 + i)) != FALSE, i == r.page);
        EXPECT_EQ(ClientRectIn(arriving, Dlg()).left, 8);
        EXPECT_EQ(ClientRectIn(arriving, Dlg()).top, 48);
        EXPECT_EQ(::IsWindowVisible(Item(idcPicPrev)) != FALSE, r.prev);
        EXPECT_EQ(::IsWindowVisible(Item(idcPicNext)) != FALSE, r.next);
        EXPECT_TRUE(::IsWindowEnabled(Item(idcPicPrev)));
        EXPECT_TRUE(::IsWindowEnabled(Item(idcPicNext)));
    }
    dialog.Unload();
}

// Reads the message box that is open now, then closes it with its OK button.
struct BoxReader {
    std::wstring title, text;
    bool found = false;
    void Read() {
        HWND box = ::FindWindowW(L"#32770", L"Error");
        if (!box) return;
        found = true;
        title = Text(box);
        for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            wchar_t cls[32] = {};
            ::GetClassNameW(c, cls, 32);
            if (std::wstring(cls) == L"Static" && !Text(c).empty()) text = Text(c);
        }
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
};

TEST_F(OptionsDialog, DoubledPlaceholderOnTheTextsPageShowsTheErrorAndStays) {
    const struct {
        const wchar_t* placeHolder;
        const wchar_t* unread;
        const wchar_t* message;
    } rows[] = {
        {L"|2", L"|2 or |2", L"There may only be one '|2' character in \r\n'|2 or |2'!"},
        {L"\u00A7", L"\u00A7\u8AAA\u00A7",
         L"There may only be one '\u00A7' character in \r\n'\u00A7\u8AAA\u00A7'!"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(r.unread[0]));
        modSettings::Settings() = FirstRun();
        dialog.Show(nullptr);
        TurnTo(3);
        SetText(idcPlaceHolder, r.placeHolder);
        SetText(idcUnreadMail, r.unread);
        BoxReader box;
        later.Post([&] { box.Read(); }); // runs inside the box's own message loop
        Command(idcOK);
        ASSERT_TRUE(box.found);
        EXPECT_EQ(box.text, r.message);
        EXPECT_TRUE(dialog.IsOpen());
        EXPECT_EQ(::GetFocus(), Item(idcUnreadMail));
        // "Previous tab" checks too and stays on the Texts page.
        BoxReader again;
        later.Post([&] { again.Read(); });
        Command(idcPicPrev, STN_CLICKED);
        EXPECT_TRUE(again.found);
        EXPECT_TRUE(::IsWindowVisible(Item(idcPage3)));
        ExpectSameSettings(modSettings::Settings(), FirstRun());
        dialog.Unload();
    }
}

TEST_F(OptionsDialog, OkayAppliesEveryEditWholeAndSwitchesTheTooltipOnce) {
    dialog.Show(nullptr);
    Click(idcShowEmo);
    Click(idcShowTooltip);
    Click(idcNickname);
    SetText(idcSays, L"\u8AAA\U0001F600:");
    SetText(idcBuddyLogon, L"\u041F\u0440\u0438\u0432\u0435\u0442");
    SetText(idcUnreadMail, L"|1 # |2");
    Command(idcOK);
    EXPECT_FALSE(dialog.IsOpen());
    const auto& s = modSettings::Settings();
    EXPECT_FALSE(s.ShowEmo);
    EXPECT_FALSE(s.ShowTooltip);
    EXPECT_EQ(s.NameMode, 0);
    EXPECT_EQ(s.Says, u"\u8AAA\U0001F600:");
    EXPECT_EQ(s.BuddyLogon, u"\u041F\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(s.UnreadMail, u"|1 # |2");
    EXPECT_EQ(host.calls, std::vector<std::string>{"HideToolTip"});

    host.calls.clear();
    dialog.Show(nullptr);
    Command(idcOK);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(OptionsDialog, NameOptionsDriveTheSampleAndTheDomainCheck) {
    modSettings::Settings().NameMode = 0;
    dialog.Show(nullptr);
    TurnTo(2);
    EXPECT_EQ(Text(Item(idcBuddyNameSample)), L"Buddy says: ");
    EXPECT_FALSE(::IsWindowEnabled(Item(idcNoDomainName)));
    Click(idcAddress);
    EXPECT_TRUE(::IsWindowEnabled(Item(idcNoDomainName)));
    EXPECT_EQ(Text(Item(idcBuddyNameSample)), L"email@example.com says: ");
    Click(idcNoDomainName);
    EXPECT_EQ(Text(Item(idcBuddyNameSample)), L"email says: ");
    Click(idcNickname);
    EXPECT_FALSE(::IsWindowEnabled(Item(idcNoDomainName)));
    EXPECT_TRUE(Checked(Item(idcNoDomainName)));
    ::SendMessageW(Item(idcSays), CB_SETCURSEL, 4, 0);
    Command(idcSays, CBN_SELCHANGE);
    EXPECT_EQ(Text(Item(idcBuddyNameSample)), L"Buddy is telling:");
    dialog.Unload();
}

TEST_F(OptionsDialog, EveryOtherCloseLeavesTheSettings) {
    const struct {
        const char* what;
        std::function<void(OptionsDialog&)> close;
    } rows[] = {
        {"Not okay", [](OptionsDialog& t) { t.Command(idcCancel); }},
        {"close box", [](OptionsDialog& t) { ::SendMessageW(t.Dlg(), WM_CLOSE, 0, 0); }},
        {"Escape",
         [](OptionsDialog& t) {
             ::SetFocus(t.Item(idcOK));
             ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
             modMain::DoEvents();
         }},
        {"shutdown", [](OptionsDialog& t) { t.dialog.Unload(); }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        modSettings::Settings() = FirstRun();
        dialog.Show(nullptr);
        Click(idcShowEmo);
        Click(idcShowTooltip);
        Click(idcNickname);
        SetText(idcSays, L"said:");
        SetText(idcPlaceHolder, L"%");
        r.close(*this);
        EXPECT_FALSE(dialog.IsOpen());
        ExpectSameSettings(modSettings::Settings(), FirstRun());
        EXPECT_TRUE(host.calls.empty());
    }
}

TEST_F(OptionsDialog, ClosingDuringAnAnimationStopsIt) {
    const struct {
        const char* what;
        bool duringTurn;
        std::function<void(OptionsDialog&)> close;
    } rows[] = {
        {"close box while sliding in", false,
         [](OptionsDialog& t) { ::SendMessageW(t.Dlg(), WM_CLOSE, 0, 0); }},
        {"shutdown while sliding in", false, [](OptionsDialog& t) { t.dialog.Unload(); }},
        {"Okay while sliding in", false, [](OptionsDialog& t) { t.Command(idcOK); }},
        {"Not okay during a page turn", true, [](OptionsDialog& t) { t.Command(idcCancel); }},
        {"Okay during a page turn", true, [](OptionsDialog& t) { t.Command(idcOK); }},
        {"shutdown during the slide-out", false,
         [](OptionsDialog& t) {
             t.later.Post([&t] { t.dialog.Unload(); });
             t.dialog.Unload();
         }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        modSettings::Settings() = FirstRun();
        HWND seen = nullptr;
        if (r.duringTurn) {
            dialog.Show(nullptr);
            seen = Dlg();
            later.Post([&] { r.close(*this); });
            Command(idcPicNext, STN_CLICKED);
        } else {
            later.Post([&] {
                seen = Dlg();
                r.close(*this);
            });
            dialog.Show(nullptr);
        }
        EXPECT_FALSE(dialog.IsOpen());
        EXPECT_NE(seen, nullptr);
        EXPECT_FALSE(::IsWindow(seen));
        // Nothing brings it back once the pump runs on.
        modMain::DoEvents();
        EXPECT_FALSE(dialog.IsOpen());
    }
}

TEST_F(OptionsDialog, TickerRunsAcrossTheTop) {
    dialog.Show(nullptr);
    HWND ticker = Item(idcPicMsg);
    RECT r = ClientRectIn(ticker, Dlg());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 359);
    EXPECT_EQ(r.bottom, 33);
    // The frame's top-left pixel is drawn after the first ticks.
    const DWORD until = ::GetTickCount() + 400;
    while (::GetTickCount() < until) {
        modMain::DoEvents();
        ::Sleep(10);
    }
    HDC dc = ::GetDC(ticker);
    const COLORREF corner = ::GetPixel(dc, 0, 0);
    const COLORREF inside = ::GetPixel(dc, 5, 5);
    ::ReleaseDC(ticker, dc);
    EXPECT_EQ(corner, 0u);
    EXPECT_EQ(inside, 0xFFFFFFu);
    dialog.Unload();
}

} // namespace
