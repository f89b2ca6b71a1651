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

class FakeContact final : public messenger::IContact {
  public:
    FakeContact(std::u16string address, std::u16string nickname,
                std::int32_t initialState = messenger::kStateOnline)
        : emailAddress(std::move(address)), friendlyName(std::move(nickname)), state(initialState) {
    }
    std::optional<std::u16string> emailAddress;
    std::optional<std::u16string> friendlyName;
    std::optional<std::int32_t> state;

    std::optional<std::u16string> FriendlyName() override { return friendlyName; }
    std::optional<std::u16string> EmailAddress() override { return emailAddress; }
    std::optional<std::int32_t> State() override { return state; }
};

// A contact whose address or nickname the messenger cannot give (nullopt).
inline std::shared_ptr<FakeContact> Contact(std::optional<std::u16string> address,
                                            std::optional<std::u16string> nickname = {}) {
    auto c = std::make_shared<FakeContact>(u"", u"");
    c->emailAddress = std::move(address);
    c->friendlyName = std::move(nickname);
    return c;
}

// What the lists below share: a count that may claim more or fewer items than there are, and
// a record of the walks: askedPastFailure is set when a walk (from index 0) asks for an item
// after one that failed.
class WalkRecord {
  public:
    std::optional<std::int32_t> claimedCount; // the count the list answers instead of its size
    bool countFails = false;
    int itemCalls = 0;
    bool askedPastFailure = false;

  protected:
    std::optional<std::int32_t> CountOf(std::size_t size) const {
        if (countFails) return std::nullopt;
        return claimedCount ? *claimedCount : static_cast<std::int32_t>(size);
    }
    template <class T> T Record(std::int32_t index, T item) {
        ++itemCalls;
        if (index == 0) failedAt_ = -1;
        if (failedAt_ >= 0 && index > failedAt_) askedPastFailure = true;
        if (!item && failedAt_ < 0) failedAt_ = index;
        return item;
    }

  private:
    std::int32_t failedAt_ = -1;
};

template <class T> T At(const std::vector<T>& items, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return nullptr;
    return items[static_cast<std::size_t>(index)];
}

class FakeContactList final : public messenger::IContactList, public WalkRecord {
  public:
    std::vector<messenger::ContactPtr> contacts;

    std::optional<std::int32_t> Count() override { return CountOf(contacts.size()); }
    messenger::ContactPtr Item(std::int32_t index) override {
        return Record(index, At(contacts, index));
    }
};

class FakeSession final : public messenger::ISession {
  public:
    std::shared_ptr<FakeContactList> participants = std::make_shared<FakeContactList>();
    std::shared_ptr<messenger::IContactList> Participants() override { return participants; }
};

class FakeConversationWindow final : public messenger::IConversationWindow {
  public:
    std::shared_ptr<FakeSession> session = std::make_shared<FakeSession>();
    std::optional<messenger::WindowHandle> hwnd;

    messenger::SessionPtr Session() override { return session; }
    std::optional<messenger::WindowHandle> HWnd() override { return hwnd; }
};

// shrinkAfter: after that many calls of Item the list loses its last window, as a list does
// whose window closes while it is walked.
class FakeWindowList final : public messenger::IWindowList, public WalkRecord {
  public:
    std::vector<std::shared_ptr<FakeConversationWindow>> windows;
    int shrinkAfter = -1;

    std::optional<std::int32_t> Count() override { return CountOf(windows.size()); }
    std::shared_ptr<messenger::IConversationWindow> Item(std::int32_t index) override {
        if (itemCalls >= shrinkAfter && shrinkAfter >= 0 && !windows.empty()) windows.pop_back();
        return Record<std::shared_ptr<messenger::IConversationWindow>>(index, At(windows, index));
    }
};

class FakeMessengerApp final : public messenger::IMessengerApp {
  public:
    std::shared_ptr<FakeWindowList> windows = std::make_shared<FakeWindowList>();
    bool windowsFail = false;
    std::shared_ptr<messenger::IWindowList> Windows() override {
        if (windowsFail) return nullptr;
        return windows;
    }
};

class FakeMessenger final : public messenger::IMessenger {
  public:
    std::vector<std::u16string> calls; // "OpenInbox", "InstantMessage(address)"
    bool raise = false;                // throws, as a broken binding might
    std::optional<std::int32_t> myStatus = messenger::kStateOnline;

    bool OpenInbox() override {
        Raise();
        calls.push_back(u"OpenInbox");
        return true;
    }
    bool InstantMessage(const std::u16string& emailAddress) override {
        Raise();
        calls.push_back(u"InstantMessage(" + emailAddress + u")");
        return !emailAddress.empty();
    }
    std::optional<std::int32_t> MyStatus() override { return myStatus; }

  private:
    void Raise() const {
        if (raise) throw std::runtime_error("messenger gone");
    }
};

// Hands out the same app and messenger each time, or null while "absent".
class FakeMessengerFactory final : public messenger::IMessengerFactory {
  public:
    std::shared_ptr<FakeMessengerApp> app = std::make_shared<FakeMessengerApp>();
    std::shared_ptr<FakeMessenger> messenger = std::make_shared<FakeMessenger>();
    bool absent = false;
    int appsCreated = 0;

    std::shared_ptr<messenger::IMessengerApp> CreateApp() override {
        if (absent) return nullptr;
        ++appsCreated;
        return app;
    }
    std::shared_ptr<messenger::IMessenger> CreateMessenger() override {
        if (absent) return nullptr;
        return messenger;
    }
};

} // namespace fakes
