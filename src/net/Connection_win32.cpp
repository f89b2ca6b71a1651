#include "Connection_win32.h"

#include <utility>
#include <vector>

namespace net {

namespace {
// Reads per readable notice: Winsock posts another while data remains, so one notice never
// holds the loop for long.
constexpr int kReadsPerNotice = 4;
} // namespace

Connection::Connection(xmpp::ICrypto& crypto, IConnectionEvents& events)
    : crypto_(crypto), events_(events), socket_(*this) {}

Connection::~Connection() { socket_.Close(); }

void Connection::Start(const ConnectionConfig& config) {
    socket_.Close();
    config_ = config;
    const std::size_t at = config.address.find('@');
    domain_ = at == std::string::npos ? config.address : config.address.substr(at + 1);
    session_ = std::make_unique<xmpp::Session>(
        crypto_,
        xmpp::SessionConfig{config.address, config.password, config.resource, config.directTls});
    config_.password.clear(); // the session holds the one copy
    Connect();
}

void Connection::Reconnect(const std::string& host, std::uint16_t port, bool directTls) {
    if (!session_) return;
    socket_.Close();
    config_.host = host;
    config_.port = port;
    config_.directTls = directTls;
    session_->Reset(directTls);
    Connect();
}

void Connection::Connect() {
    tls_.reset();
    ended_ = false;
    if (!socket_.Connect(config_.host, config_.port)) {
        Fail(NetFailure::CannotReach);
        return;
    }
    socket_.StartTimer(kSignInTimeoutMs);
}

bool Connection::SignedIn() const {
    return !ended_ && session_ && session_->State() == xmpp::SessionState::SignedIn;
}

bool Connection::SendText(const std::string& to, const std::string& body) {
    if (!SignedIn() || !session_->SendText(to, body)) return false;
    Flush();
    return true;
}

void Connection::Close() {
    if (ended_ || !session_) return;
    std::vector<xmpp::SessionEvent> events;
    session_->Close(events);
    Handle(events);
}

bool Connection::StartTls() {
    tls_ = std::make_unique<TlsClient>(domain_);
    std::string out;
    if (tls_->Start(out) == TlsClient::Status::Failed) {
        Fail(tls_->Failure());
        return false;
    }
    socket_.Send(out);
    return true;
}

void Connection::OnConnected() {
    if (config_.directTls) {
        StartTls();
        return;
    }
    std::vector<xmpp::SessionEvent> events;
    session_->Start(events);
    Handle(events);
}

void Connection::OnReadable() {
    for (int i = 0; i < kReadsPerNotice && !ended_; ++i) {
        std::string bytes;
        if (!socket_.Receive(bytes)) return;
        if (!tls_) {
            FromServer(bytes);
            continue;
        }
        const bool wasUp = tls_->IsUp();
        std::string out, plain;
        const TlsClient::Status s = tls_->Feed(bytes, out, plain);
        if (!out.empty()) socket_.Send(out);
        if (s == TlsClient::Status::Failed) {
            Fail(tls_->Failure());
            return;
        }
        if (s == TlsClient::Status::Closed) {
            Fail(NetFailure::Lost);
            return;
        }
        if (!wasUp && tls_->IsUp()) {
            // The certificate is valid: only now does the stream (and the password) go over it.
            std::vector<xmpp::SessionEvent> events;
            if (config_.directTls)
                session_->Start(events);
            else
                session_->TlsUp();
            Handle(events);
        }
        if (!plain.empty()) FromServer(plain);
    }
}

void Connection::FromServer(std::string_view plain) {
    if (ended_) return;
    std::vector<xmpp::SessionEvent> events;
    session_->Receive(plain, ::GetTickCount64(), events);
    Handle(events);
}

void Connection::Handle(std::vector<xmpp::SessionEvent>& events) {
    Flush();
    for (const xmpp::SessionEvent& e : events) {
        if (ended_) return;
        switch (e.kind) {
        case xmpp::SessionEvent::Kind::StartTls:
            if (!StartTls()) return;
            break;
        case xmpp::SessionEvent::Kind::SignedIn:
            // The sign-in's time limit gives way to the session's clock: its keepalive and the
            // end of its sign-in window.
            socket_.StartTimer(kTickMs);
            events_.OnSessionEvent(e);
            break;
        case xmpp::SessionEvent::Kind::Ended:
            Fail(EndWords(e.reason, domain_, e.text), xmpp::ReconnectPolicy::FailureOf(e.reason));
            return;
        default:
            events_.OnSessionEvent(e);
            break;
        }
    }
}

void Connection::Flush() {
    if (!session_) return;
    const std::string out = session_->TakeOutput();
    if (out.empty()) return;
    bool sent = false;
    if (tls_) {
        std::string record;
        sent = tls_->Encrypt(out, record) && socket_.Send(record);
    } else {
        sent = socket_.Send(out);
    }
    if (!sent && !ended_) Fail(NetFailure::Lost);
}

void Connection::OnClosed(bool wasConnected) {
    if (ended_) return;
    Fail(wasConnected ? NetFailure::Lost : NetFailure::CannotReach);
}

void Connection::OnTimer() {
    if (ended_) return;
    if (!SignedIn()) {
        Fail(NetFailure::TimedOut);
        return;
    }
    std::vector<xmpp::SessionEvent> events;
    session_->Tick(::GetTickCount64(), events);
    Handle(events);
}

void Connection::Fail(NetFailure failure) {
    // A certificate, or a server that will not speak TLS 1.2, stays as it is until the user acts.
    const bool needsUser =
        failure == NetFailure::OldTls || failure == NetFailure::CertNotForDomain ||
        failure == NetFailure::CertUntrusted || failure == NetFailure::CertExpired ||
        failure == NetFailure::CertRevoked || failure == NetFailure::CertInvalid;
    Fail(FailureWords(failure, domain_), needsUser ? xmpp::ReconnectPolicy::Failure::NeedsUser
                                                   : xmpp::ReconnectPolicy::Failure::Transient);
}

void Connection::Fail(const std::string& words, xmpp::ReconnectPolicy::Failure failure) {
    if (ended_) return;
    ended_ = true;
    socket_.Close();
    events_.OnEnded(words, failure);
}

} // namespace net
