#pragma once
// The messenger's wiring: the account, the connection and its reconnects, the conversation
// windows, the notification-area icon, and the link that keeps every stand-in true to the
// session. One per user session; everything runs on the one thread's message loop.
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Account.h"
#include "Bridge.h"
#include "ConversationWindow_win32.h"
#include "MessengerTray_win32.h"
#include "StandInLink_win32.h"
#include "kit/Window_win32.h"
#include "net/Connection_win32.h"
#include "net/ServerList.h"
#include "xmpp/Crypto_win32.h"
#include "xmpp/ReconnectPolicy.h"

namespace im {

class MessengerApp final : public gb::Window,
                           private net::IConnectionEvents,
                           private IStandInCalls,
                           private IConversationOwner,
                           private ITrayCommands {
  public:
    explicit MessengerApp(HINSTANCE instance);
    ~MessengerApp() override;
    // The windows, the first word to the stand-ins, and a sign-in when the account asks for
    // one (or the sign-in dialog when there is no account yet). False when the windows could
    // not be made.
    bool Start();

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    // net::IConnectionEvents
    void OnSessionEvent(const xmpp::SessionEvent& e) override;
    void OnEnded(const std::string& words, xmpp::ReconnectPolicy::Failure failure) override;
    // IStandInCalls
    std::vector<msgrsim::Request> Snapshot() const override { return bridge_.Snapshot(); }
    HWND OpenConversation(const std::string& address) override;
    // IConversationOwner
    bool SendReply(const std::string& jid, const std::string& text) override;
    void ConversationClosed(const std::string& jid) override;
    // ITrayCommands
    void SignIn() override;
    void SignOut() override;
    void EditAccount() override;
    void Exit() override;

    // Asks for the account; true when the user gave one (stored) and the password is known.
    bool AskAccount(const std::string& error);
    void Connect();
    // The next attempt after `delay` ms (0: at once), on the same session.
    void ScheduleReconnect(std::optional<std::uint64_t> delay);
    ConversationWindow* Conversation(const std::string& jid, bool inFront);
    void Tell(const std::vector<msgrsim::Request>& requests) { link_.Broadcast(requests); }

    HINSTANCE instance_;
    xmpp::BcryptCrypto crypto_;
    net::Connection connection_{crypto_, *this};
    Bridge bridge_;
    StandInLink link_{*this};
    MessengerTray tray_{*this};
    xmpp::ReconnectPolicy policy_;
    std::optional<Account> account_;
    std::string password_; // only when the user chose not to remember it; wiped on exit
    std::vector<net::Endpoint> servers_;
    std::size_t server_ = 0; // the one tried now
    bool started_ = false;   // a session was started since the last sign-out
    bool signingOut_ = false;
    bool asking_ = false; // the sign-in dialog is open
    // The machine's addresses changed: a connection that failed may work at once now.
    void WatchNetwork();
    HANDLE networkChanged_ = nullptr; // signalled by NotifyAddrChange
    HANDLE networkWait_ = nullptr;
    OVERLAPPED networkOverlapped_{};
    std::map<std::string, std::unique_ptr<ConversationWindow>> conversations_;
    // Closed by the user inside their own message: destroyed once that message is done.
    std::vector<std::unique_ptr<ConversationWindow>> closed_;
};

// The value that starts the messenger when the user signs in to Windows, while the account
// asks to sign in at start: "Glidebanner Messenger" under HKCU\...\CurrentVersion\Run.
void SetStartAtSignIn(bool on);

} // namespace im
