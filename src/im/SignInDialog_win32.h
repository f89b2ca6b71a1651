#pragma once
// The sign-in dialog: address, password, "Remember my password", "Sign in when the messenger
// starts", and an optional server and port. Modal.
#include <windows.h>

#include <optional>
#include <string>

#include "Account.h"

namespace im {

struct SignInChoice {
    Account account;
    std::string password; // UTF-8; empty when the user left a stored one as it was
};

// Shows the dialog filled from `current` (`error`, UTF-8, above the fields when the last sign-in
// failed); nothing when the user cancelled. `havePassword`: a password is stored, so the field
// may stay empty.
std::optional<SignInChoice> AskAccount(HINSTANCE instance, HWND owner, const Account& current,
                                       bool havePassword, const std::string& error);

} // namespace im
