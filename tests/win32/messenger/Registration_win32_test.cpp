#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "StandIn_win32.h"
#include "app/Handles_win32.h"

namespace {

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kEventsKey = kClasses + L"CLSID\\{F3A614DC-ABE0-11D2-A441-00C04F795683}";
const std::wstring kAppKey = kClasses + L"CLSID\\{F3A614DD-ABE0-11D2-A441-00C04F795683}";
const std::wstring kMessengerKey = kClasses + L"CLSID\\{B69003B3-C55E-4B48-836C-BC5946FC3B28}";
const std::wstring kProgIdKey = kClasses + L"Messenger.MessengerApp";
const std::wstring kAllKeys[] = {kEventsKey, kAppKey, kMessengerKey, kProgIdKey};

std::wstring ReadText(HKEY root, const std::wstring& path, const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    if (::RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS) {
        return L"<missing>";
    }
    return buffer;
}

// regsvr32 as a user would run it; its exit code, 0 for success.
HRESULT Regsvr32(std::initializer_list<std::wstring> args) {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    return HRESULT(standin::RunProgram(std::wstring(system) + L"\\regsvr32.exe", args).exitCode);
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

void ExpectRegisteredUnder(HKEY root) {
    for (const auto& key : {kEventsKey, kAppKey, kMessengerKey}) {
        SCOPED_TRACE(Narrow(key));
        EXPECT_EQ(::lstrcmpiW(ReadText(root, key + L"\\InprocServer32", nullptr).c_str(),
                              standin::ServerPath().c_str()),
                  0)
            << Narrow(ReadText(root, key + L"\\InprocServer32", nullptr));
        EXPECT_EQ(ReadText(root, key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    }
    EXPECT_EQ(ReadText(root, kProgIdKey + L"\\CLSID", nullptr),
              L"{F3A614DD-ABE0-11D2-A441-00C04F795683}");
    EXPECT_EQ(ReadText(root, kAppKey + L"\\ProgID", nullptr), L"Messenger.MessengerApp");
}

void ExpectAbsentUnder(HKEY root) {
    for (const auto& key : kAllKeys) {
        EXPECT_FALSE(standin::RegistryKeyExists(root, key)) << Narrow(key);
    }
}

// Each way in and out, by the DLL's entry points (as regsvr32 calls them) and by the
// controller, leaves the registry exactly as it found it: nothing here before, nothing after,
// and nothing ever under the other root.
TEST(Registration, EveryWayInAndOutLeavesTheRegistryAsFound) {
    const struct {
        const char* name;
        HKEY root;
        HKEY other;
        HRESULT (*install)();
        HRESULT (*remove)();
    } rows[] = {
        {"DllRegisterServer", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, standin::RegisterMachineWide,
         standin::UnregisterMachineWide},
        {"DllInstall user", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
         [] { return standin::InstallPerUser(true); },
         [] { return standin::InstallPerUser(false); }},
        {"regsvr32", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
         [] {
             return Regsvr32({L"/s", standin::ServerPath()});
         },
         [] {
             return Regsvr32({L"/s", L"/u", standin::ServerPath()});
         }},
        {"regsvr32 /n /i:user", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
         [] {
             return Regsvr32({L"/s", L"/n", L"/i:user", standin::ServerPath()});
         },
         [] {
             return Regsvr32({L"/s", L"/u", L"/n", L"/i:user", standin::ServerPath()});
         }},
        {"msgrctl register", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
         [] { return HRESULT(standin::RunController({L"register"}).exitCode); },
         [] { return HRESULT(standin::RunController({L"unregister"}).exitCode); }},
        {"msgrctl register --user", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
         [] {
             return HRESULT(standin::RunController({L"register", L"--user"}).exitCode);
         },
         [] {
             return HRESULT(standin::RunController({L"unregister", L"--user"}).exitCode);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ExpectAbsentUnder(row.root);
        ASSERT_EQ(row.install(), S_OK);
        ExpectRegisteredUnder(row.root);
        ExpectAbsentUnder(row.other);
        EXPECT_EQ(row.install(), S_OK); // registering twice is harmless
        EXPECT_EQ(row.remove(), S_OK);
        ExpectAbsentUnder(row.root);
        EXPECT_EQ(row.remove(), S_OK); // and so is removing what is not there
    }
}

TEST(Registration, DllInstallRefusesAnUnknownCommandLine) {
    HMODULE dll = ::LoadLibraryW(standin::ServerPath().c_str());
    ASSERT_NE(dll, nullptr);
    auto install = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "DllInstall")));
    ASSERT_NE(install, nullptr);
    EXPECT_EQ(install(TRUE, L"everyone"), E_INVALIDARG);
    ::FreeLibrary(dll);
    ExpectAbsentUnder(HKEY_LOCAL_MACHINE);
    ExpectAbsentUnder(HKEY_CURRENT_USER);
}

} // namespace
