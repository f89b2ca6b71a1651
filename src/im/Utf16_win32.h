#pragma once
// The messenger's texts are UTF-8; its windows speak UTF-16. Malformed input becomes U+FFFD
// rather than nothing, so that a bad byte from a server never hides the rest of a text.
#include <windows.h>

#include <string>
#include <string_view>

namespace im {

inline std::wstring Wide(std::string_view s) {
    if (s.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n > 0 ? static_cast<std::size_t>(n) : 0, L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// Into `out`, sized before it is written, so that no reallocation leaves a copy of a
// password behind.
inline void NarrowInto(std::wstring_view w, std::string& out) {
    out.clear();
    if (w.empty()) return;
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr,
                                        0, nullptr, nullptr);
    if (n <= 0) return;
    out.assign(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                          nullptr);
}

inline std::string Narrow(std::wstring_view w) {
    std::string s;
    NarrowInto(w, s);
    return s;
}

// A control's text.
inline std::wstring ControlText(HWND control) {
    const int n = ::GetWindowTextLengthW(control);
    if (n <= 0) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(control, text.data(), n + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

} // namespace im
