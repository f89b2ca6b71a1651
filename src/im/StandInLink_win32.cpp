#include "StandInLink_win32.h"

#include <algorithm>
#include <string_view>

namespace im {

bool StandInLink::Create(HINSTANCE instance) {
    gb::Window::RegisterClass(instance, msgrsim::kMessengerWindowClass);
    return gb::Window::Create(0, msgrsim::kMessengerWindowClass, L"", 0, {}, HWND_MESSAGE, 0,
                              instance);
}

void StandInLink::SendTo(HWND control, const std::vector<msgrsim::Request>& requests) {
    for (const auto& r : requests) {
        std::string data = msgrsim::EncodeArgs(r.args);
        COPYDATASTRUCT cds{static_cast<ULONG_PTR>(r.op), static_cast<DWORD>(data.size()),
                           data.data()};
        DWORD_PTR result = 0;
        // No answer wanted (wParam 0); a stand-in whose program hangs is given up on.
        if (!::SendMessageTimeoutW(control, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                                   SMTO_ABORTIFHUNG, kTimeoutMs, &result) &&
            ::GetLastError() == ERROR_TIMEOUT)
            return;
    }
}

void StandInLink::Broadcast(const std::vector<msgrsim::Request>& requests) const {
    if (requests.empty()) return;
    std::vector<HWND> controls;
    for (HWND w = nullptr;
         (w = ::FindWindowExW(HWND_MESSAGE, w, msgrsim::kControlWindowClass, nullptr)) != nullptr;)
        controls.push_back(w);
    for (HWND control : controls)
        SendTo(control, requests);
}

LRESULT StandInLink::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_COPYDATA || !lp) return Default(msg, wp, lp);
    // Any program on the desktop may send this: only the two calls, bounded, are taken.
    const auto& cds = *reinterpret_cast<const COPYDATASTRUCT*>(lp);
    switch (static_cast<msgrsim::MessengerOp>(cds.dwData)) {
    case msgrsim::MessengerOp::Hello: {
        const HWND control = reinterpret_cast<HWND>(wp);
        wchar_t cls[32] = {};
        if (control && ::GetClassNameW(control, cls, 32) &&
            std::wstring_view(cls) == msgrsim::kControlWindowClass)
            calls_.StandInCame(control);
        return 1;
    }
    case msgrsim::MessengerOp::Open: {
        if (!cds.lpData || cds.cbData == 0 || cds.cbData > kMaxAddress) return 0;
        const std::string address(static_cast<const char*>(cds.lpData), cds.cbData);
        if (address.find('@') == std::string::npos ||
            std::any_of(address.begin(), address.end(),
                        [](char c) { return static_cast<unsigned char>(c) <= ' '; }))
            return 0;
        return reinterpret_cast<LRESULT>(calls_.OpenConversation(address));
    }
    }
    return 0;
}

} // namespace im
