#pragma once
// What the fuzz targets share: a check that fails stops the run where the fuzzer sees it, and
// the input read as text, a character from each byte or from each two (low byte first), and
// the header of a server's stream for the XMPP targets.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline void Check(bool holds) {
    if (!holds) __builtin_trap();
}

inline std::u16string TextOf(const std::uint8_t* data, std::size_t size, bool wide) {
    std::u16string text;
    for (std::size_t i = 0; i + (wide ? 1 : 0) < size; i += wide ? 2 : 1)
        text.push_back(static_cast<char16_t>(wide ? data[i] | (data[i + 1] << 8) : data[i]));
    return text;
}

constexpr std::string_view kStreamHeader = "<stream:stream xmlns='jabber:client' "
                                           "xmlns:stream='http://etherx.jabber.org/streams' "
                                           "version='1.0'>";
