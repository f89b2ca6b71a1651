#pragma once
// What the program uses of the messenger's automation objects, as small portable interfaces.
// The COM binding (Messenger_win32) implements them over the messenger's dual interfaces; the
// host tests implement them with fakes. Every call may fail on the messenger's side: a
// failure comes back as an empty optional, a null pointer or false, never as an exception,
// so that the caller contains it where it happens.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace messenger {

// Contact states the program tells apart; the messenger has more (busy, away, ...).
inline constexpr std::int32_t kStateUnknown = 0;
inline constexpr std::int32_t kStateOffline = 1;
inline constexpr std::int32_t kStateOnline = 2;

// The user's own status value that means offline.
inline constexpr std::int32_t kMyStatusOffline = 1;

// The folder of the unread-mail event that is the inbox.
inline constexpr std::int32_t kFolderInbox = 0;

// A window handle as the strip items carry it: greater than 0 a conversation window, -1 pass
// the click on to the next item, 0 nothing.
using WindowHandle = std::int32_t;

class IContact {
  public:
    virtual ~IContact() = default;
    virtual std::optional<std::u16string> FriendlyName() = 0;
    virtual std::optional<std::u16string> EmailAddress() = 0;
    virtual std::optional<std::int32_t> State() = 0;
};
using ContactPtr = std::shared_ptr<IContact>;

// A session's participants, indexed from 0.
class IContactList {
  public:
    virtual ~IContactList() = default;
    virtual std::optional<std::int32_t> Count() = 0;
    virtual ContactPtr Item(std::int32_t index) = 0;
};

class ISession {
  public:
    virtual ~ISession() = default;
    virtual std::shared_ptr<IContactList> Participants() = 0;
};
using SessionPtr = std::shared_ptr<ISession>;

class IConversationWindow {
  public:
    virtual ~IConversationWindow() = default;
    virtual SessionPtr Session() = 0;
    virtual std::optional<WindowHandle> HWnd() = 0;
};

// The application's open conversation windows, indexed from 0.
class IWindowList {
  public:
    virtual ~IWindowList() = default;
    virtual std::optional<std::int32_t> Count() = 0;
    virtual std::shared_ptr<IConversationWindow> Item(std::int32_t index) = 0;
};

// The application object ("Messenger.MessengerApp").
class IMessengerApp {
  public:
    virtual ~IMessengerApp() = default;
    virtual std::shared_ptr<IWindowList> Windows() = 0;
};

// The messenger object: what clicks on notifications ask of it, and the user's own status.
class IMessenger {
  public:
    virtual ~IMessenger() = default;
    virtual bool OpenInbox() = 0;
    // Opens (or shows) a conversation with the contact of that e-mail address.
    virtual bool InstantMessage(const std::u16string& emailAddress) = 0;
    virtual std::optional<std::int32_t> MyStatus() = 0;
};

// Creates the messenger's objects on demand; null when the messenger's classes cannot be
// created (no messenger registered, or it refuses).
class IMessengerFactory {
  public:
    virtual ~IMessengerFactory() = default;
    virtual std::shared_ptr<IMessengerApp> CreateApp() = 0;
    virtual std::shared_ptr<IMessenger> CreateMessenger() = 0;
};

// The three events of the messenger's event source, with their arguments. The text arrives
// as the messenger sends it: one character per UTF-8 byte (see DecodeUtf8Text). The session
// and the contacts are never null: an event that lacks one is not delivered.
class IMessengerEvents {
  public:
    virtual ~IMessengerEvents() = default;
    virtual void OnTextReceived(const SessionPtr& session, const ContactPtr& sender,
                                const std::u16string& header, const std::u16string& text) = 0;
    virtual void OnUserStateChanged(const ContactPtr& user, std::int32_t previousState) = 0;
    virtual void OnUnreadEmailChanged(std::int32_t folder, std::int32_t unreadCount) = 0;
};

// The program's connection to the event source: attach (again, while none is registered) and
// let go.
class IMessengerLink {
  public:
    virtual ~IMessengerLink() = default;
    // Connects unless already connected; true when attached afterwards.
    virtual bool TryAttach() = 0;
    virtual void Detach() = 0;
};

} // namespace messenger
