#pragma once
// The stand-in's classes and their registry entries, machine-wide (HKLM) or per user (HKCU).
#include <windows.h>

#include "contract/MessengerCom_win32.h"

namespace msgrsim {

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* name;
    const wchar_t* progId;
};
inline constexpr ClassEntry kClasses[] = {
    {&msgr::CLSID_MessengerEvents, L"Stand-in messenger events", nullptr},
    {&msgr::CLSID_MessengerApp, L"Stand-in messenger application", msgr::kAppProgId},
    {&msgr::CLSID_Messenger, L"Stand-in messenger", nullptr},
};

// Writes every class's entries under root, naming this DLL; nothing half-written stays.
HRESULT Register(HKEY root);
// Removes them; harmless when they are not there.
HRESULT Unregister(HKEY root);

} // namespace msgrsim
