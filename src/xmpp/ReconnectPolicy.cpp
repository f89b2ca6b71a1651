#include "ReconnectPolicy.h"

#include <algorithm>
#include <utility>

namespace xmpp {

ReconnectPolicy::ReconnectPolicy(std::function<std::uint32_t()> random)
    : random_(std::move(random)) {}

ReconnectPolicy::Failure ReconnectPolicy::FailureOf(EndReason reason) {
    switch (reason) {
    case EndReason::BadAddress:
    case EndReason::NoEncryption:
    case EndReason::NoMechanism:
    case EndReason::WrongPassword:
    case EndReason::BadServerSignature: // a server that cannot prove it knows the password
    case EndReason::ClosedByUs:
        return Failure::NeedsUser;
    default:
        return Failure::Transient;
    }
}

void ReconnectPolicy::SignedIn(std::uint64_t nowMs) {
    signedIn_ = true;
    signedInAt_ = nowMs;
}

std::optional<std::uint64_t> ReconnectPolicy::Failed(Failure failure, std::uint64_t nowMs) {
    if (signedIn_ && nowMs >= signedInAt_ && nowMs - signedInAt_ >= kLastedMs) attempts_ = 0;
    signedIn_ = false;
    if (failure == Failure::NeedsUser) blocked_ = true;
    if (blocked_) return std::nullopt;
    const std::uint64_t base = std::min(kMaxMs, kFirstMs << std::min(attempts_, 20u));
    ++attempts_;
    // base - 25 % .. base + 25 %, never past the cap.
    const std::uint64_t offset = (std::uint64_t{random_()} * (base / 2 + 1)) >> 32;
    return std::min(kMaxMs, base - base / 4 + offset);
}

std::optional<std::uint64_t> ReconnectPolicy::AtOnce() {
    if (blocked_) return std::nullopt;
    attempts_ = 0;
    return 0;
}

void ReconnectPolicy::UserActed() {
    blocked_ = false;
    attempts_ = 0;
}

} // namespace xmpp
