// CTlsSession: one TLS client session over Windows' own Schannel (SSPI): the handshake as an
// exchange of byte tokens, records sealed and opened. It does no I/O of its
// own; the socket carries its bytes. The server's certificate is checked by ServerCertificate.
#pragma once

#define SECURITY_WIN32
#include <windows.h>

#include <schannel.h>
#include <security.h>

#include <string>

#include "framework/String.h"
#include "mail/CertificateHandles.h"

class CTlsSession {
 public:
  enum Step { kContinue, kDone, kFailed };
  enum Opened { kPlain, kNeedMore, kPeerClosed, kBroken };

  CTlsSession() = default;
  ~CTlsSession();
  CTlsSession(const CTlsSession&) = delete;
  CTlsSession& operator=(const CTlsSession&) = delete;

  // Starts the handshake with `host` (sent as the server name); `out` gets the first token.
  Step Start(const CString& host, std::string& out);
  // Goes on with the bytes received so far: what it used leaves the front of `in` (bytes past
  // the handshake stay for Open), `out` gets what to send. kContinue with nothing used means
  // that more bytes are needed.
  Step Continue(std::string& in, std::string& out);
  // The security status of the last failure.
  SECURITY_STATUS LastStatus() const { return m_status; }
  // The server's certificate (after kDone); the caller frees it.
  CCertificate ServerCertificate() const;

  // The most plaintext one record carries.
  size_t MaxRecord() const { return m_sizes.cbMaximumMessage; }
  // Appends the record of `size` bytes (at most MaxRecord()) to `out`.
  bool Seal(const char* data, size_t size, std::string& out);
  // Opens the whole records at the front of `in` (removing them) and appends their plaintext.
  Opened Open(std::string& in, std::string& plain);

 private:
  Step Handshake(std::string* in, std::string& out);

  CredHandle m_credentials = {};
  CtxtHandle m_context = {};
  bool m_haveCredentials = false;
  bool m_haveContext = false;
  bool m_done = false;
  CString m_host;
  SecPkgContext_StreamSizes m_sizes = {};
  SECURITY_STATUS m_status = SEC_E_OK;
};
