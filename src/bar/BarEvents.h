#pragma once
// What the bar does with the messenger's three events: received texts become the name part
// and the message in the sender's font and colour, contact state changes become sign-in and
// sign-out lines, and a new unread-mail count in the inbox becomes the unread-mail line. Every
// item goes to the end of the bar's strip. A messenger call that fails is contained where it
// happens; no handler throws for it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/modSettings.h"
#include "messenger/Messenger.h"

namespace gb {

class colMsg;

class BarEvents final : public messenger::IMessengerEvents {
  public:
    // The bar's strip, or null while it has none (the events are then dropped).
    using StripAccess = std::function<colMsg*()>;

    // The factory and the settings (the name mode, the says-once and sign-in options, read at
    // each event) must outlive this object.
    BarEvents(StripAccess strip, messenger::IMessengerFactory& factory,
              const modSettings::SettingsRecord& settings);

    void OnTextReceived(const messenger::SessionPtr& session, const messenger::ContactPtr& sender,
                        const std::u16string& header, const std::u16string& text) override;
    void OnUserStateChanged(const messenger::ContactPtr& user, std::int32_t previousState) override;
    void OnUnreadEmailChanged(std::int32_t folder, std::int32_t unreadCount) override;

    // Whether the messenger's application object has been created (it is kept from then on).
    bool MsnAppCreated() const noexcept { return msnApp_ != nullptr; }

    // The e-mail address of the buddy whose name was put into the strip last; the strip's
    // notification lines clear it through the bar.
    std::u16string PrevBuddy;

  private:
    messenger::WindowHandle FindConversationWindow(messenger::ISession& session);
    // The nickname parsed like a message, with no blank pixels after its last item.
    static void AddNickname(colMsg& strip, std::u16string_view nickname,
                            messenger::WindowHandle hWnd);
    // The user's own status; empty when the messenger cannot tell.
    std::optional<std::int32_t> MyStatus();

    StripAccess strip_;
    messenger::IMessengerFactory& factory_;
    const modSettings::SettingsRecord& settings_;
    std::shared_ptr<messenger::IMessengerApp> msnApp_;
    std::shared_ptr<messenger::IMessenger> messenger_;
};

} // namespace gb
