// Reports what the end-to-end tests and the measurements cannot see from outside Wine: the
// desktop work area, and a running program's GDI and user object counts and private memory.
//
//   gbinfo workarea             left top right bottom
//   gbinfo front                the title of the foreground window
//   gbinfo resources NAME.exe   gdi N user N private BYTES   (the first process of that name)
//   gbinfo texts N FROM         FROM says "1", "2", ... "N" through the stand-in, as fast as it
//                               takes them (one conversation window, opened by the first)
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "SimProtocol.h"

namespace {

DWORD FindProcess(const wchar_t* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD pid = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && pid == 0;
         more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, name) == 0) pid = entry.th32ProcessID;
    CloseHandle(snapshot);
    return pid;
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text)
        out.push_back(static_cast<char>(*text)); // addresses are ASCII
    return out;
}

int SendTexts(long count, const std::string& from) {
    HWND target = FindWindowExW(HWND_MESSAGE, nullptr, msgrsim::kControlWindowClass, nullptr);
    if (!target) {
        std::fprintf(stderr, "gbinfo: no program with the stand-in runs\n");
        return 1;
    }
    const std::string header = "FN=Arial; EF=; CO=0; CS=0; PF=22";
    long refused = 0;
    for (long i = 1; i <= count; ++i) {
        const std::string data = msgrsim::EncodeArgs(
            {from, "Soak", header, std::to_string(i), from, i == 1 ? "0" : "1"});
        COPYDATASTRUCT cds{static_cast<ULONG_PTR>(msgrsim::Op::Text),
                           static_cast<DWORD>(data.size()), const_cast<char*>(data.data())};
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                                 SMTO_ABORTIFHUNG, 10000, &result) ||
            result != static_cast<DWORD_PTR>(msgrsim::kResultDone))
            ++refused;
    }
    std::printf("sent %ld refused %ld\n", count, refused);
    return refused == 0 ? 0 : 3;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"workarea") == 0) {
        RECT r{};
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (argc == 2 && std::wcscmp(argv[1], L"front") == 0) {
        wchar_t title[256] = L"";
        if (HWND front = GetForegroundWindow()) GetWindowTextW(front, title, 256);
        std::printf("%ls\n", title);
        return 0;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"resources") == 0) {
        const DWORD pid = FindProcess(argv[2]);
        if (pid == 0) return 1;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        if (!process) return 1;
        PROCESS_MEMORY_COUNTERS_EX memory{};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory);
        std::printf("gdi %lu user %lu private %lu\n", GetGuiResources(process, GR_GDIOBJECTS),
                    GetGuiResources(process, GR_USEROBJECTS),
                    static_cast<unsigned long>(memory.PrivateUsage));
        CloseHandle(process);
        return 0;
    }
    if (argc == 4 && std::wcscmp(argv[1], L"texts") == 0)
        return SendTexts(std::wcstol(argv[2], nullptr, 10), Narrow(argv[3]));
    std::fprintf(stderr, "usage: gbinfo workarea | front | resources NAME.exe | texts N FROM\n");
    return 2;
}
