// Discovery answers gathered into scanners.
#include "scan/escl/DiscoveredScanners.h"

#include <cctype>
#include <cstdio>

const char* const kPlainScanService = "_uscan._tcp.local";
const char* const kSecureScanService = "_uscans._tcp.local";

namespace {
const size_t kMaxServices = 64;
const size_t kMaxAddresses = 8;

bool EndsWithName(const std::string& name, const char* suffix) {
  const std::string tail = std::string(".") + suffix;
  return name.size() > tail.size() && SameDnsName(name.substr(name.size() - tail.size()), tail);
}

std::string V4Text(const uint8_t* a) {
  char text[16];
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
  return text;
}

std::string V6Text(const uint8_t* a) {
  char text[48];
  std::snprintf(text, sizeof(text), "%x:%x:%x:%x:%x:%x:%x:%x", a[0] << 8 | a[1], a[2] << 8 | a[3],
                a[4] << 8 | a[5], a[6] << 8 | a[7], a[8] << 8 | a[9], a[10] << 8 | a[11], a[12] << 8 | a[13],
                a[14] << 8 | a[15]);
  return text;
}

void AddOnce(std::vector<std::string>& list, const std::string& item) {
  for (const std::string& have : list)
    if (have == item) return;
  if (list.size() < kMaxAddresses) list.push_back(item);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}
}  // namespace

bool TxtValue(const std::vector<std::string>& strings, const char* key, std::string* value) {
  const std::string wanted = Lower(key);
  for (const std::string& item : strings) {
    const size_t equals = item.find('=');
    if (Lower(item.substr(0, equals)) != wanted) continue;
    *value = equals == std::string::npos ? std::string() : item.substr(equals + 1);
    return true;
  }
  return false;
}

CDiscoveredScanners::Service& CDiscoveredScanners::ServiceFor(const std::string& instance, bool secure) {
  for (Service& s : m_services)
    if (SameDnsName(s.instance, instance)) return s;
  if (m_services.size() >= kMaxServices) {
    static Service spare;  // a flood of announcements: the rest are not kept
    spare = Service();
    return spare;
  }
  m_services.emplace_back();
  m_services.back().instance = instance;
  m_services.back().secure = secure;
  return m_services.back();
}

CDiscoveredScanners::Host* CDiscoveredScanners::HostFor(const std::string& name, bool make) {
  for (Host& h : m_hosts)
    if (SameDnsName(h.name, name)) return &h;
  if (!make || m_hosts.size() >= kMaxServices) return nullptr;
  m_hosts.emplace_back();
  m_hosts.back().name = name;
  return &m_hosts.back();
}

const CDiscoveredScanners::Host* CDiscoveredScanners::FindHost(const std::string& name) const {
  for (const Host& h : m_hosts)
    if (SameDnsName(h.name, name)) return &h;
  return nullptr;
}

bool CDiscoveredScanners::Add(const std::vector<DnsRecord>& records) {
  bool changed = false;
  for (const DnsRecord& r : records) {
    const bool secure = EndsWithName(r.name, kSecureScanService) || SameDnsName(r.name, kSecureScanService);
    const bool scanner =
        secure || EndsWithName(r.name, kPlainScanService) || SameDnsName(r.name, kPlainScanService);
    if (r.type == kDnsPtr && scanner &&
        (SameDnsName(r.name, kPlainScanService) || SameDnsName(r.name, kSecureScanService))) {
      // A goodbye (TTL 0) is ignored: a short search keeps what it heard.
      if (r.ttl > 0 && EndsWithName(r.target, secure ? kSecureScanService : kPlainScanService)) {
        ServiceFor(r.target, secure);
        changed = true;
      }
    } else if (r.type == kDnsSrv && scanner) {
      Service& s = ServiceFor(r.name, secure);
      s.haveSrv = true;
      s.host = r.target;
      s.port = r.port;
      changed = true;
    } else if (r.type == kDnsTxt && scanner) {
      Service& s = ServiceFor(r.name, secure);
      s.haveTxt = true;
      s.txt = r.strings;
      changed = true;
    } else if (r.type == kDnsA || r.type == kDnsAaaa) {
      if (Host* h = HostFor(r.name, true)) {
        AddOnce(r.type == kDnsA ? h->v4 : h->v6, r.type == kDnsA ? V4Text(r.address) : V6Text(r.address));
        changed = true;
      }
    }
  }
  return changed;
}

std::vector<FoundScanner> CDiscoveredScanners::Scanners() const {
  std::vector<FoundScanner> found;
  std::vector<std::string> keys;  // uuid, else instance name, of each entry of `found`
  std::vector<bool> secure;
  for (const Service& s : m_services) {
    if (!s.haveSrv || s.port == 0 || s.host.empty()) continue;
    FoundScanner entry;
    std::string rs;
    const bool hasRs = TxtValue(s.txt, "rs", &rs);
    std::string host = s.host;
    // Windows does not resolve ".local" names by itself: an announced address is used.
    if (const Host* h = FindHost(s.host)) {
      if (!h->v4.empty())
        host = h->v4.front();
      else if (!h->v6.empty())
        host = h->v6.front();
    }
    entry.url = AnnouncedScannerUrl(s.secure, host, s.port, rs, hasRs);
    if (!TxtValue(s.txt, "ty", &entry.name) || entry.name.empty()) entry.name = FirstDnsLabel(s.instance);
    TxtValue(s.txt, "uuid", &entry.uuid);
    TxtValue(s.txt, "cs", &entry.colourSpaces);
    TxtValue(s.txt, "is", &entry.inputSources);
    TxtValue(s.txt, "pdl", &entry.formats);
    TxtValue(s.txt, "duplex", &entry.duplex);
    TxtValue(s.txt, "representation", &entry.icon);
    const std::string key =
        entry.uuid.empty() ? "name:" + Lower(FirstDnsLabel(s.instance)) : "uuid:" + Lower(entry.uuid);
    size_t i = 0;
    while (i < keys.size() && keys[i] != key) ++i;
    if (i == keys.size()) {
      keys.push_back(key);
      secure.push_back(s.secure);
      found.push_back(entry);
    } else if (s.secure && !secure[i]) {
      secure[i] = true;
      found[i] = entry;
    }
  }
  return found;
}

std::vector<DnsQuestion> CDiscoveredScanners::OpenQuestions() const {
  std::vector<DnsQuestion> open;
  for (const Service& s : m_services) {
    if (!s.haveSrv) open.push_back({s.instance, kDnsSrv});
    if (!s.haveTxt) open.push_back({s.instance, kDnsTxt});
    if (s.haveSrv && !s.host.empty()) {
      const Host* h = FindHost(s.host);
      if (!h || (h->v4.empty() && h->v6.empty())) open.push_back({s.host, kDnsA});
    }
  }
  return open;
}
