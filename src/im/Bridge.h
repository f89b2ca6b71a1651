#pragma once
// What the messenger tells the stand-ins (one in each program attached to it) of its session,
// as requests of the stand-in's wire format: the roster as contacts without events, sign-ins
// and sign-outs after sign-in as state changes, texts with their format header, its own status,
// and its conversation windows. Portable.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "SimRequest.h"
#include "xmpp/Session.h"

namespace im {

// The stand-in's numbers for a contact's and the user's own state.
inline constexpr std::int32_t kOffline = 1;
inline constexpr std::int32_t kOnline = 2;

// The format header for an XHTML-IM font family and CSS colour as a message gave them: the
// first family of a list, unquoted; "#rgb", "#rrggbb" or one of the sixteen basic colour
// names. What cannot be read is left at its default; nothing at all gives the default header.
std::string HeaderFor(std::string_view fontFamily, std::string_view cssColour);

class Bridge {
  public:
    // Contacts per request, at most: the stand-in takes 64 KiB at once, so a request also ends
    // before it would pass that (addresses and nicknames may be long).
    static constexpr std::size_t kContactsPerRequest = 200;

    // A session event as requests for every stand-in; none for what the bar does not see. A
    // text the messenger has no window for comes from a session that no window shows.
    std::vector<msgrsim::Request> OnEvent(const xmpp::SessionEvent& e, bool inWindow = true);
    // The session ended or the user signed out: the user is offline.
    std::vector<msgrsim::Request> SignedOut();
    // The messenger's window for a contact opened (or, with 0, closed).
    msgrsim::Request Window(const std::string& jid, std::intptr_t window);
    // Everything a stand-in that has just come needs: the contacts, the status, the windows.
    std::vector<msgrsim::Request> Snapshot() const;

    bool IsSignedIn() const { return signedIn_; }
    std::size_t ContactCount() const { return contacts_.size(); }
    // The contact's nickname as the bar shows it; the JID's local part when unknown.
    std::string Nickname(const std::string& jid) const;

  private:
    struct Known {
        std::string nickname;
        bool online = false;
    };
    std::vector<msgrsim::Request> ContactRequests(const std::vector<std::string>& jids) const;

    std::map<std::string, Known> contacts_;
    std::map<std::string, std::intptr_t> windows_;
    bool signedIn_ = false;
};

} // namespace im
