// The library's entry point and its six exports (standard calling convention, exported by
// their undecorated names). Strings and lists come by reference to the caller's objects; only
// their characters are copied.
#include "framework/Module.h"
#include "mail/MailApp.h"

namespace {
CMailApp g_mailApp;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_mailApp.m_hInstance = instance;
    return g_mailApp.InitInstance() ? TRUE : FALSE;
  }
  if (reason == DLL_PROCESS_DETACH) g_mailApp.ExitInstance();
  return TRUE;
}

extern "C" __declspec(dllexport) void WINAPI SetMailSMTP(CString& server) {
  g_mailApp.SetMailSMTP(CopyText(server));
}

extern "C" __declspec(dllexport) int WINAPI MailContent() { return g_mailApp.MailContent(); }

extern "C" __declspec(dllexport) int WINAPI
    MailStartSend(CString& sender, CString& recipient, CStringArray& attachments, HWND notify) {
  return g_mailApp.MailStartSend(sender, recipient, attachments, notify);
}

// How the next send (or test) reaches the server: security 0 none, 1 STARTTLS, 2 TLS; port 0
// for the security's own (25, 587, 465).
extern "C" __declspec(dllexport) void WINAPI SetMailSecurity(int security, int port) {
  g_mailApp.SetMailSecurity(security, port);
}

// The login of the next send (or test); an empty user logs in not at all. Used only over a
// secured connection.
extern "C" __declspec(dllexport) void WINAPI SetMailLogin(CString& user, CString& password) {
  g_mailApp.SetMailLogin(user, password);
}

// Connects to the server set for the next send, secures the connection, logs in and quits,
// then says what happened; 1 when all of it worked. `sender` gives the greeting's domain (and
// the host when no server is set).
extern "C" __declspec(dllexport) int WINAPI MailTestServer(CString& sender) {
  return g_mailApp.MailTestServer(sender);
}
