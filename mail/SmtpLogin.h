// What a server offers in its EHLO reply (STARTTLS, the login methods), the responses of the
// two login methods the library speaks (AUTH PLAIN, RFC 4616; AUTH LOGIN), and the login data
// of a send. Platform-free.
#pragma once

#include <string>

#include "framework/String.h"
#include "mail/MailSecurity.h"
#include "mail/SmtpReply.h"

struct ServerExtensions {
  bool startTls = false;
  bool authPlain = false;
  bool authLogin = false;
};

// The extensions of an EHLO reply: keywords on the lines after the first, in any case; the
// login methods from "AUTH" and from the older "AUTH=" form.
ServerExtensions ReadExtensions(const SmtpReply& ehlo);

// Base64 of `bytes` on one line, without a line end.
CString Base64Text(const std::string& bytes);

// The initial response of AUTH PLAIN: base64 of NUL, user, NUL, password.
CString PlainResponse(const CString& user, const CString& password);

// How a send reaches its server: the host, the security, and the login (an empty user: none).
struct MailServerOptions {
  CString host;  // as connected to (the certificate must name it)
  MailSecurity security = kSecurityNone;
  CString user;      // UTF-8
  CString password;  // UTF-8

  // Logs in only over a secured connection: the password never goes out in clear.
  bool LogsIn() const { return security != kSecurityNone && !user.IsEmpty(); }
  void Clear() {
    host.Empty();
    security = kSecurityNone;
    WipeText(user);
    WipeText(password);
  }
};
