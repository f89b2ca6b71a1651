#include <windows.h>

#include "ConversationWindow_win32.h"

#include <algorithm>
#include <utility>

#include "MessengerResources.h"
#include "Utf16_win32.h"
#include "kit/Screen_win32.h"

namespace im {
namespace {

constexpr wchar_t kClassName[] = L"GlidebannerMessengerConversation";
constexpr UINT_PTR kHistoryId = 1;
constexpr UINT_PTR kReplyId = 2;
// At 96 dots per inch; scaled to the window's.
constexpr int kWidth = 420, kHeight = 320, kMargin = 6, kReplyHeight = 64;
constexpr int kMinWidth = 200, kMinHeight = 160;
constexpr int kCascadeStep = 30, kCascadeSteps = 10;

int Scale(int pixels, int dpi) { return ::MulDiv(pixels, dpi, 96); }

// A text as one history entry: its line ends as the edit control shows them, and no control
// character (a NUL would end the text the control takes, and the entry's length with it).
std::wstring EntryText(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r') {
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            out += L"\r\n";
        } else if (c == L'\n') {
            out += L"\r\n";
        } else if (c == L'\t' || c >= 0x20) {
            out += c;
        }
    }
    return out;
}

// A name on one line: the title's and the history's.
std::wstring NameText(const std::string& name) {
    std::wstring w = Wide(name);
    for (auto& c : w)
        if (c < 0x20) c = L' ';
    return w;
}

std::wstring Clock(std::time_t at) {
    // time_t counts seconds from 1970; a FILETIME 100 ns ticks from 1601.
    const ULONGLONG ticks = static_cast<ULONGLONG>(at) * 10000000ULL + 116444736000000000ULL;
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universal{}, local{};
    if (!::FileTimeToSystemTime(&utc, &universal) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return L"[--:--]";
    wchar_t text[16];
    ::wsprintfW(text, L"[%02u:%02u]", local.wHour, local.wMinute);
    return text;
}

bool IsBlank(std::wstring_view text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) {
        return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0x3000 || c == 0xA0;
    });
}

// What the reply box holds as a message body: line ends as XMPP carries them.
std::string BodyText(std::wstring_view text) {
    std::wstring body;
    body.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        body += text[i];
    }
    return Narrow(body);
}

gb::unique_hfont MessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
        // The metrics are the system's, at its own dots per inch.
        gb::unique_hdc_window screen(nullptr);
        const int systemDpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
        font.lfHeight = ::MulDiv(font.lfHeight, dpi, systemDpi > 0 ? systemDpi : 96);
    } else {
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfHeight = ::MulDiv(font.lfHeight, dpi, 96);
    }
    return gb::unique_hfont(::CreateFontIndirectW(&font));
}

int g_opened = 0; // windows opened in this process, for the cascade

} // namespace

ConversationWindow::ConversationWindow(IConversationOwner& owner, std::string jid,
                                       std::string nickname)
    : owner_(owner), jid_(std::move(jid)), nickname_(std::move(nickname)) {}

ConversationWindow::~ConversationWindow() {
    // Its children go before the font they draw with.
    Destroy();
}

bool ConversationWindow::Open(HINSTANCE instance, bool inFront) {
    if (!hWnd()) {
        WNDCLASSEXW cls{};
        cls.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_MESSENGER));
        cls.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
        RegisterClass(instance, kClassName, cls);
        // Cascaded below the top of the screen, where the bar usually lies, so that each new
        // window can be seen coming up.
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const int dpi = gb::MonitorDpi(::MonitorFromRect(&work, MONITOR_DEFAULTTOPRIMARY));
        const int step = Scale(kCascadeStep, dpi) * (g_opened++ % kCascadeSteps);
        const int left = work.left + Scale(60, dpi) + step, top = work.top + Scale(120, dpi) + step;
        const std::wstring title = NameText(nickname_) + L" - Conversation";
        if (!Create(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                    {left, top, left + Scale(kWidth, dpi), top + Scale(kHeight, dpi)}, nullptr, 0,
                    instance))
            return false;
        OnCreate(instance);
    }
    if (inFront) {
        BringForward();
    } else if (!::IsWindowVisible(hWnd())) {
        ::ShowWindow(hWnd(), SW_SHOWMINNOACTIVE);
    }
    return true;
}

void ConversationWindow::OnCreate(HINSTANCE instance) {
    const auto child = [&](DWORD style, UINT_PTR id) {
        return ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | style, 0, 0, 0,
                                 0, hWnd(), reinterpret_cast<HMENU>(id), instance, nullptr);
    };
    history_ = child(ES_READONLY | ES_AUTOVSCROLL, kHistoryId);
    reply_ = child(ES_AUTOVSCROLL | ES_WANTRETURN | WS_TABSTOP, kReplyId);
    // A multi-line edit takes 32,767 characters unless told otherwise; the history's own bounds
    // keep it far below the most it can hold.
    ::SendMessageW(history_, EM_SETLIMITTEXT, 0, 0);
    SubclassChild(reply_);
    ApplyDpi(gb::WindowDpi(hWnd()));
}

void ConversationWindow::ApplyDpi(int dpi) {
    dpi_ = dpi;
    gb::unique_hfont font = MessageFont(dpi);
    for (HWND control : {history_, reply_})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font); // the old one only once no control uses it
    Layout();
}

void ConversationWindow::Layout() {
    RECT client{};
    ::GetClientRect(hWnd(), &client);
    const int margin = Scale(kMargin, dpi_);
    const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
    const int replyHeight =
        std::min(Scale(kReplyHeight, dpi_), std::max(0, static_cast<int>(client.bottom) / 2));
    const int replyTop = std::max(margin, static_cast<int>(client.bottom) - margin - replyHeight);
    ::MoveWindow(history_, margin, margin, width, std::max(0, replyTop - 2 * margin), TRUE);
    ::MoveWindow(reply_, margin, replyTop, width, replyHeight, TRUE);
}

void ConversationWindow::AddReceived(const std::string& text, std::time_t at) {
    AddLine(nickname_, text, at);
}

void ConversationWindow::AddSent(const std::string& text, std::time_t at) {
    AddLine("Me", text, at);
}

void ConversationWindow::AddLine(const std::string& who, const std::string& text, std::time_t at) {
    if (!history_) return;
    std::wstring entry = Clock(at) + L" " + NameText(who) + L": " + EntryText(Wide(text));
    // Entries before the newest are followed by a line end; the newest holds it at its start.
    if (!entries_.empty()) entry.insert(0, L"\r\n");
    // Drop the oldest while the new entry would break a bound; the newest always stays.
    while (!entries_.empty() && (entries_.size() + 1 > kHistoryEntries ||
                                 historyChars_ + entry.size() > kHistoryChars)) {
        std::size_t oldest = entries_.front();
        entries_.pop_front();
        historyChars_ -= oldest;
        if (entries_.empty()) {
            entry.erase(0, 2); // nothing left before it to end
            oldest = static_cast<std::size_t>(::GetWindowTextLengthW(history_));
        } else {
            // The next entry's leading line end goes with the dropped one.
            entries_.front() -= 2;
            historyChars_ -= 2;
            oldest += 2;
        }
        ::SendMessageW(history_, EM_SETSEL, 0, static_cast<LPARAM>(oldest));
        ::SendMessageW(history_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    const int end = ::GetWindowTextLengthW(history_);
    ::SendMessageW(history_, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(history_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(entry.c_str()));
    ::SendMessageW(history_, EM_SCROLLCARET, 0, 0);
    entries_.push_back(entry.size());
    historyChars_ += entry.size();
}

void ConversationWindow::SetNickname(const std::string& nickname) {
    nickname_ = nickname;
    if (hWnd()) ::SetWindowTextW(hWnd(), (NameText(nickname_) + L" - Conversation").c_str());
}

void ConversationWindow::BringForward() {
    if (!hWnd()) return;
    if (::IsIconic(hWnd()))
        ::ShowWindow(hWnd(), SW_RESTORE);
    else if (!::IsWindowVisible(hWnd()))
        ::ShowWindow(hWnd(), SW_SHOWNORMAL);
    ::SetForegroundWindow(hWnd());
    ::SetFocus(reply_);
}

void ConversationWindow::SendFromReplyBox() {
    const std::wstring typed = ControlText(reply_);
    if (IsBlank(typed)) return;
    const std::string body = BodyText(typed);
    if (!owner_.SendReply(jid_, body)) return; // the text stays for another try
    ::SetWindowTextW(reply_, L"");
    AddSent(body, std::time(nullptr));
}

bool ConversationWindow::OnChildMessage(HWND child, UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    // Enter sends; Shift+Enter goes to the box as a new line.
    if (child != reply_ || msg != WM_CHAR || wp != L'\r' || ::GetKeyState(VK_SHIFT) < 0)
        return false;
    SendFromReplyBox();
    result = 0;
    return true;
}

LRESULT ConversationWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_SETFOCUS:
        ::SetFocus(reply_);
        return 0;
    case WM_ACTIVATE:
        // Brought to the front by another program (the bar, on a click) while minimised: the
        // user wants to read it. Wine does not restore a window another process restores.
        if (LOWORD(wp) != WA_INACTIVE && ::IsIconic(hWnd())) ::ShowWindow(hWnd(), SW_RESTORE);
        return Default(msg, wp, lp);
    case WM_CTLCOLORSTATIC:
        // The history is read-only but reads as text, not as a disabled box.
        if (reinterpret_cast<HWND>(lp) == history_) {
            const HDC dc = reinterpret_cast<HDC>(wp);
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
        }
        return Default(msg, wp, lp);
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = {Scale(kMinWidth, dpi_), Scale(kMinHeight, dpi_)};
        return 0;
    }
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lp);
        ::SetWindowPos(hWnd(), nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyDpi(HIWORD(wp));
        return 0;
    }
    case WM_CLOSE: {
        // The owner destroys this object inside the call: nothing of it is touched after.
        IConversationOwner& owner = owner_;
        const std::string jid = jid_;
        owner.ConversationClosed(jid);
        return 0;
    }
    default:
        return Default(msg, wp, lp);
    }
}

} // namespace im
