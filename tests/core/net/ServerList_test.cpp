#include <gtest/gtest.h>

#include <map>

#include "net/ServerList.h"

namespace {

using namespace net;

struct FakeLookup : ISrvLookup {
    std::map<std::string, std::vector<SrvRecord>> answers;
    std::vector<SrvRecord> Lookup(const std::string& name) override { return answers[name]; }
};

std::string Hosts(const std::vector<Endpoint>& servers) {
    std::string out;
    for (const Endpoint& e : servers)
        out += (out.empty() ? "" : " ") + e.host + ":" + std::to_string(e.port) +
               (e.directTls ? "+tls" : "");
    return out;
}

TEST(ServerList, OrdersByPriorityThenWeightAndFallsBackToTheDomain) {
    const SrvRecord a{"a", 5222, 10, 0}, b{"b", 5222, 10, 60}, c{"c", 5222, 10, 40},
        d{"d", 5223, 5, 0, true}, none{".", 0, 0, 0};
    const struct {
        const char* name;
        std::vector<SrvRecord> plain, direct;
        std::uint32_t pick; // what the random number always is
        const char* servers;
    } rows[] = {
        {"no records: the domain on 5222", {}, {}, 0, "example.org:5222"},
        {"lowest priority first, both services merged", {a}, {d}, 0, "d:5223+tls a:5222"},
        // A zero weight goes first, where a pick of 0 lands; the running sums are then 60, 100.
        {"pick 0", {b, c, a}, {}, 0, "a:5222 b:5222 c:5222"},
        {"pick past the first weight", {b, c, a}, {}, 61, "c:5222 b:5222 a:5222"},
        {"pick past the total is the last", {b, c}, {}, 1000, "c:5222 b:5222"},
        {"a target of . is no service", {none}, {}, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeLookup dns;
        dns.answers["_xmpp-client._tcp.example.org"] = row.plain;
        dns.answers["_xmpps-client._tcp.example.org"] = row.direct;
        const auto pick = [&](std::uint32_t total) { return std::min(row.pick, total); };
        EXPECT_EQ(Hosts(ServersFor("example.org", dns, pick)), row.servers);
    }
}

TEST(ServerList, KeepsAtMostTheBoundOfRecords) {
    std::vector<SrvRecord> many(kMaxServers + 5, SrvRecord{"s", 5222, 0, 1});
    EXPECT_EQ(OrderServers(many, [](std::uint32_t) { return 0u; }).size(), kMaxServers);
}

} // namespace
