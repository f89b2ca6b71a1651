#include "StandInLink_win32.h"

#include <algorithm>
#include <string_view>

namespace im {

bool StandInLink::Create(HINSTANCE instance) {
    gb::Window::RegisterClass(instance, msgrsim::kMessengerWindowClass);
    return gb::Window::Create(0, msgrsim::kMessengerWindowClass, L"", 0, {}, HWND_MESSAGE, 0,
                              instance);
}

namespace {

constexpr UINT_PTR kRetryTimer = 1;

bool IsControl(HWND window) {
    wchar_t cls[32] = {};
    return window && ::GetClassNameW(window, cls, 32) &&
           std::wstring_view(cls) == msgrsim::kControlWindowClass;
}

bool SendOne(StandInBacklog::Id to, const msgrsim::Request& r) {
    std::string data = msgrsim::EncodeArgs(r.args);
    COPYDATASTRUCT cds{static_cast<ULONG_PTR>(r.op), static_cast<DWORD>(data.size()), data.data()};
    DWORD_PTR result = 0;
    // No answer wanted (wParam 0); a stand-in whose program hangs is not waited for.
    return ::SendMessageTimeoutW(reinterpret_cast<HWND>(to), WM_COPYDATA, 0,
                                 reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG,
                                 StandInLink::kTimeoutMs, &result) != 0 ||
           ::GetLastError() != ERROR_TIMEOUT;
}

} // namespace

void StandInLink::SendTo(HWND control, const std::vector<msgrsim::Request>& requests) {
    backlog_.Send(reinterpret_cast<StandInBacklog::Id>(control), requests, SendOne);
    RetryLater();
}

void StandInLink::RetryLater() {
    // Set once: setting it again would start its count again, and a steady flow of requests
    // would put the retry off for ever.
    if (backlog_.Behind() != retrying_) {
        retrying_ = backlog_.Behind();
        if (retrying_)
            ::SetTimer(hWnd(), kRetryTimer, kRetryMs, nullptr);
        else
            ::KillTimer(hWnd(), kRetryTimer);
    }
}

void StandInLink::Broadcast(const std::vector<msgrsim::Request>& requests) {
    if (requests.empty()) return;
    std::vector<HWND> controls;
    for (HWND w = nullptr;
         (w = ::FindWindowExW(HWND_MESSAGE, w, msgrsim::kControlWindowClass, nullptr)) != nullptr;)
        controls.push_back(w);
    for (HWND control : controls)
        backlog_.Send(reinterpret_cast<StandInBacklog::Id>(control), requests, SendOne);
    RetryLater();
}

LRESULT StandInLink::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kRetryTimer) {
        backlog_.Retry(
            SendOne, [](StandInBacklog::Id id) { return IsControl(reinterpret_cast<HWND>(id)); },
            [this] { return calls_.Snapshot(); });
        RetryLater();
        return 0;
    }
    if (msg != WM_COPYDATA || !lp) return Default(msg, wp, lp);
    // Any program on the desktop may send this: only the two calls, bounded, are taken.
    const auto& cds = *reinterpret_cast<const COPYDATASTRUCT*>(lp);
    switch (static_cast<msgrsim::MessengerOp>(cds.dwData)) {
    case msgrsim::MessengerOp::Hello: {
        const HWND control = reinterpret_cast<HWND>(wp);
        if (IsControl(control)) SendTo(control, calls_.Snapshot());
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
