// What a server offers in its EHLO reply (STARTTLS, the login methods), the responses of the
// two login methods the library speaks (AUTH PLAIN, RFC 4616; AUTH LOGIN), and the login data
// of a send. Platform-free.
#pragma once

#include <cstdint>
#include <string>

#include "framework/String.h"
#include "mail/MailSecurity.h"
#include "mail/SmtpReply.h"

struct ServerExtensions {
  bool startTls = false;
  bool authPlain = false;
  bool authLogin = false;
  bool authXOAuth2 = false;
  bool authOAuthBearer = false;
  // SIZE (RFC 1870): offered, and the largest message the server takes (0: no fixed limit).
  bool size = false;
  uint64_t sizeLimit = 0;
};

// The extensions of an EHLO reply: keywords on the lines after the first, in any case; the
// login methods from "AUTH" and from the older "AUTH=" form; SIZE with its limit (a limit
// that is no number, or beyond 15 digits, counts as none).
ServerExtensions ReadExtensions(const SmtpReply& ehlo);

// The initial response of AUTH PLAIN: base64 of NUL, user, NUL, password.
CString PlainResponse(const CString& user, const CString& password);

// The access token of a sign-in with OAuth, as the conversation needs it.
class IBearerToken {
 public:
  virtual ~IBearerToken() = default;
  virtual CString AccessToken() = 0;
  // Gets a fresh access token after the server said the one it had expired; false (after its
  // message) when there is none.
  virtual bool Renew() = 0;
};

// How a send reaches its server: the host, the security, and the login (an empty user: none).
struct MailServerOptions {
  CString host;  // as connected to (the certificate must name it)
  int port = 0;  // as connected to (OAUTHBEARER names it)
  MailSecurity security = kSecurityNone;
  CString user;      // UTF-8
  CString password;  // UTF-8
  // Set for a sign-in with OAuth: the login is then XOAUTH2 or OAUTHBEARER with its token.
  IBearerToken* bearer = nullptr;

  // Logs in only over a secured connection: the password never goes out in clear.
  bool LogsIn() const { return security != kSecurityNone && (!user.IsEmpty() || bearer); }
  void Clear() {
    host.Empty();
    port = 0;
    security = kSecurityNone;
    WipeText(user);
    WipeText(password);
    bearer = nullptr;
  }
};
