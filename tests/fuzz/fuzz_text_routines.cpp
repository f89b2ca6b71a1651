// The text routines take what remote buddies and their clients chose: any bytes, any header.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/modMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks how the rest is read, so that every routine sees every shape.
    const std::uint8_t mode = data[0];
    std::u16string bytes;
    for (std::size_t i = 1; i < size; ++i)
        bytes.push_back(data[i]);
    std::u16string wide;
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        wide.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    const std::u16string& text = (mode & 1) ? wide : bytes;

    std::u16string decoded = text;
    modMain::DecodeUtf8Text(decoded);
    if (decoded.size() > text.size()) __builtin_trap(); // folding never lengthens a text
    for (char16_t c : decoded) {
        if (c == 0 || c == u'\r' || c == u'\n') __builtin_trap();
    }

    (void)modMain::HexToColor(text);
    const std::u16string user = modMain::StripDomain(text);
    if (user.size() >= text.size() && !text.empty()) __builtin_trap();

    const std::size_t split = text.empty() ? 0 : mode % (text.size() + 1);
    const std::u16string key = text.substr(0, std::min<std::size_t>(split, 4));
    const std::u16string value = modMain::GetFormatField(text, key);
    if (value.size() > text.size()) __builtin_trap();

    (void)modMain::ParseStoredVersion(text);
    return 0;
}
