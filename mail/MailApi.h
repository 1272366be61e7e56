// The mail library's interface as the program and the library share it.
#pragma once

#include <windows.h>

#include "framework/String.h"

const UINT WM_MAIL_DONE = WM_USER + 121;

typedef void(WINAPI* SetMailSMTPFn)(CString& server);
typedef int(WINAPI* MailStartSendFn)(CString& sender, CString& recipient, CStringArray& attachments,
                                     HWND notify);
typedef int(WINAPI* MailContentFn)();
typedef void(WINAPI* SetMailSecurityFn)(int security, int port);
typedef void(WINAPI* SetMailLoginFn)(CString& user, CString& password);
typedef int(WINAPI* MailTestServerFn)(CString& sender);
typedef void(WINAPI* SetMailOAuthFn)(int provider, CString& authorizeUrl, CString& tokenUrl, CString& scope,
                                     CString& clientId, CString& clientSecret);
typedef int(WINAPI* MailSignInFn)();
