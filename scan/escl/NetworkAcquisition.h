// An acquisition from a network scanner behind the library's operations: the scanner's
// capabilities and status, a scan job made from the AcquireRequest, its pages fetched one by
// one inside DcAppProcessMsgProc (as TWAIN pages arrive) and written as the page file, the
// same WM_ACQ_* messages as a TWAIN source sends, the job cancelled on Stop and on any fault,
// and every refusal named in the program's language.
#pragma once

#include <windows.h>

#include <string>

#include "framework/String.h"
#include "scan/AcquireApi.h"
#include "scan/escl/Capabilities.h"
#include "scan/escl/NetworkChoice.h"
#include "scan/escl/ScanSettings.h"
#include "scan/escl/ScannerHttp.h"
#include "scan/escl/ScannerStatus.h"

// What the session needs of the library: its strings and its message box.
struct LibraryVoice {
  CString (*text)(UINT id);
  void (*tell)(const CString& text);
};

class CNetworkAcquisition : private IHttpWaiter {
 public:
  explicit CNetworkAcquisition(LibraryVoice voice) : m_voice(voice) {}
  CNetworkAcquisition(const CNetworkAcquisition&) = delete;
  CNetworkAcquisition& operator=(const CNetworkAcquisition&) = delete;

  void Init(HWND window);
  // A scanner job is set up or its pages are coming: the library refuses another acquisition.
  bool Busy() const { return m_busy; }
  // Begins an acquisition from `choice`; 1 when pages will follow, 0 when nothing started.
  int Acquire(AcquireRequest* request, const NetworkChoice& choice);
  int ProcessMessage(MSG* msg, HWND window);
  void Terminate();
  uint16_t EndXfer();

  // Bounds: the wait for one answer of the scanner, and for a page it is still scanning.
  static const DWORD kAnswerMs = 15000;
  static const DWORD kPageMs = 120000;

 private:
  enum class Next { kPage, kBatchOver, kEnded, kStopped };
  bool StopRequested() override;
  void BodyProgress(uint64_t total) override;

  bool Describe(const NetworkChoice& choice);
  bool StartJob(AcquireRequest& request);
  void DeliverPages(HWND window);
  Next FetchPage(std::string& page);
  bool FilePage(const std::string& page);
  UINT ReasonMessage(UINT fallback);
  void Fail(UINT messageId, int number = 0);
  void CancelJob();
  void Close();
  CString Message(UINT id, int number = 0) const;

  LibraryVoice m_voice;
  HWND m_window = nullptr;    // DcAppInitProc's: WM_ACQ_CLOSED goes there
  HWND m_receiver = nullptr;  // DcAppProcessMsgProc's: the pages' messages go there
  CScannerHttp m_http;
  ScannerCaps m_caps;
  NetworkScanPlan m_plan;
  std::string m_jobPath;
  AcquireResult m_result = {};
  bool m_busy = false;
  bool m_cancel = false;
  bool m_started = false;     // the job's pages are to be fetched at the next chance
  bool m_delivering = false;  // inside DcAppProcessMsgProc, fetching pages
  bool m_jobOpen = false;     // the scanner has a job of ours that has not ended
  bool m_closed = false;      // closed while delivering (the program's DcAppTerminateDS)
  int m_pages = 0;            // pages of this acquisition delivered
  WPARAM m_strip = 0;         // progress within the page: 64 KiB received
  LPARAM m_strips = 0;        // its range
  bool m_announced = false;   // the page's first progress notice has gone
};
