// The text routines take what remote buddies and their clients chose: any bytes, any header.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/modMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks how the rest is read (bytes or UTF-16), so that every routine sees
    // every shape.
    const std::uint8_t mode = data[0];
    std::u16string text;
    for (std::size_t i = 1; i < size; i += (mode & 1) ? 2 : 1)
        if (!(mode & 1) || i + 1 < size)
            text.push_back(
                static_cast<char16_t>((mode & 1) ? data[i] | (data[i + 1] << 8) : data[i]));

    // Folding never lengthens a text and leaves no NUL, CR or LF.
    std::u16string decoded = text;
    modMain::DecodeUtf8Text(decoded);
    if (decoded.size() > text.size() || decoded.find_first_of(u"\r\n\0", 0, 3) != decoded.npos)
        __builtin_trap();
    (void)modMain::HexToColor(text);
    if (!text.empty() && modMain::StripDomain(text).size() >= text.size()) __builtin_trap();
    const std::size_t split = text.empty() ? 0 : mode % (text.size() + 1);
    const std::u16string key = text.substr(0, std::min<std::size_t>(split, 4));
    if (modMain::GetFormatField(text, key).size() > text.size()) __builtin_trap();
    (void)modMain::ParseStoredVersion(text);
    return 0;
}
