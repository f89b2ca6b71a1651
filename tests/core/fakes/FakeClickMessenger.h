#pragma once
// The messenger as action clicks see it: a contact with an address, a messenger object that
// records what it is asked (or throws), and a factory that may have none to give.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "messenger/Messenger.h"

namespace fakes {

class AddressOnlyContact final : public messenger::IContact {
  public:
    std::optional<std::u16string> address;
    explicit AddressOnlyContact(std::optional<std::u16string> a) : address(std::move(a)) {}
    std::optional<std::u16string> FriendlyName() override { return std::nullopt; }
    std::optional<std::u16string> EmailAddress() override { return address; }
    std::optional<std::int32_t> State() override { return std::nullopt; }
};

class FakeClickMessenger final : public messenger::IMessenger {
  public:
    int inboxOpened = 0;
    std::vector<std::u16string> conversations;
    bool raise = false; // throws, as a broken binding might
    bool OpenInbox() override { return Raise(), ++inboxOpened > 0; }
    bool InstantMessage(const std::u16string& address) override {
        return Raise(), conversations.push_back(address), true;
    }
    std::optional<std::int32_t> MyStatus() override { return std::nullopt; }

  private:
    void Raise() const {
        if (raise) throw std::runtime_error("messenger gone");
    }
};

class FakeClickMessengerFactory final : public messenger::IMessengerFactory {
  public:
    std::shared_ptr<FakeClickMessenger> messenger = std::make_shared<FakeClickMessenger>();
    bool none = false;
    std::shared_ptr<messenger::IMessengerApp> CreateApp() override { return nullptr; }
    std::shared_ptr<messenger::IMessenger> CreateMessenger() override {
        return none ? nullptr : messenger;
    }
};

} // namespace fakes
