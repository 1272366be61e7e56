// CString and CStringArray: the framework's owned text and text list (8-bit, ANSI code page).
// Platform-free. Instances cross module boundaries by reference; the receiving module only
// reads them or copies their characters.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

class CString {
 public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}
  CString(const char* text, size_t length) : m_text(text ? text : "", text ? length : 0) {}
  CString(const std::string& text) : m_text(text) {}
  CString(size_t count, char ch) : m_text(count, ch) {}

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  const char* c_str() const { return m_text.c_str(); }
  operator const char*() const { return m_text.c_str(); }
  const std::string& str() const { return m_text; }
  std::string& str() { return m_text; }
  char GetAt(int index) const { return m_text.at(static_cast<size_t>(index)); }

  CString& operator=(const char* text) {
    m_text = text ? text : "";
    return *this;
  }
  CString& operator+=(const CString& other) {
    m_text += other.m_text;
    return *this;
  }
  CString& operator+=(const char* text) {
    if (text) m_text += text;
    return *this;
  }
  CString& operator+=(char ch) {
    m_text += ch;
    return *this;
  }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
  friend CString operator+(const CString& a, const char* b) {
    CString r(a);
    r += b;
    return r;
  }
  friend CString operator+(const char* a, const CString& b) {
    CString r(a);
    r += b;
    return r;
  }
  friend CString operator+(const CString& a, char b) {
    CString r(a);
    r += b;
    return r;
  }
  friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
  friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

  // ASCII case rules: profile names and keys are ASCII, and the platform's profile API
  // compares them the same way.
  void MakeUpper();
  void MakeLower();
  CString Upper() const {
    CString r(*this);
    r.MakeUpper();
    return r;
  }
  int CompareNoCase(const char* other) const;

  CString Left(int count) const;
  CString Mid(int first, int count = -1) const;
  CString Right(int count) const;
  int Find(char ch, int start = 0) const;
  int Find(const char* text, int start = 0) const;
  int ReverseFind(char ch) const;
  void TrimRight();
  void TrimLeft();

  // Copies at most size-1 characters and always terminates (size > 0).
  void CopyTo(char* buffer, size_t size) const;

  static CString Format(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 1, 2)))
#endif
      ;

 private:
  std::string m_text;
};

// Overwrite the characters before emptying (passwords do not linger in memory).
void WipeBytes(std::string& bytes);
void WipeText(CString& text);

// `text` with its first "%s" replaced by `value`, which is put in as it stands (a message that
// names a printer or quotes a server).
CString FillPlaceholder(const CString& text, const CString& value);
// `text` with "%1" ... "%9" replaced by values[0] ... values[8], in whatever order the text
// (a translation) puts them; a placeholder without a value is left as it stands.
CString FillPlaceholders(const CString& text, std::initializer_list<CString> values);

class CStringArray {
 public:
  int GetSize() const { return static_cast<int>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  int Add(const CString& item) {
    m_items.push_back(item);
    return GetSize() - 1;
  }
  const CString& GetAt(int index) const { return m_items.at(static_cast<size_t>(index)); }
  CString& ElementAt(int index) { return m_items.at(static_cast<size_t>(index)); }
  const CString& operator[](int index) const { return GetAt(index); }
  CString& operator[](int index) { return ElementAt(index); }
  void SetAt(int index, const CString& item) { ElementAt(index) = item; }
  void InsertAt(int index, const CString& item);
  void RemoveAt(int index);
  void RemoveAll() { m_items.clear(); }
  std::vector<CString>::const_iterator begin() const { return m_items.begin(); }
  std::vector<CString>::const_iterator end() const { return m_items.end(); }

 private:
  std::vector<CString> m_items;
};
