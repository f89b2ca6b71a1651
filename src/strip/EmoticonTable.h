#pragma once
// The emoticon codes and the picture cells they select.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace gb {

struct EmoticonMatch {
    std::uint8_t Cell = 0;
    std::size_t Length = 0; // characters of the code, 2 or 3
};

// The code that begins text, compared in ASCII upper case; at most one code can match.
std::optional<EmoticonMatch> MatchEmoticon(std::u16string_view text) noexcept;

// What a cell shows, in words a screen reader speaks ("smiling face"); empty past the last.
std::u16string_view EmoticonName(std::uint8_t cell) noexcept;

} // namespace gb
