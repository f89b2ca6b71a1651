#pragma once
// The messenger's side of its link with the stand-ins: each program attached to the messenger
// hosts a stand-in with a control window, which the messenger sends requests of the stand-in's
// wire format; the stand-ins reach the messenger at its own message-only window.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "SimRequest.h"
#include "StandInBacklog.h"
#include "kit/Window_win32.h"

namespace im {

class IStandInCalls {
  public:
    virtual ~IStandInCalls() = default;
    // Everything the messenger holds, for a stand-in that has just come (a program attached)
    // or that missed too much.
    virtual std::vector<msgrsim::Request> Snapshot() const = 0;
    // InstantMessage from a program: that contact's window, opened or brought forward.
    virtual HWND OpenConversation(const std::string& address) = 0;
};

class StandInLink final : public gb::Window {
  public:
    // A stand-in answers at once; one that does not within this long is owed the rest, tried
    // again every kRetryMs.
    static constexpr UINT kTimeoutMs = 2000;
    static constexpr UINT kRetryMs = 2000;
    static constexpr std::size_t kMaxAddress = 3071;

    explicit StandInLink(IStandInCalls& calls) : calls_(calls) {}
    bool Create(HINSTANCE instance);
    // To every stand-in there is, in order.
    void Broadcast(const std::vector<msgrsim::Request>& requests);
    void Broadcast(const msgrsim::Request& request) { Broadcast(std::vector{request}); }
    void SendTo(HWND control, const std::vector<msgrsim::Request>& requests);

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void RetryLater();

    IStandInCalls& calls_;
    StandInBacklog backlog_;
    bool retrying_ = false; // the retry timer is set
};

} // namespace im
