#include "StandIn_win32.h"

#include <gtest/gtest.h>

#include "app/Handles_win32.h"

namespace standin {
namespace {

std::wstring WindowsPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        path.push_back(*p == '/' ? L'\\' : wchar_t(*p));
    return path;
}

struct KernelTraits {
    static HANDLE Invalid() noexcept { return nullptr; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
using unique_kernel = gb::unique_handle<HANDLE, KernelTraits>;

struct Library {
    HMODULE h = ::LoadLibraryW(ServerPath().c_str());
    ~Library() {
        if (h) ::FreeLibrary(h);
    }
    template <class Fn> Fn Get(const char* name) const {
        return h ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(h, name)))
                 : nullptr;
    }
};

HRESULT CallEntry(const char* name) {
    Library dll;
    auto fn = dll.Get<HRESULT(STDAPICALLTYPE*)()>(name);
    return fn ? fn() : E_FAIL;
}

// Appends one argument, quoted the way CommandLineToArgvW reads it back.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
    line += L" \"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line.push_back(c);
    }
    line.append(backslashes * 2, L'\\');
    line += L"\"";
}

unique_kernel TempFile(std::wstring& name) {
    wchar_t dir[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"gbm", 0, file);
    name = file;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE h = ::CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    return unique_kernel(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

std::string ReadAll(HANDLE file) {
    std::string text;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    return text;
}

std::u16string Or(const std::optional<std::u16string>& v, const char16_t* fallback) {
    return v ? *v : std::u16string(fallback);
}

} // namespace

std::wstring ServerPath() { return WindowsPath(MSGRSIM_PATH); }
std::wstring ControllerPath() { return WindowsPath(MSGRCTL_PATH); }

HRESULT RegisterMachineWide() { return CallEntry("DllRegisterServer"); }
HRESULT UnregisterMachineWide() { return CallEntry("DllUnregisterServer"); }
HRESULT InstallPerUser(bool install) {
    Library dll;
    auto fn = dll.Get<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>("DllInstall");
    return fn ? fn(install, L"user") : E_FAIL;
}

Registered::Registered() : ok(SUCCEEDED(RegisterMachineWide())) {}
Registered::~Registered() { UnregisterMachineWide(); }

void Pump(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (::GetTickCount() - start < milliseconds);
}

Run RunController(std::initializer_list<std::wstring> args) {
    return RunProgram(ControllerPath(), args);
}

Run RunProgram(const std::wstring& program, std::initializer_list<std::wstring> args) {
    Run run;
    std::wstring outName, errName;
    unique_kernel out = TempFile(outName);
    unique_kernel err = TempFile(errName);
    std::wstring line = L"\"" + program + L"\"";
    for (const auto& a : args)
        AppendQuoted(line, a);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = out.get();
    si.hStdError = err.get();
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start the program";
        return run;
    }
    unique_kernel process(pi.hProcess);
    unique_kernel thread(pi.hThread);
    // The controller's request is a message to this thread: keep handling messages.
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD r = ::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) break;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (::GetTickCount() - start > 60000) {
            ::TerminateProcess(pi.hProcess, 0xFFFF);
            ADD_FAILURE() << "the program did not end";
            break;
        }
    }
    ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
    run.out = ReadAll(out.get());
    run.err = ReadAll(err.get());
    out.reset();
    err.reset();
    ::DeleteFileW(outName.c_str());
    ::DeleteFileW(errName.c_str());
    return run;
}

std::vector<std::u16string> Addresses(messenger::ISession& session) {
    std::vector<std::u16string> out;
    auto list = session.Participants();
    if (!list) return out;
    const auto count = list->Count();
    for (std::int32_t i = 0; i < count.value_or(0); ++i) {
        auto c = list->Item(i);
        out.push_back(c ? Or(c->EmailAddress(), u"<failed>") : u"<null>");
    }
    return out;
}

void RecordingEvents::OnTextReceived(const messenger::SessionPtr& session,
                                     const messenger::ContactPtr& sender,
                                     const std::u16string& header, const std::u16string& text) {
    Event e;
    e.kind = "text";
    e.address = Or(sender->EmailAddress(), u"<failed>");
    e.nickname = Or(sender->FriendlyName(), u"<failed>");
    e.state = sender->State().value_or(-2);
    e.header = header;
    e.text = text;
    e.participants = Addresses(*session);
    events.push_back(std::move(e));
}

void RecordingEvents::OnUserStateChanged(const messenger::ContactPtr& user, std::int32_t previous) {
    Event e;
    e.kind = "state";
    e.address = Or(user->EmailAddress(), u"<failed>");
    e.nickname = Or(user->FriendlyName(), u"<failed>");
    e.state = user->State().value_or(-2);
    e.previous = previous;
    events.push_back(std::move(e));
}

void RecordingEvents::OnUnreadEmailChanged(std::int32_t folder, std::int32_t count) {
    Event e;
    e.kind = "mail";
    e.folder = folder;
    e.count = count;
    events.push_back(std::move(e));
}

bool RegistryKeyExists(HKEY root, const std::wstring& path) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    gb::unique_hkey key(raw);
    return true;
}

} // namespace standin

// COM on this thread as the program has it: a single-threaded apartment. The tests start
// with the stand-in registered nowhere; a registration found before them (a demo set up in
// the same prefix) is put back when they end.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const std::wstring appKey = L"Software\\Classes\\CLSID\\{F3A614DD-ABE0-11D2-A441-00C04F795683}";
    const bool machineWide = standin::RegistryKeyExists(HKEY_LOCAL_MACHINE, appKey);
    const bool perUser = standin::RegistryKeyExists(HKEY_CURRENT_USER, appKey);
    if (machineWide) standin::UnregisterMachineWide();
    if (perUser) standin::InstallPerUser(false);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int rc = RUN_ALL_TESTS();
    ::CoUninitialize();
    if (machineWide) standin::RegisterMachineWide();
    if (perUser) standin::InstallPerUser(true);
    return rc;
}
