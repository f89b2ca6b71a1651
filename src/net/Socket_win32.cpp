#include "Socket_win32.h"

#include <ws2tcpip.h>

#include <algorithm>

namespace net {

namespace {

constexpr UINT kSocketMessage = WM_APP + 1;
constexpr UINT_PTR kTimerId = 1;
constexpr wchar_t kClassName[] = L"GlidebannerSocket";

// Winsock is started once for the process and stays up for its life.
bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

} // namespace

AsyncSocket::AsyncSocket(ISocketEvents& events) : events_(events) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    RegisterClass(instance, kClassName);
    Create(0, kClassName, L"", 0, RECT{}, HWND_MESSAGE, 0, instance);
}

AsyncSocket::~AsyncSocket() {
    Close();
    Destroy();
}

bool AsyncSocket::Connect(const std::string& host, std::uint16_t port) {
    Close();
    if (!hWnd() || !StartWinsock()) return false;
    addresses_.clear();
    addressLengths_.clear();
    next_ = 0;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    for (addrinfo* a = found; a && addresses_.size() < 16; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(sockaddr_storage)) continue;
        sockaddr_storage s{};
        std::copy_n(reinterpret_cast<const char*>(a->ai_addr), a->ai_addrlen,
                    reinterpret_cast<char*>(&s));
        addresses_.push_back(s);
        addressLengths_.push_back(static_cast<int>(a->ai_addrlen));
    }
    ::freeaddrinfo(found);
    return TryNextAddress();
}

bool AsyncSocket::TryNextAddress() {
    while (next_ < addresses_.size()) {
        const std::size_t i = next_++;
        socket_ = ::socket(addresses_[i].ss_family, SOCK_STREAM, IPPROTO_TCP);
        if (socket_ == INVALID_SOCKET) continue;
        // The notices come as messages; this also makes the socket non-blocking.
        if (::WSAAsyncSelect(socket_, hWnd(), kSocketMessage,
                             FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) == 0) {
            const int r = ::connect(socket_, reinterpret_cast<const sockaddr*>(&addresses_[i]),
                                    addressLengths_[i]);
            if (r == 0 || ::WSAGetLastError() == WSAEWOULDBLOCK) return true;
        }
        ::closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }
    return false;
}

bool AsyncSocket::Receive(std::string& into) {
    if (socket_ == INVALID_SOCKET || !connected_) return false;
    char buffer[kReadChunk];
    const int n = ::recv(socket_, buffer, sizeof buffer, 0);
    if (n <= 0) return false; // would block, closed or failed: FD_CLOSE tells which
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool AsyncSocket::Send(std::string_view bytes) {
    if (socket_ == INVALID_SOCKET) return false;
    if (pending_.size() + bytes.size() > kMaxPending) return false;
    pending_ += bytes;
    if (connected_) Flush();
    return true;
}

void AsyncSocket::Flush() {
    while (!pending_.empty()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(pending_.size(), 64 * 1024));
        const int n = ::send(socket_, pending_.data(), chunk, 0);
        if (n <= 0) return; // FD_WRITE comes when it takes more; a failure comes as FD_CLOSE
        pending_.erase(0, static_cast<std::size_t>(n));
    }
}

void AsyncSocket::Close() noexcept {
    if (socket_ != INVALID_SOCKET) {
        ::WSAAsyncSelect(socket_, hWnd(), 0, 0);
        ::closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }
    connected_ = false;
    pending_.clear();
    StopTimer();
    // Notices already posted for the closed socket are recognised by its handle and dropped.
}

void AsyncSocket::StartTimer(unsigned ms) { ::SetTimer(hWnd(), kTimerId, ms, nullptr); }

void AsyncSocket::StopTimer() {
    if (hWnd()) ::KillTimer(hWnd(), kTimerId);
}

LRESULT AsyncSocket::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        events_.OnTimer();
        return 0;
    }
    if (msg != kSocketMessage) return Default(msg, wp, lp);
    if (static_cast<SOCKET>(wp) != socket_ || socket_ == INVALID_SOCKET) return 0;
    const int error = WSAGETSELECTERROR(lp);
    switch (WSAGETSELECTEVENT(lp)) {
    case FD_CONNECT:
        if (error != 0) {
            ::closesocket(socket_);
            socket_ = INVALID_SOCKET;
            if (!TryNextAddress()) events_.OnClosed(false);
            return 0;
        }
        connected_ = true;
        Flush();
        events_.OnConnected();
        return 0;
    case FD_READ:
        events_.OnReadable();
        return 0;
    case FD_WRITE:
        Flush();
        return 0;
    case FD_CLOSE: {
        // What arrived before the close is read first.
        events_.OnReadable();
        const bool was = connected_;
        Close();
        events_.OnClosed(was);
        return 0;
    }
    default:
        return 0;
    }
}

} // namespace net
