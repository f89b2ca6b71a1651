#pragma once
// One connection of the messenger to its server: the XMPP session driven over a socket and,
// after STARTTLS (or from the first byte), SChannel. Everything runs on the thread's message
// loop; what the session reports goes to IConnectionEvents.
#include <cstdint>
#include <memory>
#include <string>

#include "Reasons.h"
#include "Socket_win32.h"
#include "Tls_win32.h"
#include "xmpp/Crypto.h"
#include "xmpp/ReconnectPolicy.h"
#include "xmpp/Session.h"

namespace net {

class IConnectionEvents {
  public:
    virtual ~IConnectionEvents() = default;
    // Every event of the session but its end.
    virtual void OnSessionEvent(const xmpp::SessionEvent& e) = 0;
    // The connection ended, once, with the words a user reads and whether trying again could
    // help.
    virtual void OnEnded(const std::string& words, xmpp::ReconnectPolicy::Failure failure) = 0;
};

struct ConnectionConfig {
    std::string address; // user@domain
    std::string password;
    std::string resource;
    std::string host; // the server to connect to, and its port
    std::uint16_t port = 5222;
    bool directTls = false;
};

class Connection : private ISocketEvents {
  public:
    static constexpr unsigned kSignInTimeoutMs = 30'000;
    // How often a signed-in session's clock moves on.
    static constexpr unsigned kTickMs = 5'000;

    Connection(xmpp::ICrypto& crypto, IConnectionEvents& events);
    ~Connection() override;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects and signs in; the outcome comes as events, and one that cannot even start
    // (no address to try) ends at once in OnEnded.
    void Start(const ConnectionConfig& config);
    // After the connection ended: connects again to that server with the same session, which
    // resumes the stream when the server still holds it, and otherwise signs in again with the
    // texts the server never acknowledged.
    void Reconnect(const std::string& host, std::uint16_t port, bool directTls);
    // A chat message to a contact; false when not signed in.
    bool SendText(const std::string& to, const std::string& body);
    // Signs out: the stream is closed and the socket with it.
    void Close();
    bool SignedIn() const;

  private:
    void OnConnected() override;
    void OnReadable() override;
    void OnClosed(bool wasConnected) override;
    void OnTimer() override;

    // The TLS handshake's first bytes out; false when it cannot begin (the connection failed).
    bool StartTls();
    void FromServer(std::string_view plain);
    void Handle(std::vector<xmpp::SessionEvent>& events);
    void Flush();
    void Connect();
    void Fail(const std::string& words,
              xmpp::ReconnectPolicy::Failure failure = xmpp::ReconnectPolicy::Failure::Transient);
    void Fail(NetFailure failure);

    xmpp::ICrypto& crypto_;
    IConnectionEvents& events_;
    ConnectionConfig config_;
    std::string domain_;
    AsyncSocket socket_;
    std::unique_ptr<xmpp::Session> session_;
    std::unique_ptr<TlsClient> tls_;
    bool ended_ = true;
};

} // namespace net
