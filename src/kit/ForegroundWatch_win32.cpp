#include <windows.h>

#include "kit/ForegroundWatch_win32.h"

#include <array>

namespace gb {
namespace {

// A win-event callback carries no context of its own: the hooks of this thread and the
// window each one tells are kept here. A program has one bar, so one or two entries.
struct Entry {
    HWINEVENTHOOK hook;
    HWND target;
    UINT message;
};
thread_local std::array<Entry, 4> entries{};

void Remember(HWINEVENTHOOK hook, HWND target, UINT message) noexcept {
    for (auto& e : entries)
        if (!e.hook) {
            e = {hook, target, message};
            return;
        }
}

void Forget(HWINEVENTHOOK hook) noexcept {
    for (auto& e : entries)
        if (e.hook == hook) e = {};
}

} // namespace

void ForegroundWatch::Start(HWND target, UINT message) noexcept {
    if (foreground_) return;
    constexpr DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    foreground_ = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                    Callback, 0, 0, flags);
    location_ = ::SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                                  Callback, 0, 0, flags);
    if (foreground_) Remember(foreground_, target, message);
    if (location_) Remember(location_, target, message);
}

void ForegroundWatch::Stop() noexcept {
    for (HWINEVENTHOOK* hook : {&foreground_, &location_}) {
        if (!*hook) continue;
        ::UnhookWinEvent(*hook);
        Forget(*hook);
        *hook = nullptr;
    }
}

void CALLBACK ForegroundWatch::Callback(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object,
                                        LONG, DWORD, DWORD) noexcept {
    // Every window's every move comes here: only the foreground window's own count.
    if (event == EVENT_OBJECT_LOCATIONCHANGE &&
        (object != OBJID_WINDOW || hwnd != ::GetForegroundWindow()))
        return;
    for (const auto& e : entries)
        if (e.hook == hook && e.target) ::PostMessageW(e.target, e.message, 0, 0);
}

} // namespace gb
