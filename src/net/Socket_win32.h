#pragma once
// A non-blocking TCP connection whose notices (connected, readable, writable, closed) and one
// timer arrive as messages on a message-only window of its own, so that the thread's message
// loop drives it: nothing blocks but the name lookup of a host that is not an address.
#include <winsock2.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kit/Window_win32.h"

namespace net {

class ISocketEvents {
  public:
    virtual ~ISocketEvents() = default;
    virtual void OnConnected() = 0;
    // Data may be read; Receive until it gives nothing.
    virtual void OnReadable() = 0;
    // The connection could not be made, or closed, or failed.
    virtual void OnClosed(bool wasConnected) = 0;
    virtual void OnTimer() = 0;
};

class AsyncSocket : private gb::Window {
  public:
    static constexpr std::size_t kMaxPending = 1 << 20; // bytes waiting to be sent
    static constexpr std::size_t kReadChunk = 16 * 1024;

    explicit AsyncSocket(ISocketEvents& events);
    ~AsyncSocket() override;

    // Starts connecting to host (a name or an address) and port; false when there is no
    // address to try or the socket cannot be made.
    bool Connect(const std::string& host, std::uint16_t port);
    // Up to kReadChunk bytes that arrived, appended; false when nothing is waiting.
    bool Receive(std::string& into);
    // Queues bytes and sends what the connection takes now; false when too much waits.
    bool Send(std::string_view bytes);
    void Close() noexcept;
    // One timer: OnTimer after `ms`, again every `ms` until StopTimer.
    void StartTimer(unsigned ms);
    void StopTimer();

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    bool TryNextAddress();
    void Flush();

    ISocketEvents& events_;
    SOCKET socket_ = INVALID_SOCKET;
    std::vector<sockaddr_storage> addresses_;
    std::vector<int> addressLengths_;
    std::size_t next_ = 0;
    bool connected_ = false;
    std::string pending_;
};

} // namespace net
