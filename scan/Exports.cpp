// The seven exported operations of the acquisition library, undecorated, standard calls.
#include <windows.h>

#include "scan/AcquireApi.h"
#include "scan/CapturoApp.h"

namespace {
CCapturoApp g_app;
}

extern "C" {
__declspec(dllexport) void WINAPI DcAppInitProc(HWND window) { g_app.Acquisition().Init(window); }

__declspec(dllexport) uint16_t WINAPI DcAppSelectDSProc() { return g_app.Acquisition().SelectSource(); }

__declspec(dllexport) int WINAPI DcAppAcqProc(AcquireRequest* request) {
  return g_app.Acquisition().Acquire(request);
}

__declspec(dllexport) int WINAPI DcAppProcessMsgProc(MSG* msg, HWND window) {
  return g_app.Acquisition().ProcessMessage(msg, window);
}

__declspec(dllexport) void WINAPI DcAppTerminateDS() { g_app.Acquisition().Terminate(); }

__declspec(dllexport) const char* WINAPI TWAppGetDSInfo() { return g_app.Acquisition().SourceInfo(); }

__declspec(dllexport) uint16_t WINAPI TWEndXfer() { return g_app.Acquisition().EndXfer(); }
}
