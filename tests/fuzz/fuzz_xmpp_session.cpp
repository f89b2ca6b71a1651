// A session signed in with stream management over any bytes a server may send: the first byte
// picks the size of the pieces the rest arrives in. After a 0xFF byte the next one says what
// comes: the server's bytes (0 mod 4), a text sent to a contact (1), the clock moved on by its
// top six bits in seconds (2), or a new connection that asks to resume (3), each followed by
// the server's bytes. Checked: every text an event carries keeps to its bound; the contacts never
// pass their bound; the unacknowledged stanzas never pass theirs; the count of handled stanzas
// the session would send never passes what the server sent; once the session has ended it
// sends nothing more until it is reset.
#include <optional>
#include <vector>

#include "FuzzCheck.h"
#include "im/Bridge.h"
#include "xmpp/Session.h"
#include "xmpp/StreamParser.h"

namespace {

using namespace xmpp;

// PLAIN over direct TLS needs none of these; a SCRAM the bytes start again fails at once.
struct NoCrypto final : ICrypto {
    using Out = std::optional<std::string>;
    Out Digest(Hash, std::string_view) override { return {}; }
    Out Hmac(Hash, std::string_view, std::string_view) override { return {}; }
    Out Pbkdf2(Hash, std::string_view, std::string_view, std::uint32_t) override { return {}; }
    Out RandomBytes(std::size_t) override { return {}; }
};

constexpr std::string_view kAuthenticated =
    "<stream:features><mechanisms xmlns='urn:ietf:params:xml:ns:xmpp-sasl'>"
    "<mechanism>PLAIN</mechanism></mechanisms></stream:features>"
    "<success xmlns='urn:ietf:params:xml:ns:xmpp-sasl'/>";
constexpr std::string_view kBindAndSm =
    "<stream:features><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/><sm "
    "xmlns='urn:xmpp:sm:3'/></stream:features>";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    NoCrypto crypto;
    Session session(crypto, {"juliet@example.org", "pencil", "balcony", true});
    std::vector<SessionEvent> events;
    session.Start(events);
    std::uint64_t now = 0;
    const auto say = [&](std::string_view bytes) {
        session.Receive(bytes, now, events);
        now += 100;
    };
    // Through SASL to the features with binding and stream management, and what follows.
    const auto connect = [&](std::string_view then) {
        say(std::string(kStreamHeader) + std::string(kAuthenticated));
        say(std::string(kStreamHeader) + std::string(kBindAndSm) + std::string(then));
    };
    connect("<iq type='result' id='bind'><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'>"
            "<jid>juliet@example.org/balcony</jid></bind></iq>"
            "<enabled xmlns='urn:xmpp:sm:3' id='s1' resume='true'/><iq type='result' id='carbons'/>"
            "<iq type='result' id='roster'><query xmlns='jabber:iq:roster'><item "
            "jid='romeo@montague.net'/><item jid='nurse@capulet.lit'/></query></iq>");
    Check(session.State() == SessionState::SignedIn && session.Handled() == 2);
    session.TakeOutput();

    // The server's stanzas, counted apart from the session.
    StreamParser mirror;
    std::vector<StreamEvent> parsed;
    mirror.Feed(kStreamHeader, parsed);
    std::uint64_t received = session.Handled();
    bool ended = false;
    const auto settle = [&] {
        const std::string out = session.TakeOutput();
        if (ended) Check(out.empty());
        ended = session.State() == SessionState::Ended;
    };
    const auto feed = [&](std::string_view bytes, std::size_t piece) {
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            const std::string_view chunk = bytes.substr(at, piece);
            say(chunk);
            parsed.clear();
            mirror.Feed(chunk, parsed);
            for (const StreamEvent& s : parsed)
                if (s.kind == StreamEvent::Kind::Stanza && s.element.ns == "jabber:client" &&
                    (s.element.name == "iq" || s.element.name == "message" ||
                     s.element.name == "presence"))
                    ++received;
            Check(session.Unacked() <= Session::kMaxUnacked);
            Check(session.Handled() <= received);
            settle();
        }
    };

    const std::size_t piece = data[0] % 64 + 1;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (bool first = true; !rest.empty() || first; first = false) {
        const std::size_t mark = rest.find('\xFF');
        std::string_view segment = rest.substr(0, mark);
        rest = mark == std::string_view::npos ? std::string_view() : rest.substr(mark + 1);
        const unsigned op = first || segment.empty() ? 0 : static_cast<unsigned char>(segment[0]);
        if (!first && !segment.empty()) segment.remove_prefix(1);
        if (op % 4 == 1) {
            if (session.SendText("romeo@montague.net", segment)) Check(!ended);
            segment = {};
        } else if (op % 4 == 2) {
            now += (op >> 2) * 1000;
            session.Tick(now, events);
        } else if (op % 4 == 3) {
            session.Reset(true);
            session.Start(events);
            connect("");
            mirror.Reset();
            mirror.Feed(kStreamHeader, parsed);
            ended = false;
        }
        feed(segment, piece);
        settle();
    }
    im::Bridge bridge;
    for (const SessionEvent& e : events) {
        // What the messenger tells the stand-ins of it travels whole: every request within the
        // stand-in's bound and read back as it was sent.
        for (const msgrsim::Request& r : bridge.OnEvent(e)) {
            const std::string wire = msgrsim::EncodeArgs(r.args);
            const auto back = msgrsim::DecodeRequest(static_cast<std::uint32_t>(r.op), wire);
            Check(back && *back == r);
        }
        Check(e.jid.size() <= Session::kMaxJid && e.nickname.size() <= Session::kMaxNickname);
        Check(e.text.size() <= std::max(Session::kMaxBody, Session::kMaxErrorText));
        Check(e.font.size() <= Session::kMaxStyle && e.colour.size() <= Session::kMaxStyle);
        Check(e.roster.size() <= Session::kMaxContacts);
    }
    Check(session.Contacts().size() <= Session::kMaxContacts);
    return 0;
}
