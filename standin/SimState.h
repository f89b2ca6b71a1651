#pragma once
// The stand-in messenger's state: the user's own status, the contacts, the open conversations
// and the log of calls received, and what each request and call does to them. Portable; the
// COM objects (SimObjects_win32.cpp) and the server's windows (SimServer_win32.cpp) read it
// and carry out what it decides through ISimHost.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "SimRequest.h"

namespace msgrsim {

struct ContactData {
    std::string address; // UTF-8; the key
    std::string nickname;
    std::int32_t state = 1; // offline until told otherwise
};
using ContactRef = std::shared_ptr<ContactData>;

struct Conversation {
    std::vector<ContactRef> participants; // in the order they were given
    std::intptr_t window = 0;             // the window's handle; 0 when it has none
    bool external = false; // the window is the project's messenger's, not the stand-in's
};
using ConversationRef = std::shared_ptr<Conversation>;

// What the Win32 side does for the state: windows and events.
class ISimHost {
  public:
    virtual ~ISimHost() = default;
    // Creates the conversation's window; its handle, or 0 when it could not be made.
    virtual std::intptr_t OpenWindow(const Conversation& conversation) = 0;
    virtual void CloseWindow(std::intptr_t window) = 0;
    // Restores the window when minimised and puts it in front.
    virtual void BringForward(std::intptr_t window) = 0;
    virtual void ShowText(std::intptr_t window, const ContactData& sender,
                          const std::string& text) = 0;
    virtual void RaiseText(const ConversationRef& session, const ContactRef& sender,
                           const std::string& header, const std::string& text) = 0;
    virtual void RaiseStateChanged(const ContactRef& user, std::int32_t previous) = 0;
    virtual void RaiseUnreadMail(std::int32_t folder, std::int32_t count) = 0;
    // The project's own messenger's window for that contact, opened or brought forward by it;
    // 0 when no messenger runs (or it has no window for that address).
    virtual std::intptr_t MessengerWindow(const std::string& address) = 0;
};

// What any program may make the stand-in hold; beyond these a request is refused (the log
// drops its oldest entry instead). Every conversation with a window is a real top-level
// window of the program that hosts the stand-in, whose windows are few (10,000 a process). The
// contacts are as many as the project's messenger keeps of an account.
inline constexpr std::size_t kMaxContacts = 10'000;
inline constexpr std::size_t kMaxConversations = 64;
inline constexpr std::size_t kMaxLogEntries = 1000;

struct Reply {
    bool done = false;
    std::string text; // the answer, or why the request was refused
};

// What one WM_COPYDATA to the control window comes to.
struct Answer {
    std::intptr_t result = 0;         // what the message returns
    std::optional<std::string> reply; // sent back to the window in wParam; none when unanswered
};

class SimState {
  public:
    std::int32_t MyStatus() const { return myStatus_; }
    const std::vector<ConversationRef>& Conversations() const { return open_; }
    std::size_t ContactCount() const { return contacts_.size(); }
    const std::deque<std::string>& CallLog() const { return log_; }

    // The open conversation with exactly these participants in this order, or null.
    ConversationRef FindConversation(const std::vector<std::string>& addresses) const;
    // That conversation, opened (window and log entry) when it is not open yet; null when
    // that would go beyond a limit.
    ConversationRef OpenConversation(const std::vector<std::string>& addresses, ISimHost& host,
                                     bool withWindow = true);
    // The window was closed (by the user or by a request).
    void WindowClosed(std::intptr_t window);

    void LogCall(std::string entry);

    Reply Apply(const Request& request, ISimHost& host);
    std::string Describe() const;

    // A WM_COPYDATA as ScreenCopyData takes it: a well-formed request is carried out, and
    // answered only when it came from a window of another thread; the answer to Show counts
    // the events delivered so far.
    Answer Take(std::uint64_t tag, std::optional<std::string_view> data, ReplyWindow to,
                ISimHost& host);
    // A sink took an event.
    void EventDelivered() { ++delivered_; }

    // InstantMessage(address): the conversation with that contact alone, opened with its
    // window when new, its window brought forward when open already; null beyond a limit.
    ConversationRef InstantMessage(const std::string& address, ISimHost& host);

  private:
    // The contact of that address, created (offline, nickname = address) when new.
    ContactRef Contact(const std::string& address);
    // Why these people, in a new conversation or not, would go beyond a limit; empty if not.
    std::string Crowded(const std::vector<std::string>& addresses, bool opens) const;

    std::int32_t myStatus_ = 2;
    // Applies a messenger's window for these participants (0: it closed).
    Reply MessengerWindowFor(const std::vector<std::string>& participants, std::intptr_t window,
                             ISimHost& host);

    std::vector<ContactRef> contacts_;
    std::unordered_map<std::string, ContactRef> byAddress_;
    std::vector<ConversationRef> open_;
    std::deque<std::string> log_;      // the newest kMaxLogEntries
    unsigned long long delivered_ = 0; // events a sink took, for the soak's count
};

} // namespace msgrsim
