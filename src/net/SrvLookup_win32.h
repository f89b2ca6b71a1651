#pragma once
// The SRV lookup over the system's resolver (DnsQuery_W).
#include "ServerList.h"

namespace net {

class DnsSrvLookup : public ISrvLookup {
  public:
    std::vector<SrvRecord> Lookup(const std::string& name) override;
};

} // namespace net
