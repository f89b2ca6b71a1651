#include "app/modMain.h"

#include "app/Version.h"

#include <array>
#include <charconv>
#include <limits>
#include <new>
#include <stdexcept>

namespace modMain {
namespace {

// What the bytes 0x80 to 0x9F stand for in the Western ANSI code page (Windows-1252); the
// five bytes that page leaves undefined stand for themselves.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ByteAsCharacter(char16_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kWindows1252High[byte - 0x80];
    }
    return byte;
}

bool IsContinuation(char16_t c) { return c >= 0x80 && c <= 0xBF; }

// Length and code point of the well-formed UTF-8 sequence at text[i], or 0 when the byte
// there does not start one (overlong forms, surrogates and values above U+10FFFF included).
std::size_t DecodeSequence(const std::u16string& text, std::size_t i, char32_t& codePoint) {
    const char16_t lead = text[i];
    std::size_t length = 0;
    char16_t low = 0x80;
    char16_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - i < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const char16_t c = text[i + k];
        const bool inRange = k == 1 ? (c >= low && c <= high) : IsContinuation(c);
        if (!inRange) return 0;
        codePoint = (codePoint << 6) | (c & 0x3F);
    }
    return length;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return 0;
}

std::int16_t WholeInt16OrZero(std::u16string_view part) {
    // Blanks around the number are tolerated, as the text-to-number conversion does.
    while (!part.empty() && part.front() == u' ')
        part.remove_prefix(1);
    while (!part.empty() && part.back() == u' ')
        part.remove_suffix(1);
    std::string ascii;
    for (char16_t c : part) {
        if (c > 0x7F) return 0;
        ascii.push_back(static_cast<char>(c));
    }
    if (!ascii.empty() && ascii.front() == '+') ascii.erase(0, 1);
    std::int16_t value = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [ptr, ec] = std::from_chars(ascii.data(), end, value);
    if (ec != std::errc() || ptr != end || ascii.empty()) return 0;
    return value;
}

} // namespace

void DecodeUtf8Text(std::u16string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char16_t c = text[i];
        if (c == 13 || c == 10) {
            out.push_back(u' ');
            ++i;
            continue;
        }
        if (c == 0) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        if (const std::size_t n = DecodeSequence(text, i, cp); n > 0) {
            AppendCodePoint(out, cp);
            i += n;
            continue;
        }
        out.push_back(c <= 0xFF ? ByteAsCharacter(c) : c);
        ++i;
    }
    text = std::move(out);
}

std::uint32_t HexToColor(std::u16string_view text) {
    std::uint32_t result = 0;
    for (char16_t c : text) {
        result = result * 16u + static_cast<std::uint32_t>(HexDigit(c));
    }
    return result;
}

std::u16string StripDomain(std::u16string_view text) {
    const std::size_t at = text.rfind(u'@');
    if (at == std::u16string_view::npos || at == 0) return {};
    return std::u16string(text.substr(0, at));
}

std::u16string GetFormatField(std::u16string_view header, std::u16string_view key) {
    const std::size_t keyPos = header.find(key);
    if (keyPos == std::u16string_view::npos) return {};
    // Without an "=" after the key the value starts at the header's first character.
    const std::size_t equals = header.find(u'=', keyPos);
    const std::size_t start = equals == std::u16string_view::npos ? 0 : equals + 1;
    const std::size_t semicolon = header.find(u';', start);
    if (semicolon == std::u16string_view::npos) return {};
    const std::u16string_view raw = header.substr(start, semicolon - start);
    std::u16string value;
    value.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        if (raw.substr(i, 3) == u"%20") {
            value.push_back(u' ');
            i += 3;
        } else {
            value.push_back(raw[i]);
            ++i;
        }
    }
    return value;
}

StoredVersion ParseStoredVersion(std::u16string_view text) {
    const std::size_t dot = text.find(u'.');
    if (dot == std::u16string_view::npos) return {};
    return {WholeInt16OrZero(text.substr(0, dot)), WholeInt16OrZero(text.substr(dot + 1))};
}

bool IsWelcomeDue(StoredVersion stored, int runningMajor, int runningMinor) {
    return stored.Major < runningMajor ||
           (stored.Major == runningMajor && stored.Minor < runningMinor);
}

void CheckNewVersion(std::u16string_view storedVersion, IWelcomeUi& ui) {
    if (!IsWelcomeDue(ParseStoredVersion(storedVersion), kVersionMajor, kVersionMinor)) return;
    const bool yes = ui.ShowBox(kWelcomeQuestion);
    if (!ui.BarOpen()) return;
    if (yes) {
        ui.ShowOptionsWithoutOwner();
        return;
    }
    ui.ShowBox(kWelcomeLater);
}

std::u16string StartFailureText(const std::exception_ptr& failure) {
    // Library messages are ASCII; a byte above it is taken in the Western code page.
    const auto widen = [](const char* text) {
        std::u16string wide;
        for (const char* p = text; *p != '\0'; ++p)
            wide.push_back(static_cast<unsigned char>(*p));
        return wide;
    };
    std::u16string reason;
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        reason = u"there is not enough memory";
    } catch (const std::length_error&) {
        reason = u"there is not enough memory";
    } catch (const std::runtime_error& e) {
        reason = widen(e.what()); // the program's own failures say what failed
    } catch (const std::exception& e) {
        reason = u"an unexpected error occurred (" + widen(e.what()) + u")";
    } catch (...) {
        reason = u"an unexpected error occurred";
    }
    return u"Glidebanner could not start: " + reason + u".";
}

} // namespace modMain
