#include "SimState.h"

#include <algorithm>
#include <charconv>

namespace msgrsim {
namespace {

std::string JoinAddresses(const std::vector<ContactRef>& contacts) {
    std::string out;
    for (const auto& c : contacts) {
        if (!out.empty()) out += ", ";
        out += c->address;
    }
    return out;
}

Reply Done(std::string text = {}) { return Reply{true, std::move(text)}; }
Reply Refused(std::string why) { return Reply{false, std::move(why)}; }

// A window handle as the messenger writes it: decimal, 0 or more.
std::optional<std::intptr_t> ParseHandle(std::string_view text) {
    std::intptr_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

} // namespace

ContactRef SimState::Contact(const std::string& address) {
    if (auto known = byAddress_.find(address); known != byAddress_.end()) return known->second;
    auto c = std::make_shared<ContactData>(ContactData{address, address, 1});
    contacts_.push_back(c);
    byAddress_.emplace(address, c);
    return c;
}

ConversationRef SimState::FindConversation(const std::vector<std::string>& addresses) const {
    for (const auto& conversation : open_) {
        const auto& p = conversation->participants;
        if (p.size() == addresses.size() &&
            std::equal(p.begin(), p.end(), addresses.begin(),
                       [](const ContactRef& c, const std::string& a) { return c->address == a; })) {
            return conversation;
        }
    }
    return nullptr;
}

std::string SimState::Crowded(const std::vector<std::string>& addresses, bool opens) const {
    if (opens && open_.size() >= kMaxConversations) {
        return "too many open conversations (limit " + std::to_string(kMaxConversations) +
               "); close one first";
    }
    std::vector<std::string_view> unknown;
    for (const auto& a : addresses) {
        if (!byAddress_.contains(a) &&
            std::find(unknown.begin(), unknown.end(), a) == unknown.end()) {
            unknown.push_back(a);
            if (contacts_.size() + unknown.size() > kMaxContacts) {
                return "too many contacts (limit " + std::to_string(kMaxContacts) + ")";
            }
        }
    }
    return {};
}

void SimState::LogCall(std::string entry) {
    if (log_.size() >= kMaxLogEntries) log_.pop_front();
    log_.push_back(std::move(entry));
}

ConversationRef SimState::OpenConversation(const std::vector<std::string>& addresses,
                                           ISimHost& host, bool withWindow) {
    if (auto existing = FindConversation(addresses)) return existing;
    if (!Crowded(addresses, withWindow).empty()) return nullptr;
    auto conversation = std::make_shared<Conversation>();
    for (const auto& a : addresses)
        conversation->participants.push_back(Contact(a));
    if (!withWindow) return conversation; // a session that no window shows
    conversation->window = host.OpenWindow(*conversation);
    open_.push_back(conversation);
    LogCall("conversation opened (" + JoinAddresses(conversation->participants) + ")");
    return conversation;
}

void SimState::WindowClosed(std::intptr_t window) {
    if (window == 0) return; // not a window: conversations without one are closed by request
    std::erase_if(open_, [&](const ConversationRef& c) {
        if (c->window != window) return false;
        c->window = 0;
        return true;
    });
}

Reply SimState::Apply(const Request& request, ISimHost& host) {
    const auto& a = request.args;
    switch (request.op) {
    case Op::Text: {
        const auto participants = ParseAddressList(a[4]);
        if (a[0].empty() || !participants) return Refused("no sender or participants");
        const bool withWindow = a[5] != "1";
        auto everyone = *participants;
        everyone.push_back(a[0]);
        if (auto why = Crowded(everyone, withWindow && !FindConversation(*participants));
            !why.empty()) {
            return Refused(why);
        }
        ConversationRef session = OpenConversation(*participants, host, withWindow);
        if (!session) return Refused("no room for the conversation"); // Crowded said so above
        ContactRef sender = Contact(a[0]);
        if (!a[1].empty()) sender->nickname = a[1];
        // Whoever writes is evidently there.
        if (sender->state == 0 || sender->state == 1) sender->state = 2;
        if (session->window != 0 && !session->external)
            host.ShowText(session->window, *sender, a[3]);
        host.RaiseText(session, sender, a[2], a[3]);
        return Done();
    }
    case Op::State: {
        const auto state = ParseState(a[1]);
        const auto prev = a[2].empty() ? std::optional<std::int32_t>{} : ParseState(a[2]);
        if (a[0].empty() || !state || (!a[2].empty() && !prev)) return Refused("bad state");
        if (auto why = Crowded({a[0]}, false); !why.empty()) return Refused(why);
        ContactRef user = Contact(a[0]);
        if (!a[3].empty()) user->nickname = a[3];
        const std::int32_t previous = prev ? *prev : user->state;
        user->state = *state;
        host.RaiseStateChanged(user, previous);
        return Done();
    }
    case Op::Mail: {
        const auto count = ParseNumber(a[0]);
        const auto folder = ParseNumber(a[1]);
        if (!count || !folder || *count < 0 || *folder < 0) {
            return Refused("bad count or folder");
        }
        host.RaiseUnreadMail(*folder, *count);
        return Done();
    }
    case Op::Status: {
        const auto status = ParseState(a[0]);
        if (!status) return Refused("bad status");
        myStatus_ = *status;
        return Done();
    }
    case Op::Open:
    case Op::Close: {
        const auto addresses = ParseAddressList(a[0]);
        if (!addresses) return Refused("bad participant list");
        if (request.op == Op::Open) {
            if (FindConversation(*addresses)) return Done();
            if (auto why = Crowded(*addresses, true); !why.empty()) return Refused(why);
            OpenConversation(*addresses, host);
            return Done();
        }
        const auto conversation = FindConversation(*addresses);
        if (!conversation) return Refused("no open conversation with " + a[0]);
        const std::intptr_t window = conversation->window;
        std::erase(open_, conversation);
        conversation->window = 0;
        if (window != 0) host.CloseWindow(window);
        return Done();
    }
    case Op::Contacts: {
        std::vector<std::string> addresses;
        for (std::size_t i = 0; i < a.size(); i += 3) {
            if (a[i].empty() || !ParseState(a[i + 2])) return Refused("bad contact");
            addresses.push_back(a[i]);
        }
        if (auto why = Crowded(addresses, false); !why.empty()) return Refused(why);
        for (std::size_t i = 0; i < a.size(); i += 3) {
            ContactRef c = Contact(a[i]);
            if (!a[i + 1].empty()) c->nickname = a[i + 1];
            c->state = *ParseState(a[i + 2]);
        }
        return Done();
    }
    case Op::Window: {
        const auto participants = ParseAddressList(a[0]);
        const auto window = ParseHandle(a[1]);
        if (!participants || !window) return Refused("bad participants or window");
        return MessengerWindowFor(*participants, *window, host);
    }
    case Op::Log: {
        std::string text;
        for (const auto& entry : log_)
            text += entry + "\n";
        return Done(text);
    }
    case Op::Show:
        return Done(Describe());
    }
    return Refused("unknown request");
}

Reply SimState::MessengerWindowFor(const std::vector<std::string>& participants,
                                   std::intptr_t window, ISimHost& host) {
    ConversationRef open = FindConversation(participants);
    if (window == 0) {
        // Only the messenger's own windows are its to close.
        if (open && open->external) {
            std::erase(open_, open);
            open->window = 0;
        }
        return Done();
    }
    if (open) {
        if (!open->external && open->window != 0) host.CloseWindow(open->window);
        open->window = window;
        open->external = true;
        return Done();
    }
    if (auto why = Crowded(participants, true); !why.empty()) return Refused(why);
    auto conversation = std::make_shared<Conversation>();
    for (const auto& p : participants)
        conversation->participants.push_back(Contact(p));
    conversation->window = window;
    conversation->external = true;
    open_.push_back(conversation);
    return Done();
}

Answer SimState::Take(std::uint64_t tag, std::optional<std::string_view> data, ReplyWindow to,
                      ISimHost& host) {
    const Screened screened = ScreenCopyData(tag, data, to);
    if (!screened.request) return Answer{screened.result, std::nullopt};
    Reply reply = Apply(*screened.request, host);
    if (screened.request->op == Op::Show)
        reply.text += "events delivered: " + std::to_string(delivered_) + "\n";
    Answer answer{reply.done ? kResultDone : kResultRefused, std::nullopt};
    if (to == ReplyWindow::Foreign) answer.reply = std::move(reply.text);
    return answer;
}

ConversationRef SimState::InstantMessage(const std::string& address, ISimHost& host) {
    LogCall("InstantMessage(" + address + ")");
    const std::vector<std::string> participants{address};
    // The project's messenger, when it runs, holds the conversations and brings its own forward.
    if (const std::intptr_t window = host.MessengerWindow(address)) {
        MessengerWindowFor(participants, window, host);
        return FindConversation(participants);
    }
    if (auto open = FindConversation(participants)) {
        if (open->window != 0) host.BringForward(open->window);
        return open;
    }
    return OpenConversation(participants, host);
}

std::string SimState::Describe() const {
    std::string out = "status: " + StateName(myStatus_) + "\n";
    out += "contacts:\n";
    for (const auto& c : contacts_) {
        out += "  " + c->address + " \"" + c->nickname + "\" " + StateName(c->state) + "\n";
    }
    out += "conversations:\n";
    for (const auto& c : open_) {
        out +=
            "  (" + JoinAddresses(c->participants) + ") window " + std::to_string(c->window) + "\n";
    }
    return out;
}

} // namespace msgrsim
