#include <windows.h>

#include "options/frmOptions_win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "OptionsHost_win32_fake.h"
#include "app/modMain_win32.h"

namespace {

using namespace gb;

std::wstring Text(HWND hwnd) {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

auto Key(const modSettings::SettingsRecord& s) {
    return std::tie(s.Says, s.NameMode, s.ShowSaysOnce, s.ShowEmo, s.Speed, s.ShowSignInOut,
                    s.ChangeWorkArea, s.PlaceHolder, s.UnreadMail, s.BuddyLogon, s.BuddyLogoff,
                    s.ShowTooltip, s.Version);
}

// Runs an action from inside whichever loop pumps messages next: a slide, a page turn or a
// message box. One at a time; the action may queue the next.
std::function<void()> pending;
void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (auto action = std::exchange(pending, nullptr)) action();
}
void Later(std::function<void()> action) {
    pending = std::move(action);
    ::SetTimer(nullptr, 0, 0, RunPending);
}

class OptionsDialog : public ::testing::Test {
  public:
    HWND Dlg() const { return dialog.hWnd(); }
    HWND Item(int id) const {
        HWND h = ::GetDlgItem(Dlg(), id);
        for (int page = idcPage0; !h && page <= idcPage3; ++page)
            h = ::GetDlgItem(::GetDlgItem(Dlg(), page), id);
        return h;
    }
    bool Shown(int id) const { return ::IsWindowVisible(Item(id)) != FALSE; }
    void Command(int id, int code = BN_CLICKED) {
        ::SendMessageW(Dlg(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
    }
    void Click(int id) { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
    void SetText(int id, const wchar_t* text) { ::SetWindowTextW(Item(id), text); }
    // Both arrows are disabled while a page turns; after it the page rule shows them.
    void Turn(int arrow, int page) {
        SCOPED_TRACE(page);
        bool enabled = true;
        Later([&] {
            enabled = ::IsWindowEnabled(Item(idcPicPrev)) || ::IsWindowEnabled(Item(idcPicNext));
        });
        Command(arrow, STN_CLICKED);
        pending = nullptr; // not to run after the turn
        EXPECT_FALSE(enabled);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Shown(idcPage0 + i), i == page);
        EXPECT_EQ(std::pair(Shown(idcPicPrev), Shown(idcPicNext)), std::pair(page > 0, page < 3));
        EXPECT_TRUE(::IsWindowEnabled(Item(idcPicPrev)) && ::IsWindowEnabled(Item(idcPicNext)));
    }

    const modSettings::SettingsRecord first = FirstRun();
    FakeOptionsHostWin32 host;
    frmOptions dialog{host, nullptr};
};

TEST_F(OptionsDialog, OneDialogBelowTheBarShowsTurnsAndChecksItsPagesWhole) {
    modSettings::Settings().Says = u"tells: \u8AAA\U0001F600";
    host.top = 1508; // 121 pixels below the top of the screen, once rounded
    host.height = 300;
    dialog.Show(nullptr);
    dialog.Show(nullptr); // a second show keeps the one dialog
    EXPECT_EQ(::FindWindowW(nullptr, L"Glidebanner - Options"), Dlg());
    EXPECT_EQ(::FindWindowExW(nullptr, Dlg(), nullptr, L"Glidebanner - Options"), nullptr);
    RECT w{};
    ::GetWindowRect(Dlg(), &w);
    EXPECT_EQ(w.top, 121);
    EXPECT_EQ(Text(Item(idcSays)), L"tells: \u8AAA\U0001F600");
    EXPECT_EQ(Text(Item(idcBuddyNameSample)), L"email tells: \u8AAA\U0001F600");
    EXPECT_EQ(::SendMessageW(Item(idcNoDomainName), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(Shown(idcPicPrev));
    for (int page = 1; page <= 3; ++page)
        Turn(idcPicNext, page);
    // Both markers as typed and any character in the one-pass "Error" text; "&Okay" and
    // "Previous tab" check, stay on the page and move the focus to the unread-mail text.
    SetText(idcPlaceHolder, L"|2");
    SetText(idcUnreadMail, L"|2 \u8AAA |2");
    for (const int button : {int{idcOK}, int{idcPicPrev}}) {
        wchar_t box[128] = L"(no box)";
        Later([&] {
            HWND h = ::FindWindowW(L"#32770", L"Error");
            ::GetDlgItemTextW(h, 0xFFFF, box, 128);
            ::PostMessageW(h, WM_COMMAND, IDOK, 0);
        });
        Command(button, button == idcOK ? BN_CLICKED : STN_CLICKED);
        pending = nullptr;
        EXPECT_STREQ(box, L"There may only be one '|2' character in \r\n'|2 \u8AAA |2'!");
        EXPECT_TRUE(Shown(idcPage3));
        EXPECT_EQ(::GetFocus(), Item(idcUnreadMail));
    }
    SetText(idcUnreadMail, L"|2");
    Turn(idcPicPrev, 2);
    dialog.Unload();
}

TEST_F(OptionsDialog, EveryCloseStopsAnAnimationForGoodAndOnlyOkayApplies) {
    constexpr int kCloseBox = -1, kShutdown = -2, kShutdownInSlideOut = -3;
    // Each way of closing (a button during a page turn, the others while sliding in).
    const std::pair<const char*, int> rows[] = {
        {"close box", kCloseBox},
        {"shutdown", kShutdown},
        {"shutdown during the slide-out", kShutdownInSlideOut},
        {"Not okay", idcCancel},
        {"Okay", idcOK},
    };
    auto edited = first;
    edited.ShowEmo = edited.ShowTooltip = false;
    edited.NameMode = 0;
    edited.Says = u"\u8AAA\U0001F600:";
    edited.UnreadMail = u"|1 # |2";
    for (const auto& [what, how] : rows) {
        SCOPED_TRACE(what);
        modSettings::Settings() = first;
        host.calls.clear();
        HWND seen = nullptr;
        const auto close = [&] {
            seen = Dlg();
            Click(idcShowEmo);
            Click(idcShowTooltip);
            Click(idcNickname);
            SetText(idcSays, L"\u8AAA\U0001F600:");
            SetText(idcUnreadMail, L"|1 # |2");
            if (how == kCloseBox) ::SendMessageW(Dlg(), WM_CLOSE, 0, 0);
            if (how == kShutdownInSlideOut) Later([&] { dialog.Unload(); });
            if (how == kShutdown || how == kShutdownInSlideOut) dialog.Unload();
            if (how > 0) Command(how);
        };
        if (how > 0) dialog.Show(nullptr);
        Later(close);
        how > 0 ? Command(idcPicNext, STN_CLICKED) : dialog.Show(nullptr);
        EXPECT_FALSE(dialog.IsOpen());
        EXPECT_TRUE(seen && !::IsWindow(seen));
        const bool applied = how == idcOK;
        EXPECT_EQ(Key(modSettings::Settings()), Key(applied ? edited : first));
        EXPECT_EQ(host.calls, std::vector<std::string>(applied ? 1 : 0, "HideToolTip"));
        modMain::DoEvents(); // nothing brings it back once the pump runs on
        EXPECT_FALSE(dialog.IsOpen());
    }
}

} // namespace
