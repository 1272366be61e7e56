// The sign-in choices of the Mail page and their presets: where each provider's mail server,
// authorization and token endpoints are, and the scope that lets a program send mail. Shared
// by the mail library and the program's Mail page. Platform-free.
#pragma once

#include "mail/MailSecurity.h"

enum OAuthProvider {
  kOAuthNone = 0,  // a password login, as before
  kOAuthMicrosoft = 1,
  kOAuthGoogle = 2,
  kOAuthOther = 3,  // every value from the settings
};

struct OAuthPreset {
  const char* server;
  int port;
  MailSecurity security;
  const char* authorizeUrl;
  const char* tokenUrl;
  const char* scope;
};

// A stored choice; anything unknown is a password login.
inline OAuthProvider ToOAuthProvider(int value) {
  return value >= kOAuthMicrosoft && value <= kOAuthOther ? static_cast<OAuthProvider>(value) : kOAuthNone;
}

// The preset of Microsoft (Microsoft 365 and Outlook.com) or Google; null for the others.
inline const OAuthPreset* OAuthPresetFor(OAuthProvider provider) {
  static const OAuthPreset kMicrosoft = {"smtp.office365.com",
                                         587,
                                         kSecurityStartTls,
                                         "https://login.microsoftonline.com/common/oauth2/v2.0/authorize",
                                         "https://login.microsoftonline.com/common/oauth2/v2.0/token",
                                         "https://outlook.office.com/SMTP.Send offline_access"};
  static const OAuthPreset kGoogle = {"smtp.gmail.com",
                                      465,
                                      kSecurityTls,
                                      "https://accounts.google.com/o/oauth2/v2/auth",
                                      "https://oauth2.googleapis.com/token",
                                      "https://mail.google.com/"};
  return provider == kOAuthMicrosoft ? &kMicrosoft : provider == kOAuthGoogle ? &kGoogle : nullptr;
}
