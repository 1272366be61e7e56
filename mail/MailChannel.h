// What the SMTP conversation and the message writer need from their surroundings: a
// channel to the server, and the library's strings, messages, progress window,
// cancel flag and files. The Windows side implements them with the socket and the dialogs;
// the native tests with scripted fakes. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/String.h"

// Progress codes of UpdateProgress (value first, code second).
enum ProgressCode {
  kProgressRange = 1,
  kProgressPosition = 2,
  kProgressFinish = 3,
  kProgressDataStart = 4,
  kProgressFile = 5,
  kProgressStatus = 6,  // the status text becomes string `value` (the sign-in's steps)
};

// What securing a connection came to: the TLS handshake and the check of the server's
// certificate against the trusted roots and the host name.
enum class TlsResult {
  kSecured,
  kUntrusted,        // no chain to a trusted root (or only a partial one)
  kWrongName,        // the certificate names another host
  kExpired,          // outside its validity period
  kBadCertificate,   // any other fault of the certificate or its chain
  kHandshakeFailed,  // no common protocol or cipher, or the peer broke off
  kClosed,           // the server closed the connection
  kTimedOut,
  kCancelled,
};

// The connection to the server as the conversation uses it: texts out, bytes in.
class IMailChannel {
 public:
  enum Received {
    kData,     // bytes were appended
    kNothing,  // the wait ended without bytes (its time passed, or a window message came)
    kClosed,   // the server closed the connection
    kFailed,   // the connection broke
    kStalled,  // the server took no bytes for a reply wait's time: the message was given up
  };

  virtual ~IMailChannel() = default;
  // Queues `text` for the server; everything queued goes out before the next Receive. False
  // for an empty text (nothing is sent).
  virtual bool SendText(const CString& text) = 0;
  // Appends the next bytes from the server (decrypted once secured) to `into`, waiting at
  // most `waitMs`. A wait may end early so that the caller can look at the cancel flag.
  virtual Received Receive(std::string& into, uint32_t waitMs) = 0;
  // Milliseconds on a clock that may wrap.
  virtual uint32_t NowMs() = 0;
  // Secures the connection (handshake, then the server's certificate checked against the
  // host name) within `waitMs`; Cancel ends it. Bytes received before are dropped. `error`
  // gets the platform's code of a failure (0 when there is none).
  virtual TlsResult StartTls(uint32_t waitMs, uint32_t* error) = 0;
  // Ends the connection at once (a reset): the server keeps nothing unfinished, and nothing
  // more is sent.
  virtual void Abort() = 0;
};

// An attachment opened for reading.
class IAttachmentFile {
 public:
  virtual ~IAttachmentFile() = default;
  // Reads up to `size` bytes; false on a read error. `got` is 0 at the end.
  virtual bool Read(void* buffer, uint32_t size, uint32_t* got) = 0;
  // The file's size; false when it cannot be read.
  virtual bool Size(uint64_t* size) = 0;
};

class IMailEnvironment {
 public:
  virtual ~IMailEnvironment() = default;
  // String `id` of the active resource source (the language library when one is loaded).
  virtual CString Text(unsigned id) = 0;
  // The library's message box: string `id`, caption "E-mail", OK, no owner.
  virtual void ShowMessage(unsigned id) = 0;
  // The same with `quote` (a server's reply, a host name) in place of the string's "%s".
  virtual void ShowMessage(unsigned id, const CString& quote) = 0;
  // The same with two values, in place of its first and second "%s".
  virtual void ShowMessage(unsigned id, const CString& first, const CString& second) = 0;
  virtual void UpdateProgress(unsigned value, int code) = 0;
  // The progress window's Cancel has been pressed.
  virtual bool SendCancelled() const = 0;
  // Opens `path` read-only, binary; null when it cannot be opened.
  virtual std::unique_ptr<IAttachmentFile> OpenFile(const CString& path) = 0;
  // A text of the ANSI code page (the job's texts, the language library's) in UTF-8.
  virtual CString ToUtf8(const CString& text) = 0;
  // `size` bytes from the system's cryptographic random source.
  virtual void Random(void* bytes, size_t size) = 0;
};
