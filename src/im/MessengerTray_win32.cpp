#include <windows.h>

#include <shellapi.h>

#include "MessengerTray_win32.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "MessengerResources.h"
#include "Utf16_win32.h"

namespace im {
namespace {

constexpr wchar_t kClassName[] = L"GlidebannerMessengerTray";
constexpr UINT kCallback = WM_APP + 1;
enum : UINT { kSignIn = 1, kSignOut, kAccount, kExit };

std::size_t Index(TrayState state) { return static_cast<std::size_t>(state); }

bool CanSignIn(TrayState s) { return s == TrayState::SignedOut || s == TrayState::CannotConnect; }
bool CanSignOut(TrayState s) { return s == TrayState::SigningIn || s == TrayState::SignedIn; }

// The picture as it stands, or greyed and faded; alpha 0 to 255 over the picture's own.
gb::unique_hicon Tinted(HICON icon, bool grey, int alpha) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {};
    gb::unique_hbitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (!colour || !::GetObjectW(colour.get(), sizeof bm, &bm)) return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<std::size_t>(bm.bmWidth) * bm.bmHeight);
    gb::unique_hdc_window screen(nullptr);
    if (!::GetDIBits(screen.get(), colour.get(), 0, bm.bmHeight, pixels.data(), &bi,
                     DIB_RGB_COLORS))
        return {};
    for (auto& p : pixels) {
        if (grey) {
            const auto y =
                static_cast<BYTE>((p.rgbRed * 30 + p.rgbGreen * 59 + p.rgbBlue * 11) / 100);
            p.rgbRed = p.rgbGreen = p.rgbBlue = y;
        }
        p.rgbReserved =
            static_cast<BYTE>(p.rgbReserved * alpha / 255); // an icon's alpha is straight
    }
    // A section keeps the alpha channel, which a bitmap of the screen's format may drop.
    void* bits = nullptr;
    gb::unique_hbitmap tinted(
        ::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!tinted || !bits) return {};
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(RGBQUAD));
    ICONINFO made{TRUE, 0, 0, mask.get(), tinted.get()};
    return gb::unique_hicon(::CreateIconIndirect(&made));
}

} // namespace

std::wstring TrayTip(TrayState state, const std::string& reason) {
    std::wstring tip = L"Glidebanner Messenger - ";
    switch (state) {
    case TrayState::SignedOut:
        tip += L"Signed out";
        break;
    case TrayState::SigningIn:
        tip += L"Signing in...";
        break;
    case TrayState::SignedIn:
        tip += L"Signed in";
        break;
    case TrayState::CannotConnect:
        tip += L"Cannot connect";
        if (!reason.empty()) {
            tip += L": ";
            for (wchar_t c : Wide(reason))
                tip += c < 0x20 ? L' ' : c;
        }
        break;
    }
    constexpr std::size_t kMax = std::size(NOTIFYICONDATAW{}.szTip) - 1;
    if (tip.size() > kMax) {
        // Room for the ellipsis, and never half of a surrogate pair left before it.
        std::size_t cut = kMax - 1;
        if (tip[cut - 1] >= 0xD800 && tip[cut - 1] <= 0xDBFF) --cut;
        tip.resize(cut);
        tip += L'\x2026';
    }
    return tip;
}

gb::unique_hmenu TrayMenu(TrayState state) {
    gb::unique_hmenu menu(::CreatePopupMenu());
    if (!menu) return menu;
    const auto add = [&](UINT id, const wchar_t* text, bool enabled) {
        ::AppendMenuW(menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, text);
    };
    add(kSignIn, L"Sign in", CanSignIn(state));
    add(kSignOut, L"Sign out", CanSignOut(state));
    add(kAccount, L"Account...", true);
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    add(kExit, L"Exit", true);
    return menu;
}

MessengerTray::~MessengerTray() {
    if (shown_) ::Shell_NotifyIconW(NIM_DELETE, &data_);
    // The window goes before the icons its record names.
    Destroy();
}

void MessengerTray::LoadIcons(HINSTANCE instance) {
    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    const auto load = [&](HINSTANCE from, const wchar_t* id) {
        return gb::unique_hicon(static_cast<HICON>(::LoadImageW(from, id, IMAGE_ICON, cx, cy, 0)));
    };
    gb::unique_hicon own = load(instance, MAKEINTRESOURCEW(IDI_MESSENGER));
    if (!own) own = load(nullptr, MAKEINTRESOURCEW(32512)); // IDI_APPLICATION
    // Signed out: grey; signing in: the colours, faded; cannot connect: the warning sign.
    icons_[Index(TrayState::SignedOut)] = Tinted(own.get(), true, 160);
    icons_[Index(TrayState::SigningIn)] = Tinted(own.get(), false, 128);
    icons_[Index(TrayState::CannotConnect)] = load(nullptr, MAKEINTRESOURCEW(32515)); // IDI_WARNING
    icons_[Index(TrayState::SignedIn)] = std::move(own);
}

bool MessengerTray::Create(HINSTANCE instance) {
    if (!hWnd()) {
        RegisterClass(instance, kClassName);
        // Hidden but not message-only: only top-level windows hear that the taskbar came back.
        if (!gb::Window::Create(WS_EX_TOOLWINDOW, kClassName, L"Glidebanner Messenger", WS_POPUP,
                                {}, nullptr, 0, instance))
            return false;
        taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
        LoadIcons(instance);
        data_.cbSize = sizeof data_;
        data_.hWnd = hWnd();
        data_.uID = 1;
        data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data_.uCallbackMessage = kCallback;
    }
    Update(NIM_ADD);
    return shown_;
}

void MessengerTray::Show(TrayState state, const std::string& reason) {
    state_ = state;
    reason_ = state == TrayState::CannotConnect ? reason : std::string();
    if (hWnd()) Update(shown_ ? NIM_MODIFY : NIM_ADD);
}

void MessengerTray::Update(DWORD how) {
    data_.hIcon = icons_[Index(state_)].get();
    if (!data_.hIcon) data_.hIcon = icons_[Index(TrayState::SignedIn)].get();
    const std::wstring tip = TrayTip(state_, reason_);
    ::lstrcpynW(data_.szTip, tip.c_str(), static_cast<int>(std::size(data_.szTip)));
    // The hidden window's title says the same, for a script or an accessibility tool, which
    // cannot read another program's notification-area tooltip.
    ::SetWindowTextW(hWnd(), tip.c_str());
    const bool done = ::Shell_NotifyIconW(how, &data_) != FALSE;
    if (how == NIM_ADD) shown_ = done;
}

void MessengerTray::ShowMenu() {
    gb::unique_hmenu menu = TrayMenu(state_);
    if (!menu) return;
    POINT at{};
    ::GetCursorPos(&at);
    const HWND owner = hWnd();
    // Without the foreground the menu would stay open after a click elsewhere or Escape; the
    // null message afterwards lets a second pop-up work at once.
    ::SetForegroundWindow(owner);
    const UINT id = static_cast<UINT>(::TrackPopupMenu(
        menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (id) OnCommand(id);
}

void MessengerTray::OnCommand(UINT id) {
    // A command the state no longer allows (the state changed while the menu was open) is
    // dropped, as its entry would now be greyed.
    switch (id) {
    case kSignIn:
        if (CanSignIn(state_)) commands_.SignIn();
        break;
    case kSignOut:
        if (CanSignOut(state_)) commands_.SignOut();
        break;
    case kAccount:
        commands_.EditAccount();
        break;
    case kExit:
        commands_.Exit(); // may end this object: nothing of it is used after
        break;
    default:
        break;
    }
}

LRESULT MessengerTray::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kCallback) {
        if (lp == WM_RBUTTONUP || lp == WM_LBUTTONUP) ShowMenu();
        return 0;
    }
    if (msg == WM_COMMAND && HIWORD(wp) == 0) {
        OnCommand(LOWORD(wp));
        return 0;
    }
    if (taskbarCreated_ && msg == taskbarCreated_) {
        // Explorer restarted and forgot every icon.
        shown_ = false;
        Update(NIM_ADD);
        return 0;
    }
    return Default(msg, wp, lp);
}

} // namespace im
