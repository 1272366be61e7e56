// The capabilities of an opened scanner.
#include "scan/escl/ScannerProbe.h"

#include "resources/capturo/resource.h"
#include "scan/escl/XmlReader.h"

namespace {
const size_t kMaxDocument = 1 << 20;
}

ProbeResult ProbeScanner(CScannerHttp& http, IHttpWaiter* waiter, DWORD limitMs, ScannerCaps* caps) {
  HttpReply reply;
  switch (http.Send(L"GET", http.Url().root + "/ScannerCapabilities", "", kMaxDocument, limitMs, waiter,
                    &reply)) {
    case HttpOutcome::kOk:
      break;
    case HttpOutcome::kStopped:
      return ProbeResult::kStopped;
    case HttpOutcome::kCertificateChanged:
      return ProbeResult::kCertificateChanged;
    case HttpOutcome::kTooLarge:
      return ProbeResult::kNotUnderstood;
    default:
      return ProbeResult::kUnreachable;
  }
  XmlElement root;
  if (reply.status != 200 || ParseXml(reply.body.data(), reply.body.size(), &root) != XmlError::kNone ||
      !ParseCapabilities(root, caps))
    return ProbeResult::kNotUnderstood;
  return ProbeResult::kOk;
}

UINT ProbeMessage(ProbeResult result) {
  switch (result) {
    case ProbeResult::kUnreachable:
      return IDS_NET_UNREACHABLE;
    case ProbeResult::kCertificateChanged:
      return IDS_NET_CERTIFICATE;
    case ProbeResult::kNotUnderstood:
      return IDS_NET_NOT_UNDERSTOOD;
    default:
      return 0;
  }
}
