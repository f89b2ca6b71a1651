#include "StandInBacklog.h"

#include <algorithm>

namespace im {

bool StandInBacklog::Drain(Held& held, const SendFn& send) {
    while (!held.requests.empty()) {
        const bool answered = send(held.id, held.requests.front());
        // Unanswered, it is still taken when the stand-in gets to it: never sent twice.
        held.requests.pop_front();
        if (!answered) return false;
    }
    return true;
}

void StandInBacklog::Hold(Held& held, const msgrsim::Request& request) {
    if (held.overflowed) return;
    if (held.requests.size() >= kMaxHeld) {
        held.requests.clear();
        held.overflowed = true;
        return;
    }
    held.requests.push_back(request);
}

void StandInBacklog::Send(Id to, const std::vector<msgrsim::Request>& requests,
                          const SendFn& send) {
    auto it = std::find_if(held_.begin(), held_.end(), [&](const Held& h) { return h.id == to; });
    if (it != held_.end()) {
        for (const auto& r : requests)
            Hold(*it, r);
        return;
    }
    Held held{to, {requests.begin(), requests.end()}, false};
    if (!Drain(held, send)) {
        // What it owes now is what came after the timeout; keep the bound from the start.
        Held kept{to, {}, false};
        for (const auto& r : held.requests)
            Hold(kept, r);
        held_.push_back(std::move(kept));
    }
}

void StandInBacklog::Retry(const SendFn& send, const std::function<bool(Id)>& present,
                           const std::function<std::vector<msgrsim::Request>()>& whole) {
    std::erase_if(held_, [&](Held& held) {
        if (!present(held.id)) return true;
        if (held.overflowed) {
            const auto state = whole();
            held.requests.assign(state.begin(), state.end());
            held.overflowed = false;
        }
        return Drain(held, send);
    });
}

} // namespace im
