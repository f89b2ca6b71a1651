// Reports what the end-to-end tests and the measurements cannot see from outside Wine: the
// desktop work area, and a running program's GDI and user object counts, its windows and its
// private memory.
//
//   gbinfo workarea             left top right bottom
//   gbinfo front                the title of the foreground window
//   gbinfo title CLASS          the title of the first top-level window of that class, UTF-8
//   gbinfo resources NAME.exe   gdi N user N windows N private BYTES   (the first process of
//                               that name)
//   gbinfo controls TITLE       one line per window inside the visible top-level window of
//                               that title: class, id, flags (v visible, e enabled, c
//                               checked), text; tab-separated, UTF-8
//   gbinfo lines TITLE [MS]     the lines the window of that title gives assistive technology
//                               (its accessible value, read every MS milliseconds, 20 unless
//                               told), each once as it comes, UTF-8, until the window closes
//   gbinfo texts N FROM         FROM says "1", "2", ... "N" through the stand-in, as fast as it
//                               takes them (one conversation window, opened by the first)
#include <windows.h>

#include <oleacc.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "SimRequest.h"

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

// Wine answers GetGuiResources with 0. Its GDI handle table, which the process's environment
// block points to as Windows' does, has one 24-byte entry per handle (a 64-bit object, the
// owner, the unique part, then the type, 0 for a free entry): the live entries are the
// process's GDI objects, the stock ones included.
DWORD CountGdiHandles(HANDLE process) {
    using QueryInformation = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    struct BasicInformation {
        LONG exitStatus;
        BYTE* peb;
        ULONG_PTR affinity, priority, pid, parent;
    } basic{};
    if (!query || query(process, 0, &basic, sizeof basic, nullptr) != 0 || !basic.peb) return 0;
    constexpr std::size_t kTableOffset = sizeof(void*) == 4 ? 0x94 : 0xf8;
    BYTE* table = nullptr;
    if (!ReadProcessMemory(process, basic.peb + kTableOffset, &table, sizeof table, nullptr) ||
        !table)
        return 0;
    constexpr std::size_t kEntry = 24, kTypeAt = 14, kEntries = 0x10000, kChunk = 4096;
    std::vector<BYTE> chunk(kChunk * kEntry);
    DWORD live = 0;
    for (std::size_t first = 0; first < kEntries; first += kChunk) {
        if (!ReadProcessMemory(process, table + first * kEntry, chunk.data(), chunk.size(),
                               nullptr))
            break;
        for (std::size_t i = 0; i < kChunk; ++i)
            live += chunk[i * kEntry + kTypeAt] != 0;
    }
    return live;
}

// The process's windows: top-level, child and message-only. Under Wine these stand in for
// the user object count.
DWORD CountWindows(DWORD pid) {
    struct Count {
        DWORD pid;
        DWORD windows = 0;
        static BOOL CALLBACK Child(HWND hwnd, LPARAM lp) {
            ++reinterpret_cast<Count*>(lp)->windows;
            (void)hwnd;
            return TRUE;
        }
        void Add(HWND hwnd) {
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner != pid) return;
            ++windows;
            EnumChildWindows(hwnd, Child, reinterpret_cast<LPARAM>(this));
        }
        static BOOL CALLBACK TopLevel(HWND hwnd, LPARAM lp) {
            reinterpret_cast<Count*>(lp)->Add(hwnd);
            return TRUE;
        }
    } count{pid};
    EnumWindows(Count::TopLevel, reinterpret_cast<LPARAM>(&count));
    for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
         h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr))
        count.Add(h);
    return count.windows;
}

std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

// Another program's windows answer WM_GETTEXT and BM_GETCHECK through the system; a window
// that hangs gives an empty text rather than a stuck tool.
BOOL CALLBACK PrintControl(HWND hwnd, LPARAM) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    wchar_t text[1024] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &got);
    DWORD_PTR checked = 0;
    if (_wcsicmp(cls, L"Button") == 0)
        SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
    std::string flags;
    if (IsWindowVisible(hwnd)) flags += 'v';
    if (IsWindowEnabled(hwnd)) flags += 'e';
    if (checked == BST_CHECKED) flags += 'c';
    std::wstring line = text;
    for (auto& c : line)
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    std::printf("%s\t%d\t%s\t%s\n", Utf8(cls).c_str(), GetDlgCtrlID(hwnd), flags.c_str(),
                Utf8(line).c_str());
    return TRUE;
}

struct Found {
    const wchar_t* title;
    HWND hwnd = nullptr;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lp) {
    auto* found = reinterpret_cast<Found*>(lp);
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    if (IsWindowVisible(hwnd) && std::wcscmp(title, found->title) == 0) {
        found->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

int PrintControls(const wchar_t* title) {
    Found found{title};
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&found));
    if (!found.hwnd) {
        std::fprintf(stderr, "gbinfo: no visible window of that title\n");
        return 1;
    }
    EnumChildWindows(found.hwnd, PrintControl, 0);
    return 0;
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

// The window's accessible value, read every `everyMs`: each line the bar shows stays its value
// while it is the newest, longer than 20 ms; the latency benchmark reads it more often.
int PrintLines(const wchar_t* title, DWORD everyMs) {
    CoInitialize(nullptr);
    HWND window = nullptr;
    for (int i = 0; i < 500 && !window; ++i, Sleep(20))
        window = FindWindowW(nullptr, title);
    if (!window) {
        std::fprintf(stderr, "gbinfo: no window of that title\n");
        return 1;
    }
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible))) ||
        !accessible)
        return 1;
    std::wstring last;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    while (IsWindow(window)) {
        BSTR value = nullptr;
        if (SUCCEEDED(accessible->get_accValue(self, &value)) && value) {
            const std::wstring now(value, SysStringLen(value));
            SysFreeString(value);
            if (now != last && !now.empty()) {
                last = now;
                std::printf("%s\n", Narrow(now.c_str()).c_str());
                std::fflush(stdout);
            }
        }
        Sleep(everyMs);
    }
    accessible->Release();
    return 0;
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
    if (argc == 3 && std::wcscmp(argv[1], L"title") == 0) {
        const HWND window = FindWindowW(argv[2], nullptr);
        if (!window) return 1;
        wchar_t title[256] = L"";
        GetWindowTextW(window, title, 256);
        std::printf("%s\n", Narrow(title).c_str());
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
        DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
        if (gdi == 0) gdi = CountGdiHandles(process);
        std::printf("gdi %lu user %lu windows %lu private %lu\n", gdi,
                    GetGuiResources(process, GR_USEROBJECTS), CountWindows(pid),
                    static_cast<unsigned long>(memory.PrivateUsage));
        CloseHandle(process);
        return 0;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"controls") == 0) return PrintControls(argv[2]);
    if ((argc == 3 || argc == 4) && std::wcscmp(argv[1], L"lines") == 0) {
        const long everyMs = argc == 4 ? std::wcstol(argv[3], nullptr, 10) : 20;
        return PrintLines(argv[2], static_cast<DWORD>(std::clamp(everyMs, 1L, 1000L)));
    }
    if (argc == 4 && std::wcscmp(argv[1], L"texts") == 0)
        return SendTexts(std::wcstol(argv[2], nullptr, 10), Narrow(argv[3]));
    std::fprintf(stderr, "usage: gbinfo workarea | front | title CLASS | resources NAME.exe | "
                         "controls TITLE | "
                         "lines TITLE [MS] | texts N FROM\n");
    return 2;
}
