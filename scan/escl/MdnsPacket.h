// Multicast DNS messages of scanner discovery: the query we send and the records of the
// answers we read (PTR, SRV, TXT, A, AAAA), with every name, pointer and length checked
// against the packet. Names are kept in dotted form, a dot or backslash inside a label
// escaped with a backslash. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum DnsType : uint16_t { kDnsA = 1, kDnsPtr = 12, kDnsTxt = 16, kDnsAaaa = 28, kDnsSrv = 33 };

const uint16_t kMdnsPort = 5353;
// The largest message we build or read: a whole UDP datagram on a usual link.
const size_t kMdnsMaxPacket = 9000;

struct DnsQuestion {
  std::string name;
  uint16_t type = kDnsPtr;
};

struct DnsRecord {
  std::string name;
  uint16_t type = 0;
  uint32_t ttl = 0;
  std::string target;                // PTR: the instance; SRV: the host
  uint16_t port = 0;                 // SRV
  std::vector<std::string> strings;  // TXT
  uint8_t address[16] = {};          // A: 4 bytes, AAAA: 16
};

enum class DnsError {
  kNone,
  kShort,     // the packet ends inside a field
  kName,      // a label too long, a name beyond 255 bytes, a reserved label type
  kLoop,      // a compression pointer that does not point back, or too many of them
  kTooMany,   // more records than we take from one packet
  kNotReply,  // a query, not an answer
};

// A standard query (id 0, as multicast DNS asks) for the questions; empty when it would not fit.
std::vector<uint8_t> BuildMdnsQuery(const std::vector<DnsQuestion>& questions);

// The records of every section of an answer; records of other types or classes are skipped.
DnsError ReadMdnsPacket(const uint8_t* data, size_t size, std::vector<DnsRecord>* records);

// Names compare without regard to ASCII case.
bool SameDnsName(const std::string& a, const std::string& b);
// The first label of a dotted name, unescaped: the instance name of a service.
std::string FirstDnsLabel(const std::string& name);
