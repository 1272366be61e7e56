// Multicast DNS queries written and answers read.
#include "scan/escl/MdnsPacket.h"

#include <cctype>

namespace {
const size_t kHeaderSize = 12;
const size_t kMaxRecords = 512;
const size_t kMaxNameBytes = 255;  // on the wire, length bytes included
const int kMaxPointers = 32;
const uint16_t kClassIn = 1;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void Put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

// The labels of a dotted name, escapes resolved; false for an empty or oversized label.
bool SplitName(const std::string& name, std::vector<std::string>& labels) {
  std::string label;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == '\\' && i + 1 < name.size()) {
      label += name[++i];
    } else if (c == '.') {
      if (label.empty()) return false;
      labels.push_back(label);
      label.clear();
    } else {
      label += c;
    }
  }
  if (!label.empty()) labels.push_back(label);
  for (const std::string& l : labels)
    if (l.size() > 63) return false;
  return !labels.empty();
}

class CReader {
 public:
  CReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

  // The name at `offset`; `next` is where the data after it begins.
  DnsError Name(size_t offset, std::string& name, size_t& next) const {
    name.clear();
    size_t at = offset, wireBytes = 1;
    bool jumped = false;
    int pointers = 0;
    for (;;) {
      if (at >= m_size) return DnsError::kShort;
      const uint8_t length = m_data[at];
      if ((length & 0xC0) == 0xC0) {
        if (at + 1 >= m_size) return DnsError::kShort;
        const size_t target = static_cast<size_t>(length & 0x3F) << 8 | m_data[at + 1];
        // Only backwards, so that no chain of pointers can run in a circle.
        if (target >= at || ++pointers > kMaxPointers) return DnsError::kLoop;
        if (!jumped) next = at + 2;
        jumped = true;
        at = target;
        continue;
      }
      if (length & 0xC0) return DnsError::kName;
      if (length == 0) {
        if (!jumped) next = at + 1;
        return DnsError::kNone;
      }
      wireBytes += length + 1;
      if (wireBytes > kMaxNameBytes) return DnsError::kName;
      if (at + 1 + length > m_size) return DnsError::kShort;
      if (!name.empty()) name += '.';
      for (size_t i = 0; i < length; ++i) {
        const char c = static_cast<char>(m_data[at + 1 + i]);
        if (c == '.' || c == '\\') name += '\\';
        name += c;
      }
      at += 1 + length;
    }
  }

  DnsError Record(size_t& at, DnsRecord& record, bool& keep) const {
    size_t next = 0;
    DnsError e = Name(at, record.name, next);
    if (e != DnsError::kNone) return e;
    if (next + 10 > m_size) return DnsError::kShort;
    record.type = Read16(m_data + next);
    const uint16_t dnsClass = Read16(m_data + next + 2) & 0x7FFF;  // the top bit: cache flush
    record.ttl = Read32(m_data + next + 4);
    const size_t length = Read16(m_data + next + 8);
    const size_t rdata = next + 10;
    if (rdata + length > m_size) return DnsError::kShort;
    at = rdata + length;
    keep = false;
    if (dnsClass != kClassIn) return DnsError::kNone;
    switch (record.type) {
      case kDnsA:
      case kDnsAaaa: {
        const size_t want = record.type == kDnsA ? 4 : 16;
        if (length != want) return DnsError::kNone;  // malformed: passed over
        for (size_t i = 0; i < want; ++i) record.address[i] = m_data[rdata + i];
        keep = true;
        return DnsError::kNone;
      }
      case kDnsPtr:
      case kDnsSrv: {
        const size_t fixed = record.type == kDnsSrv ? 6 : 0;
        if (length < fixed + 1) return DnsError::kShort;
        if (record.type == kDnsSrv) record.port = Read16(m_data + rdata + 4);
        e = Name(rdata + fixed, record.target, next);
        if (e != DnsError::kNone) return e;
        if (next > rdata + length) return DnsError::kShort;
        keep = true;
        return DnsError::kNone;
      }
      case kDnsTxt: {
        size_t p = rdata;
        while (p < rdata + length) {
          const size_t n = m_data[p];
          if (p + 1 + n > rdata + length) return DnsError::kShort;
          if (n > 0) record.strings.emplace_back(reinterpret_cast<const char*>(m_data + p + 1), n);
          p += 1 + n;
        }
        keep = true;
        return DnsError::kNone;
      }
      default:
        return DnsError::kNone;
    }
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
};
}  // namespace

std::vector<uint8_t> BuildMdnsQuery(const std::vector<DnsQuestion>& questions) {
  std::vector<uint8_t> out(kHeaderSize, 0);
  out[5] = static_cast<uint8_t>(questions.size());
  out[4] = static_cast<uint8_t>(questions.size() >> 8);
  for (const DnsQuestion& q : questions) {
    std::vector<std::string> labels;
    if (!SplitName(q.name, labels)) return {};
    for (const std::string& label : labels) {
      out.push_back(static_cast<uint8_t>(label.size()));
      out.insert(out.end(), label.begin(), label.end());
    }
    out.push_back(0);
    Put16(out, q.type);
    Put16(out, kClassIn);
    if (out.size() > kMdnsMaxPacket) return {};
  }
  return out;
}

DnsError ReadMdnsPacket(const uint8_t* data, size_t size, std::vector<DnsRecord>* records) {
  records->clear();
  if (size < kHeaderSize) return DnsError::kShort;
  if (!(data[2] & 0x80)) return DnsError::kNotReply;
  const size_t questions = Read16(data + 4);
  const size_t count = static_cast<size_t>(Read16(data + 6)) + Read16(data + 8) + Read16(data + 10);
  if (count > kMaxRecords) return DnsError::kTooMany;
  CReader reader(data, size);
  size_t at = kHeaderSize;
  for (size_t i = 0; i < questions; ++i) {
    std::string name;
    size_t next = 0;
    const DnsError e = reader.Name(at, name, next);
    if (e != DnsError::kNone) return e;
    if (next + 4 > size) return DnsError::kShort;
    at = next + 4;
  }
  for (size_t i = 0; i < count; ++i) {
    DnsRecord record;
    bool keep = false;
    const DnsError e = reader.Record(at, record, keep);
    if (e != DnsError::kNone) return e;
    if (keep) records->push_back(std::move(record));
  }
  return DnsError::kNone;
}

bool SameDnsName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string FirstDnsLabel(const std::string& name) {
  std::string label;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 1 < name.size())
      label += name[++i];
    else if (name[i] == '.')
      break;
    else
      label += name[i];
  }
  return label;
}
