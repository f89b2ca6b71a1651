#pragma once
// A messenger for the bar's event handling: buddies, sessions with their participants, open
// conversation windows, the application and messenger objects and a factory that hands them
// out. Any read can be made to fail, as the messenger's calls may.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "messenger/Messenger.h"

namespace fakes {

class FakeBuddy final : public messenger::IContact {
  public:
    std::optional<std::u16string> nickname;
    std::optional<std::u16string> address;
    std::optional<std::int32_t> state = messenger::kStateOnline;

    FakeBuddy(std::optional<std::u16string> a, std::optional<std::u16string> n)
        : nickname(std::move(n)), address(std::move(a)) {}
    std::optional<std::u16string> FriendlyName() override { return nickname; }
    std::optional<std::u16string> EmailAddress() override { return address; }
    std::optional<std::int32_t> State() override { return state; }
};

class FakeParticipants final : public messenger::IContactList {
  public:
    std::vector<messenger::ContactPtr> contacts;
    bool countFails = false;

    std::optional<std::int32_t> Count() override {
        if (countFails) return std::nullopt;
        return static_cast<std::int32_t>(contacts.size());
    }
    messenger::ContactPtr Item(std::int32_t index) override {
        if (index < 0 || index >= static_cast<std::int32_t>(contacts.size())) return nullptr;
        return contacts[static_cast<std::size_t>(index)];
    }
};

class FakeSession final : public messenger::ISession {
  public:
    std::shared_ptr<FakeParticipants> participants = std::make_shared<FakeParticipants>();

    explicit FakeSession(std::vector<messenger::ContactPtr> contacts = {}) {
        participants->contacts = std::move(contacts);
    }
    std::shared_ptr<messenger::IContactList> Participants() override { return participants; }
};

class FakeConversationWindow final : public messenger::IConversationWindow {
  public:
    messenger::SessionPtr session;
    std::optional<messenger::WindowHandle> hWnd;

    FakeConversationWindow(messenger::SessionPtr s, std::optional<messenger::WindowHandle> h)
        : session(std::move(s)), hWnd(h) {}
    messenger::SessionPtr Session() override { return session; }
    std::optional<messenger::WindowHandle> HWnd() override { return hWnd; }
};

class FakeWindowList final : public messenger::IWindowList {
  public:
    std::vector<std::shared_ptr<messenger::IConversationWindow>> windows;
    // Runs before each Item call, with its index: a test closes windows from here.
    std::function<void(std::int32_t)> beforeItem;
    int itemCalls = 0;

    std::optional<std::int32_t> Count() override {
        return static_cast<std::int32_t>(windows.size());
    }
    std::shared_ptr<messenger::IConversationWindow> Item(std::int32_t index) override {
        ++itemCalls;
        if (beforeItem) beforeItem(index);
        if (index < 0 || index >= static_cast<std::int32_t>(windows.size())) return nullptr;
        return windows[static_cast<std::size_t>(index)];
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
    std::optional<std::int32_t> myStatus = messenger::kStateOnline;

    bool OpenInbox() override { return true; }
    bool InstantMessage(const std::u16string&) override { return true; }
    std::optional<std::int32_t> MyStatus() override { return myStatus; }
};

class FakeMessengerFactory final : public messenger::IMessengerFactory {
  public:
    std::shared_ptr<FakeMessengerApp> app = std::make_shared<FakeMessengerApp>();
    std::shared_ptr<FakeMessenger> messenger = std::make_shared<FakeMessenger>();
    bool appFails = false;
    bool messengerFails = false;
    int appCreations = 0;
    int messengerCreations = 0;

    std::shared_ptr<messenger::IMessengerApp> CreateApp() override {
        ++appCreations;
        if (appFails) return nullptr;
        return app;
    }
    std::shared_ptr<messenger::IMessenger> CreateMessenger() override {
        ++messengerCreations;
        if (messengerFails) return nullptr;
        return messenger;
    }
};

} // namespace fakes
