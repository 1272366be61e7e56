// The library's entry point and its three exports (standard calling convention, exported by
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
  CMailApp::Get().SetMailSMTP(CopyText(server));
}

extern "C" __declspec(dllexport) int WINAPI MailContent() { return CMailApp::Get().MailContent(); }

extern "C" __declspec(dllexport) int WINAPI
    MailStartSend(CString& sender, CString& recipient, CStringArray& attachments, HWND notify) {
  return CMailApp::Get().MailStartSend(sender, recipient, attachments, notify);
}
