// How the connection to the mail server is secured, and the port each way uses when none is
// set. Shared by the mail library and the program's Mail page. Platform-free.
#pragma once

enum MailSecurity {
  kSecurityNone = 0,      // plain SMTP, no login
  kSecurityStartTls = 1,  // plain at first, secured by STARTTLS before anything else is sent
  kSecurityTls = 2,       // secured from the first byte
};

// A stored security value; anything unknown is taken as none.
inline MailSecurity ToMailSecurity(int value) {
  return value == kSecurityStartTls || value == kSecurityTls ? static_cast<MailSecurity>(value)
                                                             : kSecurityNone;
}

// The submission ports: 25 for plain SMTP, 587 for STARTTLS, 465 for TLS.
inline int DefaultMailPort(MailSecurity security) {
  return security == kSecurityStartTls ? 587 : security == kSecurityTls ? 465 : 25;
}

// The port a send connects to: `port` when it is one (1 to 65535), else the default.
inline int MailPortFor(int port, MailSecurity security) {
  return port > 0 && port <= 65535 ? port : DefaultMailPort(security);
}
