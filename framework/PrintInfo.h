// CPrintInfo: the state of one print job that the printing procedure shares with the view's
// printing steps. The procedure prints directly, without a print dialog.
#pragma once

#include <windows.h>

#include "framework/Handles.h"
#include "framework/String.h"

struct CPrintInfo {
  UINT m_nMinPage = 1;
  UINT m_nMaxPage = 0xFFFF;  // 0xFFFF: not known; pages go on while the view prepares them
  UINT m_nCurPage = 1;
  // Cleared by the view (or the procedure's own page preparation) to end the job after the
  // pages printed so far.
  bool m_bContinuePrinting = true;
  // Set by the view when its page cannot be printed: the whole job is withdrawn, so that no
  // blank or partial page reaches the printer.
  bool m_bAbortJob = false;

  CDeviceContext m_printerDC;  // made by DoPreparePrinting
  CString m_deviceName;
  HWND m_statusWnd = nullptr;  // the printing status window while the job runs

  void SetMaxPage(UINT page) { m_nMaxPage = page; }
};
