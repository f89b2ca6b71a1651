#pragma once
// Hand-written fakes of the portable messenger interfaces (messenger/Messenger.h), one per
// interface, for the host tests of the code that uses them. Every value is a plain public
// member; an empty optional or a null pointer plays a failing call of the messenger.
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "messenger/Messenger.h"

namespace fakes {

// A contact whose address or nickname the messenger cannot give is nullopt.
struct FakeContact final : messenger::IContact {
    FakeContact(std::optional<std::u16string> address, std::optional<std::u16string> nickname)
        : emailAddress(std::move(address)), friendlyName(std::move(nickname)) {}
    std::optional<std::u16string> emailAddress, friendlyName;
    std::optional<std::int32_t> state = messenger::kStateOnline;
    std::optional<std::u16string> FriendlyName() override { return friendlyName; }
    std::optional<std::u16string> EmailAddress() override { return emailAddress; }
    std::optional<std::int32_t> State() override { return state; }
};

inline std::shared_ptr<FakeContact> Contact(std::optional<std::u16string> address,
                                            std::optional<std::u16string> nickname = {}) {
    return std::make_shared<FakeContact>(std::move(address), std::move(nickname));
}

// What the lists below share: a count that may claim more or fewer items than there are, and
// walks that must end at the first item that cannot be read: asking past it (in a walk from
// index 0) throws.
struct WalkRecord {
    std::optional<std::int32_t> claimedCount; // the count the list answers instead of its size
    bool countFails = false;
    int itemCalls = 0;
    std::int32_t failedAt = -1;
    std::optional<std::int32_t> CountOf(std::size_t size) const {
        if (countFails) return std::nullopt;
        return claimedCount.value_or(static_cast<std::int32_t>(size));
    }
    template <class T> T ItemOf(const std::vector<T>& items, std::int32_t index) {
        ++itemCalls;
        if (index == 0) failedAt = -1;
        if (failedAt >= 0 && index > failedAt) throw std::logic_error("walked past a failure");
        T item = index >= 0 && index < std::ssize(items) ? items[static_cast<std::size_t>(index)]
                                                         : nullptr;
        if (!item && failedAt < 0) failedAt = index;
        return item;
    }
};

struct FakeContactList final : messenger::IContactList, WalkRecord {
    std::vector<messenger::ContactPtr> contacts;
    std::optional<std::int32_t> Count() override { return CountOf(contacts.size()); }
    messenger::ContactPtr Item(std::int32_t index) override { return ItemOf(contacts, index); }
};

struct FakeSession final : messenger::ISession {
    std::shared_ptr<FakeContactList> participants = std::make_shared<FakeContactList>();
    std::shared_ptr<messenger::IContactList> Participants() override { return participants; }
};

struct FakeConversationWindow final : messenger::IConversationWindow {
    std::shared_ptr<FakeSession> session = std::make_shared<FakeSession>();
    std::optional<messenger::WindowHandle> hwnd;
    messenger::SessionPtr Session() override { return session; }
    std::optional<messenger::WindowHandle> HWnd() override { return hwnd; }
};

// shrinkAfter: after that many calls of Item the list loses its last window, as a list does
// whose window closes while it is walked.
struct FakeWindowList final : messenger::IWindowList, WalkRecord {
    std::vector<std::shared_ptr<FakeConversationWindow>> windows;
    int shrinkAfter = -1;
    std::optional<std::int32_t> Count() override { return CountOf(windows.size()); }
    std::shared_ptr<messenger::IConversationWindow> Item(std::int32_t index) override {
        if (itemCalls >= shrinkAfter && shrinkAfter >= 0 && !windows.empty()) windows.pop_back();
        return ItemOf(windows, index);
    }
};

struct FakeMessengerApp final : messenger::IMessengerApp {
    std::shared_ptr<FakeWindowList> windows = std::make_shared<FakeWindowList>();
    bool windowsFail = false;
    std::shared_ptr<messenger::IWindowList> Windows() override {
        return windowsFail ? nullptr : windows;
    }
};

struct FakeMessenger final : messenger::IMessenger {
    std::vector<std::u16string> calls; // "OpenInbox", "InstantMessage(address)"
    bool raise = false;                // throws, as a broken binding might
    std::optional<std::int32_t> myStatus = messenger::kStateOnline;

    bool OpenInbox() override { return Call(u"OpenInbox", true); }
    bool InstantMessage(const std::u16string& address) override {
        return Call(u"InstantMessage(" + address + u")", !address.empty());
    }
    bool Call(std::u16string what, bool result) {
        if (raise) throw std::runtime_error("messenger gone");
        calls.push_back(std::move(what));
        return result;
    }
    std::optional<std::int32_t> MyStatus() override { return myStatus; }
};

// Hands out the same app and messenger each time, or null while "absent".
struct FakeMessengerFactory final : messenger::IMessengerFactory {
    std::shared_ptr<FakeMessengerApp> app = std::make_shared<FakeMessengerApp>();
    std::shared_ptr<FakeMessenger> messenger = std::make_shared<FakeMessenger>();
    bool absent = false;
    int appsCreated = 0;

    std::shared_ptr<messenger::IMessengerApp> CreateApp() override {
        return absent ? nullptr : (++appsCreated, app);
    }
    std::shared_ptr<messenger::IMessenger> CreateMessenger() override {
        return absent ? nullptr : messenger;
    }
};

} // namespace fakes
