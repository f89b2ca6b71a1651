// The text routines take what remote buddies and their clients chose: any bytes, any header.
#include "FuzzCheck.h"
#include "app/modMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks how the rest is read (bytes or UTF-16), so that every routine sees
    // every shape.
    const std::uint8_t mode = data[0];
    const std::u16string text = TextOf(data + 1, size - 1, (mode & 1) != 0);

    // Folding never lengthens a text and leaves no NUL, CR or LF.
    std::u16string decoded = text;
    modMain::DecodeUtf8Text(decoded);
    Check(decoded.size() <= text.size() && decoded.find_first_of(u"\r\n\0", 0, 3) == decoded.npos);
    (void)modMain::HexToColor(text);
    Check(text.empty() || modMain::StripDomain(text).size() < text.size());
    const std::size_t split = text.empty() ? 0 : mode % (text.size() + 1);
    const std::u16string key = text.substr(0, std::min<std::size_t>(split, 4));
    Check(modMain::GetFormatField(text, key).size() <= text.size());
    (void)modMain::ParseStoredVersion(text);
    return 0;
}
