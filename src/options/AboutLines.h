#pragma once
// The About lines that run through the dialog's ticker, pass after pass.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "strip/clsItem.h"
#include "surface/Surface.h"

namespace gb {

inline constexpr std::u16string_view kProductName = u"Glidebanner";
inline constexpr std::u16string_view kHomePage = u"https://glidebanner.github.io/";
inline constexpr std::u16string_view kByLine = u"by the Glidebanner developers";
inline constexpr Color kTitleColor = 0x3264FF;

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// One item of a pass; what is not given keeps the item's default.
struct AboutItem {
    ItemKind kind = ItemKind::String;
    std::u16string text;   // text items
    std::uint8_t cell = 0; // emoticon items: the cell of the emoticon picture strip
    bool bold = false;
    bool italic = false;
    std::optional<Color> color;
    std::optional<float> whiteSpace; // pixels after the item
};

// One pass for a ticker scaleWidth pixels wide: 19 items with emoticons, 14 without; the last
// one always carries a full ticker width of space, which separates consecutive passes.
std::vector<AboutItem> AboutLines(bool showEmo, float scaleWidth, ProgramVersion version);

} // namespace gb
