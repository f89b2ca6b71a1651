#pragma once
// A red notification text whose click asks the messenger to act.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "messenger/Messenger.h"
#include "strip/TextRun.h"
#include "strip/clsItem.h"
#include "surface/StdFont.h"
#include "surface/Surface.h"

namespace gb {

inline constexpr std::int32_t actUnreadMail = 1;  // parameter: the number of unread e-mails
inline constexpr std::int32_t actBuddyLogon = 2;  // parameter: the buddy's contact
inline constexpr std::int32_t actBuddyLogoff = 3; // parameter: the buddy's contact

// Nothing, a number, or a contact (held for as long as the item lives).
using ActionParameter = std::variant<std::monostate, std::int32_t, messenger::ContactPtr>;

class clsAction final : public clsItem, public TextRun {
  public:
    static constexpr ItemKind kKind = ItemKind::Action;

    // Empty, red, in a new Arial font of the host's font size.
    explicit clsAction(const StripHost& host);

    // Stores the action and composes Text from the settings (UnreadMail with PlaceHolder
    // replaced, or BuddyLogon / BuddyLogoff after the name the NameMode asks for). Called
    // once, right after creation.
    void SetAction(std::int32_t actAction, ActionParameter vntParameter);

    float Width() const override;
    // Opens the inbox or a conversation with the buddy; a messenger that cannot be reached
    // or fails makes the click do nothing.
    void OnClick(std::size_t index) override;

  private:
    std::int32_t actionKind_ = 0;
    ActionParameter actionParameter_;
};

} // namespace gb
