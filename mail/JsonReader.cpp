// JsonObject: a recursive-descent reader over the document's bytes.
#include "mail/JsonReader.h"

namespace {
class CParser {
 public:
  explicit CParser(const std::string& text) : m_text(text) {}

  bool AtEnd() {
    SkipBlanks();
    return m_at == m_text.size();
  }
  bool Take(char c) {
    SkipBlanks();
    if (m_at < m_text.size() && m_text[m_at] == c) {
      ++m_at;
      return true;
    }
    return false;
  }
  char Peek() {
    SkipBlanks();
    return m_at < m_text.size() ? m_text[m_at] : '\0';
  }

  // Any value; `out` gets its kind and text (a nested one only its kind).
  bool Value(JsonValue* out, int depth) {
    if (depth > JsonObject::kMaxDepth) return false;
    const char c = Peek();
    if (c == '"') {
      out->kind = JsonValue::kString;
      return String(&out->text);
    }
    if (c == '{' || c == '[') {
      out->kind = JsonValue::kNested;
      return c == '{' ? Object(nullptr, depth + 1) : Array(depth + 1);
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      out->kind = JsonValue::kNumber;
      return Number(&out->text);
    }
    for (const auto& literal :
         {std::make_pair("true", JsonValue::kTrue), std::make_pair("false", JsonValue::kFalse),
          std::make_pair("null", JsonValue::kNull)}) {
      const std::string word = literal.first;
      if (m_text.compare(m_at, word.size(), word) == 0) {
        m_at += word.size();
        out->kind = literal.second;
        return true;
      }
    }
    return false;
  }

  // An object; with `members`, its members are kept (a name given twice fails).
  bool Object(std::map<std::string, JsonValue>* members, int depth) {
    if (depth > JsonObject::kMaxDepth || !Take('{')) return false;
    if (Take('}')) return true;
    size_t count = 0;
    do {
      std::string name;
      JsonValue value;
      if (Peek() != '"' || !String(&name) || !Take(':') || !Value(&value, depth)) return false;
      if (members) {
        if (++count > JsonObject::kMaxMembers || !members->emplace(name, value).second) return false;
      }
    } while (Take(','));
    return Take('}');
  }

 private:
  void SkipBlanks() {
    while (m_at < m_text.size() &&
           (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r')) {
      ++m_at;
    }
  }

  bool Array(int depth) {
    if (depth > JsonObject::kMaxDepth || !Take('[')) return false;
    if (Take(']')) return true;
    do {
      JsonValue ignored;
      if (!Value(&ignored, depth)) return false;
    } while (Take(','));
    return Take(']');
  }

  bool Digits() {
    const size_t start = m_at;
    while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') ++m_at;
    return m_at > start;
  }

  bool Number(std::string* out) {
    const size_t start = m_at;
    if (m_text[m_at] == '-') ++m_at;
    // No leading zeros: "0" alone, or a digit from 1 to 9 first.
    if (m_at < m_text.size() && m_text[m_at] == '0') {
      ++m_at;
    } else if (!Digits()) {
      return false;
    }
    if (m_at < m_text.size() && m_text[m_at] == '.') {
      ++m_at;
      if (!Digits()) return false;
    }
    if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
      ++m_at;
      if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-')) ++m_at;
      if (!Digits()) return false;
    }
    out->assign(m_text, start, m_at - start);
    return true;
  }

  static void AppendUtf8(std::string* out, uint32_t code) {
    if (code < 0x80) {
      *out += static_cast<char>(code);
    } else if (code < 0x800) {
      *out += static_cast<char>(0xC0 | code >> 6);
      *out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      *out += static_cast<char>(0xE0 | code >> 12);
      *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      *out += static_cast<char>(0xF0 | code >> 18);
      *out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool Hex4(uint32_t* code) {
    if (m_text.size() - m_at < 4) return false;
    *code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = m_text[m_at++];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return false;
      *code = *code << 4 | static_cast<uint32_t>(digit);
    }
    return true;
  }

  bool Escape(std::string* out) {
    if (m_at >= m_text.size()) return false;
    const char c = m_text[m_at++];
    const char* simple = "\"\\/bfnrt";
    const char* meant = "\"\\/\b\f\n\r\t";
    for (int i = 0; simple[i]; ++i) {
      if (c == simple[i]) {
        *out += meant[i];
        return true;
      }
    }
    uint32_t code = 0;
    if (c != 'u' || !Hex4(&code)) return false;
    if (code >= 0xDC00 && code <= 0xDFFF) return false;  // a low surrogate alone
    if (code >= 0xD800 && code <= 0xDBFF) {
      uint32_t low = 0;
      if (m_text.compare(m_at, 2, "\\u") != 0) return false;
      m_at += 2;
      if (!Hex4(&low) || low < 0xDC00 || low > 0xDFFF) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8(out, code);
    return true;
  }

  // One UTF-8 character of at least two bytes, checked (no overlong form, no surrogate).
  bool Utf8Character(std::string* out) {
    const unsigned char lead = static_cast<unsigned char>(m_text[m_at]);
    const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
    if (length == 0 || m_text.size() - m_at < static_cast<size_t>(length)) return false;
    uint32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
      const unsigned char next = static_cast<unsigned char>(m_text[m_at + i]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
      return false;
    }
    out->append(m_text, m_at, static_cast<size_t>(length));
    m_at += static_cast<size_t>(length);
    return true;
  }

  bool String(std::string* out) {
    out->clear();
    ++m_at;  // the opening quote
    while (m_at < m_text.size()) {
      if (out->size() > JsonObject::kMaxString) return false;
      const unsigned char c = static_cast<unsigned char>(m_text[m_at]);
      if (c == '"') {
        ++m_at;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        ++m_at;
        if (!Escape(out)) return false;
      } else if (c >= 0x80) {
        if (!Utf8Character(out)) return false;
      } else {
        *out += static_cast<char>(c);
        ++m_at;
      }
    }
    return false;
  }

  const std::string& m_text;
  size_t m_at = 0;
};
}  // namespace

bool JsonObject::Parse(const std::string& document) {
  m_members.clear();
  if (document.size() > kMaxDocument) return false;
  CParser parser(document);
  if (parser.Peek() != '{' || !parser.Object(&m_members, 1) || !parser.AtEnd()) {
    m_members.clear();
    return false;
  }
  return true;
}

std::string JsonObject::String(const std::string& name) const {
  const auto it = m_members.find(name);
  return it != m_members.end() && it->second.kind == JsonValue::kString ? it->second.text : std::string();
}

bool JsonObject::Integer(const std::string& name, int64_t* value) const {
  const auto it = m_members.find(name);
  if (it == m_members.end()) return false;
  const JsonValue& member = it->second;
  if (member.kind != JsonValue::kNumber && member.kind != JsonValue::kString) return false;
  const std::string& digits = member.text;
  if (digits.empty() || digits.size() > 15) return false;
  int64_t number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *value = number;
  return true;
}
