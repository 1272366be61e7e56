// The seven exported operations of the acquisition library, undecorated, standard calls, and
// the choice of scanner. Each operation goes to the kind of scanner chosen in the settings
// file: the TWAIN manager's source, or a network scanner.
#include <windows.h>

#include "resources/capturo/resource.h"
#include "scan/AcquireApi.h"
#include "scan/CapturoApp.h"
#include "scan/ScanText.h"
#include "scan/escl/NetworkAcquisition.h"
#include "scan/escl/ScannerChoiceDlg.h"

namespace {
CCapturoApp g_app;
CNetworkAcquisition g_network(LibraryVoice{&ScanString, &ScanMessage});
char g_networkInfo[256];

uint16_t SelectTwainSource() { return g_app.Acquisition().SelectSource(); }
}  // namespace

extern "C" {
__declspec(dllexport) void WINAPI DcAppInitProc(HWND window) {
  g_app.Acquisition().Init(window);
  g_network.Init(window);
}

__declspec(dllexport) uint16_t WINAPI DcAppSelectDSProc() { return g_app.Acquisition().SelectSource(); }

__declspec(dllexport) int WINAPI DcAppAcqProc(AcquireRequest* request) {
  const NetworkChoice choice = NetworkChoiceFile::Read(NetworkChoiceFile::Settings());
  // One acquisition at a time, whatever kind of scanner the last one used.
  if (g_network.Busy() || (choice.Network() && g_app.Acquisition().Busy())) {
    ScanMessage(ScanString(IDS_ALREADY_OPEN));
    return 0;
  }
  return choice.Network() ? g_network.Acquire(request, choice) : g_app.Acquisition().Acquire(request);
}

__declspec(dllexport) int WINAPI DcAppProcessMsgProc(MSG* msg, HWND window) {
  if (const int taken = g_network.ProcessMessage(msg, window)) return taken;
  return g_app.Acquisition().ProcessMessage(msg, window);
}

__declspec(dllexport) void WINAPI DcAppTerminateDS() {
  g_network.Terminate();
  g_app.Acquisition().Terminate();
}

__declspec(dllexport) const char* WINAPI TWAppGetDSInfo() {
  const NetworkChoice choice = NetworkChoiceFile::Read(NetworkChoiceFile::Settings());
  if (!choice.Network()) return g_app.Acquisition().SourceInfo();
  // A network scanner: its name and where it is.
  CString(choice.name + "\n" + choice.url + "\n").CopyTo(g_networkInfo, sizeof(g_networkInfo));
  return g_networkInfo;
}

__declspec(dllexport) uint16_t WINAPI TWEndXfer() {
  return g_network.Busy() ? g_network.EndXfer() : g_app.Acquisition().EndXfer();
}

// The choice of scanner, owned by `owner`: 1 when a choice was kept, 0 when cancelled.
__declspec(dllexport) int WINAPI DcAppChooseScannerProc(HWND owner) {
  if (g_network.Busy() || g_app.Acquisition().Busy()) return 0;
  CScannerChoiceDlg dialog(owner, LibraryVoice{&ScanString, &ScanMessage}, &SelectTwainSource);
  return dialog.DoModal() == IDOK ? 1 : 0;
}
}
