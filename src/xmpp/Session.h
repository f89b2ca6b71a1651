#pragma once
// The client side of an XMPP session, without I/O: fed the bytes that arrive (and the time, by
// the caller's clock), it hands back the bytes to send and events. TLS is the caller's: after
// the server's <proceed/> the session asks for the handshake and waits for TlsUp(). The rules
// it keeps are in docs/xmpp.md.
#include <cstddef>
#include <cstdint>
#include <deque>
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
    NoAnswer, // nothing came from the server within the keepalive's bound: "The server stopped
              // answering."; the connection is presumed dead, so no close is sent and the
              // session may still be resumed
    BadAck,   // the server acknowledged more stanzas than were sent to it
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
    bool resumed = false;               // SignedIn: the previous stream resumed, nothing missed
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
    // Texts (and our presences) sent but not yet acknowledged that are kept for resending.
    static constexpr std::size_t kMaxUnacked = 256;
    static constexpr std::size_t kMaxSentBody = 65'536;
    static constexpr std::size_t kMaxResumeId = 1024;
    // After this long with nothing from the server a ping goes out (an ack request when stream
    // management is on); the server has kAnswerMs to send anything at all.
    static constexpr std::uint64_t kQuietMs = 60'000;
    static constexpr std::uint64_t kAnswerMs = 30'000;

    Session(ICrypto& crypto, SessionConfig config);

    // Opens the stream.
    void Start(std::vector<SessionEvent>& events);
    // Reads bytes that arrived, at `nowMs` by the caller's clock.
    void Receive(std::string_view bytes, std::uint64_t nowMs, std::vector<SessionEvent>& events);
    // The TLS handshake the session asked for is done: the stream starts again over it.
    void TlsUp();
    // Ends the session from our side.
    void Close(std::vector<SessionEvent>& events);
    // The caller's clock moved on (a timer's tick): the keepalive, and after a sign-in that
    // followed a lost connection, the contacts whose state changed meanwhile.
    void Tick(std::uint64_t nowMs, std::vector<SessionEvent>& events);
    // Sends a chat message. False, and nothing sent, when not signed in, when the body is empty,
    // longer than kMaxSentBody or not text, when `to` is no address, or when kMaxUnacked texts
    // wait for the server's acknowledgement (an ack request goes out instead).
    bool SendText(std::string_view to, std::string_view body);
    // For a new connection after the old one was lost: back to Idle for Start(), keeping the
    // contacts, the texts the server has not acknowledged and, unless the session ended in a way
    // that ends the server's session too, what resuming the stream needs.
    void Reset(bool directTls);
    // The bytes to send since the last call.
    std::string TakeOutput();

    SessionState State() const { return state_; }
    EndReason Reason() const { return reason_; }
    const std::string& BoundJid() const { return boundJid_; }
    std::vector<Contact> Contacts() const;
    // Stream management: the stanzas kept until acknowledged, the stanzas handled from the
    // server, and whether a Reset() session would try resuming.
    std::size_t Unacked() const { return unacked_.size(); }
    std::uint32_t Handled() const { return handled_; }
    bool Resumable() const { return !resumeId_.empty(); }

  private:
    struct Entry {
        std::string rosterName;
        std::string publishedNick;
        std::set<std::string> resources;
        bool reported = false; // online, as the events last told the caller
    };
    struct Pending {
        std::uint32_t seq; // its number in the outbound count
        std::string stanza;
        bool text;
    };

    void OpenStream();
    void Send(const Element& e);
    void SendStanza(std::string stanza, bool keep, bool text);
    void Bind();
    void OnSm(const Element& e);
    // The server's count of our stanzas: false, and the stream ended, when beyond what was sent.
    bool Acknowledge(std::string_view h);
    // Resumption is off: counts start again and the unacknowledged texts wait to be resent once.
    void DropResumption();
    // The end of the sign-in window after a lost connection: the changes that happened meanwhile.
    void Settle();
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
    std::unique_ptr<ScramClient> scram_;
    std::string boundJid_;
    std::string bareJid_;
    std::map<std::string, Entry> contacts_; // by bare JID
    std::uint64_t now_ = 0;
    std::uint64_t signedInAt_ = 0;
    // Stream management.
    std::string resumeId_;
    std::string enabledId_; // the id <enabled/> gave, until the stream signs in
    std::deque<Pending> unacked_;
    std::vector<std::string> resend_; // texts to send once after the next full sign-in
    // Keepalive.
    std::uint64_t heardAt_ = 0;
    std::uint64_t pingAt_ = 0;
    SessionState state_ = SessionState::Idle;
    EndReason reason_ = EndReason::None;
    std::uint32_t streams_ = 0; // streams opened, so that a restart stops the old one's events
    std::uint32_t sent_ = 0;    // our stanzas since <enable/>, modulo 2^32 as the server counts
    std::uint32_t acked_ = 0;   // the server's last count of them
    std::uint32_t handled_ = 0; // the server's stanzas since <enabled/>
    std::uint32_t texts_ = 0;   // for the ids of our messages
    bool tls_ = false;
    bool authenticated_ = false;
    bool serverVerified_ = false;
    bool signedInBefore_ = false; // contacts known from an earlier connection
    bool settling_ = false;       // their changes are reported at the sign-in window's end
    bool smOffered_ = false;      // the current stream's features
    bool bindOffered_ = false;
    bool smOn_ = false;      // <enable/> sent: our stanzas counted
    bool smInbound_ = false; // <enabled/> received: the server's stanzas counted
    bool resuming_ = false;  // <resume/> sent
    bool heard_ = false;     // heardAt_ is set
    bool pinging_ = false;
    std::vector<SessionEvent>* events_ = nullptr;
};

} // namespace xmpp
