#include "MessengerApp_win32.h"

#include <iphlpapi.h>

#include <random>
#include <utility>

#include "SignInDialog_win32.h"
#include "SimState.h"
#include "net/Credentials_win32.h"
#include "net/SrvLookup_win32.h"

namespace im {
namespace {

constexpr wchar_t kAppClass[] = L"GlidebannerMessengerApp";
constexpr UINT_PTR kReconnectTimer = 1;
constexpr UINT kReleaseClosed = WM_APP + 1;
constexpr UINT kNetworkChanged = WM_APP + 2;
constexpr char kResource[] = "glidebanner";

std::uint32_t Random() {
    static std::mt19937 generator{std::random_device{}()};
    return static_cast<std::uint32_t>(generator());
}

void CALLBACK NetworkChangedOnPool(void* window, BOOLEAN) {
    ::PostMessageW(static_cast<HWND>(window), kNetworkChanged, 0, 0);
}

std::string Domain(const std::string& address) { return address.substr(address.find('@') + 1); }

} // namespace

void SetStartAtSignIn(bool on) {
    HKEY run = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                          0, nullptr, 0, KEY_SET_VALUE, nullptr, &run, nullptr) != ERROR_SUCCESS)
        return;
    if (on) {
        std::wstring path(MAX_PATH, L'\0');
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            path.resize(n);
            const std::wstring command = L"\"" + path + L"\"";
            ::RegSetValueExW(run, L"Glidebanner Messenger", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>(command.size() + 1) * DWORD{sizeof(wchar_t)});
        }
    } else {
        ::RegDeleteValueW(run, L"Glidebanner Messenger");
    }
    ::RegCloseKey(run);
}

MessengerApp::MessengerApp(HINSTANCE instance) : instance_(instance), policy_(Random) {}

MessengerApp::~MessengerApp() {
    if (networkWait_) ::UnregisterWaitEx(networkWait_, INVALID_HANDLE_VALUE);
    if (networkChanged_) {
        ::CancelIPChangeNotify(&networkOverlapped_);
        ::CloseHandle(networkChanged_);
    }
    ::SecureZeroMemory(password_.data(), password_.size());
    Destroy();
}

bool MessengerApp::Start() {
    gb::Window::RegisterClass(instance_, kAppClass);
    // A hidden top-level window: the power and session broadcasts reach only those.
    if (!Create(0, kAppClass, L"Glidebanner Messenger", WS_POPUP, {}, nullptr, 0, instance_) ||
        !link_.Create(instance_) || !tray_.Create(instance_))
        return false;
    WatchNetwork();
    // Programs that attached before the messenger ran learn that it is here, signed out.
    Tell(bridge_.Snapshot());
    account_ = LoadAccount();
    if (!account_) {
        if (AskAccount({})) SignIn();
        return true;
    }
    if (account_->signInAtStart) SignIn();
    return true;
}

bool MessengerApp::AskAccount(const std::string& error) {
    // One dialog at a time: the icon's menu still works while it is open.
    if (asking_) return false;
    asking_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{asking_};
    const Account current = account_.value_or(Account{});
    const bool stored =
        account_ && account_->rememberPassword && net::ReadPassword(account_->address).has_value();
    std::optional<SignInChoice> choice =
        im::AskAccount(instance_, nullptr, current, stored || !password_.empty(), error);
    if (!choice) return false;
    if (account_ && account_->address != choice->account.address) {
        net::ForgetPassword(account_->address);
        ::SecureZeroMemory(password_.data(), password_.size());
        password_.clear();
    }
    account_ = choice->account;
    SaveAccount(*account_);
    SetStartAtSignIn(account_->signInAtStart);
    if (!choice->password.empty()) {
        ::SecureZeroMemory(password_.data(), password_.size());
        password_.clear();
        if (account_->rememberPassword)
            net::StorePassword(account_->address, choice->password);
        else
            password_ = choice->password;
        ::SecureZeroMemory(choice->password.data(), choice->password.size());
    }
    if (!account_->rememberPassword) {
        net::ForgetPassword(account_->address);
    } else if (!password_.empty()) {
        net::StorePassword(account_->address, password_);
        ::SecureZeroMemory(password_.data(), password_.size());
        password_.clear();
    }
    policy_.UserActed();
    return true;
}

void MessengerApp::SignIn() {
    if (!account_) {
        if (!AskAccount({})) return;
    }
    std::optional<std::string> password =
        account_->rememberPassword ? net::ReadPassword(account_->address) : std::nullopt;
    if (!password && !password_.empty()) password = password_;
    if (!password) {
        if (!AskAccount("Enter your password to sign in.")) return;
        SignIn();
        return;
    }
    servers_.clear();
    if (!account_->server.empty()) {
        servers_.push_back(
            {account_->server, account_->port ? account_->port : net::kDefaultPort, false});
    } else {
        net::DnsSrvLookup dns;
        servers_ = net::ServersFor(Domain(account_->address), dns, [](std::uint32_t total) {
            return total ? Random() % (total + 1) : 0;
        });
    }
    if (servers_.empty()) {
        tray_.Show(TrayState::CannotConnect,
                   "The domain " + Domain(account_->address) + " offers no messaging service.");
        return;
    }
    server_ = 0;
    signingOut_ = false;
    started_ = true;
    ::KillTimer(hWnd(), kReconnectTimer);
    tray_.Show(TrayState::SigningIn);
    net::ConnectionConfig config;
    config.address = account_->address;
    config.password = std::move(*password);
    config.resource = kResource;
    config.host = servers_[0].host;
    config.port = servers_[0].port;
    config.directTls = servers_[0].directTls;
    connection_.Start(config);
    ::SecureZeroMemory(config.password.data(), config.password.size());
}

void MessengerApp::Connect() {
    const net::Endpoint& at = servers_[server_ % servers_.size()];
    tray_.Show(TrayState::SigningIn);
    connection_.Reconnect(at.host, at.port, at.directTls);
}

void MessengerApp::ScheduleReconnect(std::optional<std::uint64_t> delay) {
    ::KillTimer(hWnd(), kReconnectTimer);
    if (!delay || !started_ || signingOut_) return;
    ::SetTimer(hWnd(), kReconnectTimer, static_cast<UINT>(std::max<std::uint64_t>(*delay, 1)),
               nullptr);
}

void MessengerApp::SignOut() {
    signingOut_ = true;
    started_ = false;
    ::KillTimer(hWnd(), kReconnectTimer);
    connection_.Close();
    Tell(bridge_.SignedOut());
    tray_.Show(TrayState::SignedOut);
}

void MessengerApp::EditAccount() {
    if (!AskAccount({})) return;
    SignOut();
    SignIn();
}

void MessengerApp::Exit() {
    SignOut();
    for (auto& [jid, window] : conversations_)
        Tell({bridge_.Window(jid, 0)});
    conversations_.clear();
    ::PostQuitMessage(0);
}

void MessengerApp::OnSessionEvent(const xmpp::SessionEvent& e) {
    using Kind = xmpp::SessionEvent::Kind;
    bool inWindow = true;
    switch (e.kind) {
    case Kind::SignedIn:
        policy_.SignedIn(::GetTickCount64());
        tray_.Show(TrayState::SignedIn);
        break;
    case Kind::TextReceived:
        // With no room for another window the bar still shows the text.
        if (ConversationWindow* window = Conversation(e.jid, false))
            window->AddReceived(e.text, std::time(nullptr));
        else
            inWindow = false;
        break;
    default:
        break;
    }
    Tell(bridge_.OnEvent(e, inWindow));
    if (e.kind == Kind::ContactChanged)
        if (auto open = conversations_.find(e.jid); open != conversations_.end())
            open->second->SetNickname(bridge_.Nickname(e.jid));
}

void MessengerApp::OnEnded(const std::string& words, xmpp::ReconnectPolicy::Failure failure) {
    Tell(bridge_.SignedOut());
    if (signingOut_ || !started_) {
        tray_.Show(TrayState::SignedOut);
        return;
    }
    tray_.Show(TrayState::CannotConnect, words);
    // The next of the domain's servers at once before waiting on the first again.
    if (failure == xmpp::ReconnectPolicy::Failure::Transient && server_ + 1 < servers_.size() &&
        !connection_.SignedIn()) {
        ++server_;
        ScheduleReconnect(0);
        return;
    }
    server_ = 0;
    ScheduleReconnect(policy_.Failed(failure, ::GetTickCount64()));
}

void MessengerApp::WatchNetwork() {
    if (!networkChanged_) {
        networkChanged_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!networkChanged_) return;
        // The wait runs on a pool thread, which only posts to this window's thread.
        ::RegisterWaitForSingleObject(&networkWait_, networkChanged_, NetworkChangedOnPool, hWnd(),
                                      INFINITE, WT_EXECUTEDEFAULT);
    }
    networkOverlapped_ = {};
    networkOverlapped_.hEvent = networkChanged_;
    HANDLE ignored = nullptr;
    ::NotifyAddrChange(&ignored, &networkOverlapped_); // without it, only the timers reconnect
}

ConversationWindow* MessengerApp::Conversation(const std::string& jid, bool inFront) {
    if (auto open = conversations_.find(jid); open != conversations_.end()) {
        if (inFront) open->second->BringForward();
        return open->second.get();
    }
    // Anyone may write, and anything on the desktop may ask: the windows are bounded, as the
    // stand-in's conversations are.
    if (conversations_.size() >= msgrsim::kMaxConversations) return nullptr;
    auto window = std::make_unique<ConversationWindow>(static_cast<IConversationOwner&>(*this), jid,
                                                       bridge_.Nickname(jid));
    if (!window->Open(instance_, inFront)) return nullptr;
    ConversationWindow* made = window.get();
    conversations_.emplace(jid, std::move(window));
    Tell({bridge_.Window(jid, reinterpret_cast<std::intptr_t>(made->hWnd()))});
    return made;
}

HWND MessengerApp::OpenConversation(const std::string& address) {
    ConversationWindow* window = Conversation(address, true);
    return window ? window->hWnd() : nullptr;
}

bool MessengerApp::SendReply(const std::string& jid, const std::string& text) {
    return connection_.SendText(jid, text);
}

void MessengerApp::ConversationClosed(const std::string& jid) {
    auto open = conversations_.find(jid);
    if (open == conversations_.end()) return;
    Tell({bridge_.Window(jid, 0)});
    closed_.push_back(std::move(open->second));
    conversations_.erase(open);
    ::PostMessageW(hWnd(), kReleaseClosed, 0, 0);
}

LRESULT MessengerApp::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == kReconnectTimer) {
            ::KillTimer(hWnd(), kReconnectTimer);
            if (started_ && !signingOut_ && !connection_.SignedIn()) Connect();
        }
        return 0;
    case WM_POWERBROADCAST:
        if (wp == PBT_APMRESUMEAUTOMATIC && started_ && !connection_.SignedIn())
            ScheduleReconnect(policy_.WokeFromSleep());
        return TRUE;
    case kNetworkChanged:
        WatchNetwork();
        if (started_ && !signingOut_ && !connection_.SignedIn())
            ScheduleReconnect(policy_.NetworkChanged());
        return 0;
    case kReleaseClosed:
        closed_.clear();
        return 0;
    case WM_ENDSESSION:
        if (wp) Exit();
        return 0;
    case WM_CLOSE:
        // Closing the hidden window (as an installer may) ends the messenger, not only the window.
        Exit();
        return 0;
    default:
        return Default(msg, wp, lp);
    }
}

} // namespace im
