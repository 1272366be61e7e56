// Secrets kept per Windows user in the registry: protected with CryptProtectData (only this
// user, on this computer, can read them back), stored as REG_BINARY values under
// HKEY_CURRENT_USER. Never in a file.
#pragma once

#include <string>

namespace ProtectedValue {
// The kept secret of `value` under `key`; empty when there is none or it cannot be read back.
std::string Load(const char* key, const char* value);
// Keeps `secret` (an empty one removes the value); false when it could not be kept.
bool Save(const char* key, const char* value, const std::string& secret, const wchar_t* description);
}  // namespace ProtectedValue
