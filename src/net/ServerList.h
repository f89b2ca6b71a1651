#pragma once
// Where a domain's XMPP service lives: its SRV records for STARTTLS (_xmpp-client._tcp) and for
// TLS from the first byte (_xmpps-client._tcp), tried in the order RFC 2782 gives them, and the
// domain itself on port 5222 when it publishes neither.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace net {

struct SrvRecord {
    std::string target;
    std::uint16_t port = 0;
    std::uint16_t priority = 0;
    std::uint16_t weight = 0;
    bool directTls = false; // from _xmpps-client
};

struct Endpoint {
    std::string host;
    std::uint16_t port = 0;
    bool directTls = false;
    bool operator==(const Endpoint&) const = default;
};

// The DNS behind an interface, so that nothing but the messenger itself ever asks it.
class ISrvLookup {
  public:
    virtual ~ISrvLookup() = default;
    // The SRV records of `name` (for example "_xmpp-client._tcp.example.org"); none when it has
    // none or the lookup fails.
    virtual std::vector<SrvRecord> Lookup(const std::string& name) = 0;
};

constexpr std::size_t kMaxServers = 32; // records kept of a domain's answers
constexpr std::uint16_t kDefaultPort = 5222;

// By priority, lowest first; within a priority in a random order weighted by weight, where
// `pick(total)` gives a number from 0 to total. Records whose target is "." (no service) and
// records past kMaxServers are left out.
std::vector<Endpoint> OrderServers(std::vector<SrvRecord> records,
                                   const std::function<std::uint32_t(std::uint32_t)>& pick);

// The servers to try for `domain`: both services' records merged, ordered as above; the domain
// on port 5222 when it has no records at all; none when it says it offers no service.
std::vector<Endpoint> ServersFor(const std::string& domain, ISrvLookup& lookup,
                                 const std::function<std::uint32_t(std::uint32_t)>& pick);

} // namespace net
