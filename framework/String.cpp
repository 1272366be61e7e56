// CString and CStringArray.
#include "framework/String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

void CString::MakeUpper() {
  for (char& c : m_text) c = AsciiUpper(c);
}

void CString::MakeLower() {
  for (char& c : m_text) c = AsciiLower(c);
}

int CString::CompareNoCase(const char* other) const {
  const char* a = m_text.c_str();
  const char* b = other ? other : "";
  for (;; ++a, ++b) {
    const unsigned char ca = static_cast<unsigned char>(AsciiUpper(*a));
    const unsigned char cb = static_cast<unsigned char>(AsciiUpper(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

CString CString::Left(int count) const {
  if (count <= 0) return CString();
  return CString(m_text.substr(0, static_cast<size_t>(count)));
}

CString CString::Mid(int first, int count) const {
  if (first < 0) first = 0;
  if (static_cast<size_t>(first) >= m_text.size()) return CString();
  if (count < 0) return CString(m_text.substr(static_cast<size_t>(first)));
  return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
  if (count <= 0) return CString();
  if (static_cast<size_t>(count) >= m_text.size()) return *this;
  return CString(m_text.substr(m_text.size() - static_cast<size_t>(count)));
}

int CString::Find(char ch, int start) const {
  if (start < 0) start = 0;
  const size_t at = m_text.find(ch, static_cast<size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* text, int start) const {
  if (start < 0) start = 0;
  const size_t at = m_text.find(text ? text : "", static_cast<size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const {
  const size_t at = m_text.rfind(ch);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

void CString::TrimRight() {
  while (!m_text.empty() && IsBlank(m_text.back())) m_text.pop_back();
}

void CString::TrimLeft() {
  size_t first = 0;
  while (first < m_text.size() && IsBlank(m_text[first])) ++first;
  m_text.erase(0, first);
}

void CString::CopyTo(char* buffer, size_t size) const {
  if (!buffer || size == 0) return;
  const size_t n = m_text.size() < size - 1 ? m_text.size() : size - 1;
  std::memcpy(buffer, m_text.data(), n);
  buffer[n] = '\0';
}

void WipeBytes(std::string& bytes) {
  volatile char* at = bytes.empty() ? nullptr : &bytes[0];
  for (size_t i = 0; i < bytes.size(); ++i) at[i] = 0;
  bytes.clear();
}

void WipeText(CString& text) { WipeBytes(text.str()); }

CString FillPlaceholder(const CString& text, const CString& value) {
  const int at = text.Find("%s");
  return at < 0 ? text : text.Left(at) + value + text.Mid(at + 2);
}

CString FillPlaceholders(const CString& text, std::initializer_list<CString> values) {
  const std::string& in = text.str();
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    const size_t number = i + 1 < in.size() && in[i] == '%' ? static_cast<size_t>(in[i + 1] - '0') : 0;
    if (number >= 1 && number <= values.size() && number <= 9) {
      out += (values.begin() + (number - 1))->str();
      ++i;
    } else {
      out += in[i];
    }
  }
  return CString(out);
}

CString CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  CString result;
  if (needed > 0) {
    result.m_text.resize(static_cast<size_t>(needed) + 1);
    std::vsnprintf(&result.m_text[0], result.m_text.size(), format, args);
    result.m_text.resize(static_cast<size_t>(needed));
  }
  va_end(args);
  return result;
}

void CStringArray::InsertAt(int index, const CString& item) {
  if (index < 0) index = 0;
  if (index > GetSize()) index = GetSize();
  m_items.insert(m_items.begin() + index, item);
}

void CStringArray::RemoveAt(int index) {
  if (index >= 0 && index < GetSize()) m_items.erase(m_items.begin() + index);
}
