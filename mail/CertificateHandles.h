// Scoped owners of the certificate objects the mail library takes from the platform.
#pragma once

#include <windows.h>

#include <wincrypt.h>

#include "framework/Handles.h"

struct CertificateTraits {
  using Handle = PCCERT_CONTEXT;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { CertFreeCertificateContext(h); }
};
struct CertificateChainTraits {
  using Handle = PCCERT_CHAIN_CONTEXT;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { CertFreeCertificateChain(h); }
};
using CCertificate = CScopedHandle<CertificateTraits>;
using CCertificateChain = CScopedHandle<CertificateChainTraits>;
