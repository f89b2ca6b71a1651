#pragma once
// The account's password in the Windows Credential Manager, a generic credential per account
// ("Glidebanner/XMPP/" and the address), stored for this user on this computer only. The
// password exists nowhere else: not in the registry, a file or a command line.
#include <optional>
#include <string>
#include <string_view>

namespace net {

std::wstring CredentialTarget(std::string_view address);
bool StorePassword(std::string_view address, std::string_view password);
// Nothing when none is stored (or what is stored is not a password we wrote).
std::optional<std::string> ReadPassword(std::string_view address);
// True also when there was none.
bool ForgetPassword(std::string_view address);

} // namespace net
