// MailPassword.
#include "app/settings/MailPassword.h"

#include <windows.h>

#include <wincrypt.h>

#include <vector>

#include "framework/Handles.h"

namespace {
const char kKey[] = "Software\\Orvane\\Mail";
const char kValue[] = "Password";
// A protected password of any sensible length is far below this.
const DWORD kMaxStored = 64 * 1024;

void Wipe(void* data, size_t size) {
  if (data && size > 0) SecureZeroMemory(data, size);
}
}  // namespace

namespace MailPassword {

CString Load() {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return CString();
  CRegKey key(raw);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), kValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_BINARY || size == 0 || size > kMaxStored) {
    return CString();
  }
  std::vector<BYTE> stored(size);
  if (RegQueryValueExA(key.Get(), kValue, nullptr, &type, stored.data(), &size) != ERROR_SUCCESS ||
      size > stored.size()) {
    return CString();
  }
  DATA_BLOB in = {size, stored.data()};
  DATA_BLOB out = {};
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
    return CString();
  const CLocalMemory plain(out.pbData);
  CString password(reinterpret_cast<const char*>(out.pbData), out.cbData);
  Wipe(out.pbData, out.cbData);
  return password;
}

bool Save(const CString& password) {
  HKEY raw = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  CRegKey key(raw);
  if (password.IsEmpty()) {
    const LONG result = RegDeleteValueA(key.Get(), kValue);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  DATA_BLOB in = {static_cast<DWORD>(password.GetLength()),
                  reinterpret_cast<BYTE*>(const_cast<char*>(password.c_str()))};
  DATA_BLOB out = {};
  if (!CryptProtectData(&in, L"Orvane mail", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
    return false;
  const CLocalMemory sealed(out.pbData);
  return RegSetValueExA(key.Get(), kValue, 0, REG_BINARY, out.pbData, out.cbData) == ERROR_SUCCESS;
}

}  // namespace MailPassword
