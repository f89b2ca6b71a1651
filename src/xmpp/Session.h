#pragma once
// The client side of an XMPP session, without I/O: fed the bytes that arrive (and the time, by
// the caller's clock), it hands back the bytes to send and events. TLS is the caller's: after
// the server's <proceed/> the session asks for the handshake and waits for TlsUp(). The rules
// it keeps are in docs/xmpp.md.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Crypto.h"
#include "Element.h"
#include "Scram.h"
#include "StreamParser.h"

namespace xmpp {

struct SessionConfig {
    std::string address; // the account's bare JID, user@domain
    std::string password;
    std::string resource;
    bool directTls = false; // the connection was TLS from its first byte
};

enum class SessionState {
    Idle,           // not started
    Negotiating,    // stream open, waiting for features or the server's answer
    TlsHandshake,   // the caller runs the TLS handshake, then calls TlsUp()
    Authenticating, // SASL under way
    Binding,        // resource binding, then the roster
    SignedIn,
    Ended, // see EndReason; nothing more is sent or reported
};

enum class EndReason {
    None,
    BadAddress,   // the configured address is not user@domain
    NoEncryption, // the server offers no STARTTLS and the connection is not TLS
    TlsRefused,   // the server answered STARTTLS with <failure/>
    NoMechanism,  // no SASL mechanism the session accepts
    WrongPassword,
    AuthFailed,         // another SASL failure, or a SCRAM exchange that does not parse
    BadServerSignature, // the server did not prove it knows the password
    BindFailed,
    StreamError, // the server's <stream:error>; its condition in the event's text
    BadXml,      // the stream is not XML a server may send
    Protocol,    // something out of order: no features where they belong, a wrong root
    Closed,      // the server closed the stream
    ClosedByUs,
};

struct Contact {
    std::string jid; // bare
    std::string nickname;
    bool online = false;
    bool operator==(const Contact&) const = default;
};

struct SessionEvent {
    enum class Kind { StartTls, SignedIn, ContactChanged, TextReceived, StanzaError, Ended };
    Kind kind = Kind::Ended;
    std::string jid;      // the contact, the sender (bare), or the failing stanza's sender
    std::string nickname; // ContactChanged, TextReceived
    std::string text;     // the body; an error's condition and words
    std::string font;     // XHTML-IM font family and colour, empty when the message has none
    std::string colour;
    bool online = false;                // ContactChanged
    bool withSignIn = false;            // ContactChanged: came with sign-in, no sign-in line
    EndReason reason = EndReason::None; // Ended
    std::vector<Contact> roster;        // SignedIn
    bool operator==(const SessionEvent&) const = default;
};

class Session {
  public:
    static constexpr std::size_t kMaxContacts = 10'000;
    static constexpr std::size_t kMaxResources = 32; // available resources kept per contact
    static constexpr std::size_t kMaxJid = 3071;     // three parts of 1023 bytes each
    static constexpr std::size_t kMaxNickname = 256;
    static constexpr std::size_t kMaxBody = 4096;
    static constexpr std::size_t kMaxErrorText = 512;
    static constexpr std::size_t kMaxStyle = 64; // a font family or colour
    // Presences within this long after initial presence came with sign-in.
    static constexpr std::uint64_t kSignInWindowMs = 5000;

    Session(ICrypto& crypto, SessionConfig config);

    // Opens the stream.
    void Start(std::vector<SessionEvent>& events);
    // Reads bytes that arrived, at `nowMs` by the caller's clock.
    void Receive(std::string_view bytes, std::uint64_t nowMs, std::vector<SessionEvent>& events);
    // The TLS handshake the session asked for is done: the stream starts again over it.
    void TlsUp();
    // Ends the session from our side.
    void Close(std::vector<SessionEvent>& events);
    // A chat message with this body to `to`; false (nothing sent) unless signed in.
    bool SendText(std::string_view to, std::string_view body);
    // The bytes to send since the last call.
    std::string TakeOutput();

    SessionState State() const { return state_; }
    EndReason Reason() const { return reason_; }
    const std::string& BoundJid() const { return boundJid_; }
    std::vector<Contact> Contacts() const;

  private:
    struct Entry {
        std::string rosterName;
        std::string publishedNick;
        std::set<std::string> resources;
    };

    void OpenStream();
    void Send(const Element& e);
    void End(EndReason reason, std::string text = {});
    void OnStanza(const Element& e);
    void OnFeatures(const Element& e);
    void OnSasl(const Element& e);
    // A stanza of type error, reported with its sender and condition.
    void EmitStanzaError(const Element& e);
    void OnIq(const Element& e);
    void OnPresence(const Element& e);
    void OnMessage(const Element& e, bool carbon);
    void ReadRoster(const Element& query, bool push);
    Contact Describe(const std::string& jid, const Entry& entry) const;
    bool FromAccount(const Element& e) const;
    void Emit(SessionEvent e) { events_->push_back(std::move(e)); }

    ICrypto& crypto_;
    SessionConfig config_;
    std::string local_;
    std::string domain_;
    StreamParser parser_;
    std::string out_;
    SessionState state_ = SessionState::Idle;
    EndReason reason_ = EndReason::None;
    bool tls_ = false;
    bool authenticated_ = false;
    std::unique_ptr<ScramClient> scram_;
    bool serverVerified_ = false;
    std::string boundJid_;
    std::string bareJid_;
    std::map<std::string, Entry> contacts_; // by bare JID
    std::uint32_t streams_ = 0; // streams opened, so that a restart stops the old one's events
    std::uint64_t now_ = 0;
    std::uint64_t signedInAt_ = 0;
    std::vector<SessionEvent>* events_ = nullptr;
};

} // namespace xmpp
