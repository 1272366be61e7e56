// Asking an opened scanner for its capabilities: what the acquisition does first and what the
// choice of scanner does to check an address (and to see the certificate it pins).
#pragma once

#include <windows.h>

#include "scan/escl/Capabilities.h"
#include "scan/escl/ScannerHttp.h"

enum class ProbeResult { kOk, kUnreachable, kCertificateChanged, kNotUnderstood, kStopped };

ProbeResult ProbeScanner(CScannerHttp& http, IHttpWaiter* waiter, DWORD limitMs, ScannerCaps* caps);

// The library's message of a failed probe (a string id), 0 for none.
UINT ProbeMessage(ProbeResult result);
