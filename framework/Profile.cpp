// CProfileFile and the system profile.
#include "framework/Profile.h"

#include <vector>

CString CProfileFile::ReadText(const char* section, const char* key, const char* fallback,
                               DWORD bufferSize) const {
  if (bufferSize == 0) return CString();
  std::vector<char> buffer(bufferSize, '\0');
  const DWORD length = GetPrivateProfileStringA(section, key, fallback ? fallback : "", buffer.data(),
                                                bufferSize, m_path.c_str());
  return CString(buffer.data(), length < bufferSize ? length : bufferSize - 1);
}

int CProfileFile::ReadInt(const char* section, const char* key, int fallback) const {
  return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, m_path.c_str()));
}

bool CProfileFile::WriteText(const char* section, const char* key, const char* value) const {
  return WritePrivateProfileStringA(section, key, value, m_path.c_str()) != FALSE;
}

bool CProfileFile::WriteInt(const char* section, const char* key, int value) const {
  return WriteText(section, key, CString::Format("%d", value).c_str());
}

CString ReadSystemProfileText(const char* section, const char* key, const char* fallback, DWORD bufferSize) {
  if (bufferSize == 0) return CString();
  std::vector<char> buffer(bufferSize, '\0');
  const DWORD length = GetProfileStringA(section, key, fallback ? fallback : "", buffer.data(), bufferSize);
  return CString(buffer.data(), length < bufferSize ? length : bufferSize - 1);
}

CStringArray ReadSystemProfileKeys(const char* section, DWORD bufferSize) {
  CStringArray keys;
  std::vector<char> buffer(bufferSize + 2, '\0');
  const DWORD length = GetProfileStringA(section, nullptr, "", buffer.data(), bufferSize);
  // A double-NUL-terminated list; a list cut at the buffer end keeps only whole names.
  for (DWORD at = 0; at < length && buffer[at] != '\0';) {
    CString name(&buffer[at]);
    at += static_cast<DWORD>(name.GetLength()) + 1;
    if (at <= length) keys.Add(name);
  }
  return keys;
}
