#include "AccountForm.h"

#include <algorithm>

namespace im {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// No JID holds a blank or a control character.
bool HasBlankOrControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F;
    });
}

// name@domain: one "@" with something on both sides, and nothing a bare JID cannot hold (a
// resource after "/" is the messenger's to choose).
bool IsBareAddress(std::string_view text) {
    const auto at = text.find('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == text.size()) return false;
    if (text.find('@', at + 1) != std::string_view::npos) return false;
    return !HasBlankOrControl(text) && text.find('/') == std::string_view::npos;
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return std::uint16_t{0};
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 65535) return std::nullopt; // before it could overflow
    }
    if (value == 0) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<FormProblem> CheckAccountFields(const AccountFields& fields) {
    if (!IsBareAddress(TrimBlanks(fields.address)))
        return FormProblem{FormField::Address, kAddressProblem};
    if (!fields.passwordGiven && !fields.havePassword)
        return FormProblem{FormField::Password, kPasswordProblem};
    if (!ParsePort(fields.port)) return FormProblem{FormField::Port, kPortProblem};
    return std::nullopt;
}

} // namespace im
