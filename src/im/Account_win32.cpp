// The account's values under HKCU\Software\Glidebanner\Messenger: "Address" and "Server"
// (REG_SZ, UTF-16), "Port", "RememberPassword", "SignInAtStart" (REG_DWORD).
#include "Account.h"

#include <windows.h>

#include <string_view>

namespace im {
namespace {

constexpr wchar_t kKey[] = L"Software\\Glidebanner\\Messenger";
constexpr DWORD kMaxText = 3072; // characters: a JID or a host name is shorter

std::wstring Wide(std::string_view s) {
    std::wstring w(s.size(), L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(),
                                        static_cast<int>(w.size()));
    w.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return w;
}

std::string Narrow(std::wstring_view w) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr,
                                        0, nullptr, nullptr);
    std::string s(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                          nullptr);
    return s;
}

std::string ReadText(HKEY key, const wchar_t* name) {
    std::wstring value(kMaxText, L'\0');
    DWORD type = 0;
    DWORD bytes = kMaxText * sizeof(wchar_t);
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                           &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return Narrow(value);
}

std::optional<DWORD> ReadNumber(HKEY key, const wchar_t* name) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD bytes = sizeof value;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

bool WriteText(HKEY key, const wchar_t* name, std::string_view text) {
    const std::wstring w = Wide(text);
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                            static_cast<DWORD>(w.size() + 1) * DWORD{sizeof(wchar_t)}) ==
           ERROR_SUCCESS;
}

bool WriteNumber(HKEY key, const wchar_t* name, DWORD value) {
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof value) == ERROR_SUCCESS;
}

} // namespace

std::optional<Account> LoadAccount() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    Account a;
    a.address = ReadText(key, L"Address");
    a.server = ReadText(key, L"Server");
    const DWORD port = ReadNumber(key, L"Port").value_or(0);
    a.port = port <= 65535 ? static_cast<std::uint16_t>(port) : 0;
    a.rememberPassword = ReadNumber(key, L"RememberPassword").value_or(1) != 0;
    a.signInAtStart = ReadNumber(key, L"SignInAtStart").value_or(1) != 0;
    ::RegCloseKey(key);
    if (a.address.empty()) return std::nullopt;
    return a;
}

bool SaveAccount(const Account& a) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = WriteText(key, L"Address", a.address) && WriteText(key, L"Server", a.server) &&
                    WriteNumber(key, L"Port", a.port) &&
                    WriteNumber(key, L"RememberPassword", a.rememberPassword ? 1 : 0) &&
                    WriteNumber(key, L"SignInAtStart", a.signInAtStart ? 1 : 0);
    ::RegCloseKey(key);
    return ok;
}

void ForgetAccount() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }

} // namespace im
