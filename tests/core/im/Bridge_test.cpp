#include "im/Bridge.h"

#include <gtest/gtest.h>

#include <ostream>

namespace msgrsim {
void PrintTo(const Request& r, std::ostream* os) {
    *os << static_cast<int>(r.op);
    for (const auto& a : r.args)
        *os << " [" << a << "]";
}
} // namespace msgrsim

namespace {

using msgrsim::Op;
using msgrsim::Request;
using Kind = xmpp::SessionEvent::Kind;
using Requests = std::vector<Request>;

xmpp::SessionEvent Event(Kind kind) {
    xmpp::SessionEvent e;
    e.kind = kind;
    return e;
}

xmpp::SessionEvent Presence(std::string jid, bool online, bool withSignIn,
                            std::string nick = "Romeo") {
    xmpp::SessionEvent e = Event(Kind::ContactChanged);
    e.jid = std::move(jid);
    e.nickname = std::move(nick);
    e.online = online;
    e.withSignIn = withSignIn;
    return e;
}

// A session as the stand-ins hear it: the roster and the presences that come with sign-in
// fill the contacts silently; later changes are state changes from the state the contact had;
// a text comes from its sender alone, into the messenger's window; losing the session only
// takes the user offline, and a snapshot tells a newcomer everything.
TEST(Bridge, ASessionAsTheStandInsHearIt) {
    im::Bridge bridge;
    xmpp::SessionEvent signedIn = Event(Kind::SignedIn);
    signedIn.roster = {{"romeo@x", "Romeo", false}, {"nurse@x", "nurse", false}};
    xmpp::SessionEvent text = Event(Kind::TextReceived);
    text.jid = "romeo@x";
    text.text = "hi :)";
    text.font = "'Comic Sans MS', cursive";
    text.colour = "#f00";
    const std::pair<xmpp::SessionEvent, Requests> steps[] = {
        {signedIn,
         {{Op::Contacts, {"romeo@x", "Romeo", "1", "nurse@x", "nurse", "1"}}, {Op::Status, {"2"}}}},
        {Presence("romeo@x", true, true), {{Op::Contacts, {"romeo@x", "Romeo", "2"}}}},
        {Presence("nurse@x", true, false, "Nurse"), {{Op::State, {"nurse@x", "2", "1", "Nurse"}}}},
        // Another resource of someone online: no line.
        {Presence("nurse@x", true, false, "Nurse"), {{Op::Contacts, {"nurse@x", "Nurse", "2"}}}},
        {text,
         {{Op::Text,
           {"romeo@x", "Romeo", "CO=0000ff; FN=Comic%20Sans%20MS; EF=; CS=0; PF=22", "hi :)",
            "romeo@x", "0"}}}},
        {Event(Kind::Ended), {{Op::Status, {"1"}}}},
        {Presence("romeo@x", false, false), {{Op::State, {"romeo@x", "1", "2", "Romeo"}}}},
    };
    for (const auto& [event, requests] : steps) {
        SCOPED_TRACE(static_cast<int>(event.kind));
        EXPECT_EQ(bridge.OnEvent(event), requests);
    }
    EXPECT_EQ(bridge.Window("romeo@x", 4242), (Request{Op::Window, {"romeo@x", "4242"}}));
    EXPECT_EQ(bridge.Snapshot(),
              (Requests{{Op::Contacts, {"nurse@x", "Nurse", "2", "romeo@x", "Romeo", "1"}},
                        {Op::Status, {"1"}},
                        {Op::Window, {"romeo@x", "4242"}}}));
    bridge.Window("romeo@x", 0);
    EXPECT_EQ(bridge.Snapshot().size(), 2u);
}

// A roster too large for one request goes in several, each within the stand-in's bound, also
// when the addresses are as long as an address may be; none is left out.
TEST(Bridge, ALargeRosterInRequestsTheStandInTakes) {
    for (const std::size_t local : {1u, 3000u}) {
        im::Bridge bridge;
        xmpp::SessionEvent signedIn = Event(Kind::SignedIn);
        for (int k = 0; k < 10'000; ++k)
            signedIn.roster.push_back(
                {std::string(local, 'c') + std::to_string(k) + "@x", std::string(256, 'n'), false});
        const Requests out = bridge.OnEvent(signedIn);
        std::size_t contacts = 0;
        for (const auto& r : out) {
            if (r.op != Op::Contacts) continue;
            EXPECT_LE(msgrsim::EncodeArgs(r.args).size(), msgrsim::kMaxRequestBytes);
            contacts += r.args.size() / 3;
        }
        EXPECT_EQ(contacts, 10'000u);
        if (local == 1) {
            EXPECT_EQ(out.size(), 10'000 / im::Bridge::kContactsPerRequest + 1);
        }
    }
}

TEST(Bridge, TheHeaderOfAStyledMessage) {
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"Verdana", "", "CO=0; FN=Verdana; EF=; CS=0; PF=22"},
        {"", "Navy", "CO=800000; FN=Arial; EF=; CS=0; PF=22"},
        {"\"Times New Roman\", serif", "#00FF00",
         "CO=00ff00; FN=Times%20New%20Roman; EF=; CS=0; PF=22"},
        {"", "rgb(1,2,3)", "FN=Arial; EF=; CO=0; CS=0; PF=22"},
        {"a;b", "#123456", "CO=563412; FN=Arial; EF=; CS=0; PF=22"},
    };
    for (const auto& [font, colour, header] : rows) {
        SCOPED_TRACE(font + "|" + colour);
        EXPECT_EQ(im::HeaderFor(font, colour), header);
    }
}

} // namespace
