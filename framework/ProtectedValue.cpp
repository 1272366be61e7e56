// ProtectedValue.
#include "framework/ProtectedValue.h"

#include <windows.h>

#include <wincrypt.h>

#include <vector>

#include "framework/Handles.h"

namespace {
// A protected secret of any sensible length is far below this.
const DWORD kMaxStored = 64 * 1024;
}  // namespace

namespace ProtectedValue {

std::string Load(const char* key, const char* value) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return std::string();
  CRegKey opened(raw);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(opened.Get(), value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_BINARY || size == 0 || size > kMaxStored) {
    return std::string();
  }
  std::vector<BYTE> stored(size);
  if (RegQueryValueExA(opened.Get(), value, nullptr, &type, stored.data(), &size) != ERROR_SUCCESS ||
      size > stored.size()) {
    return std::string();
  }
  DATA_BLOB in = {size, stored.data()};
  DATA_BLOB out = {};
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
    return std::string();
  const CLocalMemory plain(out.pbData);
  std::string secret(reinterpret_cast<const char*>(out.pbData), out.cbData);
  SecureZeroMemory(out.pbData, out.cbData);
  return secret;
}

bool Save(const char* key, const char* value, const std::string& secret, const wchar_t* description) {
  HKEY raw = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  CRegKey opened(raw);
  if (secret.empty()) {
    const LONG result = RegDeleteValueA(opened.Get(), value);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  DATA_BLOB in = {static_cast<DWORD>(secret.size()),
                  reinterpret_cast<BYTE*>(const_cast<char*>(secret.data()))};
  DATA_BLOB out = {};
  if (!CryptProtectData(&in, description, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
    return false;
  const CLocalMemory sealed(out.pbData);
  return RegSetValueExA(opened.Get(), value, 0, REG_BINARY, out.pbData, out.cbData) == ERROR_SUCCESS;
}

}  // namespace ProtectedValue
