// CLibraryBinding: the acquisition and mail libraries, loaded from the program directory and
// bound by name while the application object is constructed. A missing file or operation
// ends the process with its message.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/RectObj.h"
#include "framework/String.h"
#include "mail/MailApi.h"
#include "scan/AcquireApi.h"

class CLibraryBinding {
 public:
  CLibraryBinding();
  ~CLibraryBinding();
  CLibraryBinding(const CLibraryBinding&) = delete;
  CLibraryBinding& operator=(const CLibraryBinding&) = delete;

  DcAppProcessMsgProcFn DcAppProcessMsgProc = nullptr;
  DcAppTerminateDSFn DcAppTerminateDS = nullptr;
  DcAppAcqProcFn DcAppAcqProc = nullptr;
  DcAppInitProcFn DcAppInitProc = nullptr;
  DcAppSelectDSProcFn DcAppSelectDSProc = nullptr;
  TWAppGetDSInfoFn TWAppGetDSInfo = nullptr;
  TWEndXferFn TWEndXfer = nullptr;

  SetMailSMTPFn SetMailSMTP = nullptr;
  MailStartSendFn MailStartSend = nullptr;
  MailContentFn MailContent = nullptr;
  SetMailSecurityFn SetMailSecurity = nullptr;
  SetMailLoginFn SetMailLogin = nullptr;
  MailTestServerFn MailTestServer = nullptr;

  HMODULE m_acquisitionLibrary = nullptr;
  HMODULE m_mailLibrary = nullptr;
  // Areas found by automatic document detection; owned here.
  std::vector<std::unique_ptr<CRectObj>> m_detected;
  // The detection's pass counter: one for the whole program, 0 at start.
  int m_passCounter = 0;
  // Settings section and destination of the scan in progress.
  CString m_sectionName;
  WORD m_destinationId = 0;

 private:
  bool BindAcquisition();
  bool BindMail();
};
