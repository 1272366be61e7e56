// CSignIn.
#include "mail/OAuthSignIn.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "mail/Base64.h"
#include "mail/LoopbackListener.h"
#include "mail/TokenClient.h"
#include "mail/TokenStore.h"
#include "resources/postlib/resource.h"

namespace {
std::string RandomText(IMailEnvironment& environment, size_t bytes) {
  std::string random(bytes, '\0');
  environment.Random(&random[0], bytes);
  return Base64Url(random);
}

CString Hex(uint32_t code) { return CString::Format("0x%08X", code); }
}  // namespace

void CSignIn::Configure(const OAuthClient& client, const CString& user) {
  m_client = client;
  m_user = user;
}

bool CSignIn::SameAccount() const {
  return m_accessOwner == m_client.tokenUrl.str() + "\n" + m_client.clientId.str() + "\n" + m_user.str();
}

void CSignIn::Forget() {
  WipeBytes(m_access);
  m_accessOwner.clear();
  m_accessForMs = 0;
}

void CSignIn::Keep(const TokenAnswer& answer) {
  Forget();
  m_access = answer.accessToken;
  m_accessOwner = m_client.tokenUrl.str() + "\n" + m_client.clientId.str() + "\n" + m_user.str();
  const int64_t usable =
      answer.expiresInSeconds > kEarlySeconds ? answer.expiresInSeconds - kEarlySeconds : 0;
  m_accessSince = GetTickCount();
  // The tick count wraps after 49 days; a lifetime beyond a day is taken as a day.
  m_accessForMs = static_cast<uint32_t>(std::min<int64_t>(usable, 86400) * 1000);
  // A rotated refresh token replaces the old one; an answer without one keeps it.
  if (!answer.refreshToken.empty())
    TokenStore::Save(m_client.tokenUrl, m_client.clientId, m_user, answer.refreshToken);
}

bool CSignIn::Ready() {
  if (!m_client.Complete()) {
    m_environment.ShowMessage(IDS_SIGNIN_NOT_SET);
    return false;
  }
  if (!m_access.empty() && SameAccount() && GetTickCount() - m_accessSince < m_accessForMs) return true;
  Forget();
  std::string kept = TokenStore::Load(m_client.tokenUrl, m_client.clientId, m_user);
  const bool haveKept = !kept.empty();
  WipeBytes(kept);
  return haveKept ? Refresh() : SignIn();
}

bool CSignIn::Renew() {
  Forget();
  return Refresh();
}

bool CSignIn::Refresh() {
  std::string kept = TokenStore::Load(m_client.tokenUrl, m_client.clientId, m_user);
  if (kept.empty()) {
    m_environment.ShowMessage(IDS_SIGNIN_AGAIN);
    return false;
  }
  m_environment.UpdateProgress(IDS_SIGNIN_TOKENS, kProgressStatus);
  std::string form = RefreshGrantBody(m_client, kept);
  WipeBytes(kept);
  const bool ok = Exchange(form);
  WipeBytes(form);
  return ok;
}

bool CSignIn::SignIn() {
  if (!m_client.Complete()) {
    m_environment.ShowMessage(IDS_SIGNIN_NOT_SET);
    return false;
  }
  Forget();
  CLoopbackListener listener;
  int error = 0;
  if (!listener.Open(&error)) {
    m_environment.ShowMessage(IDS_SIGNIN_NO_BROWSER, Hex(static_cast<uint32_t>(error)));
    return false;
  }
  const std::string verifier = RandomText(m_environment, 32);
  const std::string state = RandomText(m_environment, 16);
  const std::string redirect = "http://127.0.0.1:" + std::to_string(listener.Port()) + "/";
  const std::string url = AuthorizeUrl(m_client, redirect, state, PkceChallenge(verifier), m_user.str());
  m_environment.UpdateProgress(IDS_SIGNIN_WAITING, kProgressStatus);
  const HINSTANCE opened = ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(opened) <= 32) {
    m_environment.ShowMessage(IDS_SIGNIN_NO_BROWSER,
                              Hex(static_cast<uint32_t>(reinterpret_cast<INT_PTR>(opened))));
    return false;
  }
  CLoopbackRequest request;
  const CLoopbackListener::Result waited = listener.Wait(
      kBrowserLimitMs, [this] { return Cancelled(); }, &request);
  if (waited == CLoopbackListener::kCancelled) return false;
  if (waited == CLoopbackListener::kTimedOut) {
    m_environment.ShowMessage(IDS_SIGNIN_TIMED_OUT);
    return false;
  }
  // The page in the browser says how it went, in the program's language.
  const bool answered = request.GetStatus() == CLoopbackRequest::kAnswer && request.State() == state;
  const CString title =
      m_environment.ToUtf8(m_environment.Text(answered ? IDS_SIGNIN_PAGE_DONE : IDS_SIGNIN_PAGE_FAILED));
  const CString text = m_environment.ToUtf8(m_environment.Text(IDS_SIGNIN_PAGE_CLOSE));
  listener.Answer(LoopbackResponse(200, title.str(), text.str()));
  if (request.GetStatus() == CLoopbackRequest::kRefused) {
    m_environment.ShowMessage(IDS_SIGNIN_DENIED, CString(request.Error()));
    return false;
  }
  if (!answered) {
    m_environment.ShowMessage(IDS_SIGNIN_WRONG_STATE);
    return false;
  }
  m_environment.UpdateProgress(IDS_SIGNIN_TOKENS, kProgressStatus);
  std::string form = CodeGrantBody(m_client, request.Code(), redirect, verifier);
  const bool ok = Exchange(form);
  WipeBytes(form);
  return ok;
}

bool CSignIn::Exchange(const std::string& form) {
  CTokenClient::Result result = CTokenClient::Post(m_client.tokenUrl, form, [this] { return Cancelled(); });
  switch (result.outcome) {
    case CTokenClient::kCancelled:
      return false;
    case CTokenClient::kTimedOut:
      m_environment.ShowMessage(IDS_NETWORK_TIMED_OUT);
      return false;
    case CTokenClient::kCertificate:
      m_environment.ShowMessage(IDS_TOKEN_CERTIFICATE, Hex(result.error));
      return false;
    case CTokenClient::kUnreachable:
      m_environment.ShowMessage(IDS_TOKEN_UNREACHABLE, CString::Format("%u", result.error));
      return false;
    case CTokenClient::kAnswered:
      break;
  }
  TokenAnswer answer = ReadTokenAnswer(result.status, result.body);
  WipeBytes(result.body);
  bool ok = false;
  if (answer.kind == TokenAnswer::kTokens) {
    Keep(answer);
    ok = true;
  } else if (answer.GrantInvalid()) {
    // Revoked, expired or the password changed: the kept token is worth nothing now.
    TokenStore::Forget();
    m_environment.ShowMessage(IDS_SIGNIN_AGAIN);
  } else if (answer.kind == TokenAnswer::kRefused) {
    const std::string said = answer.error + (answer.description.empty() ? "" : ": " + answer.description);
    m_environment.ShowMessage(IDS_TOKEN_REFUSED, CString(said));
  } else {
    m_environment.ShowMessage(IDS_TOKEN_BAD_ANSWER);
  }
  answer.Wipe();
  return ok;
}
