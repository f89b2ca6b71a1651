#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include "options/frmOptions_win32.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/Version.h"
#include "app/modMain_win32.h"
#include "app/modSettings.h"
#include "kit/Handles_win32.h"
#include "kit/Screen_win32.h"
#include "options/AboutLines.h"
#include "options/OptionsModel.h"
#include "options/OptionsTicker.h"
#include "options/TickerStrip.h"
#include "options/options_res.h"
#include "strip/colMsg.h"
#include "surface/OffscreenDC_win32.h"
#include "surface/WindowDisplay_win32.h"

namespace gb {

namespace {

constexpr wchar_t kDialogClass[] = L"GlidebannerOptions";
constexpr wchar_t kPageClass[] = L"GlidebannerOptionsPage";
constexpr wchar_t kTickerClass[] = L"GlidebannerOptionsTicker";
constexpr UINT_PTR kDisplayTimer = 1;
constexpr UINT kDisplayInterval = 100;
// A fixed single border: a caption with the icon and the close box, no sizing.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = WS_EX_CONTROLPARENT;

// The layout is given in twips, as the dialog was designed.
struct Twips {
    float left, top, width, height;
};
constexpr float kClientWidth = 5385, kClientHeight = 4230;
constexpr Twips kPage{120, 720, 5175, 2535};

struct PageLook {
    const wchar_t* caption;
    COLORREF color;
};
constexpr std::array<PageLook, kPageCount> kPages = {{{L"Glidebanner", 0x800000},
                                                      {L"General Settings", 0x0000C0},
                                                      {L"Name Display", 0x004000},
                                                      {L"Texts", 0x800080}}};

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

std::u16string GetText(HWND hwnd) {
    const int n = ::GetWindowTextLengthW(hwnd);
    if (n <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, buffer.data(), n + 1);
    buffer.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), buffer.size());
}

void SetText(HWND hwnd, const std::u16string& text) { ::SetWindowTextW(hwnd, W(text)); }

bool Checked(HWND hwnd) { return ::SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND hwnd, bool on) {
    ::SendMessageW(hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The program's version from its version resource; the built-in numbers where it has none.
ProgramVersion ReadProgramVersion(HINSTANCE module) {
    ProgramVersion v{modMain::kVersionMajor, modMain::kVersionMinor, modMain::kVersionRevision};
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL data = info ? ::LoadResource(module, info) : nullptr;
    const auto* bytes = data ? static_cast<const unsigned char*>(::LockResource(data)) : nullptr;
    const DWORD size = info ? ::SizeofResource(module, info) : 0;
    for (DWORD at = 0; bytes && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        VS_FIXEDFILEINFO fixed;
        std::memcpy(&fixed, bytes + at, sizeof fixed);
        if (fixed.dwSignature != 0xFEEF04BD) continue;
        v.major = HIWORD(fixed.dwFileVersionMS);
        v.minor = LOWORD(fixed.dwFileVersionMS);
        v.revision = LOWORD(fixed.dwFileVersionLS);
        break;
    }
    return v;
}

} // namespace

// Everything that lives while the dialog is open. Animations keep a reference, so that a close
// that runs inside one of their steps leaves them an object to find "destroyed" in.
struct frmOptions::State {
    OptionsModel model;
    TickerGestures gestures;
    ProgramVersion version;
    bool closing = false;
    bool destroyed = false;
    bool turning = false;
    bool filling = false;
    float tppX = 15, tppY = 15;

    unique_hwnd hwnd;
    HWND tooltip = nullptr; // owned by the dialog, destroyed with it
    HWND picMsg = nullptr, picPrev = nullptr, picNext = nullptr;
    std::array<HWND, kPageCount> pages{};
    HWND lastFocus = nullptr;

    unique_hicon icon;
    unique_hhook keys;
    unique_hfont fontRegular, fontBold, fontBoldItalic, fontNote, fontSmall, fontItalic;
    unique_hbitmap bmpPrev, bmpNext, bmpBanner;

    std::unique_ptr<OffscreenDCFactory> surfaces;
    std::unique_ptr<colMsg> msgOptions;
    float scaleWidth = 0;

    int Px(float twips) const { return static_cast<int>(std::nearbyint(twips / tppX)); }
    int Py(float twips) const { return static_cast<int>(std::nearbyint(twips / tppY)); }
    HWND Item(int id) const {
        HWND h = ::GetDlgItem(hwnd.get(), id);
        for (std::size_t i = 0; !h && i < pages.size(); ++i)
            h = ::GetDlgItem(pages[i], id);
        return h;
    }
};

// The window procedures and the dialog's steps, with access to the open dialog's state.
struct OptionsWindows {
    using State = frmOptions::State;

    static frmOptions* Owner(HWND hwnd, UINT msg, LPARAM lParam) noexcept {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        return reinterpret_cast<frmOptions*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }

    static void RegisterClasses(HINSTANCE module) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.hInstance = module;
        wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpfnWndProc = DialogProc;
        wc.lpszClassName = kDialogClass;
        ::RegisterClassExW(&wc); // a second registration fails harmlessly
        wc.lpfnWndProc = PageProc;
        wc.lpszClassName = kPageClass;
        ::RegisterClassExW(&wc);
        wc.lpfnWndProc = TickerProc;
        wc.lpszClassName = kTickerClass;
        wc.hbrBackground = nullptr;
        ::RegisterClassExW(&wc);
    }

    static bool IsDialog(HWND hwnd) {
        wchar_t name[64] = {};
        ::GetClassNameW(hwnd, name, 64);
        return std::wcscmp(name, kDialogClass) == 0;
    }

    // The program's message loop knows nothing of dialogs; this lets the dialog's keys
    // (Tab, Enter, Escape, the "&" letters) work wherever the messages are pumped.
    static LRESULT CALLBACK KeysHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
        if (code >= 0 && wParam == PM_REMOVE) {
            auto* msg = reinterpret_cast<MSG*>(lParam);
            if (msg->hwnd && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
                HWND root = ::GetAncestor(msg->hwnd, GA_ROOT);
                if (root && IsDialog(root) && ::IsDialogMessageW(root, msg)) msg->message = WM_NULL;
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static HFONT MakeFont(double points, bool bold, bool italic) {
        unique_hdc_window screen(nullptr);
        const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
        const int height = -static_cast<int>(std::nearbyint(points * dpi / 72.0));
        return ::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
    }

    static HWND Control(State& s, HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style,
                        DWORD exStyle, Twips t, int id, const unique_hfont& font,
                        const wchar_t* tip = nullptr) {
        HWND h =
            ::CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                              s.Px(t.left), s.Py(t.top), s.Px(t.width), s.Py(t.height), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        if (tip) AddTip(s, h, tip);
        return h;
    }

    static void AddTip(State& s, HWND control, const wchar_t* text) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = s.hwnd.get();
        ti.uId = reinterpret_cast<UINT_PTR>(control);
        ti.lpszText = const_cast<wchar_t*>(text);
        ::SendMessageW(s.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }

    static HWND Check(State& s, HWND page, const wchar_t* text, Twips t, int id,
                      const unique_hfont& font, const wchar_t* tip) {
        return Control(s, page, L"BUTTON", text, BS_AUTOCHECKBOX | WS_TABSTOP, 0, t, id, font, tip);
    }

    static HWND Label(State& s, HWND page, const wchar_t* text, Twips t, const unique_hfont& font,
                      DWORD align = SS_LEFT, int id = idcLabel) {
        return Control(s, page, L"STATIC", text, align | SS_NOPREFIX, 0, t, id, font);
    }

    static HWND Edit(State& s, HWND page, Twips t, int id, const wchar_t* tip,
                     DWORD align = ES_LEFT) {
        return Control(s, page, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | align, WS_EX_CLIENTEDGE,
                       t, id, s.fontItalic, tip);
    }

    static HWND Picture(State& s, HWND parent, Twips t, int id, const unique_hbitmap& bitmap,
                        DWORD exStyle, const wchar_t* tip) {
        HWND h = Control(s, parent, L"STATIC", L"", SS_BITMAP | SS_NOTIFY | SS_CENTERIMAGE, exStyle,
                         t, id, s.fontRegular, tip);
        ::SendMessageW(h, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
        // Showing a bitmap resizes a static control; the layout's size wins.
        ::SetWindowPos(h, nullptr, 0, 0, s.Px(t.width), s.Py(t.height),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return h;
    }

    static void CreateControls(frmOptions& self, State& s) {
        HWND dlg = s.hwnd.get();
        HINSTANCE module = self.module_; // where the classes of the dialog are registered
        s.tooltip =
            ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, dlg, nullptr, module, nullptr);
        ::SendMessageW(s.tooltip, TTM_SETMAXTIPWIDTH, 0, 320);

        RECT client{};
        ::GetClientRect(dlg, &client);
        s.scaleWidth = static_cast<float>(client.right);
        s.picMsg = ::CreateWindowExW(0, kTickerClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                     0, 0, client.right, s.Py(495), dlg,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(idcPicMsg)),
                                     module, &self);

        for (int i = 0; i < kPageCount; ++i)
            s.pages[static_cast<std::size_t>(i)] = ::CreateWindowExW(
                WS_EX_CONTROLPARENT, kPageClass, kPages[static_cast<std::size_t>(i)].caption,
                WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (i == 0 ? WS_VISIBLE : 0),
                s.Px(kPage.left), s.Py(kPage.top), s.Px(kPage.width), s.Py(kPage.height), dlg,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(idcPage0 + i)), module, &self);
        const auto& p = s.pages;

        // Page 0: the banner, which opens the home page.
        Picture(s, p[0], {120, 240, 4935, 2160}, idcPicInfo, s.bmpBanner, WS_EX_CLIENTEDGE,
                L"Glidebanner by the Glidebanner developers");

        // Page 1: general settings.
        Check(s, p[1], L"show &emoticons", {120, 360, 4935, 255}, idcShowEmo, s.fontRegular,
              L"Whether to convert emoticons to pictures or not");
        Check(s, p[1], L"show sign in / sign out messages", {120, 720, 4935, 255}, idcShowSignInOut,
              s.fontRegular, L"Check this if you want a message if a buddy signs in or out");
        Check(s, p[1], L"act as a bar", {120, 1080, 4935, 255}, idcActAsBar, s.fontRegular,
              L"If this is checked, Glidebanner moves all windows down to have its own place "
              L"when it's at the top of the screen.");
        Check(s, p[1], L"show tooltip", {120, 1440, 4935, 255}, idcShowTooltip, s.fontRegular,
              L"Check this if you don't know the action keys in the main window. They will be "
              L"displayed then with a tooltip.");

        // Page 2: how a buddy is named. Controls come before the wide labels beside them so
        // that they stay in front where the labels' boxes reach under them.
        Control(s, p[2], L"STATIC", L"", SS_CENTER | SS_NOPREFIX | SS_NOTIFY, 0,
                {120, 340, 4935, 255}, idcBuddyNameSample, s.fontBold,
                L"This is how the name of a buddy will look like");
        Control(s, p[2], L"BUTTON", L"nickname", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0,
                {360, 900, 3375, 255}, idcNickname, s.fontRegular,
                L"Display the nickname as name of the buddy");
        Control(s, p[2], L"BUTTON", L"e-mail address", BS_AUTORADIOBUTTON, 0,
                {360, 1185, 3975, 255}, idcAddress, s.fontRegular,
                L"Display the e-mail address as name of the buddy");
        Control(s, p[2], L"BUTTON", L"drop '@' and domain name",
                BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0, {720, 1440, 2655, 255}, idcNoDomainName,
                s.fontSmall, L"Only show the part of the e-mail address before '@'");
        // The combo box's height includes its open list.
        HWND says = Control(s, p[2], L"COMBOBOX", L"",
                            CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0,
                            {1350, 1710, 2055, 330 + 6 * 240}, idcSays, s.fontSmall,
                            L"The text that has to be displayed instead of \"says:\"");
        // The closed box stands as tall as the layout says: its field is that less the border.
        RECT field{};
        ::GetWindowRect(says, &field);
        const int border = (field.bottom - field.top) -
                           static_cast<int>(::SendMessageW(says, CB_GETITEMHEIGHT, -1, 0));
        ::SendMessageW(says, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), s.Py(330) - border);
        for (auto choice : kSaysChoices)
            ::SendMessageW(says, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(std::u16string(choice).c_str()));
        if (HWND edit = ::GetWindow(says, GW_CHILD))
            AddTip(s, edit, L"The text that has to be displayed instead of \"says:\"");
        Check(s, p[2], L"with first message only", {360, 2085, 2535, 255}, idcShowSaysOnce,
              s.fontSmall,
              L"Show the \"buddy says\" text only if the previous message was from another user.");
        Label(s, p[2], L"buddy name:", {120, 600, 4215, 255}, s.fontRegular);
        Label(s, p[2], L"\"says:\" text:", {120, 1755, 4095, 255}, s.fontRegular);

        // Page 3: the sign-in, sign-out and unread-mail texts.
        Edit(s, p[3], {1080, 440, 3975, 360}, idcBuddyLogon, L"Displayed when somebody signs in.");
        Edit(s, p[3], {1080, 960, 3975, 360}, idcBuddyLogoff,
             L"Displayed when somebody signs out.");
        Edit(s, p[3], {840, 1440, 3735, 360}, idcUnreadMail,
             L"Displayed when you've got unread mails.");
        Edit(s, p[3], {4680, 1440, 375, 360}, idcPlaceHolder,
             L"Marker in e-mail text that will be replaced with the number of mails.", ES_CENTER);
        Label(s, p[3], L"...", {840, 525, 255, 255}, s.fontBold);
        Label(s, p[3], L"...", {840, 1065, 255, 255}, s.fontBold);
        Label(s, p[3], L"logon:", {120, 480, 1215, 255}, s.fontRegular);
        Label(s, p[3], L"logoff:", {120, 1005, 1215, 255}, s.fontRegular);
        Label(s, p[3], L"e-mail:", {120, 1485, 1215, 255}, s.fontRegular);

        // On the dialog itself.
        Control(s, dlg, L"BUTTON", L"&Okay", BS_DEFPUSHBUTTON | WS_TABSTOP, 0,
                {480, 3480, 1575, 375}, idcOK, s.fontBoldItalic);
        Control(s, dlg, L"BUTTON", L"&Not okay", BS_PUSHBUTTON | WS_TABSTOP, 0,
                {3360, 3480, 1575, 375}, idcCancel, s.fontBoldItalic);
        Label(s, dlg, L"NOTE: not all settings take place immediately", {0, 3960, 5415, 255},
              s.fontNote, SS_CENTER, idcNote);
        s.picPrev =
            Picture(s, dlg, {4080, 600, 480, 480}, idcPicPrev, s.bmpPrev, 0, L"Previous tab");
        s.picNext = Picture(s, dlg, {4680, 600, 480, 480}, idcPicNext, s.bmpNext, 0, L"Next tab");
        // The arrows stand in front of the pages.
        ::SetWindowPos(s.picPrev, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetWindowPos(s.picNext, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::ShowWindow(s.picPrev, SW_HIDE);
    }

    // Model to controls.
    static void WriteControls(State& s) {
        const auto& c = s.model.Controls();
        s.filling = true;
        SetText(s.Item(idcSays), c.cmbSays);
        SetChecked(s.Item(idcNickname), c.optBuddyName == 0);
        SetChecked(s.Item(idcAddress), c.optBuddyName == 1);
        SetChecked(s.Item(idcNoDomainName), c.chkNoDomainName);
        SetChecked(s.Item(idcShowSaysOnce), c.chkShowSaysOnce);
        SetChecked(s.Item(idcShowEmo), c.chkShowEmo);
        SetChecked(s.Item(idcShowSignInOut), c.chkShowSignInOut);
        SetChecked(s.Item(idcActAsBar), c.chkActAsBar);
        SetChecked(s.Item(idcShowTooltip), c.chkShowTooltip);
        SetText(s.Item(idcBuddyLogon), c.txtBuddyLogon);
        SetText(s.Item(idcBuddyLogoff), c.txtBuddyLogoff);
        SetText(s.Item(idcUnreadMail), c.txtUnreadMail);
        SetText(s.Item(idcPlaceHolder), c.txtPlaceHolder);
        WriteNameSample(s);
        s.filling = false;
    }

    static void WriteNameSample(State& s) {
        const auto& c = s.model.Controls();
        ::EnableWindow(s.Item(idcNoDomainName), c.chkNoDomainNameEnabled);
        SetText(s.Item(idcBuddyNameSample), c.lblBuddyName);
    }

    // Controls to model: the user's edits.
    static void ReadControls(State& s) {
        auto& c = s.model.Controls();
        c.cmbSays = GetText(s.Item(idcSays));
        c.optBuddyName = Checked(s.Item(idcNickname)) ? 0 : Checked(s.Item(idcAddress)) ? 1 : -1;
        c.chkNoDomainName = Checked(s.Item(idcNoDomainName));
        c.chkShowSaysOnce = Checked(s.Item(idcShowSaysOnce));
        c.chkShowEmo = Checked(s.Item(idcShowEmo));
        c.chkShowSignInOut = Checked(s.Item(idcShowSignInOut));
        c.chkActAsBar = Checked(s.Item(idcActAsBar));
        c.chkShowTooltip = Checked(s.Item(idcShowTooltip));
        c.txtBuddyLogon = GetText(s.Item(idcBuddyLogon));
        c.txtBuddyLogoff = GetText(s.Item(idcBuddyLogoff));
        c.txtUnreadMail = GetText(s.Item(idcUnreadMail));
        c.txtPlaceHolder = GetText(s.Item(idcPlaceHolder));
    }

    // CheckTexts with its report; false when the dialog must stay.
    static bool CheckTexts(const std::shared_ptr<State>& keep) {
        State& s = *keep;
        ReadControls(s);
        const auto result = s.model.CheckTexts();
        if (result.ok) return true;
        ::MessageBoxW(s.hwnd.get(), W(result.message), L"Error", MB_OK | MB_ICONEXCLAMATION);
        if (!s.destroyed) ::SetFocus(s.Item(idcUnreadMail));
        return false;
    }

    static void CreateTicker(frmOptions& self, State& s) {
        s.surfaces = std::make_unique<OffscreenDCFactory>(self.module_);
        const StripHost& stripHost = self.host_.TickerStripHost();
        s.msgOptions = std::make_unique<colMsg>(stripHost, *s.surfaces);
        SetUpTicker(*s.msgOptions, stripHost, s.scaleWidth, s.version);
    }

    static void Load(frmOptions& self, const std::shared_ptr<State>& keep, HWND owner) {
        State& s = *keep;
        RegisterClasses(self.module_);
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        s.tppX = TwipsPerPixelX();
        s.tppY = TwipsPerPixelY();
        s.version = ReadProgramVersion(self.module_);
        s.fontRegular.reset(MakeFont(9.75, false, false));
        s.fontBold.reset(MakeFont(9.75, true, false));
        s.fontBoldItalic.reset(MakeFont(9.75, true, true));
        s.fontNote.reset(MakeFont(9, true, true));
        s.fontSmall.reset(MakeFont(8.25, false, false));
        s.fontItalic.reset(MakeFont(9.75, false, true));
        const auto bitmap = [&](int id) {
            return static_cast<HBITMAP>(
                ::LoadImageW(self.module_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
        };
        s.bmpPrev.reset(bitmap(IDB_OPTIONS_PREV));
        s.bmpNext.reset(bitmap(IDB_OPTIONS_NEXT));
        s.bmpBanner.reset(bitmap(IDB_OPTIONS_BANNER));

        RECT frame{0, 0, s.Px(kClientWidth), s.Py(kClientHeight)};
        ::AdjustWindowRectEx(&frame, kDialogStyle, FALSE, kDialogExStyle);
        s.hwnd.reset(::CreateWindowExW(kDialogExStyle, kDialogClass, L"Glidebanner - Options",
                                       kDialogStyle, 0, 0, frame.right - frame.left,
                                       frame.bottom - frame.top, owner, nullptr, self.module_,
                                       &self));
        if (!s.hwnd) return;
        HWND dlg = s.hwnd.get();
        s.model.SetCurrentPage(0);
        if (HICON barIcon = self.host_.Icon()) {
            s.icon.reset(::CopyIcon(barIcon));
            ::SendMessageW(dlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(s.icon.get()));
            ::SendMessageW(dlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(s.icon.get()));
        }
        const int top = static_cast<int>(
            std::nearbyint((self.host_.BarTop() + self.host_.BarHeight()) / s.tppY));
        ::SetWindowPos(dlg, HWND_TOPMOST, ::GetSystemMetrics(SM_CXSCREEN), top, 0, 0,
                       SWP_NOSIZE | SWP_NOREDRAW | SWP_NOACTIVATE);
        CreateControls(self, s);
        s.model.FillControls(modSettings::Settings());
        WriteControls(s);
        CreateTicker(self, s);
        s.keys.reset(::SetWindowsHookExW(WH_GETMESSAGE, KeysHook, nullptr, ::GetCurrentThreadId()));
        ::SetTimer(dlg, kDisplayTimer, kDisplayInterval, nullptr);
        s.lastFocus = s.Item(idcOK);
    }

    // Stops everything at once; safe to call again.
    static void Destroy(State& s) {
        if (s.destroyed) return;
        s.destroyed = true;
        s.keys.reset();
        s.hwnd.reset(); // its controls, the tooltip and the timer go with it
        s.msgOptions.reset();
        s.surfaces.reset();
        s.icon.reset();
    }

    static void TurnPage(const std::shared_ptr<State>& keep, bool forward) {
        State& s = *keep;
        if (s.turning || s.closing) return;
        if (!CheckTexts(keep) || s.destroyed) return;
        const int from = s.model.CurrentPage();
        const int to = from + (forward ? 1 : -1);
        if (to < 0 || to >= kPageCount) return;
        s.turning = true;
        ::EnableWindow(s.picNext, FALSE);
        ::EnableWindow(s.picPrev, FALSE);
        HWND current = s.pages[static_cast<std::size_t>(from)];
        HWND arriving = s.pages[static_cast<std::size_t>(to)];
        RECT r{};
        ::GetWindowRect(current, &r);
        ::MapWindowPoints(nullptr, s.hwnd.get(), reinterpret_cast<POINT*>(&r), 2);
        const float width = static_cast<float>(r.right - r.left);
        const auto steps = PageTurnSteps(forward, static_cast<float>(r.left), s.scaleWidth, width);
        const auto place = [&](HWND page, float left, UINT flags) {
            ::SetWindowPos(page, nullptr, static_cast<int>(left), r.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
        };
        place(arriving, forward ? s.scaleWidth : -width, SWP_SHOWWINDOW);
        for (const auto& step : steps) {
            place(current, step.currentLeft, 0);
            place(arriving, step.arrivingLeft, 0);
            const bool running = modMain::DoEvents();
            if (s.destroyed || s.closing) return; // closed meanwhile: touch nothing more
            if (!running) break;
        }
        place(arriving, static_cast<float>(r.left), 0);
        place(current, static_cast<float>(r.left), SWP_HIDEWINDOW);
        s.model.SetCurrentPage(static_cast<std::int16_t>(to));
        ::ShowWindow(s.picPrev, s.model.PrevVisible() ? SW_SHOW : SW_HIDE);
        ::ShowWindow(s.picNext, s.model.NextVisible() ? SW_SHOW : SW_HIDE);
        ::EnableWindow(s.picPrev, TRUE);
        ::EnableWindow(s.picNext, TRUE);
        s.turning = false;
    }

    static void OnCommand(frmOptions& self, const std::shared_ptr<State>& keep, int id, int code) {
        State& s = *keep;
        switch (id) {
        case idcOK:
            if (code != BN_CLICKED || s.closing || !CheckTexts(keep) || s.destroyed) return;
            s.model.ApplyControls(modSettings::Settings(), self.host_);
            self.Unload();
            return;
        case idcCancel:
            self.Unload();
            return;
        case idcPicNext:
        case idcPicPrev:
            if (code == STN_CLICKED) TurnPage(keep, id == idcPicNext);
            return;
        case idcPicInfo:
            if (code == STN_CLICKED) modMain::OpenWebPage(std::u16string(kHomePage));
            return;
        case idcSays:
            if (s.filling) return;
            if (code == CBN_SELCHANGE) {
                HWND combo = s.Item(idcSays);
                const auto at = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
                if (at >= 0 && static_cast<std::size_t>(at) < kSaysChoices.size()) {
                    ReadControls(s);
                    s.model.Controls().cmbSays =
                        std::u16string(kSaysChoices[static_cast<std::size_t>(at)]);
                    s.model.UpdateNameSample();
                    WriteNameSample(s);
                }
            } else if (code == CBN_EDITCHANGE) {
                ReadControls(s);
                s.model.UpdateNameSample();
                WriteNameSample(s);
            }
            return;
        case idcNickname:
        case idcAddress:
            if (s.filling || code != BN_CLICKED) return;
            ReadControls(s);
            s.model.SelectBuddyName(id == idcNickname ? 0 : 1);
            WriteNameSample(s);
            return;
        case idcNoDomainName:
            if (s.filling || code != BN_CLICKED) return;
            ReadControls(s);
            s.model.UpdateNameSample();
            WriteNameSample(s);
            return;
        default:
            return;
        }
    }

    static LRESULT OnCtlColor(HWND control, HDC dc) {
        const int id = ::GetDlgCtrlID(control);
        COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
        if (id == idcBuddyNameSample) text = 0x000040;
        if (id == idcNote) text = 0x000080;
        ::SetTextColor(dc, text);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }

    static void OnTick(State& s) {
        if (!s.msgOptions) return;
        WindowDisplay display(s.picMsg);
        TickTicker(*s.msgOptions, display, s.scaleWidth, s.version);
        s.msgOptions->DisplayOn(display, true);
    }

    static LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        try {
            frmOptions* self = Owner(hwnd, msg, lParam);
            std::shared_ptr<State> keep = self ? self->state_ : nullptr;
            if (!keep || keep->destroyed || keep->hwnd.get() != hwnd)
                return ::DefWindowProcW(hwnd, msg, wParam, lParam);
            State& s = *keep;
            switch (msg) {
            case WM_COMMAND:
                OnCommand(*self, keep, LOWORD(wParam), HIWORD(wParam));
                return 0;
            case DM_GETDEFID:
                return MAKELRESULT(idcOK, DC_HASDEFID);
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLORBTN:
                return OnCtlColor(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
            case WM_TIMER:
                if (wParam == kDisplayTimer) OnTick(s);
                return 0;
            case WM_CLOSE:
                self->Unload();
                return 0;
            case WM_ACTIVATE:
                if (LOWORD(wParam) == WA_INACTIVE) {
                    HWND focus = ::GetFocus();
                    if (focus && ::IsChild(hwnd, focus)) s.lastFocus = focus;
                }
                break;
            case WM_SETFOCUS:
                if (s.lastFocus && ::IsWindow(s.lastFocus)) ::SetFocus(s.lastFocus);
                return 0;
            default:
                break;
            }
            return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        } catch (...) {
            return 0;
        }
    }

    // A page draws its own frame, so that each caption can have its colour.
    static void PaintPage(const State& s, HWND page) {
        unique_hdc_paint paint(page);
        HDC dc = paint.get();
        RECT r{};
        ::GetClientRect(page, &r);
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        unique_select_object font(dc, s.fontBold.get());
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc, &tm);
        RECT box = r;
        box.top = tm.tmHeight / 2;
        ::DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
        const int index = ::GetDlgCtrlID(page) - idcPage0;
        if (index < 0 || index >= kPageCount) return;
        const auto& look = kPages[static_cast<std::size_t>(index)];
        const int len = static_cast<int>(std::wcslen(look.caption));
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, look.caption, len, &extent);
        RECT caption{6, 0, 6 + extent.cx + 4, tm.tmHeight};
        ::FillRect(dc, &caption, ::GetSysColorBrush(COLOR_BTNFACE));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, look.color);
        ::TextOutW(dc, 8, 0, look.caption, len);
    }

    static LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        try {
            frmOptions* self = Owner(hwnd, msg, lParam);
            std::shared_ptr<State> keep = self ? self->state_ : nullptr;
            if (!keep || keep->destroyed) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
            switch (msg) {
            case WM_PAINT:
                PaintPage(*keep, hwnd);
                return 0;
            case WM_ERASEBKGND:
                return 1;
            case WM_COMMAND:
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLORBTN:
            case WM_NOTIFY:
                // The controls of a page belong to the dialog.
                return ::SendMessageW(keep->hwnd.get(), msg, wParam, lParam);
            default:
                return ::DefWindowProcW(hwnd, msg, wParam, lParam);
            }
        } catch (...) {
            return 0;
        }
    }

    static LRESULT CALLBACK TickerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        try {
            frmOptions* self = Owner(hwnd, msg, lParam);
            std::shared_ptr<State> keep = self ? self->state_ : nullptr;
            if (!keep || keep->destroyed || !keep->msgOptions)
                return ::DefWindowProcW(hwnd, msg, wParam, lParam);
            State& s = *keep;
            const float x = static_cast<float>(GET_X_LPARAM(lParam));
            switch (msg) {
            case WM_PAINT: {
                unique_hdc_paint paint(hwnd);
                WindowDisplay display(hwnd, paint.get());
                s.msgOptions->DisplayOn(display, true);
                return 0;
            }
            case WM_ERASEBKGND:
                return 1;
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN: {
                const int button = msg == WM_LBUTTONDOWN ? kLeftButton : kRightButton;
                // The ticker keeps the mouse while a button is held, so that a release
                // anywhere resumes it.
                ::SetCapture(hwnd);
                s.gestures.MouseDown(button, x);
                if (button == kRightButton) ::KillTimer(s.hwnd.get(), kDisplayTimer);
                return 0;
            }
            case WM_MOUSEMOVE: {
                const int buttons = static_cast<int>(wParam & (MK_LBUTTON | MK_RBUTTON));
                s.msgOptions->SetScrollSpeed(
                    s.gestures.MouseMove(buttons, x, s.msgOptions->ScrollSpeed()));
                return 0;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONUP: {
                const int button = msg == WM_LBUTTONUP ? kLeftButton : kRightButton;
                s.gestures.MouseUp(button);
                if (button == kRightButton)
                    ::SetTimer(s.hwnd.get(), kDisplayTimer, kDisplayInterval, nullptr);
                if (!(wParam & (MK_LBUTTON | MK_RBUTTON))) ::ReleaseCapture();
                return 0;
            }
            default:
                return ::DefWindowProcW(hwnd, msg, wParam, lParam);
            }
        } catch (...) {
            return 0;
        }
    }
};

frmOptions::frmOptions(IOptionsHostWin32& host, HINSTANCE module)
    : host_(host), module_(module ? module : ::GetModuleHandleW(nullptr)) {}

frmOptions::~frmOptions() {
    if (state_) OptionsWindows::Destroy(*state_);
}

bool frmOptions::IsOpen() const noexcept { return state_ && !state_->destroyed; }

HWND frmOptions::hWnd() const noexcept { return IsOpen() ? state_->hwnd.get() : nullptr; }

void frmOptions::Show(HWND owner) {
    if (state_) {
        if (!state_->closing && !state_->destroyed) {
            HWND dlg = state_->hwnd.get();
            ::ShowWindow(dlg, SW_SHOW);
            ::SetForegroundWindow(dlg);
        }
        return;
    }
    auto keep = std::make_shared<State>();
    state_ = keep;
    OptionsWindows::Load(*this, keep, owner);
    if (!keep->hwnd) {
        OptionsWindows::Destroy(*keep);
        state_.reset();
        return;
    }
    const float target = (ScreenWidthTwips() - WindowRectTwips(keep->hwnd.get()).Width) / 2;
    modMain::SlideFormIn(keep->hwnd.get(), target,
                         [&keep] { return keep->closing || keep->destroyed; });
    if (!keep->destroyed && !keep->closing) ::SetForegroundWindow(keep->hwnd.get());
}

void frmOptions::Unload() {
    std::shared_ptr<State> keep = state_;
    if (!keep) return;
    if (!keep->closing && !keep->destroyed) {
        keep->closing = true;
        // Another close meanwhile (shutdown) destroys the window, which ends this slide.
        modMain::SlideFormOut(keep->hwnd.get(), [&keep] { return keep->destroyed; });
    }
    OptionsWindows::Destroy(*keep);
    if (state_ == keep) state_.reset();
}

} // namespace gb
