#include "strip/clsAction.h"

#include "app/modMain.h"
#include "strip/StripHost.h"

namespace gb {
namespace {

std::u16string DecimalText(std::int32_t value) {
    const std::string ascii = std::to_string(value);
    return {ascii.begin(), ascii.end()};
}

// Every occurrence, scanning left to right; an empty placeholder replaces nothing.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view find,
                          std::u16string_view with) {
    if (find.empty()) return std::u16string(text);
    std::u16string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(find); at != std::u16string_view::npos;
         at = text.find(find, from)) {
        result.append(text.substr(from, at - from)).append(with);
        from = at + find.size();
    }
    result.append(text.substr(from));
    return result;
}

std::u16string AddressOf(const ActionParameter& parameter) {
    const auto* contact = std::get_if<messenger::ContactPtr>(&parameter);
    if (contact == nullptr || !*contact) return {};
    return (*contact)->EmailAddress().value_or(std::u16string());
}

} // namespace

clsAction::clsAction(const StripHost& host) : clsItem(kKind, host), TextRun(host, 0x0000FF) {}

void clsAction::SetAction(std::int32_t actAction, ActionParameter vntParameter) {
    actionKind_ = actAction;
    actionParameter_ = std::move(vntParameter);
    const modSettings::SettingsRecord& settings = Host().settings;

    if (actAction == actUnreadMail) {
        const auto* count = std::get_if<std::int32_t>(&actionParameter_);
        SetText(ReplaceAll(settings.UnreadMail, settings.PlaceHolder,
                           count ? DecimalText(*count) : std::u16string()));
        if (!TextFont()) SetTextFont(std::make_shared<StdFont>(u"Arial", Host().fontSize));
        TextFont()->SetUnderline(true);
        return;
    }
    if (actAction != actBuddyLogon && actAction != actBuddyLogoff) return;

    const std::u16string& tmpl =
        actAction == actBuddyLogon ? settings.BuddyLogon : settings.BuddyLogoff;
    switch (settings.NameMode) {
    case 0:
        SetText(u" " + tmpl);
        break;
    case 1:
        SetText(AddressOf(actionParameter_) + u" " + tmpl);
        break;
    case 2:
        SetText(modMain::StripDomain(AddressOf(actionParameter_)) + u" " + tmpl);
        break;
    default:
        break;
    }
}

float clsAction::Width() const { return TextWidth(Host()) + WhiteSpace(); }

void clsAction::OnClick(std::size_t /*index*/) {
    // The click comes from a window procedure: whatever the messenger does, nothing escapes.
    try {
        if (actionKind_ != actUnreadMail && actionKind_ != actBuddyLogon) return;
        messenger::IMessengerFactory* factory = Host().messenger;
        if (factory == nullptr) return;
        const std::shared_ptr<messenger::IMessenger> msn = factory->CreateMessenger();
        if (!msn) return;
        if (actionKind_ == actUnreadMail) {
            msn->OpenInbox();
            return;
        }
        const auto* contact = std::get_if<messenger::ContactPtr>(&actionParameter_);
        if (contact == nullptr || !*contact) return;
        const std::optional<std::u16string> address = (*contact)->EmailAddress();
        if (address) msn->InstantMessage(*address);
    } catch (...) {
    }
}

} // namespace gb
