// msgrsim.dll: the stand-in messenger, an in-process, apartment-threaded COM server that
// offers the messenger's classes, objects and events. Here: its class factory, its entry point
// and its exports. The objects (SimObjects_win32.cpp) share one server per process
// (SimServer_win32.cpp), whose state (SimState) lives as long as any of them.
#include <windows.h>

#include "SimDispatch_win32.h"
#include "SimObjects_win32.h"
#include "SimRegistration_win32.h"
#include "SimServer_win32.h"
#include "kit/ComObject_win32.h"

namespace msgrsim {
namespace {

class ClassFactory final : public gb::ComObject<IClassFactory, &IID_IClassFactory> {
  public:
    explicit ClassFactory(const CLSID& clsid) : clsid_(clsid) { ++TheModule().locks; }
    ~ClassFactory() override { --TheModule().locks; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                             void** out) noexcept override {
        return gb::ComBorder([&]() -> HRESULT {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (outer) return CLASS_E_NOAGGREGATION;
            return CreateObject(clsid_, iid, out);
        });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
        if (lock) {
            ++TheModule().locks;
        } else {
            --TheModule().locks;
        }
        return S_OK;
    }

  private:
    CLSID clsid_;
};

} // namespace
} // namespace msgrsim

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        msgrsim::TheModule().instance = instance;
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while windows still exist: their procedures must not outlive the code.
        msgrsim::TheModule().server.reset();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return gb::ComBorder([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        for (const auto& c : msgrsim::kClasses) {
            if (clsid == *c.clsid)
                return msgrsim::Offer(gb::MakeCom<msgrsim::ClassFactory>(clsid), iid, out);
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    });
}

STDAPI DllCanUnloadNow() {
    const auto& module = msgrsim::TheModule();
    return module.objects == 0 && module.locks == 0 && !module.server ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return gb::ComBorder([] { return msgrsim::Register(HKEY_LOCAL_MACHINE); });
}

STDAPI DllUnregisterServer() {
    return gb::ComBorder([] { return msgrsim::Unregister(HKEY_LOCAL_MACHINE); });
}

// regsvr32 /n /i:user (per user, under HKCU\Software\Classes); without "user", machine-wide.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    return gb::ComBorder([&]() -> HRESULT {
        HKEY root = HKEY_LOCAL_MACHINE;
        if (commandLine && ::lstrcmpiW(commandLine, L"user") == 0) {
            root = HKEY_CURRENT_USER;
        } else if (commandLine && commandLine[0] != L'\0') {
            return E_INVALIDARG;
        }
        return install ? msgrsim::Register(root) : msgrsim::Unregister(root);
    });
}
}
