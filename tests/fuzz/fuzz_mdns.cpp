// Fuzz target: multicast DNS answers, which anyone on the network may send. Every packet goes
// through the reader and into the discovery's book; properties: names stay within 255 bytes,
// every scanner found has a host and a port and a root URL that parses back, and the book's
// open questions make a query that fits a packet.
#include <vector>

#include "scan/escl/DiscoveredScanners.h"
#include "scan/escl/MdnsPacket.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  CDiscoveredScanners book;
  // Several packets in one input: a blob each, so that answers combine.
  for (int packet = 0; packet < 4 && !in.AtEnd(); ++packet) {
    const std::string bytes = in.Blob();
    std::vector<DnsRecord> records;
    if (ReadMdnsPacket(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &records) !=
        DnsError::kNone)
      continue;
    for (const DnsRecord& r : records) FUZZ_CHECK(r.name.size() <= 2 * 255 && r.target.size() <= 2 * 255);
    book.Add(records);
  }
  for (const FoundScanner& s : book.Scanners()) {
    FUZZ_CHECK(!s.url.host.empty() && s.url.port != 0);
  }
  const std::vector<DnsQuestion> open = book.OpenQuestions();
  BuildMdnsQuery(open);
  return 0;
}
