// The check of a mail server's certificate: a chain to a root this computer trusts (the
// current user's and the machine's root stores), valid now, for server authentication, and
// made out to the host name the user entered.
#pragma once

#include <windows.h>

#include <wincrypt.h>

#include <cstdint>

#include "framework/String.h"
#include "mail/MailChannel.h"

// `error` gets the platform's code of a failure (a CERT_E_ or CERT_TRUST_ value), else 0.
TlsResult CheckServerCertificate(PCCERT_CONTEXT certificate, const CString& host, uint32_t* error);
