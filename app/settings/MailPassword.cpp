// MailPassword.
#include "app/settings/MailPassword.h"

#include "framework/ProtectedValue.h"

namespace {
const char kKey[] = "Software\\Orvane\\Mail";
const char kValue[] = "Password";
}  // namespace

namespace MailPassword {

CString Load() {
  std::string password = ProtectedValue::Load(kKey, kValue);
  CString text(password);
  WipeBytes(password);
  return text;
}

bool Save(const CString& password) {
  return ProtectedValue::Save(kKey, kValue, password.str(), L"Orvane mail");
}

}  // namespace MailPassword
