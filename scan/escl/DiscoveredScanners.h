// The network scanners that discovery has heard of: the answers of every packet gathered
// (services, their hosts and ports, TXT records, addresses) into one entry per scanner (by
// its uuid, or its instance name without one), and the questions still open. Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan/escl/MdnsPacket.h"
#include "scan/escl/ScannerAddress.h"

extern const char* const kPlainScanService;   // "_uscan._tcp.local"
extern const char* const kSecureScanService;  // "_uscans._tcp.local"

// The value of `key` in a TXT record (keys match without regard to case; the first one counts).
bool TxtValue(const std::vector<std::string>& strings, const char* key, std::string* value);

struct FoundScanner {
  std::string name;  // "ty", else the instance name
  std::string uuid;
  ScannerUrl url;  // the host is an address when one was announced
  std::string colourSpaces, inputSources, formats, duplex, icon;  // cs, is, pdl, duplex, representation
};

class CDiscoveredScanners {
 public:
  // Takes the records of one answer; true when the list of scanners may have changed.
  bool Add(const std::vector<DnsRecord>& records);
  // One entry per scanner that can be reached (a port and a host), in the order first heard;
  // a scanner with both a plain and a secure service is offered by its secure one.
  std::vector<FoundScanner> Scanners() const;
  // What is still unknown: the SRV and TXT of instances, the addresses of hosts.
  std::vector<DnsQuestion> OpenQuestions() const;

 private:
  struct Service {
    std::string instance;  // full name: "Office._uscan._tcp.local"
    bool secure = false;
    bool haveSrv = false, haveTxt = false;
    std::string host;
    uint16_t port = 0;
    std::vector<std::string> txt;
  };
  struct Host {
    std::string name;
    std::vector<std::string> v4, v6;  // addresses as text
  };
  Service& ServiceFor(const std::string& instance, bool secure);
  Host* HostFor(const std::string& name, bool make);
  const Host* FindHost(const std::string& name) const;

  std::vector<Service> m_services;
  std::vector<Host> m_hosts;
};
