#pragma once
// The portable messenger interfaces (Messenger.h) over the messenger's COM objects. Every
// failed HRESULT becomes an empty optional, a null pointer or false right here.
#include <windows.h>

#include <oaidl.h>

#include <optional>
#include <string>

#include "kit/Handles_win32.h"
#include "messenger/Messenger.h"

namespace messenger {

// A BSTR as text, embedded NULs and all; a null BSTR is the empty text.
std::u16string TextFromBstr(BSTR text);

// A new BSTR holding the text; null when out of memory.
gb::unique_bstr BstrFromText(std::u16string_view text);

// Reads the property EmailAddress by name, late bound, as a caller that knows only
// IDispatch does.
std::optional<std::u16string> EmailAddressByName(IDispatch* contact);

// Portable views of COM objects; null when the object is missing or is not of that kind.
// A contact needs only IDispatch: without the contact interface its address is still read
// by name.
ContactPtr WrapContact(gb::com_ptr<IDispatch> contact);
SessionPtr WrapSession(const gb::com_ptr<IDispatch>& session);

// Creates the application object by its ProgID and the messenger object by its class id.
class ComMessengerFactory final : public IMessengerFactory {
  public:
    std::shared_ptr<IMessengerApp> CreateApp() override;
    std::shared_ptr<IMessenger> CreateMessenger() override;
};

} // namespace messenger
