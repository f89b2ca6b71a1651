#include "Session.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "Base64.h"

namespace xmpp {

namespace {

constexpr std::string_view kClient = "jabber:client";
constexpr std::string_view kTls = "urn:ietf:params:xml:ns:xmpp-tls";
constexpr std::string_view kSasl = "urn:ietf:params:xml:ns:xmpp-sasl";
constexpr std::string_view kBind = "urn:ietf:params:xml:ns:xmpp-bind";
constexpr std::string_view kStanzas = "urn:ietf:params:xml:ns:xmpp-stanzas";
constexpr std::string_view kStreams = "urn:ietf:params:xml:ns:xmpp-streams";
constexpr std::string_view kRoster = "jabber:iq:roster";
constexpr std::string_view kPing = "urn:xmpp:ping";
constexpr std::string_view kCarbons = "urn:xmpp:carbons:2";
constexpr std::string_view kForward = "urn:xmpp:forward:0";
constexpr std::string_view kNick = "http://jabber.org/protocol/nick";
constexpr std::string_view kXhtmlIm = "http://jabber.org/protocol/xhtml-im";
constexpr std::string_view kXhtml = "http://www.w3.org/1999/xhtml";
constexpr std::string_view kSm = "urn:xmpp:sm:3";
constexpr std::string_view kAckRequest = "<r xmlns='urn:xmpp:sm:3'/>";

constexpr std::string_view kBindId = "bind";
constexpr std::string_view kRosterId = "roster";
constexpr std::string_view kCarbonsId = "carbons";
constexpr std::string_view kKeepaliveId = "keepalive";

bool IsStanza(const Element& e) {
    return e.ns == kClient && (e.name == "message" || e.name == "presence" || e.name == "iq");
}

// Strict UTF-8 of characters XML allows, so that what we send is a stream the server accepts.
bool XmlText(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80         ? 1
                              : (b >> 5) == 6  ? 2
                              : (b >> 4) == 14 ? 3
                              : (b >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size()) return false;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = (c << 6) | (t & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE ||
            c == 0xFFFF || (c < 0x20 && c != '\t' && c != '\n' && c != '\r'))
            return false;
        i += n;
    }
    return true;
}

// Time since `then`; none when the caller's clock went back.
std::uint64_t Since(std::uint64_t now, std::uint64_t then) { return now >= then ? now - then : 0; }

// A stream-management count: a plain decimal below 2^32.
std::optional<std::uint32_t> ParseCount(std::string_view h) {
    if (h.empty() || h.size() > 10) return std::nullopt;
    std::uint64_t v = 0;
    for (const char c : h) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

// At most `max` bytes, cut where a character starts (the parser hands over valid UTF-8).
std::string Bounded(std::string_view s, std::size_t max) {
    if (s.size() <= max) return std::string(s);
    std::size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return std::string(s.substr(0, n));
}

std::string_view AttrOr(const Element& e, std::string_view name) {
    const std::string* v = e.Attr(name);
    return v ? std::string_view(*v) : std::string_view();
}

// The bare JID, ASCII-lowercased, or empty when it is not one a contact can have.
std::string Bare(std::string_view jid) {
    jid = jid.substr(0, jid.find('/'));
    if (jid.empty() || jid.size() > Session::kMaxJid) return {};
    std::string out(jid);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

std::string_view Resource(std::string_view jid) {
    const std::size_t slash = jid.find('/');
    return slash == std::string_view::npos ? std::string_view() : jid.substr(slash + 1);
}

Element Make(std::string_view name, std::string_view ns) {
    Element e;
    e.name = name;
    e.ns = ns;
    return e;
}

// The first defined condition of an error element, and its text if any.
std::string Condition(const Element& error, std::string_view ns) {
    std::string out;
    std::string words;
    for (const Element& c : error.children) {
        if (c.IsText() || c.ns != ns) continue;
        if (c.name == "text")
            words = c.Text();
        else if (out.empty())
            out = c.name;
    }
    if (!words.empty()) out += (out.empty() ? "" : ": ") + words;
    return Bounded(out, Session::kMaxErrorText);
}

// The value of one property in a CSS declaration list, trimmed and unquoted.
std::string StyleValue(std::string_view style, std::string_view property) {
    while (!style.empty()) {
        const std::size_t semi = style.find(';');
        std::string_view decl = style.substr(0, semi);
        style = semi == std::string_view::npos ? std::string_view() : style.substr(semi + 1);
        const std::size_t colon = decl.find(':');
        if (colon == std::string_view::npos) continue;
        auto trim = [](std::string_view v) {
            while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
                v.remove_prefix(1);
            while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
                v.remove_suffix(1);
            return v;
        };
        std::string_view name = trim(decl.substr(0, colon));
        if (name.size() != property.size() ||
            !std::equal(name.begin(), name.end(), property.begin(), [](char a, char b) {
                return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
            }))
            continue;
        std::string_view value = trim(decl.substr(colon + 1));
        if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return Bounded(value, Session::kMaxStyle);
    }
    return {};
}

// The font family and colour of the first styled element in an XHTML-IM body, searched
// breadth-first with a bound so that a deep tree costs no more than a flat one.
void XhtmlStyle(const Element& message, std::string& font, std::string& colour) {
    const Element* html = message.Child("html", kXhtmlIm);
    const Element* body = html ? html->Child("body", kXhtml) : nullptr;
    if (!body) return;
    std::vector<const Element*> queue{body};
    for (std::size_t i = 0; i < queue.size() && i < 256; ++i) {
        const Element& e = *queue[i];
        if (const std::string* style = e.Attr("style")) {
            font = StyleValue(*style, "font-family");
            colour = StyleValue(*style, "color");
            if (!font.empty() || !colour.empty()) return;
        }
        for (const Element& c : e.children)
            if (!c.IsText() && c.ns == kXhtml) queue.push_back(&c);
    }
}

} // namespace

Session::Session(ICrypto& crypto, SessionConfig config)
    : crypto_(crypto), config_(std::move(config)) {
    const std::size_t at = config_.address.find('@');
    if (at != std::string::npos && config_.address.find('/') == std::string::npos) {
        local_ = config_.address.substr(0, at);
        domain_ = config_.address.substr(at + 1);
    }
    tls_ = config_.directTls;
}

void Session::Start(std::vector<SessionEvent>& events) {
    if (state_ != SessionState::Idle) return;
    events_ = &events;
    if (local_.empty() || domain_.empty() || domain_.find('@') != std::string::npos ||
        domain_.find_first_of("<>&'\" ") != std::string::npos)
        End(EndReason::BadAddress);
    else
        OpenStream();
    events_ = nullptr;
}

void Session::OpenStream() {
    parser_.Reset();
    ++streams_;
    state_ = SessionState::Negotiating;
    out_ += "<?xml version='1.0'?><stream:stream to='" + domain_ +
            "' version='1.0' xmlns='jabber:client' xmlns:stream='" + std::string(kStreamNamespace) +
            "'>";
}

void Session::TlsUp() {
    if (state_ != SessionState::TlsHandshake) return;
    tls_ = true;
    heard_ = false; // the handshake's time is not the server's silence
    OpenStream();
}

void Session::Close(std::vector<SessionEvent>& events) {
    events_ = &events;
    End(EndReason::ClosedByUs);
    events_ = nullptr;
}

std::string Session::TakeOutput() { return std::exchange(out_, {}); }

void Session::Send(const Element& e) {
    if (IsStanza(e))
        SendStanza(Serialise(e, kClient), e.name != "iq", e.name == "message");
    else
        out_ += Serialise(e, kClient);
}

// Answers and requests are not kept: resent after a reconnect they would answer or ask what
// the server no longer waits for. Past the bound a presence is sent but not kept (the next full
// sign-in sends one anyway); texts do not get this far (SendText refuses them).
void Session::SendStanza(std::string stanza, bool keep, bool text) {
    out_ += stanza;
    if (!smOn_) return;
    ++sent_;
    if (keep && unacked_.size() < kMaxUnacked) unacked_.push_back({sent_, std::move(stanza), text});
}

void Session::End(EndReason reason, std::string text) {
    if (state_ == SessionState::Ended) return;
    // A close would end the server's session too, and one that stopped answering may come back.
    if (state_ != SessionState::Idle && reason != EndReason::NoAnswer) out_ += "</stream:stream>";
    if (reason != EndReason::NoAnswer) resumeId_.clear();
    state_ = SessionState::Ended;
    reason_ = reason;
    scram_.reset();
    SessionEvent e;
    e.kind = SessionEvent::Kind::Ended;
    e.reason = reason;
    e.text = std::move(text);
    Emit(std::move(e));
}

void Session::Receive(std::string_view bytes, std::uint64_t nowMs,
                      std::vector<SessionEvent>& events) {
    if (state_ == SessionState::Ended || state_ == SessionState::Idle) return;
    events_ = &events;
    now_ = nowMs;
    if (!bytes.empty()) {
        // Anything at all, white space too, shows that the server is there.
        heard_ = true;
        heardAt_ = nowMs;
        pinging_ = false;
    }
    if (settling_ && Since(nowMs, signedInAt_) >= kSignInWindowMs) Settle();
    std::vector<StreamEvent> got;
    parser_.Feed(bytes, got);
    const std::uint32_t stream = streams_;
    for (const StreamEvent& s : got) {
        // A restart drops what the old stream still held: a server must wait for our header.
        if (state_ == SessionState::Ended || state_ == SessionState::TlsHandshake ||
            stream != streams_)
            break;
        switch (s.kind) {
        case StreamEvent::Kind::Open:
            if (s.element.name != "stream" || s.element.ns != kStreamNamespace)
                End(EndReason::Protocol, "not a stream");
            break;
        case StreamEvent::Kind::Stanza:
            OnStanza(s.element);
            break;
        case StreamEvent::Kind::Close:
            End(EndReason::Closed);
            break;
        case StreamEvent::Kind::Error:
            End(EndReason::BadXml, Bounded(s.detail, kMaxErrorText));
            break;
        }
    }
    events_ = nullptr;
}

void Session::OnStanza(const Element& e) {
    if (e.ns == kStreamNamespace && e.name == "error") {
        End(EndReason::StreamError, Condition(e, kStreams));
        return;
    }
    if (e.ns == kStreamNamespace && e.name == "features") {
        OnFeatures(e);
        return;
    }
    if (e.ns == kTls && state_ == SessionState::Negotiating && !tls_) {
        if (e.name == "proceed") {
            state_ = SessionState::TlsHandshake;
            SessionEvent ev;
            ev.kind = SessionEvent::Kind::StartTls;
            Emit(std::move(ev));
        } else {
            End(EndReason::TlsRefused);
        }
        return;
    }
    if (e.ns == kSasl && state_ == SessionState::Authenticating) {
        OnSasl(e);
        return;
    }
    if (e.ns == kSm && authenticated_) {
        OnSm(e);
        return;
    }
    if (e.ns != kClient || !authenticated_) {
        End(EndReason::Protocol, Bounded(e.name, kMaxErrorText));
        return;
    }
    // Handled is counted whatever the stanza did: ignored is handled too.
    if (smInbound_ && IsStanza(e)) ++handled_;
    if (e.name == "iq")
        OnIq(e);
    else if (state_ == SessionState::SignedIn && e.name == "presence")
        OnPresence(e);
    else if (state_ == SessionState::SignedIn && e.name == "message")
        OnMessage(e, false);
}

void Session::OnFeatures(const Element& e) {
    if (state_ != SessionState::Negotiating) {
        End(EndReason::Protocol, "features out of order");
        return;
    }
    if (!tls_) {
        // Without TLS nothing else is negotiated: the password must not leave in clear.
        if (!e.Child("starttls", kTls)) {
            End(EndReason::NoEncryption);
            return;
        }
        Send(Make("starttls", kTls));
        return;
    }
    if (!authenticated_) {
        std::set<std::string> offered;
        if (const Element* m = e.Child("mechanisms", kSasl))
            for (const Element& c : m->children)
                if (!c.IsText() && c.name == "mechanism" && c.ns == kSasl) offered.insert(c.Text());
        Element auth = Make("auth", kSasl);
        std::string initial;
        for (const Hash h : {Hash::Sha256, Hash::Sha1}) {
            if (!offered.count(ScramClient::Mechanism(h))) continue;
            scram_ = std::make_unique<ScramClient>(crypto_, h, local_, config_.password);
            const auto first = scram_->Start();
            if (!first) {
                End(EndReason::AuthFailed, "the password cannot be sent");
                return;
            }
            auth.Set("mechanism", ScramClient::Mechanism(h));
            initial = *first;
            break;
        }
        if (!scram_) {
            if (!offered.count("PLAIN") || !tls_) {
                End(EndReason::NoMechanism);
                return;
            }
            auth.Set("mechanism", "PLAIN");
            initial = std::string(1, '\0') + local_ + '\0' + config_.password;
        }
        auth.AddText(Base64Encode(initial));
        state_ = SessionState::Authenticating;
        serverVerified_ = false;
        Send(auth);
        return;
    }
    smOffered_ = e.Child("sm", kSm) != nullptr;
    bindOffered_ = e.Child("bind", kBind) != nullptr;
    if (Resumable() && smOffered_) {
        Element resume = Make("resume", kSm);
        resume.Set("previd", resumeId_).Set("h", std::to_string(handled_));
        Send(resume);
        resuming_ = true;
        state_ = SessionState::Binding;
        return;
    }
    if (Resumable()) DropResumption();
    Bind();
}

void Session::Bind() {
    if (!bindOffered_) {
        End(EndReason::BindFailed, "no resource binding");
        return;
    }
    Element iq = Make("iq", kClient);
    iq.Set("type", "set").Set("id", kBindId);
    Element& bind = iq.Add(Make("bind", kBind));
    if (!config_.resource.empty()) bind.Add(Make("resource", kBind)).AddText(config_.resource);
    state_ = SessionState::Binding;
    Send(iq);
}

void Session::OnSasl(const Element& e) {
    const std::optional<std::string> data = Base64Decode(e.Text());
    if (e.name == "failure") {
        const std::string condition = Condition(e, kSasl);
        End(condition.starts_with("not-authorized") ? EndReason::WrongPassword
                                                    : EndReason::AuthFailed,
            condition);
        return;
    }
    if (e.name == "challenge") {
        if (!scram_ || !data || serverVerified_) {
            End(EndReason::AuthFailed, "unexpected challenge");
            return;
        }
        Element response = Make("response", kSasl);
        if (scram_->Error() == ScramError::None && !data->starts_with("v=") &&
            !data->starts_with("e=")) {
            const auto final = scram_->Answer(*data);
            if (!final) {
                End(EndReason::AuthFailed, Bounded(scram_->ErrorText(), kMaxErrorText));
                return;
            }
            response.AddText(Base64Encode(*final));
        } else if (scram_->Verify(*data)) {
            // Some servers send the server-final message as a challenge.
            serverVerified_ = true;
        } else {
            End(EndReason::BadServerSignature);
            return;
        }
        Send(response);
        return;
    }
    if (e.name == "success") {
        // "=" or nothing is an empty success; SCRAM's must carry the server's proof unless a
        // challenge did.
        if (scram_ && !serverVerified_ && (!data || !scram_->Verify(*data))) {
            End(EndReason::BadServerSignature);
            return;
        }
        scram_.reset();
        authenticated_ = true;
        OpenStream();
        return;
    }
    End(EndReason::Protocol, Bounded(e.name, kMaxErrorText));
}

bool Session::FromAccount(const Element& e) const {
    const std::string* from = e.Attr("from");
    return !from || Bare(*from) == bareJid_;
}

void Session::EmitStanzaError(const Element& e) {
    SessionEvent ev;
    ev.kind = SessionEvent::Kind::StanzaError;
    ev.jid = Bare(AttrOr(e, "from"));
    if (const Element* err = e.Child("error", kClient)) ev.text = Condition(*err, kStanzas);
    Emit(std::move(ev));
}

void Session::OnIq(const Element& e) {
    const std::string_view type = AttrOr(e, "type");
    const std::string_view id = AttrOr(e, "id");
    if (type == "result" || type == "error") {
        if (state_ == SessionState::Binding && id == kBindId) {
            const Element* bind = e.Child("bind", kBind);
            const Element* jid = bind ? bind->Child("jid", kBind) : nullptr;
            const std::string bound = jid ? jid->Text() : std::string();
            if (type != "result" || Bare(bound).empty() || bound.size() > kMaxJid) {
                End(EndReason::BindFailed,
                    Condition(e.Child("error", kClient) ? *e.Child("error", kClient) : e,
                              kStanzas));
                return;
            }
            boundJid_ = bound;
            bareJid_ = Bare(bound);
            if (smOffered_) {
                // Counting starts here, so the roster, carbons and presence are acknowledged.
                Send(Make("enable", kSm).Set("resume", "true"));
                smOn_ = true;
                sent_ = acked_ = 0;
            }
            Element roster = Make("iq", kClient);
            roster.Set("type", "get").Set("id", kRosterId).Add(Make("query", kRoster));
            Send(roster);
            // Either answer will do: without carbons the bar shows what reaches this resource.
            Element carbons = Make("iq", kClient);
            carbons.Set("type", "set").Set("id", kCarbonsId).Add(Make("enable", kCarbons));
            Send(carbons);
        } else if (state_ == SessionState::Binding && id == kRosterId) {
            // A server without a roster signs in with none; after a lost connection, with the
            // contacts it had, each as the caller knew it until the sign-in window shows more.
            const Element* query = e.Child("query", kRoster);
            if (signedInBefore_) {
                const auto before = std::move(contacts_);
                contacts_.clear();
                if (query && type == "result")
                    ReadRoster(*query, false);
                else
                    contacts_ = before;
                for (auto& [jid, entry] : contacts_) {
                    entry.resources.clear(); // the server sends every presence again
                    const auto was = before.find(jid);
                    if (was == before.end()) continue;
                    entry.reported = was->second.reported;
                    if (entry.publishedNick.empty())
                        entry.publishedNick = was->second.publishedNick;
                }
                settling_ = true;
            } else if (query && type == "result") {
                ReadRoster(*query, false);
            }
            Send(Make("presence", kClient));
            for (std::string& text : std::exchange(resend_, {}))
                SendStanza(std::move(text), true, true);
            state_ = SessionState::SignedIn;
            signedInAt_ = now_;
            signedInBefore_ = true;
            resumeId_ = std::exchange(enabledId_, {});
            SessionEvent ev;
            ev.kind = SessionEvent::Kind::SignedIn;
            ev.jid = bareJid_;
            ev.roster = Contacts();
            Emit(std::move(ev));
        } else if (type == "error" && id != kCarbonsId && id != kKeepaliveId) {
            EmitStanzaError(e);
        }
        return;
    }
    if (type != "get" && type != "set") return;
    Element answer = Make("iq", kClient);
    answer.Set("id", id);
    if (const std::string* from = e.Attr("from")) answer.Set("to", *from);
    const Element* push = e.Child("query", kRoster);
    if (type == "get" && e.Child("ping", kPing)) {
        answer.Set("type", "result");
    } else if (type == "set" && push && FromAccount(e) && state_ == SessionState::SignedIn) {
        ReadRoster(*push, true);
        answer.Set("type", "result");
    } else {
        answer.Set("type", "error");
        Element& err = answer.Add(Make("error", kClient));
        err.Set("type", "cancel");
        err.Add(Make("service-unavailable", kStanzas));
    }
    Send(answer);
}

void Session::ReadRoster(const Element& query, bool push) {
    for (const Element& item : query.children) {
        if (item.IsText() || item.name != "item" || item.ns != kRoster) continue;
        const std::string jid = Bare(AttrOr(item, "jid"));
        if (jid.empty() || jid == bareJid_) continue;
        const auto it = contacts_.find(jid);
        if (AttrOr(item, "subscription") == "remove") {
            if (push && it != contacts_.end()) contacts_.erase(it);
            continue;
        }
        if (it == contacts_.end() && contacts_.size() >= kMaxContacts) continue;
        Entry& entry = contacts_[jid];
        entry.rosterName = Bounded(AttrOr(item, "name"), kMaxNickname);
    }
}

Contact Session::Describe(const std::string& jid, const Entry& entry) const {
    Contact c;
    c.jid = jid;
    c.online = settling_ ? entry.reported : !entry.resources.empty();
    c.nickname = !entry.rosterName.empty()      ? entry.rosterName
                 : !entry.publishedNick.empty() ? entry.publishedNick
                                                : jid.substr(0, jid.find('@'));
    return c;
}

std::vector<Contact> Session::Contacts() const {
    std::vector<Contact> out;
    out.reserve(contacts_.size());
    for (const auto& [jid, entry] : contacts_)
        out.push_back(Describe(jid, entry));
    return out;
}

void Session::OnPresence(const Element& e) {
    const std::string_view from = AttrOr(e, "from");
    const auto it = contacts_.find(Bare(from));
    if (it == contacts_.end()) return; // not a contact, or one of our own resources
    const std::string_view type = AttrOr(e, "type");
    if (!type.empty() && type != "unavailable") return; // subscriptions, probes, errors
    Entry& entry = it->second;
    const std::string resource = Bounded(Resource(from), 1023);
    if (type.empty()) {
        if (entry.resources.size() < kMaxResources) entry.resources.insert(resource);
        if (const Element* nick = e.Child("nick", kNick))
            entry.publishedNick = Bounded(nick->Text(), kMaxNickname);
    } else if (resource.empty()) {
        entry.resources.clear(); // the bare JID unavailable: every resource
    } else {
        entry.resources.erase(resource);
    }
    if (settling_ || entry.reported == !entry.resources.empty()) return;
    entry.reported = !entry.resources.empty();
    SessionEvent ev;
    const Contact c = Describe(it->first, entry);
    ev.kind = SessionEvent::Kind::ContactChanged;
    ev.jid = c.jid;
    ev.nickname = c.nickname;
    ev.online = c.online;
    ev.withSignIn = now_ >= signedInAt_ && now_ - signedInAt_ < kSignInWindowMs;
    Emit(std::move(ev));
}

void Session::OnMessage(const Element& e, bool carbon) {
    const std::string_view type = AttrOr(e, "type");
    if (!carbon) {
        if (const Element* received = e.Child("received", kCarbons)) {
            // Only our own account may hand us a copy of someone else's message.
            const Element* fwd = received->Child("forwarded", kForward);
            const Element* inner = fwd ? fwd->Child("message", kClient) : nullptr;
            if (inner && e.Attr("from") && Bare(*e.Attr("from")) == bareJid_)
                OnMessage(*inner, true);
            return;
        }
        if (e.Child("sent", kCarbons)) return; // what we said from another client
    }
    if (type == "error") {
        EmitStanzaError(e);
        return;
    }
    if (!type.empty() && type != "chat" && type != "normal") return;
    const Element* body = e.Child("body", kClient);
    const std::string jid = Bare(AttrOr(e, "from"));
    if (!body || jid.empty() || jid == bareJid_) return;
    SessionEvent ev;
    ev.kind = SessionEvent::Kind::TextReceived;
    ev.jid = jid;
    const auto it = contacts_.find(jid);
    ev.nickname = it != contacts_.end() ? Describe(jid, it->second).nickname
                                        : Bounded(jid.substr(0, jid.find('@')), kMaxNickname);
    ev.text = Bounded(body->Text(), kMaxBody);
    if (ev.text.empty()) return;
    XhtmlStyle(e, ev.font, ev.colour);
    Emit(std::move(ev));
}

void Session::OnSm(const Element& e) {
    if (e.name == "r" && smInbound_) {
        out_ += "<a xmlns='urn:xmpp:sm:3' h='" + std::to_string(handled_) + "'/>";
    } else if (e.name == "a" && smOn_) {
        Acknowledge(AttrOr(e, "h"));
    } else if (e.name == "enabled" && smOn_ && !smInbound_) {
        smInbound_ = true;
        handled_ = 0;
        const std::string_view resume = AttrOr(e, "resume");
        const std::string_view id = AttrOr(e, "id");
        // Only a stream that signed in is worth resuming: the roster would not come again.
        if ((resume == "true" || resume == "1") && !id.empty() && id.size() <= kMaxResumeId)
            (state_ == SessionState::SignedIn ? resumeId_ : enabledId_) = id;
    } else if (e.name == "resumed" && resuming_) {
        if (AttrOr(e, "previd") != resumeId_) {
            End(EndReason::Protocol, "resumed another stream");
            return;
        }
        if (!Acknowledge(AttrOr(e, "h"))) return;
        // What the server did not get goes again, counted from its count on.
        resuming_ = false;
        sent_ = acked_;
        for (Pending& p : unacked_) {
            out_ += p.stanza;
            p.seq = ++sent_;
        }
        state_ = SessionState::SignedIn;
        SessionEvent ev;
        ev.kind = SessionEvent::Kind::SignedIn;
        ev.jid = bareJid_;
        ev.roster = Contacts();
        ev.resumed = true;
        Emit(std::move(ev));
    } else if (e.name == "failed" && resuming_) {
        // The server may say what it got before it forgot the session.
        if (e.Attr("h") && !Acknowledge(AttrOr(e, "h"))) return;
        DropResumption();
        Bind();
    } else if (e.name == "failed" && smOn_ && !smInbound_) {
        smOn_ = false; // no acknowledgements will come on this stream
        unacked_.clear();
    }
}

bool Session::Acknowledge(std::string_view h) {
    const std::optional<std::uint32_t> count = ParseCount(h);
    if (!count) {
        End(EndReason::Protocol, "a count that is not a number");
        return false;
    }
    // Modulo 2^32: the count may wrap, never pass what we sent.
    if (static_cast<std::uint32_t>(*count - acked_) > static_cast<std::uint32_t>(sent_ - acked_)) {
        out_ += "<stream:error><undefined-condition xmlns='" + std::string(kStreams) +
                "'/><handled-count-too-high xmlns='urn:xmpp:sm:3' h='" + std::to_string(*count) +
                "' send-count='" + std::to_string(sent_) + "'/></stream:error>";
        End(EndReason::BadAck,
            std::to_string(*count) + " acknowledged, " + std::to_string(sent_) + " sent");
        return false;
    }
    acked_ = *count;
    while (!unacked_.empty() && static_cast<std::uint32_t>(sent_ - unacked_.front().seq) >=
                                    static_cast<std::uint32_t>(sent_ - acked_))
        unacked_.pop_front();
    return true;
}

void Session::DropResumption() {
    for (Pending& p : unacked_)
        if (p.text) resend_.push_back(std::move(p.stanza));
    unacked_.clear();
    resumeId_.clear();
    enabledId_.clear();
    resuming_ = smOn_ = smInbound_ = false;
    sent_ = acked_ = handled_ = 0;
}

void Session::Settle() {
    settling_ = false;
    for (auto& [jid, entry] : contacts_) {
        const bool online = !entry.resources.empty();
        if (online == entry.reported) continue;
        entry.reported = online;
        const Contact c = Describe(jid, entry);
        SessionEvent ev;
        ev.kind = SessionEvent::Kind::ContactChanged;
        ev.jid = c.jid;
        ev.nickname = c.nickname;
        ev.online = c.online;
        Emit(std::move(ev));
    }
}

void Session::Tick(std::uint64_t nowMs, std::vector<SessionEvent>& events) {
    if (state_ == SessionState::Idle || state_ == SessionState::Ended ||
        state_ == SessionState::TlsHandshake)
        return;
    events_ = &events;
    now_ = nowMs;
    if (!heard_) {
        heard_ = true;
        heardAt_ = nowMs;
    }
    if (settling_ && Since(nowMs, signedInAt_) >= kSignInWindowMs) Settle();
    const std::uint64_t quiet = Since(nowMs, heardAt_);
    if (pinging_ ? Since(nowMs, pingAt_) >= kAnswerMs
                 : state_ != SessionState::SignedIn && quiet >= kQuietMs + kAnswerMs) {
        End(EndReason::NoAnswer);
    } else if (!pinging_ && state_ == SessionState::SignedIn && quiet >= kQuietMs) {
        if (smInbound_) {
            out_ += kAckRequest;
        } else {
            Element ping = Make("iq", kClient);
            ping.Set("type", "get").Set("id", kKeepaliveId).Set("to", domain_);
            ping.Add(Make("ping", kPing));
            Send(ping);
        }
        pinging_ = true;
        pingAt_ = nowMs;
    }
    events_ = nullptr;
}

bool Session::SendText(std::string_view to, std::string_view body) {
    if (state_ != SessionState::SignedIn || body.empty() || body.size() > kMaxSentBody ||
        Bare(to).empty() || !XmlText(to) || !XmlText(body))
        return false;
    if (smOn_ && unacked_.size() >= kMaxUnacked) {
        out_ += kAckRequest;
        return false;
    }
    Element message = Make("message", kClient);
    message.Set("to", to).Set("type", "chat").Set("id", "t" + std::to_string(++texts_));
    message.Add(Make("body", kClient)).AddText(body);
    Send(message);
    if (smOn_) out_ += kAckRequest;
    return true;
}

void Session::Reset(bool directTls) {
    // Ended by us or by the server, the server's session is gone: resuming would only fail.
    if (state_ == SessionState::Ended && reason_ != EndReason::NoAnswer) resumeId_.clear();
    if (!Resumable()) DropResumption();
    parser_.Reset();
    out_.clear();
    state_ = SessionState::Idle;
    reason_ = EndReason::None;
    tls_ = directTls;
    authenticated_ = serverVerified_ = false;
    scram_.reset();
    resuming_ = smOffered_ = bindOffered_ = false;
    heard_ = pinging_ = false;
}

} // namespace xmpp
