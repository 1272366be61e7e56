// The strict XML reader (see XmlReader.h): one pass, an explicit stack of open elements.
#include "scan/escl/XmlReader.h"

#include <cstring>

namespace {
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// Appends code point `cp` as UTF-8; false for values XML does not allow.
bool AppendCodePoint(unsigned long cp, std::string& out) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  if (cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') return false;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return true;
}

void Trim(std::string& text) {
  size_t end = text.size();
  while (end > 0 && IsSpace(text[end - 1])) --end;
  size_t start = 0;
  while (start < end && IsSpace(text[start])) ++start;
  text = text.substr(start, end - start);
}

class CParser {
 public:
  CParser(const char* data, size_t size, const XmlLimits& limits)
      : m_p(data), m_end(data + size), m_limits(limits) {}

  XmlError Parse(XmlElement* root) {
    if (m_end - m_p >= 3 && std::memcmp(m_p, "\xEF\xBB\xBF", 3) == 0) m_p += 3;
    bool haveRoot = false;
    std::vector<XmlElement*> open;
    while (m_p < m_end) {
      if (*m_p != '<') {
        if (open.empty()) {
          // Outside the root only white space may stand.
          if (!IsSpace(*m_p)) return XmlError::kSyntax;
          ++m_p;
          continue;
        }
        const XmlError e = Text(open.back()->text, '<');
        if (e != XmlError::kNone) return e;
        continue;
      }
      if (Starts("<?")) {
        if (!SkipPast("?>")) return XmlError::kSyntax;
      } else if (Starts("<!--")) {
        if (!SkipPast("-->")) return XmlError::kSyntax;
      } else if (Starts("<![CDATA[")) {
        if (open.empty()) return XmlError::kSyntax;
        m_p += 9;
        const char* close = Search("]]>");
        if (!close) return XmlError::kSyntax;
        std::string& text = open.back()->text;
        if (text.size() + (close - m_p) > m_limits.maxText) return XmlError::kTooLarge;
        text.append(m_p, close);
        m_p = close + 3;
      } else if (Starts("<!")) {
        return Starts("<!DOCTYPE") ? XmlError::kDoctype : XmlError::kSyntax;
      } else if (Starts("</")) {
        m_p += 2;
        std::string name;
        if (!Name(name)) return XmlError::kSyntax;
        SkipSpace();
        if (m_p >= m_end || *m_p != '>') return XmlError::kSyntax;
        ++m_p;
        if (open.empty() || open.back()->name != LocalName(name) || m_openNames.back() != name)
          return XmlError::kMismatch;
        Trim(open.back()->text);
        open.pop_back();
        m_openNames.pop_back();
      } else {
        ++m_p;
        std::string name;
        if (!Name(name)) return XmlError::kSyntax;
        if (open.empty() && haveRoot) return XmlError::kSyntax;  // a second root
        if (++m_elements > m_limits.maxElements) return XmlError::kTooMany;
        XmlElement* element;
        if (open.empty()) {
          element = root;
          haveRoot = true;
        } else {
          if (static_cast<int>(open.size()) >= m_limits.maxDepth) return XmlError::kTooDeep;
          open.back()->children.emplace_back();
          element = &open.back()->children.back();
        }
        element->name = LocalName(name);
        bool empty = false;
        const XmlError e = Attributes(empty);
        if (e != XmlError::kNone) return e;
        if (!empty) {
          open.push_back(element);
          m_openNames.push_back(name);
        }
      }
    }
    return haveRoot && open.empty() ? XmlError::kNone : XmlError::kSyntax;
  }

 private:
  static std::string LocalName(const std::string& name) {
    const size_t colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
  }

  bool Starts(const char* text) const {
    const size_t n = std::strlen(text);
    return static_cast<size_t>(m_end - m_p) >= n && std::memcmp(m_p, text, n) == 0;
  }

  const char* Search(const char* text) const {
    const size_t n = std::strlen(text);
    for (const char* q = m_p; static_cast<size_t>(m_end - q) >= n; ++q)
      if (std::memcmp(q, text, n) == 0) return q;
    return nullptr;
  }

  bool SkipPast(const char* text) {
    const char* found = Search(text);
    if (!found) return false;
    m_p = found + std::strlen(text);
    return true;
  }

  void SkipSpace() {
    while (m_p < m_end && IsSpace(*m_p)) ++m_p;
  }

  bool Name(std::string& name) {
    if (m_p >= m_end || !IsNameStart(static_cast<unsigned char>(*m_p))) return false;
    const char* start = m_p;
    while (m_p < m_end && IsNameChar(static_cast<unsigned char>(*m_p))) ++m_p;
    if (m_p - start > 256) return false;
    name.assign(start, m_p);
    return true;
  }

  // Character data up to `stop` (not consumed), references resolved, appended to `out`.
  XmlError Text(std::string& out, char stop) {
    while (m_p < m_end && *m_p != stop) {
      if (out.size() >= m_limits.maxText) return XmlError::kTooLarge;
      if (*m_p == '&') {
        const XmlError e = Reference(out);
        if (e != XmlError::kNone) return e;
      } else {
        if (stop != '<' && *m_p == '<') return XmlError::kSyntax;
        out += *m_p++;
      }
    }
    return XmlError::kNone;
  }

  XmlError Reference(std::string& out) {
    const char* semi = m_p;
    while (semi < m_end && semi - m_p < 12 && *semi != ';') ++semi;
    if (semi >= m_end || *semi != ';') return XmlError::kReference;
    const std::string name(m_p + 1, semi);
    m_p = semi + 1;
    if (name == "lt") {
      out += '<';
    } else if (name == "gt") {
      out += '>';
    } else if (name == "amp") {
      out += '&';
    } else if (name == "quot") {
      out += '"';
    } else if (name == "apos") {
      out += '\'';
    } else if (name.size() >= 2 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      const size_t first = hex ? 2 : 1;
      if (first >= name.size()) return XmlError::kReference;
      unsigned long cp = 0;
      for (size_t i = first; i < name.size(); ++i) {
        const char c = name[i];
        int digit;
        if (c >= '0' && c <= '9')
          digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
          digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
          digit = c - 'A' + 10;
        else
          return XmlError::kReference;
        cp = cp * (hex ? 16 : 10) + digit;
        if (cp > 0x10FFFF) return XmlError::kReference;
      }
      if (!AppendCodePoint(cp, out)) return XmlError::kReference;
    } else {
      return XmlError::kReference;
    }
    return XmlError::kNone;
  }

  // The attributes of a start tag and its end; `empty` for "/>". Values are checked, not kept.
  XmlError Attributes(bool& empty) {
    for (;;) {
      const bool spaced = m_p < m_end && IsSpace(*m_p);
      SkipSpace();
      if (m_p >= m_end) return XmlError::kSyntax;
      if (*m_p == '>') {
        ++m_p;
        return XmlError::kNone;
      }
      if (Starts("/>")) {
        m_p += 2;
        empty = true;
        return XmlError::kNone;
      }
      std::string name;
      if (!spaced || !Name(name)) return XmlError::kSyntax;
      SkipSpace();
      if (m_p >= m_end || *m_p != '=') return XmlError::kSyntax;
      ++m_p;
      SkipSpace();
      if (m_p >= m_end || (*m_p != '"' && *m_p != '\'')) return XmlError::kSyntax;
      const char quote = *m_p++;
      std::string value;
      const XmlError e = Text(value, quote);
      if (e != XmlError::kNone) return e;
      if (m_p >= m_end) return XmlError::kSyntax;
      ++m_p;
    }
  }

  const char* m_p;
  const char* m_end;
  const XmlLimits& m_limits;
  size_t m_elements = 0;
  std::vector<std::string> m_openNames;  // qualified names, for the end tags
};
}  // namespace

const XmlElement* XmlElement::Child(const char* childName) const {
  for (const XmlElement& child : children)
    if (child.name == childName) return &child;
  return nullptr;
}

const XmlElement* XmlElement::Find(std::initializer_list<const char*> path) const {
  const XmlElement* at = this;
  for (const char* step : path) {
    at = at->Child(step);
    if (!at) return nullptr;
  }
  return at;
}

const std::string& XmlElement::ChildText(const char* childName) const {
  static const std::string kEmpty;
  const XmlElement* child = Child(childName);
  return child ? child->text : kEmpty;
}

XmlError ParseXml(const char* data, size_t size, XmlElement* root, const XmlLimits& limits) {
  *root = XmlElement();
  if (size > limits.maxBytes) return XmlError::kTooLarge;
  CParser parser(data, size, limits);
  return parser.Parse(root);
}
