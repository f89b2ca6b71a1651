#include "contract/MessengerText.h"

namespace messenger {

std::u16string ByteText(std::string_view utf8) {
    std::u16string text;
    text.reserve(utf8.size());
    for (const char c : utf8) {
        // Through unsigned char, so that bytes above 0x7F do not become negative codes.
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    return text;
}

std::optional<std::string> TextBytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const char16_t c : text) {
        if (c > 0xFF) return std::nullopt;
        bytes.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    }
    return bytes;
}

} // namespace messenger
