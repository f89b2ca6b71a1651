#include "SimRegistration_win32.h"

#include <olectl.h>

#include <string>

#include "SimServer_win32.h"
#include "kit/Handles_win32.h"

namespace msgrsim {
namespace {

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

bool SetValue(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    gb::unique_hkey key(raw);
    return ::RegSetValueExW(
               key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
               (static_cast<DWORD>(value.size()) + 1) * sizeof(wchar_t)) == ERROR_SUCCESS;
}

// The key of the classes under a root (HKLM or HKCU).
std::wstring ClassesKey(const std::wstring& under) { return L"Software\\Classes\\" + under; }

} // namespace

HRESULT Unregister(HKEY root) {
    for (const auto& c : kClasses) {
        ::RegDeleteTreeW(root, ClassesKey(L"CLSID\\" + GuidText(*c.clsid)).c_str());
        if (c.progId) ::RegDeleteTreeW(root, ClassesKey(c.progId).c_str());
    }
    return S_OK;
}

HRESULT Register(HKEY root) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(TheModule().instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    bool ok = true;
    for (const auto& c : kClasses) {
        const std::wstring clsid = GuidText(*c.clsid);
        const std::wstring key = ClassesKey(L"CLSID\\" + clsid);
        ok = ok && SetValue(root, key, nullptr, c.name);
        ok = ok && SetValue(root, key + L"\\InprocServer32", nullptr, path);
        ok = ok && SetValue(root, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        if (c.progId) {
            ok = ok && SetValue(root, key + L"\\ProgID", nullptr, c.progId);
            ok = ok && SetValue(root, ClassesKey(c.progId), nullptr, c.name);
            ok = ok && SetValue(root, ClassesKey(c.progId) + L"\\CLSID", nullptr, clsid);
        }
    }
    if (!ok) {
        Unregister(root); // nothing half-written stays behind
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

} // namespace msgrsim
