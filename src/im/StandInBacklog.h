#pragma once
// What the messenger still owes each stand-in. A stand-in whose program is busy or hung past
// the link's timeout still takes the request it timed out on once it gets to it (a sent
// message stays in its queue), but the requests after it would be lost and its contacts and
// texts would go stale for good. So they wait here, in order, until it answers again; a
// stand-in that stays away long enough to fill the bound gets the whole state instead.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "SimRequest.h"

namespace im {

class StandInBacklog {
  public:
    using Id = std::uintptr_t;
    // Delivers one request; false when the stand-in did not answer in time.
    using SendFn = std::function<bool(Id, const msgrsim::Request&)>;
    static constexpr std::size_t kMaxHeld = 4096;

    // `requests` to `to` in order, after anything it is still owed.
    void Send(Id to, const std::vector<msgrsim::Request>& requests, const SendFn& send);
    // Tries again each stand-in still `present`, `whole` standing in for what overflowed;
    // forgets the others.
    void Retry(const SendFn& send, const std::function<bool(Id)>& present,
               const std::function<std::vector<msgrsim::Request>()>& whole);
    bool Behind() const { return !held_.empty(); }

  private:
    struct Held {
        Id id = 0;
        std::deque<msgrsim::Request> requests;
        bool overflowed = false;
    };
    // Sends from the front while it answers; true once nothing is left.
    static bool Drain(Held& held, const SendFn& send);
    void Hold(Held& held, const msgrsim::Request& request);

    std::vector<Held> held_;
};

} // namespace im
