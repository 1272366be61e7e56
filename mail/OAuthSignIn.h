// CSignIn: the sign-in with OAuth 2.0 of a native program (RFC 8252): the system browser opened
// on the authorize address, the redirect caught by a loopback listener on a free port, the proof
// key (S256) and a fresh state checked on return, the code exchanged for tokens. The access token
// is kept in memory only, with its lifetime; the refresh token in the user's protected store,
// replaced when the server rotates it. Every wait dispatches window messages; Cancel (the
// progress window's) ends any of them. Each failure shows its message and yields false.
#pragma once

#include <cstdint>
#include <string>

#include "mail/MailChannel.h"
#include "mail/OAuthRequest.h"
#include "mail/SmtpLogin.h"
#include "mail/TokenAnswer.h"

class CSignIn : public IBearerToken {
 public:
  // How long the user has in the browser, and how long before its end an access token is no
  // longer used (a send takes a while).
  static constexpr uint32_t kBrowserLimitMs = 5 * 60 * 1000;
  static constexpr int64_t kEarlySeconds = 60;

  explicit CSignIn(IMailEnvironment& environment) : m_environment(environment) {}
  ~CSignIn() override { Forget(); }

  // The client and the account (UTF-8) of the next sign-in or send.
  void Configure(const OAuthClient& client, const CString& user);
  // An access token for the send: the one in memory while it lasts, else one got with the kept
  // refresh token, else (no token kept) a sign-in in the browser.
  bool Ready();
  // A sign-in in the browser, whatever is kept.
  bool SignIn();

  // IBearerToken
  CString AccessToken() override { return CString(m_access); }
  bool Renew() override;

 private:
  bool SameAccount() const;
  // Posts `form` to the token endpoint and takes the tokens of its answer; false after the
  // message (invalid_grant forgets the kept token and asks for a new sign-in).
  bool Exchange(const std::string& form);
  bool Refresh();
  void Keep(const TokenAnswer& answer);
  void Forget();
  bool Cancelled() const { return m_environment.SendCancelled(); }

  IMailEnvironment& m_environment;
  OAuthClient m_client;
  CString m_user;
  // The access token in memory and whose it is.
  std::string m_access;
  std::string m_accessOwner;
  uint32_t m_accessSince = 0;  // tick count when it came
  uint32_t m_accessForMs = 0;  // how long it may be used
};
