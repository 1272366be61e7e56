// CScanJob's page clean-up: the Auto job's document straightened, a page deskewed, blank pages
// of a batch left out, and every document on the glass scanned in turn (ScanJob.cpp calls
// these at a page's arrival and where the job would end).
#include <algorithm>

#include "app/JobFiles.h"
#include "app/JobTimes.h"
#include "app/LibraryBinding.h"
#include "app/ProgramContext.h"
#include "app/ScanRequest.h"
#include "app/job/ScanJob.h"
#include "app/output/imaging/PageCleanup.h"
#include "app/output/imaging/ReadingOrder.h"
#include "resources/orvane/resource.h"

namespace {
const UINT_PTR kNextDocumentTimerId = 2;
const UINT kNextDocumentDelayMs = 300;
// Prescan pixels of glass kept around a document that is straightened.
const int kGlassCells = 2;

// Runs `clean` from `page` into a file beside it, which then replaces the page; on any failure
// the page stays as it was scanned.
template <typename Clean>
void CleanInPlace(const CString& page, Clean clean) {
  const CString cleaned = page + "~";
  CleanupFigures figures;
  if (clean(page.str(), cleaned.str(), figures) != CleanupOutcome::kWritten) return;
  if (!MoveFileExA(cleaned.c_str(), page.c_str(), MOVEFILE_REPLACE_EXISTING)) DeleteFileA(cleaned.c_str());
}
}  // namespace

// The areas this detection found, the first to be scanned now and, with Each Document, the
// others after it in reading order. The first widened by some glass when it is straightened.
void CScanJob::PlanDocuments(size_t firstFound, CRectObj& area) {
  m_documents.clear();
  m_nextDocument = 0;
  m_straightenScan = m_cleanup.straighten;
  if (m_cleanup.eachDocument) {
    for (size_t i = firstFound; i < m_detected.size(); ++i) m_documents.push_back(*m_detected[i]);
    SortInReadingOrder(m_documents);
    if (!m_documents.empty()) area = m_documents[0];
    m_nextDocument = 1;
  }
  if (m_straightenScan) area = AreaWithGlass(area, m_program.Prescan(), kGlassCells);
}

// A page has been filed: cleaned as the destination's choices say. False when it is blank and
// left out (it stays in TEMP as it came).
bool CScanJob::CleanUpPage(const CString& page) {
  if (m_straightenScan) {
    CleanInPlace(page, StraightenScan);
    JobTimes::Mark("page_straightened");
  } else if (m_cleanup.deskew && !m_fromGlass) {
    CleanInPlace(page, DeskewScan);
    JobTimes::Mark("page_deskewed");
  }
  if (!m_cleanup.leaveOutBlank || m_fromGlass) return true;
  BlankMeasure blank;
  if (!MeasureBlankScan(page.str(), blank) || !blank.blank) return true;
  ++m_leftOut;
  return false;
}

// Where the job would end: the next document on the glass is scanned first, if any is left.
void CScanJob::EndOrNextDocument() {
  if (m_nextDocumentDue) return;
  if (!m_running || m_handOffsStopped || m_nextDocument >= m_documents.size()) {
    End();
    return;
  }
  m_closingPrescan = true;
  const CLibraryBinding& scanner = m_program.Libraries();
  if (scanner.DcAppTerminateDS) scanner.DcAppTerminateDS();
  m_closingPrescan = false;
  // The next document's page is a new page of the same batch: the job waits for it.
  m_pacing.Reset(m_order.destination->oneAtATime);
  m_nextDocumentDue = m_host.StartTimer(kNextDocumentTimerId, kNextDocumentDelayMs);
  if (!m_nextDocumentDue) End();
}

bool CScanJob::OnDocumentTimer(UINT_PTR id) {
  if (id != kNextDocumentTimerId) return false;
  m_host.StopTimer(kNextDocumentTimerId);
  if (!m_nextDocumentDue) return true;
  m_nextDocumentDue = false;
  CRectObj area = m_documents[m_nextDocument++];
  if (m_straightenScan) area = AreaWithGlass(area, m_program.Prescan(), kGlassCells);
  AcquireRequest request = DocumentRequest(&area);
  m_pagesArrived = 0;
  RunAcquisition(request);
  return true;
}

// The end of a job that left blank pages out says how many and where they are.
void CScanJob::TellLeftOut() {
  if (m_leftOut == 0) return;
  Tell(CString::Format(m_program.LocalText(IDS_BLANK_LEFT_OUT).c_str(), m_leftOut,
                       m_program.TempDir().c_str()),
       m_program.WindowTitle());
  m_leftOut = 0;
}
