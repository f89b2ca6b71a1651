#pragma once
// The stand-in messenger's state: the user's own status, the contacts, the open conversations
// and the log of calls received. Portable; the COM objects and windows (msgrsim_win32.cpp)
// read it and carry out what it decides through ISimHost.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
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
};
using ConversationRef = std::shared_ptr<Conversation>;

// What the Win32 side does for the state: windows and events.
class ISimHost {
  public:
    virtual ~ISimHost() = default;
    // Creates the conversation's window; its handle, or 0 when it could not be made.
    virtual std::intptr_t OpenWindow(const Conversation& conversation) = 0;
    virtual void CloseWindow(std::intptr_t window) = 0;
    virtual void ShowText(std::intptr_t window, const ContactData& sender,
                          const std::string& text) = 0;
    virtual void RaiseText(const ConversationRef& session, const ContactRef& sender,
                           const std::string& header, const std::string& text) = 0;
    virtual void RaiseStateChanged(const ContactRef& user, std::int32_t previous) = 0;
    virtual void RaiseUnreadMail(std::int32_t folder, std::int32_t count) = 0;
};

// What any program may make the stand-in hold; beyond these a request is refused (the log
// drops its oldest entry instead). Every conversation with a window is a real top-level
// window of the program that hosts the stand-in, whose windows are few (10,000 a process).
inline constexpr std::size_t kMaxContacts = 256;
inline constexpr std::size_t kMaxConversations = 64;
inline constexpr std::size_t kMaxLogEntries = 1000;

struct Reply {
    bool done = false;
    std::string text; // the answer, or why the request was refused
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

  private:
    // The contact of that address, created (offline, nickname = address) when new.
    ContactRef Contact(const std::string& address);
    // Why these people, in a new conversation or not, would go beyond a limit; empty if not.
    std::string Crowded(const std::vector<std::string>& addresses, bool opens) const;

    std::int32_t myStatus_ = 2;
    std::vector<ContactRef> contacts_;
    std::vector<ConversationRef> open_;
    std::deque<std::string> log_; // the newest kMaxLogEntries
};

} // namespace msgrsim
