// WinHTTP in asynchronous mode: its completions arrive on the system's threads and set an
// event; the program's thread waits for that event in MsgWaitForMultipleObjects, pumping its
// messages, so that no wait is a busy one and none outlasts its bound.
#include "scan/escl/ScannerHttp.h"

#include <bcrypt.h>
#include <wincrypt.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/CertificateHandles.h"
#include "framework/MessagePump.h"

namespace {
const DWORD kPollMs = 100;      // the longest the thread sleeps before it looks at Stop again
const DWORD kClosingMs = 2000;  // for WinHTTP to let go of a request being closed
const DWORD kReadChunk = 64 * 1024;

std::wstring Wide(const std::string& text) {
  std::wstring wide;
  for (char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return wide;
}

std::string Narrow(const wchar_t* text) {
  std::string narrow;
  for (; *text; ++text) narrow += *text < 0x80 ? static_cast<char>(*text) : '?';
  return narrow;
}

bool QueryHeader(HINTERNET request, DWORD what, std::string* value) {
  wchar_t buffer[2048];
  DWORD size = sizeof(buffer);
  if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, buffer, &size,
                           WINHTTP_NO_HEADER_INDEX))
    return false;
  buffer[std::min<DWORD>(size / sizeof(wchar_t), 2047)] = 0;
  *value = Narrow(buffer);
  return true;
}

bool Sha256Hex(const BYTE* data, DWORD size, std::string* hex) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return false;
  BCRYPT_HASH_HANDLE hash = nullptr;
  UCHAR digest[32];
  bool ok = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
            BCryptHashData(hash, const_cast<PUCHAR>(data), size, 0) == 0 &&
            BCryptFinishHash(hash, digest, sizeof(digest), 0) == 0;
  if (hash) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!ok) return false;
  static const char kDigits[] = "0123456789abcdef";
  hex->clear();
  for (UCHAR b : digest) {
    *hex += kDigits[b >> 4];
    *hex += kDigits[b & 15];
  }
  return true;
}

HttpOutcome OutcomeOf(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_INVALID_URL:
      return HttpOutcome::kUnreachable;
    case ERROR_WINHTTP_TIMEOUT:
      return HttpOutcome::kTimedOut;
    default:
      return HttpOutcome::kFailed;
  }
}
}  // namespace

// One request's state as WinHTTP's callback leaves it for the waiting thread.
struct CScannerHttp::Exchange {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE closed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  volatile LONG done = 0;  // the completion that arrived, 0 while waiting
  DWORD bytes = 0;
  DWORD error = 0;
  ~Exchange() {
    if (event) CloseHandle(event);
    if (closed) CloseHandle(closed);
  }

  static void CALLBACK Callback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
    auto* self = reinterpret_cast<Exchange*>(context);
    if (!self) return;
    switch (status) {
      case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        self->bytes = length;
        break;
      case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        self->error = static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError;
        break;
      case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        SetEvent(self->closed);
        return;
      case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
      case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        break;
      default:
        return;
    }
    InterlockedExchange(&self->done, static_cast<LONG>(status));
    SetEvent(self->event);
  }
};

bool PumpWaitingMessages() {
  bool quit = false;
  while (MessagePump::DispatchQueued(nullptr, false, &quit)) {
  }
  return quit;
}

bool PumpedPause(DWORD ms, IHttpWaiter* waiter) {
  const DWORD start = GetTickCount();
  bool quit = false;
  for (;;) {
    if (waiter && waiter->StopRequested()) return false;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return true;
    const DWORD slice = std::min(ms - elapsed, kPollMs);
    // With a WM_QUIT queued for the outer loop the queue never empties: sleep on time alone.
    if (quit) {
      Sleep(slice);
    } else {
      MessagePump::WaitForMessage(slice);
      quit = PumpWaitingMessages();
    }
  }
}

CScannerHttp::~CScannerHttp() { Close(); }

bool CScannerHttp::Open(const ScannerUrl& url, const std::string& pin) {
  Close();
  m_url = url;
  m_pin = pin;
  m_seen.clear();
  m_session = WinHttpOpen(L"Capturo/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                          WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
  if (!m_session) {
    m_error = GetLastError();
    return false;
  }
  // Resolve, connect, send, receive: a scanner on the local network answers well within these.
  WinHttpSetTimeouts(m_session, 5000, 5000, 15000, 60000);
  WinHttpSetStatusCallback(m_session, &Exchange::Callback,
                           WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES, 0);
  m_connection = WinHttpConnect(m_session, Wide(url.host).c_str(), url.port, 0);
  if (!m_connection) {
    m_error = GetLastError();
    Close();
    return false;
  }
  return true;
}

void CScannerHttp::Close() {
  if (m_connection) WinHttpCloseHandle(m_connection);
  if (m_session) WinHttpCloseHandle(m_session);
  m_connection = m_session = nullptr;
}

bool CScannerHttp::Await(Exchange& exchange, DWORD limitMs, IHttpWaiter* waiter, HttpOutcome* failure) {
  const DWORD start = GetTickCount();
  bool quit = false;
  for (;;) {
    const LONG done = InterlockedCompareExchange(&exchange.done, 0, 0);
    if (done == static_cast<LONG>(WINHTTP_CALLBACK_STATUS_REQUEST_ERROR)) {
      m_error = exchange.error;
      *failure = OutcomeOf(exchange.error);
      return false;
    }
    if (done != 0) {
      InterlockedExchange(&exchange.done, 0);
      return true;
    }
    if (waiter && waiter->StopRequested()) {
      *failure = HttpOutcome::kStopped;
      return false;
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= limitMs) {
      *failure = HttpOutcome::kTimedOut;
      return false;
    }
    const DWORD slice = std::min(limitMs - elapsed, kPollMs);
    if (quit || (waiter && !waiter->MayPump())) {
      WaitForSingleObject(exchange.event, slice);
    } else if (MsgWaitForMultipleObjectsEx(1, &exchange.event, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
               WAIT_OBJECT_0 + 1) {
      quit = PumpWaitingMessages();
    }
  }
}

HttpOutcome CScannerHttp::CheckCertificate(HINTERNET request) {
  PCCERT_CONTEXT certificate = nullptr;
  DWORD size = sizeof(certificate);  // NOLINT(bugprone-sizeof-expression): the option is a pointer
  if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size) || !certificate)
    return HttpOutcome::kFailed;
  const CCertificate owner(certificate);
  std::string hex;
  const bool hashed = Sha256Hex(certificate->pbCertEncoded, certificate->cbCertEncoded, &hex);
  if (!hashed) return HttpOutcome::kFailed;
  m_seen = hex;
  return m_pin.empty() || m_pin == hex ? HttpOutcome::kOk : HttpOutcome::kCertificateChanged;
}

HttpOutcome CScannerHttp::Send(const wchar_t* method, const std::string& path, const std::string& body,
                               size_t maxBody, DWORD limitMs, IHttpWaiter* waiter, HttpReply* reply) {
  *reply = HttpReply();
  if (!m_connection) return HttpOutcome::kUnreachable;
  std::unique_ptr<Exchange> exchange(new Exchange);
  if (!exchange->event || !exchange->closed) return HttpOutcome::kFailed;
  HINTERNET request =
      WinHttpOpenRequest(m_connection, method, Wide(path).c_str(), nullptr, WINHTTP_NO_REFERER,
                         WINHTTP_DEFAULT_ACCEPT_TYPES, m_url.https ? WINHTTP_FLAG_SECURE : 0);
  if (!request) {
    m_error = GetLastError();
    return HttpOutcome::kFailed;
  }
  DWORD_PTR context = reinterpret_cast<DWORD_PTR>(exchange.get());
  WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context));
  if (m_url.https) {
    // The chain is not what is trusted here (scanners sign their own): the pin is.
    DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                  SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
    WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
  }
  HttpOutcome outcome = HttpOutcome::kOk;
  auto run = [&]() -> HttpOutcome {
    HttpOutcome failure = HttpOutcome::kFailed;
    const wchar_t* headers = body.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : L"Content-Type: text/xml\r\n";
    const DWORD bodySize = static_cast<DWORD>(body.size());
    if (!WinHttpSendRequest(request, headers, static_cast<DWORD>(-1L),
                            body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data()), bodySize,
                            bodySize, context)) {
      m_error = GetLastError();
      return OutcomeOf(m_error);
    }
    if (!Await(*exchange, limitMs, waiter, &failure)) return failure;
    if (m_url.https) {
      const HttpOutcome checked = CheckCertificate(request);
      if (checked != HttpOutcome::kOk) return checked;
    }
    if (!WinHttpReceiveResponse(request, nullptr)) {
      m_error = GetLastError();
      return OutcomeOf(m_error);
    }
    if (!Await(*exchange, limitMs, waiter, &failure)) return failure;
    DWORD status = 0, size = sizeof(status);
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
      return HttpOutcome::kFailed;
    reply->status = status;
    QueryHeader(request, WINHTTP_QUERY_LOCATION, &reply->location);
    QueryHeader(request, WINHTTP_QUERY_CONTENT_TYPE, &reply->contentType);
    std::string text;
    if (QueryHeader(request, WINHTTP_QUERY_RETRY_AFTER, &text)) reply->retryAfter = std::atoi(text.c_str());
    if (QueryHeader(request, WINHTTP_QUERY_CONTENT_LENGTH, &text) && !text.empty())
      reply->contentLength = _atoi64(text.c_str());
    if (reply->contentLength > static_cast<int64_t>(maxBody)) return HttpOutcome::kTooLarge;
    std::vector<char> chunk(kReadChunk);
    for (;;) {
      exchange->bytes = 0;
      if (!WinHttpReadData(request, chunk.data(), kReadChunk, nullptr)) {
        m_error = GetLastError();
        return OutcomeOf(m_error);
      }
      if (!Await(*exchange, limitMs, waiter, &failure)) return failure;
      const DWORD got = exchange->bytes;
      if (got == 0) break;
      if (reply->body.size() + got > maxBody ||
          (reply->contentLength >= 0 &&
           reply->body.size() + got > static_cast<uint64_t>(reply->contentLength)))
        return HttpOutcome::kTooLarge;
      reply->body.append(chunk.data(), got);
      if (waiter) waiter->BodyProgress(reply->body.size());
    }
    // A body shorter than it declared was cut off.
    if (reply->contentLength >= 0 && reply->body.size() != static_cast<uint64_t>(reply->contentLength))
      return HttpOutcome::kFailed;
    return HttpOutcome::kOk;
  };
  outcome = run();
  WinHttpCloseHandle(request);
  // Its callbacks may still come until WinHTTP lets go of the request: keep their target till
  // then, and should that never be told, rather leak it than free it under them.
  if (WaitForSingleObject(exchange->closed, kClosingMs) != WAIT_OBJECT_0)
    static_cast<void>(exchange.release());
  return outcome;
}
