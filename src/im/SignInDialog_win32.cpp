#include <windows.h>

#include "SignInDialog_win32.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "AccountForm.h"
#include "MessengerResources.h"
#include "Utf16_win32.h"

namespace im {
namespace {

enum : WORD {
    kError = 100,
    kAddressLabel,
    kAddress,
    kPasswordLabel,
    kPassword,
    kStored,
    kRemember,
    kAtStart,
    kServerLabel,
    kServer,
    kPortLabel,
    kPort,
};
constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082; // the system classes' atoms
constexpr short kErrorBand = 24;                                   // dialog units above the fields

// The dialog as an in-memory template in dialog units, which follow the dialog font and so the
// screen's dots per inch.
class Template {
  public:
    Template(const wchar_t* title, short cx, short cy) {
        Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
        Dword(0);
        count_ = words_.size();
        Word(0); // items, counted as they come
        for (short v : {short{0}, short{0}, cx, cy})
            Word(static_cast<WORD>(v));
        Word(0); // no menu
        Word(0); // the dialog class
        Text(title);
        Word(8);
        Text(L"MS Shell Dlg");
    }
    void Item(WORD cls, const wchar_t* text, DWORD style, short x, short y, short cx, short cy,
              WORD id, DWORD exStyle = 0) {
        if (words_.size() % 2) Word(0); // each item on a DWORD
        Dword(WS_CHILD | WS_VISIBLE | style);
        Dword(exStyle);
        for (short v : {x, y, cx, cy})
            Word(static_cast<WORD>(v));
        Word(id);
        Word(0xFFFF);
        Word(cls);
        Text(text);
        Word(0); // no creation data
        ++words_[count_];
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const wchar_t* s) {
        for (; *s; ++s)
            Word(static_cast<WORD>(*s));
        Word(0);
    }
    std::vector<WORD> words_; // WORD-aligned from the start, as the template must be
    std::size_t count_ = 0;
};

struct Dialog {
    const Account& current;
    bool havePassword;
    std::wstring error;
    bool band; // the error line has its room
    std::optional<SignInChoice> choice;
};

void SetText(HWND dialog, int id, std::string_view utf8) {
    ::SetDlgItemTextW(dialog, id, Wide(utf8).c_str());
}

std::string ItemText(HWND dialog, int id) { return Narrow(ControlText(::GetDlgItem(dialog, id))); }

// The error line, given its room (everything below moves down) the first time it is needed.
void ShowError(HWND dialog, Dialog& d, std::wstring_view text) {
    const HWND line = ::GetDlgItem(dialog, kError);
    if (!d.band) {
        RECT band{0, 0, 0, kErrorBand};
        ::MapDialogRect(dialog, &band);
        for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            if (c == line) continue;
            RECT r{};
            ::GetWindowRect(c, &r);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            ::SetWindowPos(c, nullptr, r.left, r.top + band.bottom, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        RECT w{};
        ::GetWindowRect(dialog, &w);
        ::SetWindowPos(dialog, nullptr, 0, 0, w.right - w.left, w.bottom - w.top + band.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        d.band = true;
    }
    ::SetWindowTextW(line, std::wstring(text).c_str());
    ::ShowWindow(line, text.empty() ? SW_HIDE : SW_SHOWNA);
}

void OnInit(HWND dialog, Dialog& d) {
    const Account& a = d.current;
    SetText(dialog, kAddress, a.address);
    SetText(dialog, kServer, a.server);
    if (a.port) ::SetDlgItemInt(dialog, kPort, a.port, FALSE);
    ::CheckDlgButton(dialog, kRemember, a.rememberPassword ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(dialog, kAtStart, a.signInAtStart ? BST_CHECKED : BST_UNCHECKED);
    ::ShowWindow(::GetDlgItem(dialog, kStored), d.havePassword ? SW_SHOWNA : SW_HIDE);
    ::SendDlgItemMessageW(dialog, kAddress, EM_LIMITTEXT, 1023, 0);
    ::SendDlgItemMessageW(dialog, kPassword, EM_LIMITTEXT, 1023, 0);
    ::SendDlgItemMessageW(dialog, kServer, EM_LIMITTEXT, 253, 0); // the longest host name
    ::SendDlgItemMessageW(dialog, kPort, EM_LIMITTEXT, 5, 0);
    if (d.band)
        ShowError(dialog, d, d.error);
    else
        ::ShowWindow(::GetDlgItem(dialog, kError), SW_HIDE); // until a problem needs it
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    if (const HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_MESSENGER)))
        ::SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SetFocus(::GetDlgItem(dialog, a.address.empty() ? kAddress : kPassword));
    // Opened from the notification area, it comes in front of what the user was working in.
    ::SetForegroundWindow(dialog);
}

void OnSignIn(HWND dialog, Dialog& d) {
    const std::string address = ItemText(dialog, kAddress);
    const std::string port = ItemText(dialog, kPort);
    const HWND passwordBox = ::GetDlgItem(dialog, kPassword);
    const bool passwordGiven = ::GetWindowTextLengthW(passwordBox) > 0;
    if (const auto problem = CheckAccountFields({address, port, passwordGiven, d.havePassword})) {
        const int field = problem->field == FormField::Address    ? kAddress
                          : problem->field == FormField::Password ? kPassword
                                                                  : kPort;
        ShowError(dialog, d, Wide(problem->text));
        ::SendDlgItemMessageW(dialog, field, EM_SETSEL, 0, -1);
        ::SetFocus(::GetDlgItem(dialog, field));
        return;
    }
    SignInChoice choice;
    choice.account.address = std::string(TrimBlanks(address));
    choice.account.server = std::string(TrimBlanks(ItemText(dialog, kServer)));
    choice.account.port = ParsePort(port).value_or(0);
    choice.account.rememberPassword = ::IsDlgButtonChecked(dialog, kRemember) == BST_CHECKED;
    choice.account.signInAtStart = ::IsDlgButtonChecked(dialog, kAtStart) == BST_CHECKED;
    if (passwordGiven) {
        // The one copy made here is wiped before it goes; the UTF-8 one is the caller's.
        std::wstring typed(static_cast<std::size_t>(::GetWindowTextLengthW(passwordBox)) + 1,
                           L'\0');
        const int got = ::GetWindowTextW(passwordBox, typed.data(), static_cast<int>(typed.size()));
        NarrowInto(std::wstring_view(typed.data(), got > 0 ? static_cast<std::size_t>(got) : 0),
                   choice.password);
        ::SecureZeroMemory(typed.data(), typed.size() * sizeof(wchar_t));
    }
    d.choice = std::move(choice);
    ::EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        if (msg == WM_INITDIALOG) {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lp);
            OnInit(dialog, *reinterpret_cast<Dialog*>(lp));
            return FALSE; // the focus is set
        }
        auto* d = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (!d) return FALSE;
        switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) OnSignIn(dialog, *d);
            if (LOWORD(wp) == IDCANCEL) ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lp) == ::GetDlgItem(dialog, kError)) {
                const HDC dc = reinterpret_cast<HDC>(wp);
                ::SetTextColor(dc, RGB(0xB0, 0, 0));
                ::SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
            }
            return FALSE;
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

} // namespace

std::optional<SignInChoice> AskAccount(HINSTANCE instance, HWND owner, const Account& current,
                                       bool havePassword, const std::string& error) {
    Dialog d{current, havePassword, Wide(error), !error.empty(), std::nullopt};
    const short b = d.band ? kErrorBand : 0;
    const short y = static_cast<short>(7 + b);
    Template t(L"Glidebanner Messenger - Sign in", 236, static_cast<short>(y + 115));
    t.Item(kStatic, L"", SS_LEFT | SS_NOPREFIX, 7, 7, 222, 18, kError);
    t.Item(kStatic, L"&Address:", SS_LEFT, 7, y + 2, 68, 8, kAddressLabel);
    t.Item(kEdit, L"", ES_AUTOHSCROLL | WS_TABSTOP, 78, y, 151, 14, kAddress, WS_EX_CLIENTEDGE);
    t.Item(kStatic, L"&Password:", SS_LEFT, 7, y + 22, 68, 8, kPasswordLabel);
    t.Item(kEdit, L"", ES_AUTOHSCROLL | ES_PASSWORD | WS_TABSTOP, 78, y + 20, 100, 14, kPassword,
           WS_EX_CLIENTEDGE);
    t.Item(kStatic, L"(stored)", SS_LEFT, 182, y + 22, 47, 8, kStored);
    t.Item(kButton, L"&Remember my password", BS_AUTOCHECKBOX | WS_TABSTOP, 78, y + 40, 151, 10,
           kRemember);
    t.Item(kButton, L"Sign in when the messenger &starts", BS_AUTOCHECKBOX | WS_TABSTOP, 78, y + 54,
           151, 10, kAtStart);
    t.Item(kStatic, L"Ser&ver (optional):", SS_LEFT, 7, y + 72, 68, 8, kServerLabel);
    t.Item(kEdit, L"", ES_AUTOHSCROLL | WS_TABSTOP, 78, y + 70, 90, 14, kServer, WS_EX_CLIENTEDGE);
    t.Item(kStatic, L"P&ort:", SS_LEFT, 174, y + 72, 20, 8, kPortLabel);
    t.Item(kEdit, L"", ES_AUTOHSCROLL | WS_TABSTOP, 196, y + 70, 33, 14, kPort, WS_EX_CLIENTEDGE);
    t.Item(kButton, L"Sign in", BS_DEFPUSHBUTTON | WS_TABSTOP, 125, y + 94, 50, 14, IDOK);
    t.Item(kButton, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 179, y + 94, 50, 14, IDCANCEL);
    if (::DialogBoxIndirectParamW(instance, t.get(), owner, Procedure,
                                  reinterpret_cast<LPARAM>(&d)) != IDOK)
        return std::nullopt;
    return std::move(d.choice);
}

} // namespace im
