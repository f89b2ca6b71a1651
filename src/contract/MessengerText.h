#pragma once
// The form in which the messenger hands a message's text over COM: one character per byte of
// its UTF-8 encoding, the character's code being the byte's value (0 to 255). The program
// folds that form with modMain::DecodeUtf8Text; the stand-in messenger builds it from the
// UTF-8 it is given.
#include <optional>
#include <string>
#include <string_view>

namespace messenger {

// Every byte becomes the character of the same value.
std::u16string ByteText(std::string_view utf8);

// The bytes back; empty when a character above 0xFF shows that the text is not in that form.
std::optional<std::string> TextBytes(std::u16string_view text);

} // namespace messenger
