#pragma once
// The shared text routines and the start-up version decision. Everything here is portable:
// the window routines of the same module live in modMain_win32.h.
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace modMain {

// Folds the messenger's message text, which carries one UTF-8 byte per character, into real
// characters: every well-formed UTF-8 sequence becomes its character; CR and LF each become a
// blank; NUL is dropped; any other byte stands for itself, read in the Western ANSI code page.
// A character above 0xFF is not a byte and is kept as it is.
void DecodeUtf8Text(std::u16string& text);

// The header's colour field as a COLORREF: hexadecimal, most significant digit first; a
// character that is no hexadecimal digit counts as 0 but keeps its place; only the low
// 32 bits are kept.
std::uint32_t HexToColor(std::u16string_view text);

// The part of an e-mail address in front of its last "@"; empty without an "@", or when the
// only "@" stands first.
std::u16string StripDomain(std::u16string_view text);

// The value of one KEY=value; field of the messenger's text-format header, "%20" read as a
// blank. Empty when the key does not occur or no ";" follows.
std::u16string GetFormatField(std::u16string_view header, std::u16string_view key);

struct StoredVersion {
    std::int16_t Major = 0;
    std::int16_t Minor = 0;
};

// The stored Version text ("major.minor") as numbers; a text without "." or a part that is
// not a whole 16-bit number counts as 0.
StoredVersion ParseStoredVersion(std::u16string_view text);

// Whether the welcome is due: the stored version is older than the running one.
bool IsWelcomeDue(StoredVersion stored, int runningMajor, int runningMinor);

// What the box says when start-up fails, from what stopped it: "Glidebanner could not start: "
// and the reason in plain words (not enough memory, or the message of the program's own
// failure; anything else is an unexpected error, with what it says of itself).
std::u16string StartFailureText(const std::exception_ptr& failure);

} // namespace modMain
