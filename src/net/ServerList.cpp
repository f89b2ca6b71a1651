#include "ServerList.h"

#include <algorithm>

namespace net {

std::vector<Endpoint> OrderServers(std::vector<SrvRecord> records,
                                   const std::function<std::uint32_t(std::uint32_t)>& pick) {
    std::erase_if(records, [](const SrvRecord& r) { return r.target.empty() || r.target == "."; });
    if (records.size() > kMaxServers) records.resize(kMaxServers);
    std::stable_sort(records.begin(), records.end(), [](const SrvRecord& a, const SrvRecord& b) {
        return a.priority < b.priority;
    });
    std::vector<Endpoint> out;
    for (auto first = records.begin(); first != records.end();) {
        auto last = std::find_if(first, records.end(),
                                 [&](const SrvRecord& r) { return r.priority != first->priority; });
        // RFC 2782: zero weights first, so that they have a small chance when others have
        // weight; then repeatedly the first whose running sum reaches a random number.
        std::stable_partition(first, last, [](const SrvRecord& r) { return r.weight == 0; });
        std::vector<SrvRecord> left(first, last);
        while (!left.empty()) {
            std::uint32_t total = 0;
            for (const SrvRecord& r : left)
                total += r.weight;
            const std::uint32_t chosen = std::min(pick(total), total);
            std::uint32_t sum = 0;
            auto it = left.begin();
            for (; it != left.end(); ++it) {
                sum += it->weight;
                if (sum >= chosen) break;
            }
            if (it == left.end()) --it;
            out.push_back({it->target, it->port, it->directTls});
            left.erase(it);
        }
        first = last;
    }
    return out;
}

std::vector<Endpoint> ServersFor(const std::string& domain, ISrvLookup& lookup,
                                 const std::function<std::uint32_t(std::uint32_t)>& pick) {
    std::vector<SrvRecord> records = lookup.Lookup("_xmpp-client._tcp." + domain);
    std::vector<SrvRecord> direct = lookup.Lookup("_xmpps-client._tcp." + domain);
    for (SrvRecord& r : direct)
        r.directTls = true;
    records.insert(records.end(), direct.begin(), direct.end());
    if (records.empty()) return {{domain, kDefaultPort, false}};
    return OrderServers(std::move(records), pick);
}

} // namespace net
