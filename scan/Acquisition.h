// One acquisition at a time: negotiating an AcquireRequest with the source, filtering the
// program's messages for source events, fetching the pages (native, file or memory) and
// telling the program about each one.
#pragma once

#include <windows.h>

#include "framework/String.h"
#include "scan/AcquireApi.h"
#include "scan/PageFailure.h"
#include "scan/TwainManager.h"

class CAcquisition {
 public:
  CAcquisition();

  // The seven operations of the library.
  void Init(HWND window);
  TW_UINT16 SelectSource();
  int Acquire(AcquireRequest* request);
  int ProcessMessage(MSG* msg, HWND window);
  void Terminate();
  const char* SourceInfo();
  TW_UINT16 EndXfer();
  // A source is open: another acquisition, of any kind, is refused.
  bool Busy() const { return m_twain.Busy(); }

  // Bounds of a source that keeps failing: attempts of one native or file page, and
  // consecutive pages without image information.
  static const int kMaxPageAttempts = 3;
  static const int kMaxImageInfoFailures = 3;

 private:
  bool Begin();
  bool SetUpMechanism();
  void Negotiate();
  TW_UINT16 PrepareFileTransfer();
  void CloseEverything();

  // The page loop and its pages (PageTransfer.cpp).
  void TransferPages(HWND window);
  bool EndTransfer();
  bool NativeOrFilePage(HWND window, bool file);
  bool MemoryPage(HWND window, const TW_IMAGEINFO& info);
  enum class PageOutcome { kDone, kFailed, kRetry };
  PageOutcome MemoryPageOnce(HWND window, const TW_IMAGEINFO& info, const CString& path);
  void SendResult(HWND window, bool withRecord);
  // Dispatches what is queued; how many messages it took.
  int PumpMessages();
  void Abandon(HWND window);

  bool m_toldEnd = false;  // WM_ACQ_RESULT with lParam 0 already sent in this page loop
  // What ended the page loop early, told before the program hears that no page follows.
  CPageFailure m_failure;

  CTwainManager m_twain;
  AcquireRequest* m_request = nullptr;
  AcquireResult m_result;
  TW_SETUPFILEXFER m_fileSetup;
  bool m_cancel = false;
  TW_UINT16 m_pending = 0;
  uint8_t m_mechanism = 0;
  uint32_t m_fileFormat = 0;
  uint32_t m_planar = 0;
  char m_info[256];
};
