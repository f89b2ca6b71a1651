#pragma once
// When the messenger tries its connection again: the delay grows from 1 s, doubling, to at most
// 5 minutes, each spread by a random quarter either way so that clients a server dropped at once
// do not come back at once; a sign-in that lasted starts the growth again. Waking from sleep
// and a network change try at once. A failure only the user can mend (a wrong password, a
// certificate not valid for the domain, no encryption) is not retried until the user acts.
#include <cstdint>
#include <functional>
#include <optional>

#include "Session.h"

namespace xmpp {

class ReconnectPolicy {
  public:
    enum class Failure {
        Transient, // the network, the server's state: another attempt may work
        NeedsUser, // the same attempt would fail the same way
    };
    static constexpr std::uint64_t kFirstMs = 1000;
    static constexpr std::uint64_t kMaxMs = 300'000; // five minutes
    // A sign-in that lasted this long was not a flapping connection.
    static constexpr std::uint64_t kLastedMs = 60'000;

    // `random` gives any 32-bit value, for the spread.
    explicit ReconnectPolicy(std::function<std::uint32_t()> random);

    // How a session's end counts; the TLS layer's certificate refusals are NeedsUser.
    static Failure FailureOf(EndReason reason);

    void SignedIn(std::uint64_t nowMs);
    // An attempt failed or a connection ended: the delay before the next attempt, or none when
    // only the user can mend it.
    std::optional<std::uint64_t> Failed(Failure failure, std::uint64_t nowMs);
    // The machine woke, or its network changed: at once, unless the user must act first.
    std::optional<std::uint64_t> WokeFromSleep() { return AtOnce(); }
    std::optional<std::uint64_t> NetworkChanged() { return AtOnce(); }
    // The user signed in again (a new password, say): the next failure waits kFirstMs again.
    void UserActed();

  private:
    std::optional<std::uint64_t> AtOnce();

    std::function<std::uint32_t()> random_;
    unsigned attempts_ = 0; // failures since the last sign-in that lasted
    bool signedIn_ = false;
    std::uint64_t signedInAt_ = 0;
    bool blocked_ = false;
};

} // namespace xmpp
