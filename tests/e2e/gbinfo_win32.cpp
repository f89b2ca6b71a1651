// Reports what the end-to-end tests and the measurements cannot see from outside Wine: the
// desktop work area, and a running program's GDI and user object counts and private memory.
//
//   gbinfo workarea             left top right bottom
//   gbinfo front                the title of the foreground window
//   gbinfo resources NAME.exe   gdi N user N private BYTES   (the first process of that name)
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

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
    std::fprintf(stderr, "usage: gbinfo workarea | front | resources NAME.exe\n");
    return 2;
}
