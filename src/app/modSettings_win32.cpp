#include <windows.h>

#include "app/modSettings_win32.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "app/modSettings.h"
#include "kit/Handles_win32.h"

namespace modSettings {
namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

} // namespace

std::u16string ReadSettingText(const std::u16string& name, const std::u16string& def) {
    gb::unique_hkey key;
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS) {
        return def;
    }
    key.reset(raw);

    // The value may change between learning its size and reading it: ask again then. A value
    // too long for a setting is never read.
    std::vector<std::uint8_t> buffer;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (::RegQueryValueExW(key.get(), W(name), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS ||
            !IsReadableValue(type, size)) {
            return def;
        }
        buffer.assign(size, 0);
        DWORD got = size;
        const LONG rc = ::RegQueryValueExW(key.get(), W(name), nullptr, &type, buffer.data(), &got);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return def;
        return StoredValueText(type, std::span(buffer.data(), std::min<std::size_t>(got, size)))
            .value_or(def);
    }
    return def;
}

void WriteSettingText(const std::u16string& name, const std::u16string& value) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &raw, nullptr) != ERROR_SUCCESS) {
        return;
    }
    gb::unique_hkey key(raw);
    // REG_SZ data includes its terminating NUL.
    const DWORD bytes = (static_cast<DWORD>(value.size()) + 1) * sizeof(char16_t);
    ::RegSetValueExW(key.get(), W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     bytes);
}

std::u16string UserDecimalSeparator() {
    wchar_t buffer[8] = {};
    const int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8);
    if (n <= 1) return u".";
    return std::u16string(reinterpret_cast<const char16_t*>(buffer),
                          static_cast<std::size_t>(n - 1));
}

} // namespace modSettings
