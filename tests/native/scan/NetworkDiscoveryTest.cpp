// Finding network scanners: the multicast DNS query and answers (names, compression, bounds),
// the answers gathered into one entry per scanner, and the addresses users type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/escl/DiscoveredScanners.h"
#include "scan/escl/MdnsPacket.h"
#include "scan/escl/ScannerAddress.h"

namespace {
using Bytes = std::vector<uint8_t>;

void Name(Bytes& out, const std::vector<std::string>& labels) {
  for (const std::string& l : labels) {
    out.push_back(static_cast<uint8_t>(l.size()));
    out.insert(out.end(), l.begin(), l.end());
  }
  out.push_back(0);
}

void Put16(Bytes& out, unsigned v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

// Record header after its name: type, class (with the cache-flush bit), TTL, rdata length.
void Header(Bytes& out, unsigned type, unsigned length, unsigned ttl = 120) {
  Put16(out, type);
  Put16(out, 0x8001);
  Put16(out, ttl >> 16);
  Put16(out, ttl & 0xFFFF);
  Put16(out, length);
}

// An answer as a responder sends it: PTR, SRV, TXT and A, names compressed against the
// first one ("_uscan._tcp.local" at offset 12).
Bytes Answer(const std::string& instance, const std::string& uuid, uint8_t lastOctet, bool secure = false) {
  Bytes p = {0, 0, 0x84, 0, 0, 0, 0, 4, 0, 0, 0, 0};
  Name(p, {secure ? "_uscans" : "_uscan", "_tcp", "local"});
  const Bytes serviceAt = {0xC0, 12};
  Header(p, kDnsPtr, 1 + instance.size() + 2);
  const size_t instanceAt = p.size();
  p.push_back(static_cast<uint8_t>(instance.size()));
  p.insert(p.end(), instance.begin(), instance.end());
  p.insert(p.end(), serviceAt.begin(), serviceAt.end());
  const Bytes instanceRef = {0xC0, static_cast<uint8_t>(instanceAt)};
  p.insert(p.end(), instanceRef.begin(), instanceRef.end());
  Header(p, kDnsSrv, 6 + 8 + 1 + 5 + 1);
  Put16(p, 0);
  Put16(p, 0);
  Put16(p, 8080);
  const size_t hostAt = p.size();
  Name(p, {"printer", "local"});
  p.insert(p.end(), instanceRef.begin(), instanceRef.end());
  const std::vector<std::string> txt = {"txtvers=1", "ty=Office MF", "rs=eSCL", "uuid=" + uuid,
                                        "is=platen,adf"};
  size_t txtLength = 0;
  for (const std::string& t : txt) txtLength += 1 + t.size();
  Header(p, kDnsTxt, txtLength);
  for (const std::string& t : txt) {
    p.push_back(static_cast<uint8_t>(t.size()));
    p.insert(p.end(), t.begin(), t.end());
  }
  p.push_back(0xC0);
  p.push_back(static_cast<uint8_t>(hostAt));
  Header(p, kDnsA, 4);
  p.insert(p.end(), {192, 0, 2, lastOctet});
  return p;
}

std::vector<DnsRecord> Read(const Bytes& p) {
  std::vector<DnsRecord> records;
  EXPECT_EQ(ReadMdnsPacket(p.data(), p.size(), &records), DnsError::kNone);
  return records;
}
}  // namespace

TEST(MdnsPacket, TheQueryAsksForBothScanServices) {
  const Bytes q = BuildMdnsQuery({{kPlainScanService, kDnsPtr}, {kSecureScanService, kDnsPtr}});
  Bytes expected = {0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0};
  Name(expected, {"_uscan", "_tcp", "local"});
  expected.insert(expected.end(), {0, 12, 0, 1});
  Name(expected, {"_uscans", "_tcp", "local"});
  expected.insert(expected.end(), {0, 12, 0, 1});
  EXPECT_EQ(q, expected);
  // A label of its own may hold a dot.
  EXPECT_EQ(BuildMdnsQuery({{"Office\\.A._uscan._tcp.local", kDnsSrv}})[12], 8);
  EXPECT_TRUE(BuildMdnsQuery({{std::string(64, 'a') + ".local", kDnsA}}).empty());
}

TEST(MdnsPacket, ReadsCompressedRecordsOfEveryKind) {
  const std::vector<DnsRecord> r = Read(Answer("Office.Scanner", "abc", 7));
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].type, kDnsPtr);
  EXPECT_EQ(r[0].target, "Office\\.Scanner._uscan._tcp.local");
  EXPECT_EQ(FirstDnsLabel(r[0].target), "Office.Scanner");
  EXPECT_EQ(r[1].type, kDnsSrv);
  EXPECT_EQ(r[1].port, 8080);
  EXPECT_EQ(r[1].target, "printer.local");
  EXPECT_EQ(r[2].strings.size(), 5u);
  EXPECT_EQ(r[3].name, "printer.local");
  EXPECT_EQ(r[3].address[3], 7);
}

TEST(MdnsPacket, RefusesLoopsOverrunsAndQueries) {
  std::vector<DnsRecord> records;
  Bytes loop = {0, 0, 0x84, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0xC0, 12};  // a pointer to itself
  EXPECT_EQ(ReadMdnsPacket(loop.data(), loop.size(), &records), DnsError::kLoop);
  Bytes forward = {0, 0, 0x84, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0xC0, 14, 0};
  EXPECT_EQ(ReadMdnsPacket(forward.data(), forward.size(), &records), DnsError::kLoop);
  Bytes reserved = {0, 0, 0x84, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0x40, 0};
  EXPECT_EQ(ReadMdnsPacket(reserved.data(), reserved.size(), &records), DnsError::kName);
  Bytes longName = {0, 0, 0x84, 0, 0, 0, 0, 1, 0, 0, 0, 0};
  for (int i = 0; i < 5; ++i) Name(longName, {std::string(60, 'x')}), longName.pop_back();
  longName.push_back(0);
  EXPECT_EQ(ReadMdnsPacket(longName.data(), longName.size(), &records), DnsError::kName);
  const Bytes whole = Answer("A", "u", 1);
  for (size_t cut = 12; cut < whole.size(); cut += 7) {
    EXPECT_NE(ReadMdnsPacket(whole.data(), cut, &records), DnsError::kNone) << cut;
  }
  Bytes query = BuildMdnsQuery({{kPlainScanService, kDnsPtr}});
  EXPECT_EQ(ReadMdnsPacket(query.data(), query.size(), &records), DnsError::kNotReply);
}

TEST(DiscoveredScanners, OneEntryPerUuidAndTheQuestionsLeft) {
  CDiscoveredScanners book;
  // A bare PTR: the instance is known, its SRV and TXT are asked for.
  Bytes bare = Answer("Lobby", "u-2", 9);
  bare[7] = 1;  // only the first record counts
  EXPECT_TRUE(book.Add(Read(bare)));
  EXPECT_TRUE(book.Scanners().empty());
  EXPECT_EQ(book.OpenQuestions().size(), 2u);

  book.Add(Read(Answer("Office", "u-1", 7)));
  book.Add(Read(Answer("Office (2)", "U-1", 8)));  // the same scanner on another address
  book.Add(Read(Answer("Office", "u-1", 7, true)));
  const std::vector<FoundScanner> found = book.Scanners();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "Office MF");
  EXPECT_EQ(found[0].uuid, "u-1");
  EXPECT_EQ(found[0].inputSources, "platen,adf");
  EXPECT_EQ(found[0].url.Text(), "https://192.0.2.7:8080/eSCL");  // the secure service wins
}

TEST(ScannerAddress, WhatUsersTypeBecomesARootUrl) {
  struct Case {
    const char* typed;
    const char* kept;
  } const cases[] = {
      {"192.0.2.7", "http://192.0.2.7:80/eSCL"},
      {" scanner.local:8080 ", "http://scanner.local:8080/eSCL"},
      {"[2001:db8::5]:631", "http://[2001:db8::5]:631/eSCL"},
      {"fe80::1%3", "http://[fe80::1%3]:80/eSCL"},
      {"HTTPS://mfp", "https://mfp:443/eSCL"},
      {"http://192.0.2.7/eSCL/", "http://192.0.2.7:80/eSCL"},
      {"http://192.0.2.7:9090/scan/eSCL", "http://192.0.2.7:9090/scan/eSCL"},
  };
  for (const Case& c : cases) {
    ScannerUrl url;
    ASSERT_TRUE(ParseScannerAddress(c.typed, &url)) << c.typed;
    EXPECT_EQ(url.Text(), c.kept);
  }
  for (const char* bad : {"", "host:0", "host:65536", "host:http", "[::1", "host/eSCL", "ftp://host", "a b",
                          "http://h/es cl", "-host"}) {
    ScannerUrl url;
    EXPECT_FALSE(ParseScannerAddress(bad, &url)) << bad;
  }
  ScannerUrl scanner;
  ParseScannerAddress("192.0.2.7", &scanner);
  EXPECT_EQ(JobPath(scanner, "http://printer.local/eSCL/ScanJobs/42/"), "/eSCL/ScanJobs/42");
  EXPECT_EQ(JobPath(scanner, "/eSCL/ScanJobs/42"), "/eSCL/ScanJobs/42");
  EXPECT_EQ(JobPath(scanner, "ScanJobs/42"), "/eSCL/ScanJobs/42");
  EXPECT_EQ(JobPath(scanner, "/eSCL/../x"), "");
  EXPECT_EQ(AnnouncedScannerUrl(false, "printer.local.", 0, "/scan/", true).Text(),
            "http://printer.local:80/scan");
}
