// A small, strict JSON reader (RFC 8259) for the answers of an authorization server: one object
// whose members are read at the top level only (nested values are checked and passed over).
// Sizes are bounded: a document, a string, the nesting and the member count. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

struct JsonValue {
  enum Kind { kString, kNumber, kTrue, kFalse, kNull, kNested };
  Kind kind = kNull;
  std::string text;  // a string decoded to UTF-8; a number as written
};

class JsonObject {
 public:
  static constexpr size_t kMaxDocument = 64 * 1024;
  static constexpr size_t kMaxString = 16 * 1024;
  static constexpr int kMaxDepth = 16;
  static constexpr size_t kMaxMembers = 64;

  // Reads `document`; false (and no members) for anything that is not one JSON object within
  // the bounds, a name given twice included.
  bool Parse(const std::string& document);
  // The member's string; empty when it is missing or not a string.
  std::string String(const std::string& name) const;
  // The member as a whole non-negative number (a string of digits counts too, as some servers
  // send one); false when it is missing or not such a number.
  bool Integer(const std::string& name, int64_t* value) const;
  bool Has(const std::string& name) const { return m_members.count(name) != 0; }

 private:
  std::map<std::string, JsonValue> m_members;
};
