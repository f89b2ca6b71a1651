#include "contract/MessageFormat.h"

#include <algorithm>
#include <cctype>

namespace messenger {

std::optional<std::string> FormatHeader(std::string_view font, std::string_view rgb) {
    if (font.find(';') != std::string_view::npos) return std::nullopt;
    std::string fn = font.empty() ? "Arial" : std::string(font);
    // The header's own spelling of a blank.
    for (std::size_t at; (at = fn.find(' ')) != std::string::npos;)
        fn.replace(at, 1, "%20");
    std::string co = "0";
    if (!rgb.empty()) {
        if (rgb.starts_with('#')) rgb.remove_prefix(1);
        if (rgb.size() != 6 || !std::all_of(rgb.begin(), rgb.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) != 0;
            }))
            return std::nullopt;
        // The header holds a colour blue first, as the bar reads it.
        co = std::string(rgb.substr(4, 2)) + std::string(rgb.substr(2, 2)) +
             std::string(rgb.substr(0, 2));
    }
    // The colour first: the bar finds a field by its first "CO" anywhere, and a font name may
    // hold one.
    return "CO=" + co + "; FN=" + fn + "; EF=; CS=0; PF=22";
}

} // namespace messenger
