#pragma once
// The stand-in messenger's state: the user's own status, the contacts, the open conversations
// and the log of calls received. Portable; the COM objects and windows (msgrsim_win32.cpp)
// read it and carry out what it decides through ISimHost.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "SimProtocol.h"

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

struct Reply {
    bool done = false;
    std::string text; // the answer, or why the request was refused
};

class SimState {
  public:
    std::int32_t MyStatus() const { return myStatus_; }
    const std::vector<ConversationRef>& Conversations() const { return open_; }
    const std::vector<std::string>& CallLog() const { return log_; }

    // The contact of that address, created (offline, nickname = address) when new.
    ContactRef Contact(const std::string& address);
    // The open conversation with exactly these participants in this order, or null.
    ConversationRef FindConversation(const std::vector<std::string>& addresses) const;
    // That conversation, opened (window and log entry) when it is not open yet.
    ConversationRef OpenConversation(const std::vector<std::string>& addresses, ISimHost& host,
                                     bool withWindow = true);
    // The window was closed (by the user or by a request).
    void WindowClosed(std::intptr_t window);

    void LogCall(std::string entry) { log_.push_back(std::move(entry)); }

    Reply Apply(const Request& request, ISimHost& host);
    std::string Describe() const;

  private:
    std::int32_t myStatus_ = 2;
    std::vector<ContactRef> contacts_;
    std::vector<ConversationRef> open_;
    std::vector<std::string> log_;
};

} // namespace msgrsim
