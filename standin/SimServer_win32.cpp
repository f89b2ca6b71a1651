#include "SimServer_win32.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "SimDispatch_win32.h"
#include "SimObjects_win32.h"
#include "contract/MessengerCom_win32.h"

namespace msgrsim {

Module& TheModule() {
    static Module module;
    return module;
}

namespace {

constexpr UINT kTeardownMessage = WM_APP + 1;
constexpr UINT kMeetMessage = WM_APP + 2;
// The messenger answers from its own message loop; a hung one must not hold the bar for long.
constexpr UINT kMessengerTimeoutMs = 2000;
constexpr wchar_t kMessengerExe[] = L"gbmessenger.exe";
constexpr wchar_t kAccountKey[] = L"Software\\Glidebanner\\Messenger";

HWND FindMessenger() {
    return ::FindWindowExW(HWND_MESSAGE, nullptr, kMessengerWindowClass, nullptr);
}

// An account is set up when the messenger has stored its address.
bool AccountSetUp() {
    wchar_t address[8];
    DWORD bytes = sizeof address;
    const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, kAccountKey, L"Address", RRF_RT_REG_SZ,
                                          nullptr, address, &bytes);
    return (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) && bytes > sizeof(wchar_t);
}

// Starts the messenger beside the stand-in's DLL; it finds the stand-in by itself.
void StartMessenger() {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD n = ::GetModuleFileNameW(TheModule().instance, path.data(), MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    path.resize(n);
    path.resize(path.find_last_of(L'\\') + 1);
    path += kMessengerExe;
    std::wstring command = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}
constexpr int kEditId = 1;
// The controller waits inside SendMessage and takes the answer at once; a window of a busy or
// hung program must not hold the bar's thread for longer than this.
constexpr UINT kAnswerTimeoutMs = 500;

// The teardown asked for when the last object went away, unless objects were made again since.
void TeardownIfUnused() {
    Module& module = TheModule();
    if (module.objects == 0 && module.server && !module.server->Busy()) module.server.reset();
}

// Builds the arguments of one event, last first, as IDispatch::Invoke takes them.
template <std::size_t N> struct EventArgs {
    std::array<gb::unique_variant, N> slots;
    std::array<VARIANT, N> raw{};
    VARIANT_BOOL enableDefault = VARIANT_TRUE;

    // k: the argument's position as declared, 0 first.
    VARIANT* At(std::size_t k) { return slots[N - 1 - k].get(); }
    void Object(std::size_t k, com_ptr<IDispatch> object) {
        At(k)->vt = VT_DISPATCH;
        At(k)->pdispVal = object.detach();
    }
    void Text(std::size_t k, const std::u16string& text) {
        At(k)->vt = VT_BSTR;
        At(k)->bstrVal = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                             static_cast<UINT>(text.size()));
    }
    void Long(std::size_t k, LONG value) {
        At(k)->vt = VT_I4;
        At(k)->lVal = value;
    }
    void EnableDefault(std::size_t k) {
        At(k)->vt = VT_BOOL | VT_BYREF;
        At(k)->pboolVal = &enableDefault;
    }
    std::span<VARIANT> Reversed() {
        for (std::size_t i = 0; i < N; ++i)
            raw[i] = *slots[i].get();
        return raw;
    }
};

} // namespace

WindowClasses::WindowClasses() {
    gb::Window::RegisterClass(TheModule().instance, kControlWindowClass);
    WNDCLASSEXW conversation{};
    conversation.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    gb::Window::RegisterClass(TheModule().instance, kConversationWindowClass, conversation);
}

WindowClasses::~WindowClasses() {
    ::UnregisterClassW(kConversationWindowClass, TheModule().instance);
    ::UnregisterClassW(kControlWindowClass, TheModule().instance);
}

Server::Server() {
    if (control_.Open(TheModule().instance)) ::PostMessageW(control_.hWnd(), kMeetMessage, 0, 0);
}

void Server::MeetMessenger() {
    const HWND messenger = FindMessenger();
    if (!messenger) {
        if (AccountSetUp()) StartMessenger();
        return;
    }
    COPYDATASTRUCT hello{static_cast<ULONG_PTR>(MessengerOp::Hello), 0, nullptr};
    DWORD_PTR ignored = 0;
    // Its answers (the contacts, the status, the windows) arrive while this waits.
    ::SendMessageTimeoutW(messenger, WM_COPYDATA, reinterpret_cast<WPARAM>(control_.hWnd()),
                          reinterpret_cast<LPARAM>(&hello), SMTO_ABORTIFHUNG, kMessengerTimeoutMs,
                          &ignored);
}

std::intptr_t Server::MessengerWindow(const std::string& address) {
    const HWND messenger = FindMessenger();
    if (!messenger) return 0;
    // The click that asked is the user's: the messenger may bring its window to the front.
    DWORD messengerProcess = 0;
    ::GetWindowThreadProcessId(messenger, &messengerProcess);
    ::AllowSetForegroundWindow(messengerProcess);
    COPYDATASTRUCT open{static_cast<ULONG_PTR>(MessengerOp::Open),
                        static_cast<DWORD>(address.size()), const_cast<char*>(address.data())};
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(messenger, WM_COPYDATA, reinterpret_cast<WPARAM>(control_.hWnd()),
                               reinterpret_cast<LPARAM>(&open), SMTO_ABORTIFHUNG,
                               kMessengerTimeoutMs, &result))
        return 0;
    // Only a window of the messenger's own process is taken for its conversation.
    const HWND window = reinterpret_cast<HWND>(result);
    DWORD windowProcess = 0;
    if (!window || !::GetWindowThreadProcessId(window, &windowProcess) ||
        windowProcess != messengerProcess)
        return 0;
    return reinterpret_cast<std::intptr_t>(window);
}

DWORD Server::Connect(const void* source, com_ptr<IDispatch> sink) {
    const DWORD cookie = nextCookie_++;
    connections_.push_back(Connection{cookie, source, std::move(sink)});
    return cookie;
}

bool Server::Disconnect(const void* source, DWORD cookie) {
    return std::erase_if(connections_, [&](const Connection& c) {
               return c.cookie == cookie && c.source == source;
           }) != 0;
}

void Server::DisconnectAll(const void* source) {
    std::erase_if(connections_, [&](const Connection& c) { return c.source == source; });
}

void Server::TeardownWhenIdle() {
    if (control_.hWnd()) ::PostMessageW(control_.hWnd(), kTeardownMessage, 0, 0);
}

LRESULT ControlWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA && lp) {
        return server_.OnCopyData(reinterpret_cast<HWND>(wp),
                                  *reinterpret_cast<const COPYDATASTRUCT*>(lp));
    }
    if (msg == kMeetMessage) {
        server_.MeetMessenger();
        return 0;
    }
    if (msg == kTeardownMessage) {
        TeardownIfUnused(); // may destroy this object with its server: nothing of it is used after
        return 0;
    }
    return Default(msg, wp, lp);
}

LRESULT ConversationFrame::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
        ::CreateWindowExW(
            WS_EX_CLIENTEDGE, L"EDIT", L"",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
            0, 0, hWnd(), reinterpret_cast<HMENU>(kEditId), create->hInstance, nullptr);
        return 0;
    }
    case WM_SIZE:
        ::MoveWindow(::GetDlgItem(hWnd(), kEditId), 4, 4, LOWORD(lp) - 8, HIWORD(lp) - 8, TRUE);
        return 0;
    case WM_DESTROY:
        server_.ConversationWindowDestroyed(hWnd());
        return 0;
    default:
        return Default(msg, wp, lp);
    }
}

LRESULT Server::OnCopyData(HWND from, const COPYDATASTRUCT& data) {
    // Any program may send this: only a window of another thread gets an answer, so the
    // stand-in never answers itself (nor a window the bar's thread would have to serve).
    ReplyWindow to = ReplyWindow::None;
    if (from) {
        const DWORD thread = ::GetWindowThreadProcessId(from, nullptr);
        to = thread == 0                        ? ReplyWindow::Invalid
             : thread == ::GetCurrentThreadId() ? ReplyWindow::Own
                                                : ReplyWindow::Foreign;
    }
    std::optional<std::string_view> bytes;
    if (data.lpData || data.cbData == 0)
        bytes = std::string_view(static_cast<const char*>(data.lpData), data.cbData);

    ++busy_;
    struct Idle {
        int& busy;
        ~Idle() { --busy; }
    } idle{busy_};
    Answer answer = state.Take(data.dwData, bytes, to, *this);
    if (answer.reply) {
        std::string& text = *answer.reply;
        COPYDATASTRUCT reply{kReplyTag, static_cast<DWORD>(text.size()), text.data()};
        DWORD_PTR ignored = 0;
        // SMTO_BLOCK: no other request runs inside this one while it waits.
        ::SendMessageTimeoutW(from, WM_COPYDATA, reinterpret_cast<WPARAM>(control_.hWnd()),
                              reinterpret_cast<LPARAM>(&reply), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                              kAnswerTimeoutMs, &ignored);
    }
    return answer.result;
}

void Server::ConversationWindowDestroyed(HWND hwnd) {
    // Its object stays: this runs inside the window's own procedure.
    state.WindowClosed(reinterpret_cast<std::intptr_t>(hwnd));
}

std::intptr_t Server::OpenWindow(const Conversation& conversation) {
    std::erase_if(windows_, [](const auto& w) { return !w->hWnd(); }); // closed by the user
    std::wstring title;
    for (const auto& c : conversation.participants) {
        if (!title.empty()) title += L", ";
        title += Wide(c->address);
    }
    title += L" - Conversation";
    // Cascaded below the top of the screen, where the bar usually lies, so that each new
    // window can be seen coming up.
    const int step = 30 * static_cast<int>(windows_.size() % 10);
    auto frame = std::make_unique<ConversationFrame>(*this);
    if (!frame->Open(title, {60 + step, 120 + step}, TheModule().instance)) return 0;
    windows_.push_back(std::move(frame));
    return reinterpret_cast<std::intptr_t>(windows_.back()->hWnd());
}

void Server::CloseWindow(std::intptr_t window) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    const auto it = std::find_if(windows_.begin(), windows_.end(),
                                 [&](const auto& w) { return w->hWnd() == hwnd; });
    if (it == windows_.end()) return;
    // Out of the list before it goes. The window is destroyed with its object (its last
    // messages go to DefWindowProc), so the state hears of it here.
    std::unique_ptr<ConversationFrame> closing = std::move(*it);
    windows_.erase(it);
    closing.reset();
    state.WindowClosed(window);
}

void Server::BringForward(std::intptr_t window) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (::IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
    ::SetForegroundWindow(hwnd);
}

void Server::ShowText(std::intptr_t window, const ContactData& sender, const std::string& text) {
    const HWND edit = ::GetDlgItem(reinterpret_cast<HWND>(window), kEditId);
    if (!edit) return;
    const std::wstring line = Wide(sender.nickname) + L" says:\r\n    " + Wide(text) + L"\r\n";
    const int end = ::GetWindowTextLengthW(edit);
    ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

void Server::Raise(DISPID id, std::span<VARIANT> reversedArgs) {
    DISPPARAMS params{reversedArgs.data(), nullptr, static_cast<UINT>(reversedArgs.size()), 0};
    // A sink may disconnect, or connect others, while it handles the event.
    const std::vector<Connection> sinks = connections_;
    for (const auto& c : sinks) {
        if (SUCCEEDED(c.sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                     nullptr, nullptr, nullptr)))
            state.EventDelivered();
    }
}

void Server::RaiseText(const ConversationRef& session, const ContactRef& sender,
                       const std::string& header, const std::string& text) {
    EventArgs<5> args;
    args.Object(0, SessionObject(session));
    args.Object(1, ContactObject(sender));
    const std::wstring wideHeader = Wide(header);
    args.Text(2, std::u16string(wideHeader.begin(), wideHeader.end()));
    args.Text(3, messenger::ByteText(text)); // one character per UTF-8 byte
    args.EnableDefault(4);
    Raise(msgr::dispid::kOnTextReceived, args.Reversed());
}

void Server::RaiseStateChanged(const ContactRef& user, std::int32_t previous) {
    EventArgs<3> args;
    args.Object(0, ContactObject(user));
    args.Long(1, previous);
    args.EnableDefault(2);
    Raise(msgr::dispid::kOnUserStateChanged, args.Reversed());
}

void Server::RaiseUnreadMail(std::int32_t folder, std::int32_t count) {
    EventArgs<3> args;
    args.Long(0, folder);
    args.Long(1, count);
    args.EnableDefault(2);
    Raise(msgr::dispid::kOnUnreadEmailChanged, args.Reversed());
}

void ObjectCreated() {
    Module& module = TheModule();
    if (module.objects++ == 0 && !module.server) module.server = std::make_unique<Server>();
}

void ObjectDestroyed() {
    Module& module = TheModule();
    if (--module.objects != 0 || !module.server) return;
    if (module.server->Busy()) {
        module.server->TeardownWhenIdle();
    } else {
        module.server.reset();
    }
}

} // namespace msgrsim
