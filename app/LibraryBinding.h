// CLibraryBinding: the acquisition and mail libraries, loaded from the program directory and
// bound by name as the first step of the program's start-up. A missing file or operation ends
// the process with its message.
#pragma once

#include <windows.h>

#include "framework/Handles.h"
#include "framework/String.h"
#include "mail/MailApi.h"
#include "scan/AcquireApi.h"

class CLibraryBinding {
 public:
  CLibraryBinding() = default;
  ~CLibraryBinding() = default;
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

  // Loads both libraries and binds their operations; on a failure shows its message and ends
  // the process (exit code 0).
  void Bind();

 private:
  bool BindAcquisition();
  bool BindMail();

  CModule m_acquisitionLibrary;
  CModule m_mailLibrary;
};
