#include "SrvLookup_win32.h"

#include <windows.h>

#include <windns.h>

namespace net {

namespace {

std::wstring Widen(const std::string& s) {
    if (s.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string Narrow(const wchar_t* w) {
    if (!w) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string s(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize(static_cast<std::size_t>(n - 1));
    return s;
}

} // namespace

std::vector<SrvRecord> DnsSrvLookup::Lookup(const std::string& name) {
    std::vector<SrvRecord> out;
    const std::wstring wide = Widen(name);
    PDNS_RECORD records = nullptr;
    if (::DnsQuery_W(wide.c_str(), DNS_TYPE_SRV, DNS_QUERY_STANDARD, nullptr, &records, nullptr) !=
        0)
        return out;
    for (PDNS_RECORD r = records; r && out.size() < kMaxServers; r = r->pNext) {
        if (r->wType != DNS_TYPE_SRV || r->Flags.S.Section != DnsSectionAnswer) continue;
        SrvRecord s;
        s.target = Narrow(r->Data.SRV.pNameTarget);
        s.port = r->Data.SRV.wPort;
        s.priority = r->Data.SRV.wPriority;
        s.weight = r->Data.SRV.wWeight;
        if (!s.target.empty() && s.target.size() <= 255) out.push_back(std::move(s));
    }
    ::DnsRecordListFree(records, DnsFreeRecordList);
    return out;
}

} // namespace net
