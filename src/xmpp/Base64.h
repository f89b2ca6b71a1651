#pragma once
// Base64 as SASL carries it: the standard alphabet with padding, nothing else accepted.
#include <optional>
#include <string>
#include <string_view>

namespace xmpp {

std::string Base64Encode(std::string_view bytes);
// Nothing for any text that is not canonical base64: a length not a multiple of four, a
// character outside the alphabet (white space too), misplaced padding, or padding bits set.
std::optional<std::string> Base64Decode(std::string_view text);

} // namespace xmpp
