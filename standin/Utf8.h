#pragma once
// The stand-in's texts are UTF-8; Windows hands it UTF-16.
#include <optional>
#include <string>
#include <string_view>

namespace msgrsim {

// UTF-8 and UTF-16 both ways; empty on malformed input (a lone surrogate, a bad byte).
std::optional<std::string> ToUtf8(std::u16string_view text);
std::optional<std::u16string> FromUtf8(std::string_view text);

} // namespace msgrsim
