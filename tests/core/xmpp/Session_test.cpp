#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostCrypto.h"
#include "xmpp/Base64.h"
#include "xmpp/Session.h"

namespace {

using namespace xmpp;

constexpr char kHeader[] = "<stream:stream xmlns='jabber:client' "
                           "xmlns:stream='http://etherx.jabber.org/streams' version='1.0'>";
constexpr char kSalt[] = "QSXCR+Q6sek8bf92";
constexpr char kStartTls[] = "<starttls xmlns='urn:ietf:params:xml:ns:xmpp-tls'/>";
constexpr char kProceed[] = "<proceed xmlns='urn:ietf:params:xml:ns:xmpp-tls'/>";
constexpr char kBindFeature[] = "<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/>";
constexpr char kSmFeature[] = "<sm xmlns='urn:xmpp:sm:3'/>";

std::string Features(const std::string& inner) {
    return std::string(kHeader) + "<stream:features>" + inner + "</stream:features>";
}
std::string Mechanisms(const std::string& names) {
    std::string out = "<mechanisms xmlns='urn:ietf:params:xml:ns:xmpp-sasl'>";
    for (std::size_t i = 0; i < names.size();) {
        const std::size_t space = std::min(names.find(' ', i), names.size());
        out += "<mechanism>" + names.substr(i, space - i) + "</mechanism>";
        i = space + 1;
    }
    return out + "</mechanisms>";
}
std::string Sasl(const std::string& name, const std::string& data) {
    return "<" + name + " xmlns='urn:ietf:params:xml:ns:xmpp-sasl'>" + Base64Encode(data) + "</" +
           name + ">";
}
// The base64 text of the SASL element `name` in what the client sent, decoded.
std::string SaslText(const std::string& out, const std::string& name) {
    const std::size_t start = out.find('>', out.find("<" + name)) + 1;
    return Base64Decode(out.substr(start, out.find("</" + name) - start)).value_or("?");
}

std::string Line(const SessionEvent& e) {
    switch (e.kind) {
    case SessionEvent::Kind::StartTls:
        return "starttls";
    case SessionEvent::Kind::SignedIn:
        return "signed in " + std::to_string(e.roster.size()) + (e.resumed ? " resumed" : "");
    case SessionEvent::Kind::ContactChanged:
        return e.jid + " " + e.nickname + (e.online ? " online" : " offline") +
               (e.withSignIn ? " with sign-in" : "");
    case SessionEvent::Kind::TextReceived:
        return e.jid + " " + e.nickname + ": " + e.text +
               (e.font.empty() && e.colour.empty() ? "" : " [" + e.font + "/" + e.colour + "]");
    case SessionEvent::Kind::StanzaError:
        return "error " + e.jid + ": " + e.text;
    case SessionEvent::Kind::Ended:
        return "ended " + std::to_string(int(e.reason)) + (e.text.empty() ? "" : ": " + e.text);
    }
    return {};
}

// A scripted server for one session of juliet@example.org, password "pencil".
struct Server {
    HostCrypto crypto;
    Session session;
    std::vector<SessionEvent> events;
    std::string sent; // everything the client sent
    std::uint64_t now = 0;
    bool directTls;
    std::string picked; // the mechanism the client chose last

    explicit Server(bool direct = false)
        : session(crypto, {"juliet@example.org", "pencil", "balcony", direct}), directTls(direct) {
        session.Start(events);
        sent = session.TakeOutput();
    }
    std::string Say(const std::string& bytes) {
        session.Receive(bytes, now, events);
        std::string out = session.TakeOutput();
        sent += out;
        return out;
    }
    std::string Lines() const {
        std::string out;
        for (const SessionEvent& e : events)
            out += (out.empty() ? "" : "|") + Line(e);
        return out;
    }
    // The server side of SCRAM for the client's auth: the challenge, then the success, whose
    // signature is spoilt when `spoil`.
    void Scram(Hash hash, const std::string& auth, bool spoil) {
        const std::string clientFirstBare = SaslText(auth, "auth").substr(3);
        const std::string nonce = clientFirstBare.substr(clientFirstBare.find(",r=") + 3) + "srv";
        const std::string serverFirst = "r=" + nonce + ",s=" + kSalt + ",i=4096";
        const std::string response = SaslText(Say(Sasl("challenge", serverFirst)), "response");
        const std::string withoutProof = response.substr(0, response.find(",p="));
        const std::string salted =
            *crypto.Pbkdf2(hash, "pencil", *Base64Decode(kSalt), ScramClient::kMinIterations);
        std::string signature =
            *crypto.Hmac(hash, *crypto.Hmac(hash, salted, "Server Key"),
                         clientFirstBare + "," + serverFirst + "," + withoutProof);
        if (spoil) signature[0] ^= 1;
        Say(Sasl("success", "v=" + Base64Encode(signature)));
    }
    // Through TLS (direct, or STARTTLS offered unless no mechanism is either) and SASL to the
    // features after it: the client's pick among `mechanisms` succeeds (SCRAM's signature
    // spoilt on outcome 1) or gets the failure numbered by the outcome.
    std::string Authenticate(const std::string& mechanisms, const std::string& features,
                             int outcome = 0) {
        std::string auth = Say(Features(directTls            ? Mechanisms(mechanisms)
                                        : mechanisms.empty() ? ""
                                                             : kStartTls));
        if (auth.find("<starttls") != std::string::npos) {
            Say(kProceed);
            EXPECT_EQ(session.State(), SessionState::TlsHandshake);
            session.TlsUp();
            EXPECT_EQ(session.TakeOutput().substr(0, 21), "<?xml version='1.0'?>");
            auth = Say(Features(Mechanisms(mechanisms)));
        }
        picked.clear();
        for (const char* m : {"SCRAM-SHA-256", "SCRAM-SHA-1", "PLAIN"})
            if (picked.empty() && auth.find(std::string("\"") + m + "\"") != std::string::npos)
                picked = m;
        if (outcome >= 2) {
            Say(std::string("<failure xmlns='urn:ietf:params:xml:ns:xmpp-sasl'>") +
                (outcome == 2 ? "<not-authorized/><text>no</text>" : "<temporary-auth-failure/>") +
                "</failure>");
        } else if (picked == "PLAIN") {
            EXPECT_EQ(SaslText(auth, "auth"), std::string("\0juliet\0pencil", 14));
            Say(Sasl("success", ""));
        } else if (!picked.empty()) {
            Scram(picked == "SCRAM-SHA-1" ? Hash::Sha1 : Hash::Sha256, auth, outcome == 1);
        }
        return Say(Features(features));
    }
    // Binding, stream management when the client enables it, carbons refused and the roster
    // (none without items).
    std::string Bind(const std::string& rosterItems) {
        std::string out =
            Say("<iq type='result' id='bind'><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'>"
                "<jid>juliet@example.org/balcony</jid></bind></iq>");
        const bool sm = out.find("<enable xmlns=\"urn:xmpp:sm:3\"") != std::string::npos;
        return out +
               Say(std::string(sm ? "<enabled xmlns='urn:xmpp:sm:3' id='s1' resume='1'/>" : "") +
                   "<iq type='error' id='carbons'/><iq type='result' id='roster'>" +
                   (rosterItems.empty()
                        ? ""
                        : "<query xmlns='jabber:iq:roster'>" + rosterItems + "</query>") +
                   "</iq>");
    }
    void SignIn(const std::string& mechanisms, const std::string& rosterItems = "", bool sm = false,
                int outcome = 0) {
        Authenticate(mechanisms, std::string(kBindFeature) + (sm ? kSmFeature : ""), outcome);
        if (session.State() == SessionState::Binding) Bind(rosterItems);
    }
};

TEST(Session, SignsInWithTheBestMechanismAndRefusesWhatItMust) {
    const struct {
        const char* name;
        bool directTls;
        const char* mechanisms; // after TLS
        int outcome;            // 0 success, 1 spoilt signature, 2..: a failure condition
        const char* expected;   // the events; the mechanism the client picked
    } rows[] = {
        {"prefers SHA-256", false, "PLAIN SCRAM-SHA-1 SCRAM-SHA-256", 0,
         "starttls|signed in 0 SCRAM-SHA-256"},
        {"then SHA-1", false, "PLAIN SCRAM-SHA-1", 0, "starttls|signed in 0 SCRAM-SHA-1"},
        {"PLAIN under TLS", false, "PLAIN", 0, "starttls|signed in 0 PLAIN"},
        {"direct TLS", true, "SCRAM-SHA-1", 0, "signed in 0 SCRAM-SHA-1"},
        {"no encryption", false, "", 0, "ended 2 "},
        {"no mechanism", false, "DIGEST-MD5", 0, "starttls|ended 4 "},
        {"bad signature", false, "SCRAM-SHA-256", 1, "starttls|ended 7 SCRAM-SHA-256"},
        {"wrong password", false, "SCRAM-SHA-1", 2,
         "starttls|ended 5: not-authorized: no SCRAM-SHA-1"},
        {"other failure", false, "SCRAM-SHA-1", 3,
         "starttls|ended 6: temporary-auth-failure SCRAM-SHA-1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Server t(row.directTls);
        EXPECT_FALSE(t.session.SendText("romeo@montague.net", "early"));
        EXPECT_NE(t.sent.find("to='example.org' version='1.0'"), std::string::npos);
        t.SignIn(row.mechanisms, "", false, row.outcome);
        EXPECT_EQ(t.Lines() + " " + t.picked, row.expected);
        if (t.session.State() == SessionState::Ended) {
            EXPECT_EQ(t.Say("<stream:features/>"), "");
            EXPECT_EQ(t.sent.find("pencil"), std::string::npos);
        } else {
            EXPECT_EQ(t.session.BoundJid(), "juliet@example.org/balcony");
        }
    }
}

constexpr char kRoster[] = "<item jid='romeo@montague.net' name='Romeo'/>"
                           "<item jid='nurse@capulet.lit'/><item jid='benvolio@montague.net'/>";

TEST(Session, SignedIn) {
    const struct {
        const char* name;
        std::uint64_t at; // ms after sign-in
        const char* in;
        const char* events;
        const char* out; // what the client answers
    } rows[] = {
        {"presence with sign-in", 100, "<presence from='Romeo@Montague.net/orchard'/>",
         "romeo@montague.net Romeo online with sign-in", ""},
        {"online while any resource is", 6000,
         "<presence from='romeo@montague.net/a'/><presence from='romeo@montague.net/b'/>"
         "<presence from='romeo@montague.net/a' type='unavailable'/>"
         "<presence from='romeo@montague.net/b' type='unavailable'/>",
         "romeo@montague.net Romeo online|romeo@montague.net Romeo offline", ""},
        {"published nick, then local part", 6000,
         "<presence from='nurse@capulet.lit/x'><nick xmlns='http://jabber.org/protocol/nick'>"
         "Angelica</nick></presence><presence from='benvolio@montague.net'/>",
         "nurse@capulet.lit Angelica online|benvolio@montague.net benvolio online", ""},
        {"not a contact, or a subscription", 6000,
         "<presence from='tybalt@capulet.lit/x'/>"
         "<presence from='romeo@montague.net' type='subscribe'/>",
         "", ""},
        {"chat and normal messages", 0,
         "<message from='romeo@montague.net/a' type='chat'><body>hi</body></message>"
         "<message from='paris@verona.lit/a'><body>yo</body></message>"
         "<message from='romeo@montague.net/a' type='groupchat'><body>x</body></message>"
         "<message from='romeo@montague.net/a'><subject>x</subject></message>",
         "romeo@montague.net Romeo: hi|paris@verona.lit paris: yo", ""},
        {"XHTML-IM style", 0,
         "<message from='romeo@montague.net/a'><body>hi</body>"
         "<html xmlns='http://jabber.org/protocol/xhtml-im'><body xmlns='http://www.w3.org/1999/"
         "xhtml'><p><span style='Font-Family: \"Comic Sans MS\"; color:#ff0000'>hi</span></p>"
         "</body></html></message>",
         "romeo@montague.net Romeo: hi [Comic Sans MS/#ff0000]", ""},
        {"carbons", 0,
         "<message from='juliet@example.org'><received xmlns='urn:xmpp:carbons:2'><forwarded "
         "xmlns='urn:xmpp:forward:0'><message xmlns='jabber:client' from='romeo@montague.net/a' "
         "type='chat'><body>copy</body></message></forwarded></received></message>"
         "<message from='romeo@montague.net'><received xmlns='urn:xmpp:carbons:2'><forwarded "
         "xmlns='urn:xmpp:forward:0'><message xmlns='jabber:client' from='nurse@capulet.lit/a' "
         "type='chat'><body>forged</body></message></forwarded></received></message>"
         "<message from='juliet@example.org'><sent xmlns='urn:xmpp:carbons:2'><forwarded "
         "xmlns='urn:xmpp:forward:0'><message xmlns='jabber:client' to='romeo@montague.net/a' "
         "from='juliet@example.org/phone' type='chat'><body>mine</body></message></forwarded>"
         "</sent></message>",
         "romeo@montague.net Romeo: copy", ""},
        {"message error", 0,
         "<message from='romeo@montague.net' type='error'><error type='cancel'><item-not-found "
         "xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error></message>",
         "error romeo@montague.net: item-not-found", ""},
        {"ping and other requests", 0,
         "<iq from='example.org' id='p1' type='get'><ping xmlns='urn:xmpp:ping'/></iq>"
         "<iq from='example.org' id='d1' type='get'><query "
         "xmlns='http://jabber.org/protocol/disco#info'/></iq>",
         "",
         "<iq id=\"p1\" to=\"example.org\" type=\"result\"/><iq id=\"d1\" to=\"example.org\" "
         "type=\"error\"><error type=\"cancel\"><service-unavailable "
         "xmlns=\"urn:ietf:params:xml:ns:xmpp-stanzas\"/></error></iq>"},
        {"roster pushes from the account only", 6000,
         "<iq type='set' id='r1'><query xmlns='jabber:iq:roster'><item jid='tybalt@capulet.lit' "
         "name='Tybalt'/><item jid='romeo@montague.net' subscription='remove'/></query></iq>"
         "<iq type='set' id='r2' from='mercutio@verona.lit'><query xmlns='jabber:iq:roster'>"
         "<item jid='mercutio@verona.lit'/></query></iq>"
         "<presence from='tybalt@capulet.lit/x'/><presence from='mercutio@verona.lit/x'/>"
         "<presence from='romeo@montague.net/x'/>",
         "tybalt@capulet.lit Tybalt online",
         "<iq id=\"r1\" type=\"result\"/><iq id=\"r2\" to=\"mercutio@verona.lit\" "
         "type=\"error\"><error type=\"cancel\"><service-unavailable "
         "xmlns=\"urn:ietf:params:xml:ns:xmpp-stanzas\"/></error></iq>"},
        {"stream error", 0,
         "<stream:error><conflict xmlns='urn:ietf:params:xml:ns:xmpp-streams'/><text "
         "xmlns='urn:ietf:params:xml:ns:xmpp-streams'>Replaced</text></stream:error>",
         "ended 9: conflict: Replaced", "</stream:stream>"},
        {"close", 0, "</stream:stream>", "ended 12", "</stream:stream>"},
        {"bad XML", 0, "<message><!-- x --></message>", "ended 10: a comment or a document type",
         "</stream:stream>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Server t;
        t.SignIn("SCRAM-SHA-1", kRoster);
        t.events.clear();
        t.now = row.at;
        EXPECT_EQ(t.Say(row.in), row.out);
        EXPECT_EQ(t.Lines(), row.events);
        if (t.session.State() == SessionState::Ended) {
            EXPECT_EQ(t.Say("<presence from='romeo@montague.net/a'/>"), "");
        }
    }
}

TEST(Session, KeepsAtMostTheBoundOfContacts) {
    std::string items;
    for (std::size_t i = 0; i <= Session::kMaxContacts; ++i)
        items += "<item jid='c" + std::to_string(i) + "@e'/>";
    Server t;
    t.SignIn("PLAIN", items);
    t.Say("<iq type='set' id='r1'><query xmlns='jabber:iq:roster'><item jid='x@example.org'/>"
          "</query></iq>");
    EXPECT_EQ(t.session.Contacts().size(), Session::kMaxContacts);
}

// What the client sent, the stanzas that recur named by a word.
std::string Named(std::string out) {
    const std::pair<std::string, std::string> names[] = {
        {"<stream:error><undefined-condition xmlns='urn:ietf:params:xml:ns:xmpp-streams'/>"
         "<handled-count-too-high xmlns='urn:xmpp:sm:3' h='",
         "too-high "},
        {"' send-count='", "/"},
        {"<message to=\"romeo@montague.net\" type=\"chat\" id=\"t", "text"},
        {"\"><body>", ":"},
        {"</body></message>", " "},
        {"<r xmlns='urn:xmpp:sm:3'/>", "r "},
        {"<a xmlns='urn:xmpp:sm:3' h='", "a"},
        {"'/>", " "},
        {"<resume xmlns=\"urn:xmpp:sm:3\" previd=\"s1\" h=\"4\"/>", "resume "},
        {"<iq type=\"set\" id=\"bind\"><bind xmlns=\"urn:ietf:params:xml:ns:xmpp-bind\"><resource>"
         "balcony</resource></bind></iq>",
         "bind "},
        {"<enable xmlns=\"urn:xmpp:sm:3\" resume=\"true\"/>", "enable "},
        {"<iq type=\"get\" id=\"roster\"><query xmlns=\"jabber:iq:roster\"/></iq>", "roster "},
        {"<iq type=\"set\" id=\"carbons\"><enable xmlns=\"urn:xmpp:carbons:2\"/></iq>", "carbons "},
        {"<presence/>", "presence "},
        {"<iq type=\"get\" id=\"keepalive\" to=\"example.org\"><ping "
         "xmlns=\"urn:xmpp:ping\"/></iq>",
         "ping "},
        {"</stream:error>", ""},
        {"</stream:stream>", "close "},
    };
    for (const auto& [text, name] : names)
        for (std::size_t at; (at = out.find(text)) != std::string::npos;)
            out.replace(at, text.size(), name);
    return out;
}

// Stream management, resumption and the keepalive over a session signed in with the three
// contacts, romeo and nurse online. Steps, apart by '|': 's' the server says, 't' a text to
// romeo, 'k' a tick at that time, 'n' texts until one is refused, 'c' the client closes, 'r' a
// new connection through SASL to the features (stream management offered on "rsm"), 'b' binding
// and the roster on it.
TEST(Session, ResumesAndKeepsAlive) {
    const struct {
        const char* name;
        bool sm;
        const char* steps;
        const char* out; // "!" for a text refused
        const char* events;
    } rows[] = {
        {"acks drop what they count; requests get the count", true,
         "ta <b> & :-)|s<a xmlns='urn:xmpp:sm:3' h='4'/><r xmlns='urn:xmpp:sm:3'/>|rsm",
         "text1:a &lt;b&gt; &amp; :-) r a4 resume ", ""},
        {"an ack beyond what was sent", true, "s<a xmlns='urn:xmpp:sm:3' h='4'/>",
         "too-high 4/3 close ", "ended 15: 4 acknowledged, 3 sent"},
        {"a count that is not one", true, "s<a xmlns='urn:xmpp:sm:3' h='4294967296'/>", "close ",
         "ended 11: a count that is not a number"},
        {"resumed: what the server lacks goes again, contacts as they were", true,
         "ta|tb|rsm|s<resumed xmlns='urn:xmpp:sm:3' previd='s1' h='4'/>|k9000",
         "text1:a r text2:b r resume text2:b ", "signed in 3 resumed"},
        {"resumed beyond what was sent", true,
         "rsm|s<resumed xmlns='urn:xmpp:sm:3' previd='s1' h='5'/>", "resume too-high 5/3 close ",
         "ended 15: 5 acknowledged, 3 sent"},
        {"failed: a full sign-in, the text resent once, changed contacts told at the window's end",
         true,
         "ta|rsm|s<failed xmlns='urn:xmpp:sm:3' h='3'/>|b|s<presence from='romeo@montague.net/x'/>"
         "<presence from='benvolio@montague.net/x'/>|k4999|k5000",
         "text1:a r resume bind enable roster carbons presence text1:a ",
         "signed in 3|benvolio@montague.net benvolio online|nurse@capulet.lit nurse offline"},
        {"closed by us: no resumption, no texts", true, "c|tlate|rsm", "close !bind ", "ended 13"},
        {"lost before the roster came: that stream is not resumed", true,
         "c|rsm|s<iq type='result' id='bind'><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'><jid>"
         "juliet@example.org/b</jid></bind></iq><enabled xmlns='urn:xmpp:sm:3' id='s2' resume='1'/>"
         "|rsm",
         "close bind enable roster carbons bind ", "ended 13"},
        {"256 kept: the presence, 255 texts, then texts refused until acks come", true,
         "n|s<a xmlns='urn:xmpp:sm:3' h='4'/>|tb", "255 texts text256:b r ", ""},
        {"keepalive: an ack request after a quiet minute, the end 30 s on, resumable", true,
         "k59999|k60000|k89999|k90000|rsm", "r resume ", "ended 14"},
        {"anything heard answers; texts refused when empty or not text", true,
         "k60000|s |k119999|t\x01|t", "r !!", ""},
        {"without stream management: pings; silence ends a sign-in too", false,
         "ta|k60000|k90000|tb|r|k179999|k180000", "text1:a ping !bind ", "ended 14|ended 14"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Server t;
        t.SignIn("PLAIN", kRoster, row.sm);
        t.Say("<presence from='romeo@montague.net/a'/><presence from='nurse@capulet.lit/a'/>");
        t.events.clear();
        std::string out;
        for (std::string_view steps = row.steps; !steps.empty();) {
            const std::string step(steps.substr(0, steps.find('|')));
            steps.remove_prefix(std::min(steps.size(), step.size() + 1));
            const char op = step[0];
            const std::string arg = step.substr(1);
            if (op == 's') {
                out += t.Say(arg);
            } else if (op == 't') {
                if (!t.session.SendText("romeo@montague.net", arg)) out += "!";
            } else if (op == 'k') {
                t.now = std::stoull(arg);
                t.session.Tick(t.now, t.events);
            } else if (op == 'n') {
                int n = 0;
                while (t.session.SendText("romeo@montague.net", "x"))
                    ++n;
                t.session.TakeOutput();
                out += std::to_string(n) + " texts ";
            } else if (op == 'c') {
                t.session.Close(t.events);
            } else if (op == 'r') {
                out += t.session.TakeOutput();
                t.session.Reset(false);
                t.session.Start(t.events);
                t.session.TakeOutput();
                out += t.Authenticate("PLAIN",
                                      kBindFeature + std::string(arg == "sm" ? kSmFeature : ""));
                std::erase_if(t.events, [](const SessionEvent& e) {
                    return e.kind == SessionEvent::Kind::StartTls;
                });
            } else if (op == 'b') {
                out += t.Bind(kRoster);
            }
            out += t.session.TakeOutput();
        }
        EXPECT_EQ(Named(out), row.out);
        EXPECT_EQ(t.Lines(), row.events);
    }
}

} // namespace
