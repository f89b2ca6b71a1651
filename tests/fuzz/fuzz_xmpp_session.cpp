// A signed-in session over any bytes a server may send: the first byte picks the size of the
// pieces the rest arrives in. Checked: every text an event carries keeps to its bound; the
// contacts never pass their bound; once the session has ended it sends nothing more.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xmpp/Session.h"

namespace {

using namespace xmpp;

void Check(bool ok) {
    if (!ok) std::abort();
}

// PLAIN over direct TLS needs none of these; a SCRAM the bytes start again fails at once.
struct NoCrypto final : ICrypto {
    std::optional<std::string> Digest(Hash, std::string_view) override { return std::nullopt; }
    std::optional<std::string> Hmac(Hash, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> Pbkdf2(Hash, std::string_view, std::string_view,
                                      std::uint32_t) override {
        return std::nullopt;
    }
    std::optional<std::string> RandomBytes(std::size_t) override { return std::nullopt; }
};

constexpr std::string_view kHeader = "<stream:stream xmlns='jabber:client' "
                                     "xmlns:stream='http://etherx.jabber.org/streams' "
                                     "version='1.0'>";

void CheckEvent(const SessionEvent& e) {
    Check(e.jid.size() <= Session::kMaxJid);
    Check(e.nickname.size() <= Session::kMaxNickname);
    Check(e.text.size() <= std::max(Session::kMaxBody, Session::kMaxErrorText));
    Check(e.font.size() <= Session::kMaxStyle && e.colour.size() <= Session::kMaxStyle);
    Check(e.roster.size() <= Session::kMaxContacts);
}

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
    say(std::string(kHeader) +
        "<stream:features><mechanisms xmlns='urn:ietf:params:xml:ns:xmpp-sasl'>"
        "<mechanism>PLAIN</mechanism></mechanisms></stream:features>"
        "<success xmlns='urn:ietf:params:xml:ns:xmpp-sasl'/>");
    say(std::string(kHeader) +
        "<stream:features><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/></stream:features>"
        "<iq type='result' id='bind'><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'>"
        "<jid>juliet@example.org/balcony</jid></bind></iq>"
        "<iq type='result' id='carbons'/><iq type='result' id='roster'/>");
    Check(session.State() == SessionState::SignedIn);
    session.TakeOutput();

    const std::size_t piece = data[0] % 64 + 1;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (std::size_t at = 0; at < rest.size(); at += piece) {
        const bool ended = session.State() == SessionState::Ended;
        say(rest.substr(at, piece));
        const std::string out = session.TakeOutput();
        if (ended) Check(out.empty());
    }
    for (const SessionEvent& e : events)
        CheckEvent(e);
    Check(session.Contacts().size() <= Session::kMaxContacts);
    return 0;
}
