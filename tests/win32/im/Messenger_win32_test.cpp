// The messenger's windows on the real controls: a conversation's reply box and history, the
// notification icon's menu and tooltip, and the sign-in dialog driven as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "im/AccountForm.h"
#include "im/ConversationWindow_win32.h"
#include "im/MessengerTray_win32.h"
#include "im/SignInDialog_win32.h"
#include "im/Utf16_win32.h"

namespace im {
namespace {

// The conversation's two boxes: the read-only history and the reply box.
std::pair<HWND, HWND> Boxes(HWND window) {
    std::pair<HWND, HWND> boxes{};
    for (HWND c = nullptr; (c = ::FindWindowExW(window, c, L"EDIT", nullptr));)
        (::GetWindowLongW(c, GWL_STYLE) & ES_READONLY ? boxes.first : boxes.second) = c;
    return boxes;
}

void SetShift(bool down) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

struct Owner : IConversationOwner {
    bool accept = true;
    std::string sent;
    std::unique_ptr<ConversationWindow> window;
    bool SendReply(const std::string& jid, const std::string& text) override {
        sent += jid + " " + text;
        return accept;
    }
    void ConversationClosed(const std::string&) override { window.reset(); }
};

std::time_t At(int hour, int minute) {
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 8, t.tm_hour = hour, t.tm_min = minute;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

TEST(ConversationWindow, EnterSendsShiftEnterBreaksARefusalKeepsTheText) {
    Owner owner;
    owner.window = std::make_unique<ConversationWindow>(owner, "anna@example.org", "Anna");
    ASSERT_TRUE(owner.window->Open(::GetModuleHandleW(nullptr), false));
    const HWND w = owner.window->hWnd();
    EXPECT_TRUE(::IsIconic(w)); // it came without taking the focus
    EXPECT_EQ(ControlText(w), L"Anna - Conversation");
    const auto [history, reply] = Boxes(w);
    ASSERT_TRUE(history && reply);

    owner.window->AddReceived("Ol\xC3\xA1!\nCoffee?", At(9, 5));
    struct Step {
        const wchar_t* typed;
        bool shift, accept;
        const wchar_t* left; // in the reply box afterwards
        const char* sent;    // to the owner
    } steps[] = {
        {L"Yes", true, true, L"Yes\r\n", ""},
        {L"Yes\r\nat ten", false, true, L"", "anna@example.org Yes\nat ten"},
        {L"  \r\n ", false, true, L"  \r\n ", ""},
        {L"Still there?", false, false, L"Still there?", "anna@example.org Still there?"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "typed " << Narrow(s.typed));
        owner.sent.clear();
        owner.accept = s.accept;
        ::SetWindowTextW(reply, s.typed);
        ::SendMessageW(reply, EM_SETSEL, 0x7FFF, 0x7FFF);
        SetShift(s.shift);
        ::SendMessageW(reply, WM_CHAR, L'\r', 1);
        SetShift(false);
        EXPECT_EQ(ControlText(reply), s.left);
        EXPECT_EQ(owner.sent, s.sent);
    }
    const std::wstring shown = ControlText(history);
    EXPECT_TRUE(shown.starts_with(L"[09:05] Anna: Ol\u00E1!\r\nCoffee?\r\n[")) << Narrow(shown);
    EXPECT_NE(shown.find(L"] Me: Yes\r\nat ten"), std::wstring::npos);
    EXPECT_EQ(shown.find(L"Still there?"), std::wstring::npos);

    // Closing hands the window to its owner, which ends it inside the call.
    ::SendMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(owner.window);
    EXPECT_FALSE(::IsWindow(w));
}

TEST(ConversationWindow, HistoryKeepsTheNewestWithinItsBounds) {
    Owner owner;
    ConversationWindow window(owner, "flood@example.org", "Flood");
    ASSERT_TRUE(window.Open(::GetModuleHandleW(nullptr), false));
    const HWND history = Boxes(window.hWnd()).first;
    // Over the count, then over the length.
    for (const auto& [lines, length] : {std::pair{1500, 10}, std::pair{300, 2000}}) {
        SCOPED_TRACE(length);
        for (int i = 0; i < lines; ++i)
            window.AddReceived(std::to_string(i) + ":" + std::string(length, 'x'), At(12, 0));
        const std::wstring shown = ControlText(history);
        const auto entries = static_cast<std::size_t>(std::count(shown.begin(), shown.end(), L'['));
        EXPECT_LE(shown.size(), ConversationWindow::kHistoryChars);
        EXPECT_LE(entries, ConversationWindow::kHistoryEntries);
        EXPECT_GT(entries, 50u);
        // Whole entries only: the oldest kept starts the text, the newest ends it.
        EXPECT_TRUE(shown.starts_with(L"[12:00] Flood: "));
        EXPECT_TRUE(
            shown.ends_with(std::to_wstring(lines - 1) + L":" + std::wstring(length, L'x')));
    }
}

struct Commands : ITrayCommands {
    std::string called;
    void SignIn() override { called += "in "; }
    void SignOut() override { called += "out "; }
    void EditAccount() override { called += "account "; }
    void Exit() override { called += "exit "; }
};

TEST(MessengerTray, MenuPerStateAndItsCommands) {
    Commands commands;
    MessengerTray tray(commands);
    tray.Create(::GetModuleHandleW(nullptr)); // Wine without a taskbar may refuse the icon
    ASSERT_TRUE(tray.hWnd());
    struct Row {
        TrayState state;
        const wchar_t* shown; // its entries, "!" after one greyed
        const char* called;   // each entry chosen in turn
    } rows[] = {
        {TrayState::SignedOut, L"Sign in,Sign out!,Account...,-,Exit", "in account exit "},
        {TrayState::SigningIn, L"Sign in!,Sign out,Account...,-,Exit", "out account exit "},
        {TrayState::SignedIn, L"Sign in!,Sign out,Account...,-,Exit", "out account exit "},
        {TrayState::CannotConnect, L"Sign in,Sign out!,Account...,-,Exit", "in account exit "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.state));
        tray.Show(row.state, "no route");
        const gb::unique_hmenu menu = TrayMenu(row.state);
        std::wstring shown;
        commands.called.clear();
        for (int i = 0; i < ::GetMenuItemCount(menu.get()); ++i) {
            wchar_t text[32] = L"-";
            const UINT state = ::GetMenuState(menu.get(), i, MF_BYPOSITION);
            const bool entry =
                !(state & MF_SEPARATOR) && ::GetMenuStringW(menu.get(), i, text, 32, MF_BYPOSITION);
            if (entry) ::SendMessageW(tray.hWnd(), WM_COMMAND, ::GetMenuItemID(menu.get(), i), 0);
            shown +=
                (i ? L"," : L"") + std::wstring(text) + (entry && state & MF_GRAYED ? L"!" : L"");
        }
        EXPECT_EQ(shown, row.shown);
        EXPECT_EQ(commands.called, row.called);
    }
    EXPECT_EQ(TrayTip(TrayState::CannotConnect, "The password is not right."),
              L"Glidebanner Messenger - Cannot connect: The password is not right.");
    // Cut within the notification area's 127 characters, never inside a surrogate pair.
    const std::string prefix(125 - 40, 'a'); // the tip's own words and ": " are 40
    for (const auto& [tail, end] : {std::pair{std::string(50, 'b'), L"b\x2026"},
                                    std::pair{std::string("\xF0\x9F\x98\x80xyz"), L"a\x2026"}}) {
        const std::wstring tip = TrayTip(TrayState::CannotConnect, prefix + tail);
        EXPECT_LE(tip.size(), 127u);
        EXPECT_EQ(tip.substr(tip.size() - 2), end);
    }
}

// The user at the dialog, from inside its own loop: each text typed into its field (id 0: a
// press of Sign in, which notes the error line while the dialog stays).
std::vector<std::pair<int, std::wstring>> g_typing;
std::vector<std::wstring> g_errors;
void CALLBACK Type(HWND, UINT, UINT_PTR, DWORD) {
    const HWND d = ::FindWindowW(L"#32770", L"Glidebanner Messenger - Sign in");
    if (!d || !::IsWindowVisible(d) || g_typing.empty()) return;
    for (const auto& [id, text] : std::exchange(g_typing, {})) {
        if (id) {
            ::SetDlgItemTextW(d, id, text.c_str());
            continue;
        }
        ::SendMessageW(d, WM_COMMAND, IDOK, 0);
        const HWND line = ::GetDlgItem(d, 100);
        if (::IsWindowVisible(d)) // it stayed
            g_errors.push_back(::GetWindowLongW(line, GWL_STYLE) & WS_VISIBLE ? ControlText(line)
                                                                              : L"");
    }
    if (::IsWindowVisible(d)) ::SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
}

TEST(SignInDialog, SaysEachProblemInTurnThenGivesTheChoice) {
    constexpr int kAddress = 102, kPassword = 104, kPort = 111;
    // clang-format off
    g_typing = {{kAddress, L"anna@example.org"}, {0, L""},
                {kPassword, L"s\u00E9cret"}, {kAddress, L"anna example.org"}, {0, L""},
                {kAddress, L" anna@example.org "}, {kPort, L"70000"}, {0, L""},
                {kPort, L"5223"}, {0, L""}};
    // clang-format on
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, Type);
    const auto choice =
        AskAccount(::GetModuleHandleW(nullptr), nullptr, {"", "", 0, true, true}, false, "");
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_errors, (std::vector<std::wstring>{Wide(kPasswordProblem), Wide(kAddressProblem),
                                                   Wide(kPortProblem)}));
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->account.address, "anna@example.org");
    EXPECT_EQ(choice->account.port, 5223);
    EXPECT_EQ(choice->password, "s\xC3\xA9"
                                "cret");
}

} // namespace
} // namespace im
