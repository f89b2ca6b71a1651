#include "Bridge.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "contract/MessageFormat.h"

namespace im {
namespace {

using msgrsim::Op;
using msgrsim::Request;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string FirstFamily(std::string_view family) {
    family = Trim(family.substr(0, family.find(',')));
    if (family.size() >= 2 && (family.front() == '"' || family.front() == '\'') &&
        family.back() == family.front())
        family = family.substr(1, family.size() - 2);
    return std::string(Trim(family));
}

// "#RRGGBB", or empty when the colour is not one the bar can show.
std::string WebColour(std::string_view css) {
    struct Named {
        std::string_view name, rgb;
    };
    static constexpr std::array<Named, 16> kNames = {{{"black", "000000"},
                                                      {"silver", "c0c0c0"},
                                                      {"gray", "808080"},
                                                      {"white", "ffffff"},
                                                      {"maroon", "800000"},
                                                      {"red", "ff0000"},
                                                      {"purple", "800080"},
                                                      {"fuchsia", "ff00ff"},
                                                      {"green", "008000"},
                                                      {"lime", "00ff00"},
                                                      {"olive", "808000"},
                                                      {"yellow", "ffff00"},
                                                      {"navy", "000080"},
                                                      {"blue", "0000ff"},
                                                      {"teal", "008080"},
                                                      {"aqua", "00ffff"}}};
    const std::string c = Lower(Trim(css));
    for (const auto& n : kNames)
        if (c == n.name) return std::string(n.rgb);
    const auto hex = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](unsigned char x) { return std::isxdigit(x); });
    };
    if (c.size() == 7 && c[0] == '#' && hex(c.substr(1))) return c.substr(1);
    if (c.size() == 4 && c[0] == '#' && hex(c.substr(1)))
        return {c[1], c[1], c[2], c[2], c[3], c[3]};
    return {};
}

std::string Number(std::int32_t n) { return std::to_string(n); }

} // namespace

std::string HeaderFor(std::string_view fontFamily, std::string_view cssColour) {
    const std::string font = FirstFamily(fontFamily);
    const std::string colour = WebColour(cssColour);
    if (font.empty() && colour.empty()) return std::string(messenger::kDefaultFormat);
    if (auto header = messenger::FormatHeader(font, colour)) return *header;
    // A family the header cannot carry: the colour alone.
    if (auto header = messenger::FormatHeader({}, colour)) return *header;
    return std::string(messenger::kDefaultFormat);
}

std::string Bridge::Nickname(const std::string& jid) const {
    if (auto k = contacts_.find(jid); k != contacts_.end() && !k->second.nickname.empty())
        return k->second.nickname;
    return jid.substr(0, jid.find('@'));
}

std::vector<Request> Bridge::ContactRequests(const std::vector<std::string>& jids) const {
    std::vector<Request> out;
    std::size_t bytes = 0;
    for (const std::string& jid : jids) {
        const Known& k = contacts_.at(jid);
        std::string nickname = Nickname(jid);
        std::string state = Number(k.online ? kOnline : kOffline);
        const std::size_t size = jid.size() + nickname.size() + state.size() + 3; // the NULs
        if (out.empty() || out.back().args.size() >= 3 * kContactsPerRequest ||
            bytes + size > msgrsim::kMaxRequestBytes) {
            out.push_back(Request{Op::Contacts, {}});
            bytes = 0;
        }
        out.back().args.insert(out.back().args.end(), {jid, std::move(nickname), std::move(state)});
        bytes += size;
    }
    return out;
}

std::vector<Request> Bridge::OnEvent(const xmpp::SessionEvent& e, bool inWindow) {
    using Kind = xmpp::SessionEvent::Kind;
    switch (e.kind) {
    case Kind::SignedIn: {
        signedIn_ = true;
        std::vector<std::string> jids;
        for (const auto& c : e.roster) {
            contacts_[c.jid] = Known{c.nickname, c.online};
            jids.push_back(c.jid);
        }
        std::vector<Request> out = ContactRequests(jids);
        out.push_back(Request{Op::Status, {Number(kOnline)}});
        return out;
    }
    case Kind::ContactChanged: {
        Known& k = contacts_[e.jid];
        const bool was = k.online;
        k.nickname = e.nickname;
        k.online = e.online;
        if (e.withSignIn || was == e.online) return ContactRequests({e.jid});
        return {Request{Op::State,
                        {e.jid, Number(e.online ? kOnline : kOffline),
                         Number(was ? kOnline : kOffline), Nickname(e.jid)}}};
    }
    case Kind::TextReceived: {
        if (e.text.empty()) return {};
        const std::string nickname = e.nickname.empty() ? Nickname(e.jid) : e.nickname;
        return {Request{
            Op::Text,
            {e.jid, nickname, HeaderFor(e.font, e.colour), e.text, e.jid, inWindow ? "0" : "1"}}};
    }
    case Kind::Ended:
        return SignedOut();
    default:
        return {};
    }
}

std::vector<Request> Bridge::SignedOut() {
    // The contacts keep their states: the session, signed in again, reports only those that
    // changed meanwhile, and the bar gets a line for each of those.
    signedIn_ = false;
    return {Request{Op::Status, {Number(kOffline)}}};
}

Request Bridge::Window(const std::string& jid, std::intptr_t window) {
    if (window) {
        windows_[jid] = window;
    } else {
        windows_.erase(jid);
    }
    return Request{Op::Window, {jid, std::to_string(window)}};
}

std::vector<Request> Bridge::Snapshot() const {
    std::vector<std::string> jids;
    for (const auto& [jid, k] : contacts_)
        jids.push_back(jid);
    std::vector<Request> out = ContactRequests(jids);
    out.push_back(Request{Op::Status, {Number(signedIn_ ? kOnline : kOffline)}});
    for (const auto& [jid, window] : windows_)
        out.push_back(Request{Op::Window, {jid, std::to_string(window)}});
    return out;
}

} // namespace im
