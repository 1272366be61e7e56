// Loading and binding of Capturo and Postlib.
#include "app/LibraryBinding.h"

#include "framework/Module.h"
#include "resources/orvane/resource.h"

namespace {
// Before the framework has started: plain message box from the program's own strings,
// then the process ends with exit code 0.
[[noreturn]] void Terminate(UINT messageId) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  const CString text = LoadResourceString(self, messageId);
  const CString caption = LoadResourceString(self, IDS_APP_TITLE);
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
  ExitProcess(0);
}

template <typename Fn>
bool BindName(HMODULE library, const char* name, Fn& slot) {
  slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return slot != nullptr;
}
}  // namespace

void CLibraryBinding::Bind() {
  // The program directory, from a path buffer of 255 characters.
  const CString directory = Module::Directory(GetModuleHandleA(nullptr), 255);
  m_acquisitionLibrary.Reset(LoadLibraryA((directory + "Capturo.dll").c_str()));
  if (!m_acquisitionLibrary) Terminate(IDS_CAPTURO_LOAD_FAILED);
  m_mailLibrary.Reset(LoadLibraryA((directory + "Postlib.dll").c_str()));
  if (!m_mailLibrary) Terminate(IDS_POSTLIB_LOAD_FAILED);
  if (!BindAcquisition()) Terminate(IDS_CAPTURO_FIND_FAILED);
  if (!BindMail()) Terminate(IDS_POSTLIB_FIND_FAILED);
}

bool CLibraryBinding::BindAcquisition() {
  HMODULE lib = m_acquisitionLibrary.Get();
  // Every name is looked up, so that one missing operation is enough to fail.
  bool all = BindName(lib, "DcAppProcessMsgProc", DcAppProcessMsgProc);
  all &= BindName(lib, "DcAppTerminateDS", DcAppTerminateDS);
  all &= BindName(lib, "DcAppAcqProc", DcAppAcqProc);
  all &= BindName(lib, "DcAppInitProc", DcAppInitProc);
  all &= BindName(lib, "DcAppSelectDSProc", DcAppSelectDSProc);
  all &= BindName(lib, "TWAppGetDSInfo", TWAppGetDSInfo);
  all &= BindName(lib, "TWEndXfer", TWEndXfer);
  return all;
}

bool CLibraryBinding::BindMail() {
  HMODULE lib = m_mailLibrary.Get();
  bool all = BindName(lib, "SetMailSMTP", SetMailSMTP);
  all &= BindName(lib, "MailStartSend", MailStartSend);
  all &= BindName(lib, "MailContent", MailContent);
  all &= BindName(lib, "SetMailSecurity", SetMailSecurity);
  all &= BindName(lib, "SetMailLogin", SetMailLogin);
  all &= BindName(lib, "MailTestServer", MailTestServer);
  return all;
}
