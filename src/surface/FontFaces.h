#pragma once
// Whether a requested font face is available, as the system's font mapper decides it: face
// names match whatever the case of their letters, and "Arial" always counts, because where it
// is missing the system realises it as a face with Arial's metrics under another name.
#include <string_view>

namespace gb {

inline constexpr std::u16string_view kAlwaysAvailableFace = u"Arial";

// Equal names, the letters A to Z counted the same in either case.
constexpr bool SameFace(std::u16string_view a, std::u16string_view b) noexcept {
    if (a.size() != b.size()) return false;
    const auto lower = [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// available: the system's face names (any range of strings).
template <class Faces>
bool FaceAvailable(std::u16string_view requested, const Faces& available) noexcept {
    if (SameFace(requested, kAlwaysAvailableFace)) return true;
    for (const auto& face : available)
        if (SameFace(requested, face)) return true;
    return false;
}

} // namespace gb
