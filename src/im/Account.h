#pragma once
// The messenger's account as the user set it up: everything but the password, which lives only
// in the Credential Manager. Stored under HKCU\Software\Glidebanner\Messenger.
#include <cstdint>
#include <optional>
#include <string>

namespace im {

struct Account {
    std::string address;    // user@domain, the bare JID
    std::string server;     // the host to connect to; empty: the domain's SRV records
    std::uint16_t port = 0; // with `server`; 0 is 5222
    bool rememberPassword = true;
    bool signInAtStart = true;
    bool operator==(const Account&) const = default;
};

// The account stored for this user; nothing when none is set up (no address).
std::optional<Account> LoadAccount();
bool SaveAccount(const Account& account);
// Removes the account's key (the password is the caller's to forget).
void ForgetAccount();

} // namespace im
