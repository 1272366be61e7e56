// CheckServerCertificate.
#include "mail/ServerCertificate.h"

#include <string>

#include "mail/CertificateHandles.h"

namespace {
// The chain's own verdict. The SSL policy alone passes a partial chain (a server that sends
// only its certificate from an unknown issuer), so the chain's trust status is read first.
TlsResult ChainVerdict(DWORD status) {
  if (status & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN)) return TlsResult::kUntrusted;
  if (status & CERT_TRUST_IS_NOT_TIME_VALID) return TlsResult::kExpired;
  // Revocation is not asked for (mail servers' authorities are often out of reach); what is
  // left is a certificate that is not fit for use.
  const DWORD ignored = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
  return (status & ~ignored) ? TlsResult::kBadCertificate : TlsResult::kSecured;
}

TlsResult PolicyVerdict(DWORD error) {
  switch (error) {
    case 0:
      return TlsResult::kSecured;
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
      return TlsResult::kWrongName;
    case static_cast<DWORD>(CERT_E_EXPIRED):
      return TlsResult::kExpired;
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
      return TlsResult::kUntrusted;
    default:
      return TlsResult::kBadCertificate;
  }
}

std::wstring Wide(const CString& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(wide.size() - 1);
  return wide;
}
}  // namespace

TlsResult CheckServerCertificate(PCCERT_CONTEXT certificate, const CString& host, uint32_t* error) {
  *error = 0;
  if (!certificate) {
    *error = static_cast<uint32_t>(SEC_E_NO_CREDENTIALS);
    return TlsResult::kUntrusted;
  }
  char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
  char* usages[] = {serverAuth};
  CERT_CHAIN_PARA para = {};
  para.cbSize = sizeof(para);
  para.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
  para.RequestedUsage.Usage.cUsageIdentifier = 1;
  para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT built = nullptr;
  if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &para, 0, nullptr,
                               &built)) {
    *error = GetLastError();
    return TlsResult::kBadCertificate;
  }
  const CCertificateChain owner(built);
  PCCERT_CHAIN_CONTEXT chain = owner.Get();
  TlsResult result = ChainVerdict(chain->TrustStatus.dwErrorStatus);
  if (result != TlsResult::kSecured) {
    *error = chain->TrustStatus.dwErrorStatus;
  } else {
    std::wstring name = Wide(host);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof(ssl);
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = &name[0];
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof(policy);
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof(status);
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status)) {
      *error = GetLastError();
      result = TlsResult::kBadCertificate;
    } else {
      *error = status.dwError;
      result = PolicyVerdict(status.dwError);
    }
  }
  return result;
}
