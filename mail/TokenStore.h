// The sign-in's refresh token, kept as the mail password is: protected per Windows user, the
// REG_BINARY value "OAuth Token" under HKEY_CURRENT_USER\Software\Orvane\Mail, never in a file.
// It is kept with what it belongs to (token endpoint, client id, user), so that changed settings
// never present another account's token.
#pragma once

#include <string>

#include "framework/String.h"

namespace TokenStore {
// The kept refresh token of that token endpoint, client and user; empty when there is none.
std::string Load(const CString& tokenUrl, const CString& clientId, const CString& user);
bool Save(const CString& tokenUrl, const CString& clientId, const CString& user,
          const std::string& refreshToken);
void Forget();
}  // namespace TokenStore
