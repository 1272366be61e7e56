// CWinApp: the one application object of a program. Constructed as a global before WinMain;
// WinMain (in the framework) runs InitInstance, the message loop when it succeeds, and
// ExitInstance, whose result is the exit code.
#pragma once

#include <windows.h>

#include "framework/MessagePump.h"
#include "framework/String.h"

class CWnd;

// The string of a program's own table that holds its title.
const UINT kAppTitleStringId = 0xE000;

class CWinApp : public IPreTranslator {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  static CWinApp* Current() { return s_current; }

  // Returns false to end the program without a message loop.
  virtual bool InitInstance() { return true; }
  virtual int ExitInstance() { return m_exitCode; }
  // Returns true when the message was consumed and must not be dispatched. The default lets
  // the dialog under the message handle its keyboard navigation.
  bool PreTranslateMessage(MSG* msg) override;

  int Run();

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;
  const char* m_lpCmdLine = "";

 protected:
  int m_exitCode = 0;

 private:
  static CWinApp* s_current;
};
