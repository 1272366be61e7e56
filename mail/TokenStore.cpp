// TokenStore: the four texts on lines of their own inside the protected value.
#include "mail/TokenStore.h"

#include "framework/ProtectedValue.h"

namespace {
const char kKey[] = "Software\\Orvane\\Mail";
const char kValue[] = "OAuth Token";

std::string Owner(const CString& tokenUrl, const CString& clientId, const CString& user) {
  return tokenUrl.str() + "\n" + clientId.str() + "\n" + user.str() + "\n";
}
}  // namespace

namespace TokenStore {

std::string Load(const CString& tokenUrl, const CString& clientId, const CString& user) {
  std::string kept = ProtectedValue::Load(kKey, kValue);
  const std::string owner = Owner(tokenUrl, clientId, user);
  std::string token;
  if (kept.size() > owner.size() && kept.compare(0, owner.size(), owner) == 0)
    token = kept.substr(owner.size());
  WipeBytes(kept);
  return token;
}

bool Save(const CString& tokenUrl, const CString& clientId, const CString& user,
          const std::string& refreshToken) {
  std::string kept = Owner(tokenUrl, clientId, user) + refreshToken;
  const bool saved = ProtectedValue::Save(kKey, kValue, kept, L"Orvane mail sign-in");
  WipeBytes(kept);
  return saved;
}

void Forget() { ProtectedValue::Save(kKey, kValue, std::string(), nullptr); }

}  // namespace TokenStore
