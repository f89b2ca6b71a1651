#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "xmpp/ReconnectPolicy.h"

namespace {

using xmpp::EndReason;
using xmpp::ReconnectPolicy;

// One policy through: 'f' a transient failure, 'u' one only the user mends, 's' signed in,
// 'w' woke from sleep, 'n' a network change, 'a' the user acted; each at the time after it in
// seconds. The random source gives the low end of the spread and the top in turn.
TEST(ReconnectPolicy, Delays) {
    bool top = true;
    ReconnectPolicy policy([&] { return (top = !top) ? 0xFFFFFFFFu : 0u; });
    std::istringstream steps("f0 f0 f0 f0 f0 f0 f0 f0 f0 f0 f0 " // doubling to the cap
                             "s10 f69 s100 f160 "                // lasted a minute, or not
                             "w160 f160 n161 "                   // at once, from the start
                             "u170 f171 w172 n173 a174 f174");   // until the user acts
    std::string got;
    char op;
    std::uint64_t at;
    while (steps >> op >> at) {
        std::optional<std::uint64_t> d;
        if (op == 'f' || op == 'u')
            d = policy.Failed(op == 'f' ? ReconnectPolicy::Failure::Transient
                                        : ReconnectPolicy::Failure::NeedsUser,
                              at * 1000);
        else if (op == 'w' || op == 'n')
            d = op == 'w' ? policy.WokeFromSleep() : policy.NetworkChanged();
        else if (op == 's')
            policy.SignedIn(at * 1000);
        else
            policy.UserActed();
        if (op != 's' && op != 'a')
            got += (got.empty() ? "" : " ") + (d ? std::to_string(*d) : std::string("-"));
    }
    EXPECT_EQ(got, "750 2500 3000 10000 12000 40000 48000 160000 192000 300000 225000 "
                   "300000 750 0 1250 0 - - - - 750");
    EXPECT_EQ(ReconnectPolicy::FailureOf(EndReason::WrongPassword),
              ReconnectPolicy::Failure::NeedsUser);
    EXPECT_EQ(ReconnectPolicy::FailureOf(EndReason::NoAnswer), ReconnectPolicy::Failure::Transient);
}

} // namespace
