#include <gtest/gtest.h>

#include <string>

#include "xmpp/ReconnectPolicy.h"

namespace {

using xmpp::EndReason;
using xmpp::ReconnectPolicy;

// Steps: 'f' a transient failure, 'u' one only the user mends, 's' signed in, 'w' woke from
// sleep, 'n' a network change, 'a' the user acted; each at the time after it in seconds. The
// random source gives 0 (the low end of the spread) or, for rows marked so, the top.
TEST(ReconnectPolicy, Delays) {
    const struct {
        const char* name;
        bool top;
        const char* steps;
        const char* delays; // in ms, "-" for none
    } rows[] = {
        {"a quarter late, capped at five minutes", true, "f0 f0 f0 f0 f0 f0 f0 f0 f0 f0",
         "1250 2500 5000 10000 20000 40000 80000 160000 300000 300000"},
        {"doubling from a second, a quarter early; the cap spread below it", false,
         "f0 f0 f0 f0 f0 f0 f0 f0 f0 f0 f0",
         "750 1500 3000 6000 12000 24000 48000 96000 192000 225000 225000"},
        {"a sign-in that lasted starts again, a short one does not", false,
         "f0 f0 s10 f69 s100 f160", "750 1500 3000 750"},
        {"at once on waking and on a network change", false, "f0 f0 w5 f5 n6", "750 1500 0 750 0"},
        {"what retrying cannot mend waits for the user", false, "f0 u1 f2 w3 n4 a5 f5",
         "750 - - - - 750"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ReconnectPolicy policy([&] { return row.top ? 0xFFFFFFFFu : 0u; });
        std::string got;
        for (const char* p = row.steps; *p;) {
            const char op = *p++;
            const std::uint64_t at = std::strtoull(p, const_cast<char**>(&p), 10) * 1000;
            while (*p == ' ')
                ++p;
            std::optional<std::uint64_t> d;
            if (op == 'f' || op == 'u')
                d = policy.Failed(op == 'f' ? ReconnectPolicy::Failure::Transient
                                            : ReconnectPolicy::Failure::NeedsUser,
                                  at);
            else if (op == 'w')
                d = policy.WokeFromSleep();
            else if (op == 'n')
                d = policy.NetworkChanged();
            else if (op == 's')
                policy.SignedIn(at);
            else
                policy.UserActed();
            if (op != 's' && op != 'a')
                got += (got.empty() ? "" : " ") + (d ? std::to_string(*d) : std::string("-"));
        }
        EXPECT_EQ(got, row.delays);
    }
    EXPECT_EQ(ReconnectPolicy::FailureOf(EndReason::WrongPassword),
              ReconnectPolicy::Failure::NeedsUser);
    EXPECT_EQ(ReconnectPolicy::FailureOf(EndReason::NoAnswer), ReconnectPolicy::Failure::Transient);
}

} // namespace
