// CTokenClient: WinHTTP's asynchronous calls driven step by step from this thread; the status
// callback (on WinHTTP's threads) only records what completed and signals.
#include "mail/TokenClient.h"

#include <windows.h>

#include <winhttp.h>

#include <vector>

#include "framework/CertificateHandles.h"
#include "framework/Handles.h"
#include "mail/ServerCertificate.h"
#include "mail/SignInWait.h"

namespace {
struct HttpTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { WinHttpCloseHandle(h); }
};
using CHttpHandle = CScopedHandle<HttpTraits>;

// What the callback saw last. Written before the event is set, read after it was.
struct Completion {
  CKernelHandle event{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
  CKernelHandle closed{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  DWORD status = 0;  // the WINHTTP_CALLBACK_STATUS_ of the completion
  DWORD length = 0;  // bytes read, or the error
  DWORD secureFlags = 0;
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength) {
  Completion* completion = reinterpret_cast<Completion*>(context);
  if (!completion) return;
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_SECURE_FAILURE:
      if (info && infoLength >= sizeof(DWORD)) completion->secureFlags = *static_cast<DWORD*>(info);
      return;  // the request error follows
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
      SetEvent(completion->closed.Get());
      return;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      completion->length = infoLength;
      break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      completion->length = info ? static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError : 0;
      break;
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
      break;
    default:
      return;
  }
  completion->status = status;
  SetEvent(completion->event.Get());
}

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(wide.size() - 1);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}

// The reason code of a failed certificate as WinHTTP reports it, the same as a mail server's.
uint32_t SecureFailureCode(DWORD flags) {
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID) return static_cast<uint32_t>(CERT_E_CN_NO_MATCH);
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID) return static_cast<uint32_t>(CERT_E_EXPIRED);
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA) return static_cast<uint32_t>(CERT_E_UNTRUSTEDROOT);
  return flags ? static_cast<uint32_t>(TRUST_E_FAIL) : 0;
}

class CPost {
 public:
  CPost(const std::function<bool()>& cancelled) : m_cancelled(cancelled), m_start(GetTickCount()) {}

  CTokenClient::Result Run(const CString& url, const std::string& form) {
    const std::wstring address = Wide(url.str());
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTPS) {
      return Failed(ERROR_WINHTTP_INVALID_URL);
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    m_session.Reset(WinHttpOpen(L"Orvane", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!m_session) return Failed(GetLastError());
    m_connect.Reset(WinHttpConnect(m_session.Get(), host.c_str(), parts.nPort, 0));
    if (!m_connect) return Failed(GetLastError());
    m_request.Reset(WinHttpOpenRequest(m_connect.Get(), L"POST", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    if (!m_request) return Failed(GetLastError());
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&m_completion);
    const DWORD notices = WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_SECURE_FAILURE |
                          WINHTTP_CALLBACK_FLAG_HANDLES;
    if (WinHttpSetStatusCallback(m_request.Get(), OnStatus, notices, 0) == WINHTTP_INVALID_STATUS_CALLBACK ||
        !WinHttpSetOption(m_request.Get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context))) {
      return Failed(GetLastError());
    }
    m_watching = true;
    // Headers first; the form only once the certificate has passed.
    const wchar_t headers[] = L"Content-Type: application/x-www-form-urlencoded\r\nAccept: application/json";
    if (!WinHttpSendRequest(m_request.Get(), headers, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0,
                            static_cast<DWORD>(form.size()), context)) {
      return Failed(GetLastError());
    }
    CTokenClient::Result result;
    if (!Next(WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE, &result)) return Finish(result);
    if (!CertificatePasses(Narrow(host), &result)) return Finish(result);
    if (!WinHttpWriteData(m_request.Get(), form.data(), static_cast<DWORD>(form.size()), nullptr)) {
      return Failed(GetLastError());
    }
    if (!Next(WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE, &result)) return Finish(result);
    if (!WinHttpReceiveResponse(m_request.Get(), nullptr)) return Failed(GetLastError());
    if (!Next(WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE, &result)) return Finish(result);
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpQueryHeaders(m_request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
      return Failed(GetLastError());
    }
    result.status = static_cast<int>(status);
    std::vector<char> buffer(8192);
    for (;;) {
      if (!WinHttpReadData(m_request.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), nullptr)) {
        return Failed(GetLastError());
      }
      if (!Next(WINHTTP_CALLBACK_STATUS_READ_COMPLETE, &result)) return Finish(result);
      if (m_completion.length == 0) break;
      result.body.append(buffer.data(), m_completion.length);
      // An answer beyond the cap is no token endpoint's: it is not read further.
      if (result.body.size() > CTokenClient::kMaxAnswer) return Failed(ERROR_WINHTTP_INVALID_SERVER_RESPONSE);
    }
    result.outcome = CTokenClient::kAnswered;
    return Finish(result);
  }

 private:
  // Waits for the completion `expected`; false with `result` set for an error, Cancel or time.
  bool Next(DWORD expected, CTokenClient::Result* result) {
    bool cancelled = false;
    const DWORD elapsed = GetTickCount() - m_start;
    const uint32_t left = elapsed < CTokenClient::kLimitMs ? CTokenClient::kLimitMs - elapsed : 0;
    const WaitEnd end =
        WaitDispatching(m_completion.event.Get(), left, [&] { return cancelled = m_cancelled(); });
    if (cancelled) {
      result->outcome = CTokenClient::kCancelled;
      return false;
    }
    if (end == WaitEnd::kTimedOut) {
      result->outcome = CTokenClient::kTimedOut;
      return false;
    }
    if (m_completion.status == expected) return true;
    result->error = m_completion.length;
    result->outcome = CTokenClient::kUnreachable;
    if (m_completion.length == ERROR_WINHTTP_SECURE_FAILURE) {
      result->outcome = CTokenClient::kCertificate;
      result->error = SecureFailureCode(m_completion.secureFlags);
    }
    return false;
  }

  bool CertificatePasses(const std::string& host, CTokenClient::Result* result) {
    PCCERT_CONTEXT certificate = nullptr;
    DWORD size = sizeof(certificate);  // NOLINT(bugprone-sizeof-expression): the option is a pointer
    if (!WinHttpQueryOption(m_request.Get(), WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size)) {
      certificate = nullptr;
    }
    const CCertificate owner(certificate);
    uint32_t error = 0;
    const TlsResult verdict = CheckServerCertificate(certificate, CString(host), &error);
    if (verdict == TlsResult::kSecured) return true;
    result->outcome = CTokenClient::kCertificate;
    result->error = error;
    return false;
  }

  CTokenClient::Result Failed(DWORD error) {
    CTokenClient::Result result;
    result.error = error;
    return Finish(result);
  }

  // Closes the request and waits (briefly) until WinHTTP has let go of the completion record.
  CTokenClient::Result Finish(const CTokenClient::Result& result) {
    if (m_request) {
      WinHttpCloseHandle(m_request.Release());
      if (m_watching) WaitForSingleObject(m_completion.closed.Get(), 5000);
    }
    m_connect.Reset();
    m_session.Reset();
    return result;
  }

  const std::function<bool()>& m_cancelled;
  DWORD m_start;
  Completion m_completion;
  CHttpHandle m_session, m_connect, m_request;
  bool m_watching = false;
};
}  // namespace

CTokenClient::Result CTokenClient::Post(const CString& url, const std::string& form,
                                        const std::function<bool()>& cancelled) {
  return CPost(cancelled).Run(url, form);
}
