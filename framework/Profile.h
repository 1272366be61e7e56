// Reads and writes of classic profile files (sectioned key=value text) through the
// platform's profile API, with the fixed buffer sizes the callers give.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CProfileFile {
 public:
  CProfileFile() = default;
  explicit CProfileFile(const CString& path) : m_path(path) {}
  const CString& Path() const { return m_path; }
  void SetPath(const CString& path) { m_path = path; }

  // At most bufferSize-1 characters of the value; `fallback` when the key is missing.
  CString ReadText(const char* section, const char* key, const char* fallback, DWORD bufferSize) const;
  // Leading decimal digits of the value; `fallback` when the key is missing or empty.
  int ReadInt(const char* section, const char* key, int fallback) const;
  bool WriteText(const char* section, const char* key, const char* value) const;
  bool WriteInt(const char* section, const char* key, int value) const;

 private:
  CString m_path;
};

// Text of a key of the system profile (the platform's own settings, e.g. windows/device).
CString ReadSystemProfileText(const char* section, const char* key, const char* fallback, DWORD bufferSize);
// All key names of a system profile section, in file order.
CStringArray ReadSystemProfileKeys(const char* section, DWORD bufferSize = 4096);
