// CScanJob: the one scan job of a run, from the SCAN press to the program's end. It stores the
// shown page, starts the acquisition with its progress window, files each page that arrives
// in TEMP, compresses it, hands it to the destination (ScanJob.cpp reads in that order) and
// ends the panel when every page has been dealt with. It talks to the panel only through
// IJobHost; the hand-offs get the job's order, not the job.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/PageFiling.h"
#include "app/RectObj.h"
#include "app/job/HandOffPacing.h"
#include "app/job/JobHost.h"
#include "app/output/Destinations.h"
#include "app/output/OcrHandoff.h"
#include "app/settings/CleanupChoices.h"
#include "framework/String.h"
#include "scan/AcquireApi.h"

class CProgramContext;
class CScanProgressDlg;

// Accepted by the panel from outside (the Japanese edition's OCR application): delete the page
// at work and end. Acted on only while such a hand-off is pending.
const UINT WM_PANEL_ABORT = WM_USER + 1;

class CScanJob : private IOcrJobOwner {
 public:
  CScanJob(const CProgramContext& program, IJobHost& host, const JobOutlets& outlets);
  ~CScanJob() override;
  CScanJob(const CScanJob&) = delete;
  CScanJob& operator=(const CScanJob&) = delete;

  // SCAN with settings page `shownPageId` shown and destination `activeId` chosen.
  void Press(uint16_t shownPageId, uint16_t activeId);
  // Every queued message goes to the scanner's source first; true when the source took it.
  bool OfferToSource(MSG* msg);
  // A job is at work (from SCAN to its end).
  bool Running() const { return m_running; }
  // The job's window messages; false for any other.
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
  void OnTimer(UINT_PTR id);
  // The panel ends by itself (EXIT): no second pass comes any more.
  void CancelSecondPass();
  // The panel's window is going.
  void OnPanelDestroyed();

 private:
  // IOcrJobOwner: the OCR of the page at work has ended.
  void OnOcrEnded(OcrOutcome outcome, const char* outputFile) override;

  // Press, request, page, filing, compression, hand-off, end: in this order in ScanJob.cpp.
  void StartJapaneseOcrRoute();
  AcquireRequest FirstRequest();
  void RunAcquisition(AcquireRequest& request);
  INT_PTR OnPageArrived(const AcquireResult* page);
  void ClosePrescan();
  void RunSecondPass();
  void HandOff(const CString& page);
  // The page clean-up and the documents on the glass in turn (ScanJobCleanup.cpp).
  void PlanDocuments(size_t firstFound, CRectObj& area);
  bool CleanUpPage(const CString& page);
  void EndOrNextDocument();
  bool OnDocumentTimer(UINT_PTR id);
  AcquireRequest DocumentRequest(const CRectObj* area);
  void TellLeftOut();
  void PageDealtWith();
  void StopHandOffs(unsigned messageId);
  CString KeptNotice(UINT messageId) const;
  void LeaveDelivery();
  void HandOffBatch();
  void OpenProgress();
  void OnProgress(WPARAM position, LPARAM range);
  void StopScan();
  void Abort();
  void OnSourceClosed();
  void DestroyProgress();
  void FailJob(const CString& text);
  CString FilingFailure(PageFiling::Outcome outcome, const PageFiling::FileTrouble& trouble) const;
  void TellInUse(const CString& file, bool uncompressed);
  void End();
  HandOffDesk Desk();
  // A message box of the job, in front of everything (the panel is hidden).
  void Tell(const CString& text, const CString& caption) const;

  const CProgramContext& m_program;
  IJobHost& m_host;
  JobOutlets m_outlets;
  // The destination, its page's values, the page at work and the pages handed on so far.
  JobOrder m_order;
  bool m_running = false;
  std::unique_ptr<CScanProgressDlg> m_progress;
  CHandOffPacing m_pacing;
  // The automatic-size pass: prescan in progress, its timer, the areas found so far and the
  // detection's pass counter (one for the whole program).
  bool m_autoSize = false;
  bool m_closingPrescan = false;
  bool m_secondPassDue = false;
  std::vector<std::unique_ptr<CRectObj>> m_detected;
  int m_passCounter = 0;
  // The destination's clean-up; the scan at work is a document to straighten; the documents
  // found on the glass in reading order, the next one to scan, its timer; blank pages left out.
  CleanupChoices m_cleanup;
  bool m_straightenScan = false;
  bool m_fromGlass = false;  // an Auto job's page: the glass is around it (no deskew, never blank)
  std::vector<CRectObj> m_documents;
  size_t m_nextDocument = 0;
  bool m_nextDocumentDue = false;
  int m_leftOut = 0;
  // Pages of the running acquisition that have arrived: the next one's number is one more
  // (and once one has, a close of the source no longer ends the job).
  int m_pagesArrived = 0;
  // A hand-off to an outside program is pending (OCR at work, the Japanese route):
  // WM_PANEL_ABORT is acted on only then.
  bool m_outsidePending = false;
  // A hand-off failed: the batch's later pages stay in TEMP, unhanded.
  bool m_handOffsStopped = false;
  // The job's failure has been reported; further failures of the batch stay quiet.
  bool m_failureShown = false;
  // A file held by another program has been reported (once per job).
  bool m_inUseTold = false;
};
