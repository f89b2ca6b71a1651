#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>
#include <winver.h>

#include "options/frmOptions_win32.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string>
#include <vector>

#include "app/Version.h"
#include "app/modMain_win32.h"
#include "app/modSettings.h"
#include "options/options_res.h"
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
constexpr COLORREF kPlainText = CLR_INVALID; // the system's button text
static_assert(idcCancel == IDCANCEL, "Escape presses \"&Not okay\"");

// The layout is in twips, as the dialog was designed.
struct Twips {
    float left, top, width, height;
};
constexpr float kClientWidth = 5385, kClientHeight = 4230, kTickerHeight = 495;
constexpr Twips kPage{120, 720, 5175, 2535};

struct PageLook {
    const wchar_t* caption;
    COLORREF color;
};
constexpr std::array<PageLook, kPageCount> kPages = {{{L"Glidebanner", 0x800000},
                                                      {L"General Settings", 0x0000C0},
                                                      {L"Name Display", 0x004000},
                                                      {L"Texts", 0x800080}}};

using Font = frmOptions::Font;
constexpr int kOnDialog = -1;

// What a control is: its window class, style and extended style.
struct Kind {
    const wchar_t* cls;
    DWORD style;
    DWORD exStyle = 0;
};
constexpr Kind kCheckBox{L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP};
constexpr Kind kOption{L"BUTTON", BS_AUTORADIOBUTTON};
constexpr Kind kButton{L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
constexpr Kind kLabel{L"STATIC", SS_NOPREFIX};
constexpr Kind kTextBox{L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
constexpr Kind kComboBox{L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP};
constexpr Kind kPicture{L"STATIC", SS_BITMAP | SS_NOTIFY | SS_CENTERIMAGE};
constexpr Kind kSunkenPicture{kPicture.cls, kPicture.style, WS_EX_CLIENTEDGE};

// One control: where it stands (a page, or the dialog itself), what it is and looks like.
struct ControlRow {
    int parent;
    Kind kind;
    const wchar_t* text;
    DWORD style; // besides its kind's
    Twips at;
    int id;
    Font font;
    const wchar_t* tip = nullptr;
    COLORREF color = kPlainText;
};

// The combo box's height includes its open list.
constexpr float kSaysListHeight = 6 * 240;

// In creation order: where controls overlap, the one made first stays in front.
// clang-format off
constexpr ControlRow kControls[] = {
    // page, kind, text, style, left top width height, id, font, tooltip, colour
    {0, kSunkenPicture, L"", 0, {120, 240, 4935, 2160}, idcPicInfo, Font::Regular,
     L"Glidebanner by the Glidebanner developers"},

    {1, kCheckBox, L"show &emoticons", 0, {120, 360, 4935, 255}, idcShowEmo, Font::Regular,
     L"Whether to convert emoticons to pictures or not"},
    {1, kCheckBox, L"show sign in / sign out messages", 0, {120, 720, 4935, 255},
     idcShowSignInOut, Font::Regular,
     L"Check this if you want a message if a buddy signs in or out"},
    {1, kCheckBox, L"act as a bar", 0, {120, 1080, 4935, 255}, idcActAsBar, Font::Regular,
     L"If this is checked, Glidebanner moves all windows down to have its own place when it's "
     L"at the top of the screen."},
    {1, kCheckBox, L"show tooltip", 0, {120, 1440, 4935, 255}, idcShowTooltip, Font::Regular,
     L"Check this if you don't know the action keys in the main window. They will be displayed "
     L"then with a tooltip."},

    {2, kLabel, L"", SS_CENTER | SS_NOTIFY, {120, 340, 4935, 255}, idcBuddyNameSample, Font::Bold,
     L"This is how the name of a buddy will look like", 0x000040},
    {2, kOption, L"nickname", WS_TABSTOP | WS_GROUP, {360, 900, 3375, 255}, idcNickname,
     Font::Regular, L"Display the nickname as name of the buddy"},
    {2, kOption, L"e-mail address", 0, {360, 1185, 3975, 255}, idcAddress, Font::Regular,
     L"Display the e-mail address as name of the buddy"},
    {2, kCheckBox, L"drop '@' and domain name", WS_GROUP, {720, 1440, 2655, 255}, idcNoDomainName,
     Font::Small, L"Only show the part of the e-mail address before '@'"},
    {2, kComboBox, L"", 0, {1350, 1710, 2055, 330 + kSaysListHeight}, idcSays, Font::Small,
     L"The text that has to be displayed instead of \"says:\""},
    {2, kCheckBox, L"with first message only", 0, {360, 2085, 2535, 255}, idcShowSaysOnce,
     Font::Small,
     L"Show the \"buddy says\" text only if the previous message was from another user."},
    {2, kLabel, L"buddy name:", 0, {120, 600, 4215, 255}, idcLabel, Font::Regular},
    {2, kLabel, L"\"says:\" text:", 0, {120, 1755, 4095, 255}, idcLabel, Font::Regular},

    {3, kTextBox, L"", 0, {1080, 440, 3975, 360}, idcBuddyLogon, Font::Italic,
     L"Displayed when somebody signs in."},
    {3, kTextBox, L"", 0, {1080, 960, 3975, 360}, idcBuddyLogoff, Font::Italic,
     L"Displayed when somebody signs out."},
    {3, kTextBox, L"", 0, {840, 1440, 3735, 360}, idcUnreadMail, Font::Italic,
     L"Displayed when you've got unread mails."},
    {3, kTextBox, L"", ES_CENTER, {4680, 1440, 375, 360}, idcPlaceHolder, Font::Italic,
     L"Marker in e-mail text that will be replaced with the number of mails."},
    {3, kLabel, L"...", 0, {840, 525, 255, 255}, idcLabel, Font::Bold},
    {3, kLabel, L"...", 0, {840, 1065, 255, 255}, idcLabel, Font::Bold},
    {3, kLabel, L"logon:", 0, {120, 480, 1215, 255}, idcLabel, Font::Regular},
    {3, kLabel, L"logoff:", 0, {120, 1005, 1215, 255}, idcLabel, Font::Regular},
    {3, kLabel, L"e-mail:", 0, {120, 1485, 1215, 255}, idcLabel, Font::Regular},

    {kOnDialog, kButton, L"&Okay", 0, {480, 3480, 1575, 375}, idcOK, Font::BoldItalic},
    {kOnDialog, kButton, L"&Not okay", 0, {3360, 3480, 1575, 375}, idcCancel, Font::BoldItalic},
    {kOnDialog, kLabel, L"NOTE: not all settings take place immediately", SS_CENTER,
     {0, 3960, 5415, 255}, idcNote, Font::Note, nullptr, 0x000080},
    {kOnDialog, kPicture, L"", 0, {4080, 600, 480, 480}, idcPicPrev, Font::Regular, L"Previous tab"},
    {kOnDialog, kPicture, L"", 0, {4680, 600, 480, 480}, idcPicNext, Font::Regular, L"Next tab"},
};
// clang-format on

const wchar_t* W(std::u16string_view s) { return reinterpret_cast<const wchar_t*>(s.data()); }

std::u16string GetText(HWND hwnd) {
    const int n = ::GetWindowTextLengthW(hwnd);
    if (n <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, buffer.data(), n + 1);
    buffer.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), buffer.size());
}

void SetText(HWND hwnd, std::u16string_view text) {
    ::SetWindowTextW(hwnd, W(std::u16string(text)));
}

bool Checked(HWND hwnd) { return ::SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND hwnd, bool on) {
    ::SendMessageW(hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

int Round(float v) { return static_cast<int>(std::nearbyint(v)); }

HFONT MakeFont(double points, bool bold, bool italic, int dpi) {
    const int height = -static_cast<int>(std::nearbyint(points * dpi / 72.0));
    return ::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, L"Arial");
}

// The program's version from its version resource; the built-in numbers where it has none.
ProgramVersion ReadProgramVersion(HINSTANCE module) {
    const ProgramVersion built{modMain::kVersionMajor, modMain::kVersionMinor,
                               modMain::kVersionRevision};
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = ::GetModuleFileNameW(module, path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return built;
    path.resize(length);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) return built;
    std::vector<unsigned char> info(size);
    void* value = nullptr;
    UINT valueSize = 0;
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, info.data()) ||
        !::VerQueryValueW(info.data(), L"\\", &value, &valueSize) ||
        valueSize < sizeof(VS_FIXEDFILEINFO))
        return built;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
            LOWORD(fixed->dwFileVersionLS)};
}

bool IsOptionsDialog(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return std::wcscmp(name, kDialogClass) == 0;
}

// The program's message loop knows nothing of dialogs; this lets the dialog's keys (Tab,
// Escape, the "&" letters) work wherever the messages are pumped.
LRESULT CALLBACK KeysHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code >= 0 && wParam == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->hwnd && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
            HWND root = ::GetAncestor(msg->hwnd, GA_ROOT);
            if (root && IsOptionsDialog(root) && ::IsDialogMessageW(root, msg))
                msg->message = WM_NULL;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void RegisterClasses(HINSTANCE module) {
    WNDCLASSEXW wc{};
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    Window::RegisterClass(module, kDialogClass, wc);
    Window::RegisterClass(module, kPageClass, wc);
    wc.hbrBackground = nullptr; // the strip covers every pixel
    Window::RegisterClass(module, kTickerClass, wc);
}

} // namespace

// ---------------------------------------------------------------- a page

bool OptionsPageWindow::Create(HWND dialog, int index, RECT at, HFONT captionFont,
                               HINSTANCE module) {
    dialog_ = dialog;
    index_ = index;
    captionFont_ = captionFont;
    return Window::Create(WS_EX_CONTROLPARENT, kPageClass,
                          kPages[static_cast<std::size_t>(index)].caption,
                          WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, at, dialog,
                          static_cast<UINT_PTR>(idcPage0 + index), module);
}

LRESULT OptionsPageWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_NOTIFY:
        return ::SendMessageW(dialog_, msg, wp, lp);
    default:
        return Default(msg, wp, lp);
    }
}

void OptionsPageWindow::OnPaint() {
    unique_hdc_paint paint(hWnd());
    HDC dc = paint.get();
    RECT r{};
    ::GetClientRect(hWnd(), &r);
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    unique_select_object font(dc, captionFont_);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    RECT box = r;
    box.top = tm.tmHeight / 2;
    ::DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
    const auto& look = kPages[static_cast<std::size_t>(index_)];
    const int length = static_cast<int>(std::wcslen(look.caption));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, look.caption, length, &extent);
    RECT caption{6, 0, 6 + extent.cx + 4, tm.tmHeight};
    ::FillRect(dc, &caption, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, look.color);
    ::TextOutW(dc, 8, 0, look.caption, length);
}

// ---------------------------------------------------------------- the ticker

bool OptionsTickerWindow::Create(HWND dialog, RECT at, HINSTANCE module) {
    return Window::Create(0, kTickerClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, at, dialog,
                          idcPicMsg, module);
}

float OptionsTickerWindow::ScaleWidth() const { return WindowDisplay(hWnd()).ScaleWidth(); }
float OptionsTickerWindow::ScaleHeight() const { return WindowDisplay(hWnd()).ScaleHeight(); }
void OptionsTickerWindow::Present(ISurface& canvas) { WindowDisplay(hWnd()).Present(canvas); }

LRESULT OptionsTickerWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const float x = static_cast<float>(GET_X_LPARAM(lp));
    switch (msg) {
    case WM_PAINT: {
        unique_hdc_paint paint(hWnd());
        WindowDisplay display(hWnd(), paint.get());
        controller_.PaintTicker(display);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        controller_.TickerMouseDown(kLeftButton, x);
        return 0;
    case WM_RBUTTONDOWN:
        controller_.TickerMouseDown(kRightButton, x);
        return 0;
    case WM_MOUSEMOVE:
        controller_.TickerMouseMove(
            ((wp & MK_LBUTTON) ? kLeftButton : 0) | ((wp & MK_RBUTTON) ? kRightButton : 0), x);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        controller_.TickerMouseUp(msg == WM_LBUTTONUP ? kLeftButton : kRightButton);
        if (!(wp & (MK_LBUTTON | MK_RBUTTON)) && ::GetCapture() == hWnd()) ::ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hWnd()) controller_.TickerCaptureLost();
        return 0;
    default:
        return Default(msg, wp, lp);
    }
}

// ---------------------------------------------------------------- the dialog

frmOptions::frmOptions(IOptionsHostWin32& host, HINSTANCE module,
                       modSettings::SettingsRecord& settings)
    : host_(host), module_(module ? module : ::GetModuleHandleW(nullptr)), surfaces_(module_),
      controller_(*this, host_,
                  {host_.TickerStripHost(), surfaces_, ReadProgramVersion(module_), settings}) {}

frmOptions::~frmOptions() { Destroy(); }

void frmOptions::Show(HWND owner) {
    owner_ = owner;
    controller_.Show(owner != nullptr);
}

// The dialog's twips at the dots per inch of the monitor it stands on.
int frmOptions::Px(float twips) const { return Round(twips * static_cast<float>(dpi_) / 1440.0f); }
int frmOptions::Py(float twips) const { return Px(twips); }

void frmOptions::MakeFonts() {
    const struct {
        double points;
        bool bold, italic;
    } looks[] = {{9.75, false, false}, {9.75, true, false},  {9.75, true, true},
                 {9, true, true},      {8.25, false, false}, {9.75, false, true}};
    for (std::size_t i = 0; i < fonts_.size(); ++i)
        fonts_[i].reset(MakeFont(looks[i].points, looks[i].bold, looks[i].italic, dpi_));
}

bool frmOptions::Create(bool owned, int left, int top, int dpi) {
    RegisterClasses(module_);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    // It stands below the bar, on the bar's monitor, and follows that monitor's scale.
    dpi_ = dpi;
    host_.TickerStripHost().dpi = dpi_;
    MakeFonts();
    const auto bitmap = [&](int id) {
        return static_cast<HBITMAP>(
            ::LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    };
    bmpPrev_.reset(bitmap(IDB_OPTIONS_PREV));
    bmpNext_.reset(bitmap(IDB_OPTIONS_NEXT));
    bmpBanner_.reset(bitmap(IDB_OPTIONS_BANNER));

    RECT frame{0, 0, Px(kClientWidth), Py(kClientHeight)};
    ::AdjustWindowRectEx(&frame, kDialogStyle, FALSE, kDialogExStyle);
    if (!Window::Create(
            kDialogExStyle, kDialogClass, L"Glidebanner - Options", kDialogStyle,
            {left, top, left + frame.right - frame.left, top + frame.bottom - frame.top},
            owned ? owner_ : nullptr, 0, module_))
        return false;
    if (HICON barIcon = host_.Icon()) {
        icon_.reset(::CopyIcon(barIcon));
        ::SendMessageW(hWnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
        ::SendMessageW(hWnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
    }
    ::SetWindowPos(hWnd(), HWND_TOPMOST, left, top, 0, 0,
                   SWP_NOSIZE | SWP_NOREDRAW | SWP_NOACTIVATE);
    CreateControls();
    keys_.reset(::SetWindowsHookExW(WH_GETMESSAGE, KeysHook, nullptr, ::GetCurrentThreadId()));
    lastFocus_ = Item(idcOK);
    return true;
}

void frmOptions::CreateControls() {
    HWND dlg = hWnd();
    tooltip_ = ::CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dlg, nullptr, module_, nullptr);
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 320);

    RECT client{};
    ::GetClientRect(dlg, &client);
    ticker_.Create(dlg, {0, 0, client.right, Py(kTickerHeight)}, module_);
    const RECT page{Px(kPage.left), Py(kPage.top), Px(kPage.left) + Px(kPage.width),
                    Py(kPage.top) + Py(kPage.height)};
    for (int i = 0; i < kPageCount; ++i)
        pages_[static_cast<std::size_t>(i)].Create(
            dlg, i, page, fonts_[static_cast<std::size_t>(Font::Bold)].get(), module_);

    controls_.clear();
    for (const auto& row : kControls) {
        HWND parent =
            row.parent == kOnDialog ? dlg : pages_[static_cast<std::size_t>(row.parent)].hWnd();
        HWND h =
            ::CreateWindowExW(row.kind.exStyle, row.kind.cls, row.text,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | row.kind.style | row.style,
                              Px(row.at.left), Py(row.at.top), Px(row.at.width), Py(row.at.height),
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                              ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(h, WM_SETFONT,
                       reinterpret_cast<WPARAM>(fonts_[static_cast<std::size_t>(row.font)].get()),
                       FALSE);
        if (row.tip) AddTip(h, row.tip);
        // A text box takes no more than the next start reads back.
        if (std::wcscmp(row.kind.cls, kTextBox.cls) == 0)
            ::SendMessageW(h, EM_LIMITTEXT, modSettings::kMaxTextLength, 0);
        controls_.push_back(h);
    }

    // The pictures; showing a bitmap resizes a static control, and the layout's size wins.
    const std::pair<int, HBITMAP> pictures[] = {
        {idcPicInfo, bmpBanner_.get()}, {idcPicPrev, bmpPrev_.get()}, {idcPicNext, bmpNext_.get()}};
    for (const auto& [id, bmp] : pictures) {
        HWND h = Item(id);
        RECT r{};
        ::GetWindowRect(h, &r);
        ::SendMessageW(h, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
        ::SetWindowPos(h, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The arrows stand in front of the pages.
    for (const int id : {int{idcPicPrev}, int{idcPicNext}})
        ::SetWindowPos(Item(id), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // The closed says box stands as tall as the layout says: its field is that less the border.
    HWND says = Item(idcSays);
    RECT field{};
    ::GetWindowRect(says, &field);
    const int border = (field.bottom - field.top) -
                       static_cast<int>(::SendMessageW(says, CB_GETITEMHEIGHT, -1, 0));
    ::SendMessageW(says, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Py(330) - border);
    ::SendMessageW(says, CB_LIMITTEXT, modSettings::kMaxTextLength, 0);
    for (auto choice : kSaysChoices)
        ::SendMessageW(says, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(std::u16string(choice).c_str()));
    if (HWND edit = ::GetWindow(says, GW_CHILD))
        AddTip(edit, L"The text that has to be displayed instead of \"says:\"");
}

void frmOptions::AddTip(HWND control, const wchar_t* text) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

HWND frmOptions::Item(int id) const {
    HWND h = ::GetDlgItem(hWnd(), id);
    for (std::size_t i = 0; !h && i < pages_.size(); ++i)
        h = ::GetDlgItem(pages_[i].hWnd(), id);
    return h;
}

void frmOptions::Destroy() {
    keys_.reset();
    Window::Destroy(); // its controls, pages, ticker, tooltip and timer go with it
    tooltip_ = lastFocus_ = nullptr;
    icon_.reset();
    for (auto& font : fonts_)
        font.reset();
    bmpPrev_.reset();
    bmpNext_.reset();
    bmpBanner_.reset();
}

// ---------------------------------------------------------------- messages

LRESULT frmOptions::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnCtlColor(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp));
    case WM_TIMER:
        if (wp == kDisplayTimer) controller_.DisplayTick();
        return 0;
    case WM_CLOSE:
        controller_.Close();
        return 0;
    case WM_ACTIVATE:
        // The focus comes back where it was, as in a dialog box.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus && ::IsChild(hWnd(), focus)) lastFocus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        if (lastFocus_ && ::IsWindow(lastFocus_)) ::SetFocus(lastFocus_);
        return 0;
    case WM_DPICHANGED: {
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        OnDpiChanged(HIWORD(wp), *r);
        return 0;
    }
    default:
        break;
    }
    return Default(msg, wp, lp);
}

void frmOptions::OnDpiChanged(int dpi, const RECT& suggested) {
    // Another monitor's scale: the fonts, the place and size of every control from the table
    // of rows, the pages and the ticker, all at the new DPI.
    dpi_ = dpi;
    host_.TickerStripHost().dpi = dpi;
    MakeFonts();
    ::SetWindowPos(hWnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(hWnd(), &client);
    ::SetWindowPos(ticker_.hWnd(), nullptr, 0, 0, client.right, Py(kTickerHeight),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    for (auto& page : pages_) {
        ::SetWindowPos(page.hWnd(), nullptr, Px(kPage.left), Py(kPage.top), Px(kPage.width),
                       Py(kPage.height), SWP_NOZORDER | SWP_NOACTIVATE);
        page.SetCaptionFont(fonts_[static_cast<std::size_t>(Font::Bold)].get());
    }
    for (std::size_t i = 0; i < controls_.size() && i < std::size(kControls); ++i) {
        const ControlRow& row = kControls[i];
        ::SetWindowPos(controls_[i], nullptr, Px(row.at.left), Py(row.at.top), Px(row.at.width),
                       Py(row.at.height), SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(controls_[i], WM_SETFONT,
                       reinterpret_cast<WPARAM>(fonts_[static_cast<std::size_t>(row.font)].get()),
                       TRUE);
    }
    ::InvalidateRect(hWnd(), nullptr, TRUE);
}

void frmOptions::OnCommand(int id, int code, HWND control) {
    const auto row = std::find_if(std::begin(kOptionsBindings), std::end(kOptionsBindings),
                                  [id](const OptionsBinding& b) { return b.id == id; });
    if (row == std::end(kOptionsBindings)) return;
    switch (row->command) {
    case OptionsCommand::Okay:
        if (code == BN_CLICKED) controller_.Okay();
        return;
    case OptionsCommand::Close:
        controller_.Close();
        return;
    case OptionsCommand::NextPage:
    case OptionsCommand::PreviousPage:
        if (code == STN_CLICKED) controller_.TurnPage(row->command == OptionsCommand::NextPage);
        return;
    case OptionsCommand::Banner:
        if (code == STN_CLICKED) controller_.BannerClick();
        return;
    case OptionsCommand::Says:
        if (code == CBN_SELCHANGE)
            controller_.SaysChosen(static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0)));
        else if (code == CBN_EDITCHANGE)
            controller_.NameDisplayChanged();
        return;
    case OptionsCommand::NameDisplay:
        if (code == BN_CLICKED) controller_.NameDisplayChanged();
        return;
    case OptionsCommand::None:
        return;
    }
}

LRESULT frmOptions::OnCtlColor(HWND control, HDC dc) const {
    const int id = ::GetDlgCtrlID(control);
    COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    for (const auto& row : kControls)
        if (row.id == id && row.color != kPlainText) text = row.color;
    ::SetTextColor(dc, text);
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

// ---------------------------------------------------------------- the window for the controller

void frmOptions::Show() { ::ShowWindow(hWnd(), SW_SHOW); }

void frmOptions::BringToFront() {
    if (!hWnd()) return;
    ::ShowWindow(hWnd(), SW_SHOW);
    ::SetForegroundWindow(hWnd());
}

int frmOptions::Left() const {
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    return r.left;
}
int frmOptions::Width() const {
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    return r.right - r.left;
}

void frmOptions::MoveLeft(int left) {
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    ::SetWindowPos(hWnd(), nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

float frmOptions::ScaleWidth() const { return WindowDisplay(hWnd()).ScaleWidth(); }

OptionsControls frmOptions::ReadControls() const {
    OptionsControls c;
    for (const auto& row : kOptionsBindings) {
        HWND h = Item(row.id);
        if (row.check) c.*row.check = Checked(h);
        if (row.text) c.*row.text = GetText(h);
        if (row.option && Checked(h)) c.*row.option = row.optionValue;
    }
    return c;
}

void frmOptions::WriteControls(const OptionsControls& c) {
    for (const auto& row : kOptionsBindings) {
        HWND h = Item(row.id);
        if (row.check) SetChecked(h, c.*row.check);
        if (row.text) SetText(h, c.*row.text);
        if (row.option) SetChecked(h, c.*row.option == row.optionValue);
    }
    WriteNameSample(c.lblBuddyName, c.chkNoDomainNameEnabled);
}

void frmOptions::WriteNameSample(std::u16string_view sample, bool domainEnabled) {
    ::EnableWindow(Item(idcNoDomainName), domainEnabled);
    SetText(Item(idcBuddyNameSample), sample);
}

PageSpan frmOptions::Page(int index) const {
    RECT r{};
    ::GetWindowRect(pages_[static_cast<std::size_t>(index)].hWnd(), &r);
    ::MapWindowPoints(nullptr, hWnd(), reinterpret_cast<POINT*>(&r), 2);
    return {static_cast<float>(r.left), static_cast<float>(r.right - r.left)};
}

void frmOptions::MovePage(int index, float left) {
    HWND page = pages_[static_cast<std::size_t>(index)].hWnd();
    RECT r{};
    ::GetWindowRect(page, &r);
    ::MapWindowPoints(nullptr, hWnd(), reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(page, nullptr, Round(left), r.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmOptions::ShowPage(int index, bool visible) {
    ::SetWindowPos(pages_[static_cast<std::size_t>(index)].hWnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                       (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void frmOptions::ShowArrows(bool previous, bool next) {
    ::ShowWindow(Item(idcPicPrev), previous ? SW_SHOW : SW_HIDE);
    ::ShowWindow(Item(idcPicNext), next ? SW_SHOW : SW_HIDE);
}

void frmOptions::EnableArrows(bool enabled) {
    ::EnableWindow(Item(idcPicPrev), enabled);
    ::EnableWindow(Item(idcPicNext), enabled);
}

bool frmOptions::FocusOnPage(int index) const {
    HWND focus = ::GetActiveWindow() == hWnd() ? ::GetFocus() : lastFocus_;
    return focus && ::IsChild(pages_[static_cast<std::size_t>(index)].hWnd(), focus);
}

void frmOptions::FocusPage(int index) {
    // The first tab stop of the page in the table's order; of the option buttons only the
    // selected one, as Tab reaches them (focus on another would select it).
    HWND target = Item(idcOK);
    for (std::size_t i = 0; i < controls_.size() && i < std::size(kControls); ++i) {
        const ControlRow& row = kControls[i];
        HWND h = controls_[i];
        if (row.parent != index || !::IsWindowEnabled(h)) continue;
        const bool option = row.kind.style == kOption.style;
        if (option ? Checked(h) : ((row.kind.style | row.style) & WS_TABSTOP) != 0) {
            target = h;
            break;
        }
    }
    lastFocus_ = target;
    if (::GetActiveWindow() == hWnd()) ::SetFocus(target);
}

void frmOptions::ShowError(std::u16string_view text) {
    ::MessageBoxW(hWnd(), W(std::u16string(text)), L"Error", MB_OK | MB_ICONEXCLAMATION);
}

void frmOptions::FocusUnreadMail() { ::SetFocus(Item(idcUnreadMail)); }

void frmOptions::SetTickerTimer(bool running) {
    if (!hWnd()) return;
    if (running)
        ::SetTimer(hWnd(), kDisplayTimer, kDisplayInterval, nullptr);
    else
        ::KillTimer(hWnd(), kDisplayTimer);
}

void frmOptions::CaptureTickerMouse() { ::SetCapture(ticker_.hWnd()); }

bool frmOptions::RunPendingMessages() { return PumpPendingMessages() && hWnd(); }

void frmOptions::OpenWebPage(std::u16string_view address) {
    modMain::OpenWebPage(std::u16string(address));
}

} // namespace gb
