#pragma once
// The sign-in dialog's rules on what the user typed, apart from its windows: an address that
// can be a bare JID, a port that can be one, a password unless one is stored. Portable.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace im {

// What the user typed, UTF-8, as the fields hold it.
struct AccountFields {
    std::string_view address;
    std::string_view port;
    bool passwordGiven = false;
    bool havePassword = false; // a stored one stays when the field is left empty
};

enum class FormField { Address, Password, Port };

// The first thing to mend, in the form's order: the field to go back to and what to say.
struct FormProblem {
    FormField field;
    std::string_view text;
    bool operator==(const FormProblem&) const = default;
};

inline constexpr std::string_view kAddressProblem = "Enter your address as name@example.org.";
inline constexpr std::string_view kPasswordProblem = "Enter your password.";
inline constexpr std::string_view kPortProblem = "The port is a number from 1 to 65535.";

std::optional<FormProblem> CheckAccountFields(const AccountFields& fields);

// The field without the blanks (spaces, tabs, line ends) around it, as it is kept.
std::string_view TrimBlanks(std::string_view text);
// A port as typed: 0 when empty, nothing when it is not a number from 1 to 65535.
std::optional<std::uint16_t> ParsePort(std::string_view text);

} // namespace im
