#pragma once
// The format header of a message as the messenger hands it to the bar with its text: the
// sender's font and colour. The stand-in's controller and the project's own messenger write it
// the same way; the bar reads it.
#include <optional>
#include <string>
#include <string_view>

namespace messenger {

// The header the messenger gives when the sender chose nothing.
inline constexpr std::string_view kDefaultFormat = "FN=Arial; EF=; CO=0; CS=0; PF=22";

// The header for a font family and a colour "#RRGGBB" (the '#' may be left out); an empty font
// is Arial, an empty colour black. Nothing when the font holds a ';' (it would end the field)
// or the colour is not six hex digits.
std::optional<std::string> FormatHeader(std::string_view font, std::string_view rgb);

} // namespace messenger
