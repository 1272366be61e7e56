// The mail login's password, kept per Windows user and never in Quendel.ini: protected with
// CryptProtectData (only this user can read it back), stored as the REG_BINARY value
// "Password" under HKEY_CURRENT_USER\Software\Orvane\Mail.
#pragma once

#include "framework/String.h"

namespace MailPassword {
// The kept password; empty when there is none or it cannot be read back.
CString Load();
// Keeps `password` (an empty one removes the value); false when it could not be kept.
bool Save(const CString& password);
}  // namespace MailPassword
