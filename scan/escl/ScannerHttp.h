// HTTP to a network scanner over WinHTTP: one connection, requests whose every wait is
// bounded and pumps the thread's messages (the program's Stop stays live), bodies bounded in
// size, and for https the scanner's certificate compared with the one pinned when it was
// chosen (these devices carry self-signed certificates, so that is the check that counts).
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <cstdint>
#include <string>

#include "scan/escl/ScannerAddress.h"

struct HttpReply {
  DWORD status = 0;
  std::string location;
  std::string contentType;
  int retryAfter = -1;         // seconds, -1 when not given
  int64_t contentLength = -1;  // -1 when not given
  std::string body;
};

enum class HttpOutcome {
  kOk,                  // a reply came (of any status)
  kUnreachable,         // no connection: name, address or port without a scanner
  kTimedOut,            // no progress within the time allowed
  kStopped,             // the waiter asked to stop
  kTooLarge,            // the body is longer than allowed or than it declared
  kCertificateChanged,  // https: not the pinned certificate
  kFailed,              // the connection broke, or another failure
};

// What a wait asks of its caller while it pumps messages.
class IHttpWaiter {
 public:
  virtual ~IHttpWaiter() = default;
  virtual bool StopRequested() = 0;
  // False for a wait that must not run the program's handlers (a clean-up inside one of them).
  virtual bool MayPump() { return true; }
  // More of a body has arrived (`total` bytes so far).
  virtual void BodyProgress(uint64_t total) {}
};

class CScannerHttp {
 public:
  CScannerHttp() = default;
  ~CScannerHttp();
  CScannerHttp(const CScannerHttp&) = delete;
  CScannerHttp& operator=(const CScannerHttp&) = delete;

  // The scanner at `url`; `pin` is the hex SHA-256 of its certificate (https), empty for none.
  bool Open(const ScannerUrl& url, const std::string& pin);
  void Close();
  // One request; `limitMs` bounds each wait for the scanner (connect, headers, each read).
  HttpOutcome Send(const wchar_t* method, const std::string& path, const std::string& body, size_t maxBody,
                   DWORD limitMs, IHttpWaiter* waiter, HttpReply* reply);
  // The certificate seen on the last https request (hex SHA-256), empty before one.
  const std::string& SeenCertificate() const { return m_seen; }
  const ScannerUrl& Url() const { return m_url; }
  DWORD LastError() const { return m_error; }

 private:
  struct Exchange;
  bool Await(Exchange& exchange, DWORD limitMs, IHttpWaiter* waiter, HttpOutcome* failure);
  HttpOutcome CheckCertificate(HINTERNET request);

  HINTERNET m_session = nullptr;
  HINTERNET m_connection = nullptr;
  ScannerUrl m_url;
  std::string m_pin;
  std::string m_seen;
  DWORD m_error = 0;
};

// Lets the thread's queued messages run; true when a WM_QUIT stays queued for the program's
// own loop (a wait that goes on must not wake on the queue then).
bool PumpWaitingMessages();
// Waits `ms` milliseconds with the queue pumped; false when `waiter` asks to stop first.
bool PumpedPause(DWORD ms, IHttpWaiter* waiter);
