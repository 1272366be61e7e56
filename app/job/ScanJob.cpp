// CScanJob: the data path of a scan job, top to bottom: the SCAN press, the request, the
// acquisition, a page arriving, its filing and compression, the hand-off, and the end.
#include "app/job/ScanJob.h"

#include "app/DocumentFinder.h"
#include "app/JobFiles.h"
#include "app/JobTimes.h"
#include "app/LibraryBinding.h"
#include "app/PageFiling.h"
#include "app/PanelRules.h"
#include "app/ProgramContext.h"
#include "app/ProgressLine.h"
#include "app/ScanProgressDlg.h"
#include "app/ScanRequest.h"
#include "app/output/EditorHandOff.h"
#include "app/output/MessageWindowDlg.h"
#include "app/settings/CleanupChoices.h"
#include "app/settings/SettingsKeys.h"
#include "app/settings/SettingsPage.h"
#include "framework/DiskSpace.h"
#include "framework/FileRetry.h"
#include "resources/orvane/resource.h"

using namespace Panel;

namespace {
const UINT_PTR kSecondPassTimerId = 1;
const UINT kSecondPassDelayMs = 500;

UINT OcrMessageFor(OcrOutcome outcome) {
  switch (outcome) {
    case OcrOutcome::kNoText:
      return IDS_OCR_NO_TEXT;
    case OcrOutcome::kEngineFailed:
      return IDS_OCR_ENGINE_FAILED;
    case OcrOutcome::kTextNotSaved:
      return IDS_OCR_TEXT_NOT_SAVED;
    case OcrOutcome::kPdfNotWritten:
      return IDS_PDF_NOT_WRITTEN;
    default:
      return 0;
  }
}
}  // namespace

CScanJob::CScanJob(const CProgramContext& program, IJobHost& host, const JobOutlets& outlets)
    : m_program(program), m_host(host), m_outlets(outlets) {}

CScanJob::~CScanJob() = default;

// --- The press -------------------------------------------------------------------------------

void CScanJob::Press(uint16_t shownPageId, uint16_t activeId) {
  JobTimes::Start();
  const CProfileFile& settings = m_program.Settings();
  settings.WriteText(Keys::kActiveDlg, Keys::kActiveId, CString::Format("%d", shownPageId).c_str());
  CSettingsPage* page = m_host.PageFor(shownPageId);
  if (!page || !page->Store(m_order.values)) return;
  if (m_program.LanguageId() == kJapanese && shownPageId == kOcr) {
    StartJapaneseOcrRoute();
    return;
  }
  m_host.NotifyWatcher(1);
  m_host.HideForJob();

  const char* pdfChoice = PdfChoiceKey(activeId);
  const int choice = pdfChoice ? settings.ReadInt(DestinationFor(activeId).section, pdfChoice, 0) : 0;
  m_order.destination = &DestinationFor(activeId, choice);
  m_cleanup = ReadCleanupChoices(settings, m_order.destination->section);
  m_straightenScan = false;
  m_fromGlass = false;
  m_documents.clear();
  m_leftOut = 0;
  if (m_order.destination->prepare) m_order.destination->prepare(m_program);
  m_running = true;
  m_pagesArrived = 0;
  m_failureShown = false;
  m_inUseTold = false;
  m_handOffsStopped = false;
  m_order.pages.RemoveAll();
  m_pacing.Reset(m_order.destination->oneAtATime);
  AcquireRequest request = FirstRequest();
  RunAcquisition(request);
}

// The Japanese edition hands OCR to an application of its own, which ends the hidden panel
// (WM_PANEL_ABORT) when it is done. When it cannot start, nothing would: the panel ends then.
void CScanJob::StartJapaneseOcrRoute() {
  m_host.NotifyWatcher(0);
  const SelvoraStart start = EditorHandOff::StartSelvora();
  if (start == SelvoraStart::kMissing) {
    CMessageWindowDlg missing(m_program.WindowTitle(),
                              m_program.CreateInterfaceFont(CMessageWindowDlg::kFontHeight));
    missing.DoModal();
  } else if (start == SelvoraStart::kFailed) {
    Tell(m_program.LocalText(IDS_SELVORA_START_FAILED), m_program.LocalText(IDS_SCAN_DIALOG_CAPTION));
  }
  m_host.HideForJob();
  if (start == SelvoraStart::kStarted)
    m_outsidePending = true;
  else
    End();
}

// --- The request and the acquisition ---------------------------------------------------------

namespace {
ScanRequestInput RequestInput(const CProgramContext& program, const Destination& destination,
                              const CSettingsPage* page) {
  const CProfileFile& settings = program.Settings();
  const char* section = destination.section;
  ScanRequestInput input;
  input.destinationId = destination.requestId;
  input.settings.scanMode = settings.ReadInt(section, Keys::kScanMode, 0);
  input.settings.documentSize = settings.ReadInt(section, Keys::kDocumentSize, 0);
  input.settings.resolution = settings.ReadInt(section, Keys::kResolution, 0);
  input.settings.brightness = settings.ReadInt(section, Keys::kBrightness, 2);
  input.settings.contrast = settings.ReadInt(section, Keys::kContrast, 2);
  const CStringArray& paperNames = program.PaperNames();
  const int papers = paperNames.GetSize();
  if (papers > 0) {
    const CString& chosen = paperNames[PaperIndex(input.settings.documentSize, papers)];
    input.paperSize = program.Description().ReadText(Keys::kSupportSize, chosen.c_str(), "", 256);
    input.firstPaperSize = program.Description().ReadText(Keys::kSupportSize, paperNames[0].c_str(), "", 256);
  }
  input.resolutions = page ? page->Resolutions() : nullptr;
  input.prescan = program.Prescan();
  return input;
}
}  // namespace

AcquireRequest CScanJob::FirstRequest() {
  bool autoSize = false;
  const Destination& destination = *m_order.destination;
  AcquireRequest request =
      BuildScanRequest(RequestInput(m_program, destination, m_host.PageFor(destination.id)), autoSize);
  m_autoSize = autoSize;
  return request;
}

void CScanJob::RunAcquisition(AcquireRequest& request) {
  if (!m_progress) OpenProgress();
  JobTimes::Mark("acquisition_started");
  m_order.scanDpi = request.resolution;
  const CLibraryBinding& scanner = m_program.Libraries();
  if (!scanner.DcAppAcqProc || scanner.DcAppAcqProc(&request) == 0) {
    DestroyProgress();
    End();
  }
}

bool CScanJob::OfferToSource(MSG* msg) {
  const CLibraryBinding& scanner = m_program.Libraries();
  if (!scanner.DcAppProcessMsgProc) return false;
  // Pages arrive inside this call, a whole feeder batch within one.
  m_pacing.EnterDelivery();
  const bool taken = scanner.DcAppProcessMsgProc(msg, m_host.JobWindow()) != 0;
  LeaveDelivery();
  return taken;
}

bool CScanJob::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_ACQ_RESULT:
      result = OnPageArrived(reinterpret_cast<const AcquireResult*>(lParam));
      return true;
    case WM_ACQ_PROGRESS:
      OnProgress(wParam, lParam);
      result = 1;
      return true;
    case WM_SCAN_STOP:
      StopScan();
      result = 0;
      return true;
    case WM_PANEL_ABORT:
      // The same value is the dialog manager's DM_SETDEFID: unless an outside program has the
      // page, it is left to the dialog.
      if (!m_outsidePending) return false;
      Abort();
      result = 0;
      return true;
    case WM_ACQ_CLOSED:
      OnSourceClosed();
      result = 0;
      return true;
    default:
      return false;
  }
}

// --- A page arrives: filing and compression ---------------------------------------------------

INT_PTR CScanJob::OnPageArrived(const AcquireResult* page) {
  if (!page) {
    DestroyProgress();
    End();
    return 0;
  }
  JobTimes::Mark("page_arrived");
  ++m_pagesArrived;
  CString filedPage;
  PageFiling::FileTrouble trouble;
  const PageFiling::Outcome filed =
      PageFiling::FilePage(*page, m_program.TempDir(), m_program.ProgramDir(), filedPage, trouble);
  if (filed != PageFiling::Outcome::kFiled) {
    FailJob(FilingFailure(filed, trouble));
    return 0;
  }
  JobTimes::Mark("page_filed");
  if (!m_autoSize && !CleanUpPage(filedPage)) {
    m_pacing.PageLeftOut();
    DestroyProgress();
    return 1;
  }
  const Destination& destination = *m_order.destination;
  if (!m_autoSize && destination.compression != 0) {
    const PageFiling::Compression compression = PageFiling::CompressPage(
        filedPage, destination.compression, destination.keepBilevel, m_progress.get(), trouble);
    if (compression == PageFiling::Compression::kInUse ||
        compression == PageFiling::Compression::kOriginalLeft)
      TellInUse(trouble.file, compression == PageFiling::Compression::kInUse);
  }
  JobTimes::Mark("page_compressed");
  DestroyProgress();

  if (m_autoSize) {
    m_order.page = filedPage;
    ClosePrescan();
    return 1;
  }
  if (m_pacing.PageFiled(filedPage) == CHandOffPacing::Step::kHandOff) HandOff(filedPage);
  return 1;
}

// The source is closed now; the document is looked for once the library's call that delivered
// the prescan has returned.
void CScanJob::ClosePrescan() {
  m_closingPrescan = true;
  const CLibraryBinding& scanner = m_program.Libraries();
  if (scanner.DcAppTerminateDS) scanner.DcAppTerminateDS();
  m_closingPrescan = false;
  m_secondPassDue = m_host.StartTimer(kSecondPassTimerId, kSecondPassDelayMs);
}

void CScanJob::OnTimer(UINT_PTR id) {
  if (id == kSecondPassTimerId && m_secondPassDue) RunSecondPass();
  OnDocumentTimer(id);
}

void CScanJob::RunSecondPass() {
  CancelSecondPass();
  const CString prescan = m_order.page;

  CRectObj area;
  const size_t firstFound = m_detected.size();
  const DocumentSearch found = FindDocumentArea(prescan.c_str(), m_detected, m_passCounter, area);
  if (found == DocumentSearch::kFound) PlanDocuments(firstFound, area);
  if (found == DocumentSearch::kNoMemory) {
    MessageBoxA(nullptr, m_program.LocalText(IDS_AUTOMODE_NO_MEMORY).c_str(),
                m_program.LocalText(IDS_AUTOMODE_CAPTION).c_str(), MB_OK);
  }
  m_fromGlass = true;
  AcquireRequest request = DocumentRequest(found == DocumentSearch::kFound ? &area : nullptr);
  m_pagesArrived = 0;
  RunAcquisition(request);
  if (JobFiles::FileExists(prescan.c_str())) DeleteFileA(prescan.c_str());
}

// The scan of one document found on the prescan (or of the first paper when none was).
AcquireRequest CScanJob::DocumentRequest(const CRectObj* area) {
  bool autoSize = false;
  const Destination& destination = *m_order.destination;
  AcquireRequest request =
      BuildSecondPass(RequestInput(m_program, destination, m_host.PageFor(destination.id)), area, autoSize);
  m_autoSize = autoSize;
  return request;
}

void CScanJob::CancelSecondPass() {
  if (!m_secondPassDue) return;
  m_host.StopTimer(kSecondPassTimerId);
  m_secondPassDue = false;
}

// --- The hand-off --------------------------------------------------------------------------

void CScanJob::HandOff(const CString& page) {
  if (m_handOffsStopped) {
    // An earlier page of the batch could not be handed off: this one stays in TEMP too.
    PageDealtWith();
    return;
  }
  m_order.page = page;
  m_order.pages.Add(page);
  const HandOffOutcome outcome = m_order.destination->handOffPage(m_order, Desk());
  JobTimes::Mark("handed_off");
  switch (outcome.result) {
    case HandOffResult::kAtWork:
      m_outsidePending = true;
      return;
    case HandOffResult::kNotHanded:
      StopHandOffs(outcome.messageId);
      break;
    case HandOffResult::kHandedOff:
      break;
  }
  PageDealtWith();
}

// Why a page could not be filed, as the user reads it.
CString CScanJob::FilingFailure(PageFiling::Outcome outcome, const PageFiling::FileTrouble& trouble) const {
  switch (outcome) {
    case PageFiling::Outcome::kNoPage:
      return m_program.LocalText(IDS_SCANNER_PAGE_FAILED);
    case PageFiling::Outcome::kInUse:
      return FillPlaceholders(m_program.LocalText(IDS_FILE_IN_USE), {trouble.file}) + "\n\n" +
             m_program.LocalText(IDS_JOB_FILE_FAILED);
    case PageFiling::Outcome::kNoRoom: {
      uint64_t freeBytes = 0;
      FreeDiskSpace(trouble.file.c_str(), freeBytes);
      return FillPlaceholders(
          m_program.LocalText(IDS_DISK_NO_ROOM),
          {DiskRoot(trouble.file.c_str()), ByteSizeText(trouble.needed), ByteSizeText(freeBytes)});
    }
    default:
      return m_program.LocalText(IDS_JOB_FILE_FAILED);
  }
}

// Another program holds a page's file (`uncompressed`: the page itself, which goes on as it
// came; else the original beside the compressed page, which stays). Said once per job: a
// batch would otherwise bring it for every page.
void CScanJob::TellInUse(const CString& file, bool uncompressed) {
  if (m_inUseTold) return;
  m_inUseTold = true;
  const CString then = uncompressed
                           ? m_program.LocalText(IDS_PAGE_UNCOMPRESSED)
                           : FillPlaceholders(m_program.LocalText(IDS_FILE_LEFT), {m_program.TempDir()});
  Tell(FillPlaceholders(m_program.LocalText(IDS_FILE_IN_USE), {file}) + "\n\n" + then,
       m_program.WindowTitle());
}

// The page at work is done with: the next waiting page goes, or the job ends.
void CScanJob::PageDealtWith() {
  m_outsidePending = false;
  CString next;
  switch (m_pacing.PageDone(next)) {
    case CHandOffPacing::Step::kHandOff:
      HandOff(next);
      break;
    case CHandOffPacing::Step::kEnd:
      EndOrNextDocument();
      break;
    case CHandOffPacing::Step::kWait:
      break;
  }
}

// A page could not be handed off: it and the batch's later pages stay in TEMP, and the user
// learns why and where, once.
void CScanJob::StopHandOffs(unsigned messageId) {
  if (m_handOffsStopped) return;
  m_handOffsStopped = true;
  Tell(KeptNotice(messageId), m_program.WindowTitle());
}

// `messageId`'s text, then where the scans are kept.
CString CScanJob::KeptNotice(UINT messageId) const {
  return m_program.LocalText(messageId) + "\n\n" +
         CString::Format(m_program.LocalText(IDS_SCAN_KEPT).c_str(), m_program.TempDir().c_str());
}

void CScanJob::OnOcrEnded(OcrOutcome outcome, const char* outputFile) {
  if (outcome == OcrOutcome::kWaiting || !m_pacing.Working()) return;
  if (outcome == OcrOutcome::kPdfNoViewer) {
    Tell(CString::Format(m_program.LocalText(IDS_OCR_PDF_NO_VIEWER).c_str(), outputFile),
         m_program.LocalText(IDS_SCAN_DIALOG_CAPTION));
  } else if (outcome == OcrOutcome::kTextShown) {
    Tell(CString::Format(m_program.LocalText(IDS_OCR_TEXT_NO_PROGRAM).c_str(), outputFile),
         m_program.LocalText(IDS_SCAN_DIALOG_CAPTION));
  } else if (const UINT message = OcrMessageFor(outcome)) {
    // No document came of the page: its image stays in TEMP, and the message says where.
    Tell(KeptNotice(message), m_program.LocalText(IDS_SCAN_DIALOG_CAPTION));
    PageDealtWith();
    return;
  }
  // The document is kept in DATA: the page's image goes (once another program lets go of it).
  const CString page = m_pacing.PageAtWork();
  if (JobFiles::FileExists(page.c_str())) RetryWhileInUse([&] { return DeleteFileA(page.c_str()) != FALSE; });
  PageDealtWith();
}

// The delivering call has returned: the batch is complete.
void CScanJob::LeaveDelivery() {
  if (m_pacing.LeaveDelivery() == CHandOffPacing::Step::kEnd && m_running) EndOrNextDocument();
}

// The pages handed off so far go on as one (a PDF by mail). Every end of a running job comes
// here first, so that a batch stopped or cut short still delivers what was scanned.
void CScanJob::HandOffBatch() {
  const Destination* destination = m_order.destination;
  if (!destination || !destination->handOffBatch || m_handOffsStopped) return;
  const HandOffOutcome outcome = destination->handOffBatch(m_order, Desk());
  JobTimes::Mark("batch_handed_off");
  if (outcome.result == HandOffResult::kNotHanded) StopHandOffs(outcome.messageId);
}

// --- Progress, stop, abort -------------------------------------------------------------------

// The window names the page now coming: the first, or a later page of a feeder batch.
void CScanJob::OpenProgress() {
  const CString line = PageLine(m_program.LocalText(IDS_SCANNING_PAGE).str(), m_pagesArrived + 1);
  ProgressTexts texts{m_program.LocalText(IDS_SCANNING), line, m_program.LocalText(IDS_STOP_SCANNING)};
  auto progress = std::make_unique<CScanProgressDlg>(m_host.JobWindow(), texts);
  if (progress->Open()) m_progress = std::move(progress);
}

void CScanJob::OnProgress(WPARAM position, LPARAM range) {
  // The window went when the last page arrived; a later page of the batch starting to come
  // brings it back, so that Stop and Escape reach the whole batch. Not once the job stops.
  if (!m_progress && m_running && m_pagesArrived > 0 && !m_autoSize && m_pacing.Delivering()) OpenProgress();
  if (m_progress) m_progress->ShowProgress(static_cast<int>(position), static_cast<int>(range));
}

void CScanJob::StopScan() {
  DestroyProgress();
  const CLibraryBinding& scanner = m_program.Libraries();
  if (scanner.TWEndXfer) scanner.TWEndXfer();
  End();
}

// An outside program that has the page ends the job: the page goes.
void CScanJob::Abort() {
  const CString page = m_pacing.Working() ? m_pacing.PageAtWork() : m_order.page;
  if (!page.IsEmpty() && JobFiles::FileExists(page.c_str())) DeleteFileA(page.c_str());
  End();
}

// The source closed itself (its own window closed, say) before any page came: nothing else
// would end the hidden panel.
void CScanJob::OnSourceClosed() {
  if (!m_running || m_closingPrescan || m_pagesArrived > 0) return;
  DestroyProgress();
  End();
}

void CScanJob::DestroyProgress() {
  std::unique_ptr<CScanProgressDlg> progress = std::move(m_progress);
  if (progress) progress->DestroyWindow();
}

void CScanJob::OnPanelDestroyed() { DestroyProgress(); }

// A job that cannot go on says why once and ends, rather than leave a hidden program behind.
void CScanJob::FailJob(const CString& text) {
  DestroyProgress();
  if (!m_failureShown) {
    m_failureShown = true;
    MessageBoxA(nullptr, text.c_str(), m_program.WindowTitle().c_str(),
                MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
  }
  End();
}

// --- The end ---------------------------------------------------------------------------------

void CScanJob::End() {
  if (m_running) {
    m_running = false;
    HandOffBatch();
    TellLeftOut();
  }
  m_host.EndPanel();
}

HandOffDesk CScanJob::Desk() {
  return HandOffDesk{m_program, m_outlets.view, m_outlets.frame, m_host.JobWindow(), *this};
}

void CScanJob::Tell(const CString& text, const CString& caption) const {
  ::MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}
