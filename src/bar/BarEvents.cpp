#include "bar/BarEvents.h"

#include <utility>
#include <vector>

#include "app/modMain.h"
#include "strip/colMsg.h"

namespace gb {
namespace {

// The messenger's own mail service sends texts under this address; they are not a buddy's.
constexpr std::u16string_view kMailServiceSender = u"Hotmail";

constexpr std::u16string_view kNameFont = u"Arial";
constexpr Color kNameColor = 0x000000;

// More conversation windows, or more participants in one conversation, than any messenger
// keeps open. A count above it is a broken answer, not a list to walk: each step of a walk is
// a call into the messenger on the user-interface thread.
constexpr std::int32_t kMaxListCount = 256;

// A list's count as far as it can be walked: empty when it cannot be read or is no count.
std::optional<std::int32_t> WalkableCount(const std::optional<std::int32_t>& count) {
    if (!count || *count < 0 || *count > kMaxListCount) return std::nullopt;
    return count;
}

// The addresses of a session's participants in the messenger's order; empty when the list
// cannot be read whole, so that such a session matches no window. The walk ends at the first
// participant that cannot be read.
std::optional<std::vector<std::u16string>> ParticipantAddresses(messenger::ISession& session) {
    const std::shared_ptr<messenger::IContactList> list = session.Participants();
    if (!list) return std::nullopt;
    const std::optional<std::int32_t> count = WalkableCount(list->Count());
    if (!count) return std::nullopt;
    std::vector<std::u16string> addresses;
    for (std::int32_t j = 0; j < *count; ++j) {
        const messenger::ContactPtr contact = list->Item(j);
        if (!contact) return std::nullopt;
        std::optional<std::u16string> address = contact->EmailAddress();
        if (!address) return std::nullopt;
        addresses.push_back(std::move(*address));
    }
    return addresses;
}

// Whether a window's session has exactly these participants in this order; the walk ends at
// the first difference or the first participant that cannot be read.
bool HasParticipants(messenger::ISession& session, const std::vector<std::u16string>& wanted) {
    const std::shared_ptr<messenger::IContactList> list = session.Participants();
    if (!list) return false;
    const std::optional<std::int32_t> count = WalkableCount(list->Count());
    if (!count || static_cast<std::size_t>(*count) != wanted.size()) return false;
    for (std::int32_t j = 0; j < *count; ++j) {
        const messenger::ContactPtr contact = list->Item(j);
        if (!contact || contact->EmailAddress() != wanted[static_cast<std::size_t>(j)])
            return false;
    }
    return true;
}

// The most characters of one text the bar shows: a message holds at most 32,767, and a name
// no more. Every character can become an item to lay out, measure and draw, so a longer text
// is cut here (never inside a character) rather than grown into the strip.
constexpr std::size_t kMaxShownLength = 32767;

std::u16string_view Bounded(std::u16string_view text) {
    if (text.size() <= kMaxShownLength) return text;
    text = text.substr(0, kMaxShownLength);
    if (text.back() >= 0xD800 && text.back() <= 0xDBFF) text.remove_suffix(1);
    return text;
}

} // namespace

BarEvents::BarEvents(StripAccess strip, messenger::IMessengerFactory& factory,
                     const modSettings::SettingsRecord& settings)
    : strip_(std::move(strip)), factory_(factory), settings_(settings) {}

void BarEvents::AddNickname(colMsg& strip, std::u16string_view nickname,
                            messenger::WindowHandle hWnd) {
    const std::size_t before = strip.Count();
    strip.AddMsg(Bounded(nickname), kNameFont, kNameColor, hWnd);
    // A nickname that gave no item must not take the blank pixels of the message before it.
    if (strip.Count() > before) strip.Item(strip.Count())->SetWhiteSpace(0.0f);
}

messenger::WindowHandle BarEvents::FindConversationWindow(messenger::ISession& session) {
    if (!msnApp_) return 0;
    const std::shared_ptr<messenger::IWindowList> windows = msnApp_->Windows();
    if (!windows) return 0;
    const std::optional<std::vector<std::u16string>> wanted = ParticipantAddresses(session);
    if (!wanted) return 0;
    const std::optional<std::int32_t> count = WalkableCount(windows->Count());
    if (!count) return 0;
    for (std::int32_t i = 0; i < *count; ++i) {
        // A window closed while the list is walked leaves a shorter list: nothing after the
        // first window that cannot be read is asked for.
        const std::shared_ptr<messenger::IConversationWindow> window = windows->Item(i);
        if (!window) return 0;
        const messenger::SessionPtr windowSession = window->Session();
        if (!windowSession || !HasParticipants(*windowSession, *wanted)) continue;
        // Only a positive handle names a window: 0 and -1 mean something else to the items.
        const std::optional<messenger::WindowHandle> handle = window->HWnd();
        if (handle && *handle > 0) return *handle;
    }
    return 0;
}

std::optional<std::int32_t> BarEvents::MyStatus() {
    if (!messenger_) messenger_ = factory_.CreateMessenger();
    if (!messenger_) return std::nullopt;
    const std::optional<std::int32_t> status = messenger_->MyStatus();
    // A messenger object that stopped answering is made anew next time.
    if (!status) messenger_.reset();
    return status;
}

void BarEvents::OnTextReceived(const messenger::SessionPtr& session,
                               const messenger::ContactPtr& sender, const std::u16string& header,
                               const std::u16string& text) {
    if (!msnApp_) msnApp_ = factory_.CreateApp();

    std::u16string folded = text;
    modMain::DecodeUtf8Text(folded);

    const std::u16string address = sender ? sender->EmailAddress().value_or(u"") : u"";
    if (address == kMailServiceSender || header.empty() || folded.empty()) return;

    colMsg* strip = strip_();
    if (!strip) return;

    const messenger::WindowHandle hWnd = session ? FindConversationWindow(*session) : 0;

    // A sender whose address cannot be read always gets its name: it cannot be told apart
    // from the last one, and the first text must never come without a name.
    if (address.empty() || PrevBuddy != address || !settings_.ShowSaysOnce) {
        switch (settings_.NameMode) {
        case 0:
            AddNickname(*strip, sender ? sender->FriendlyName().value_or(u"") : u"", hWnd);
            strip->AddSays(u" ", hWnd);
            break;
        case 1:
            strip->AddSays(std::u16string(Bounded(address)), hWnd);
            break;
        case 2:
            strip->AddSays(std::u16string(Bounded(modMain::StripDomain(address))), hWnd);
            break;
        default:
            break;
        }
        PrevBuddy = address;
    }

    const std::u16string font = modMain::GetFormatField(header, u"FN");
    const Color color = modMain::HexToColor(modMain::GetFormatField(header, u"CO"));
    strip->AddMsg(Bounded(folded), font, color, hWnd);
}

void BarEvents::OnUserStateChanged(const messenger::ContactPtr& user, std::int32_t previousState) {
    if (!user) return;
    if (MyStatus() == messenger::kMyStatusOffline) return;
    if (!settings_.ShowSignInOut) return;

    const std::optional<std::int32_t> state = user->State();
    if (!state) return;
    std::int32_t kind = 0;
    if (previousState == messenger::kStateOffline && *state == messenger::kStateOnline)
        kind = actBuddyLogon;
    else if (*state == messenger::kStateOffline && previousState != messenger::kStateOffline &&
             previousState != messenger::kStateUnknown)
        kind = actBuddyLogoff;
    else
        return;

    colMsg* strip = strip_();
    if (!strip) return;
    if (settings_.NameMode == 0) AddNickname(*strip, user->FriendlyName().value_or(u""), -1);
    strip->AddAction(kind, user);
}

void BarEvents::OnUnreadEmailChanged(std::int32_t folder, std::int32_t unreadCount) {
    if (folder != messenger::kFolderInbox || unreadCount < 1) return;
    colMsg* strip = strip_();
    if (!strip) return;
    strip->AddAction(actUnreadMail, unreadCount);
}

} // namespace gb
