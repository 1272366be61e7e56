// CPanelDlg: the scan job. SCAN stores the page, tells the watcher, hides the panel and starts
// the acquisition; each page that arrives is filed in TEMP, compressed and handed off; an
// automatic-size job prescans first and scans the document found on the prescan.
#include <cstring>

#include "app/DocumentFinder.h"
#include "app/HandOff.h"
#include "app/JobFiles.h"
#include "app/JobTimes.h"
#include "app/OrvaneApp.h"
#include "app/PageFiling.h"
#include "app/PanelDlg.h"
#include "app/ScanProgressDlg.h"
#include "app/ScanRequest.h"
#include "app/output/EditorCommand.h"
#include "app/output/EditorHandOff.h"
#include "app/output/EditorRegistry.h"
#include "app/output/MessageWindowDlg.h"
#include "app/output/ScanImage.h"
#include "app/settings/SettingsKeys.h"
#include "resources/orvane/resource.h"

using namespace Panel;

namespace {
const UINT_PTR kSecondPassTimer = 1;
const UINT kSecondPassDelayMs = 500;

// The settings section and the request identifier of each destination's scan.
struct JobTarget {
  uint16_t destination;
  const char* section;
  uint16_t requestId;
};
const JobTarget kTargets[] = {
    {kImage, Keys::kScanSetting, kScan}, {kCopy, Keys::kCopySetting, kCopy}, {kFax, Keys::kFaxSetting, kFax},
    {kMail, Keys::kMailSetting, kMail},  {kOcr, Keys::kOcrSetting, kOcr},
};

const JobTarget& TargetFor(uint16_t destination) {
  for (const JobTarget& target : kTargets) {
    if (target.destination == destination) return target;
  }
  return kTargets[0];
}

ScanRequestInput RequestInput(const JobTarget& target) {
  COrvaneApp& app = App();
  const CProfileFile& settings = app.Settings();
  const char* section = target.section;
  ScanRequestInput input;
  input.destinationId = target.requestId;
  input.settings.scanMode = settings.ReadInt(section, Keys::kScanMode, 0);
  input.settings.documentSize = settings.ReadInt(section, Keys::kDocumentSize, 0);
  input.settings.resolution = settings.ReadInt(section, Keys::kResolution, 0);
  input.settings.brightness = settings.ReadInt(section, Keys::kBrightness, 2);
  input.settings.contrast = settings.ReadInt(section, Keys::kContrast, 2);
  const int papers = app.m_paperNames.GetSize();
  if (papers > 0) {
    const CString& chosen = app.m_paperNames[PaperIndex(input.settings.documentSize, papers)];
    input.paperSize = app.Description().ReadText(Keys::kSupportSize, chosen.c_str(), "", 256);
    input.firstPaperSize =
        app.Description().ReadText(Keys::kSupportSize, app.m_paperNames[0].c_str(), "", 256);
  }
  const int table = target.destination - kImage;
  if (table >= 0 && table < COrvaneApp::kDestinationCount)
    input.resolutions = app.m_resolutionTables[table].get();
  input.prescan = PrescanGeometry{app.m_preScanDpi, app.m_preScanWidth, app.m_preScanHeight};
  return input;
}

int CompressionFor(uint16_t destination) {
  switch (destination) {
    case kImage:
    case kMail:
      return kImageFormatJpeg;
    case kOcr:
      return kImageFormatTiff;
    default:
      return 0;  // Copy and Fax print the page as it came
  }
}
}  // namespace

void CPanelDlg::StartScanJob() {
  COrvaneApp& app = App();
  JobTimes::Start();
  app.Settings().WriteText(Keys::kActiveDlg, Keys::kActiveId, CString::Format("%d", m_shownPageId).c_str());
  CSettingsPage* page = PageFor(m_shownPageId);
  if (!page || !page->Store()) return;
  if (app.m_languageId == kJapanese && m_shownPageId == kOcr) {
    StartJapaneseOcrRoute();
    return;
  }
  NotifyWatcher(1);
  ShowWindow(SW_HIDE);

  const JobTarget& target = TargetFor(app.m_activeId);
  if (target.destination == kImage) EditorHandOff::MakeEditorKnown();
  app.m_binding.m_sectionName = target.section;
  app.m_binding.m_destinationId = target.requestId;
  m_jobRunning = true;
  m_pageArrived = false;
  m_failureShown = false;
  m_attachments.RemoveAll();
  bool autoSize = false;
  AcquireRequest request = BuildScanRequest(RequestInput(target), autoSize);
  app.m_autoSize = autoSize ? 1 : 0;
  RunAcquisition(request);
}

// The Japanese edition hands OCR to an application of its own, which ends the hidden panel
// when it is done. Without that application nothing would ever end it: the panel ends then.
void CPanelDlg::StartJapaneseOcrRoute() {
  NotifyWatcher(0);
  const CString path = EditorRegistry::SelvoraPath();
  const bool started = !path.IsEmpty() && WinExec(path.c_str(), SW_SHOWNORMAL) > 31;
  if (path.IsEmpty()) {
    CMessageWindowDlg missing;
    missing.DoModal();
  }
  ShowWindow(SW_HIDE);
  if (!started) EndPanel();
}

void CPanelDlg::RunAcquisition(AcquireRequest& request) {
  COrvaneApp& app = App();
  if (!app.m_pProgressDlg) {
    auto* progress = new CScanProgressDlg(m_hWnd);
    if (progress->Open())
      app.m_pProgressDlg = progress;
    else
      delete progress;
  }
  JobTimes::Mark("acquisition_started");
  if (!app.m_binding.DcAppAcqProc || app.m_binding.DcAppAcqProc(&request) == 0) {
    DestroyProgress();
    EndPanel();
  }
}

bool CPanelDlg::OnJobMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_ACQ_RESULT:
      result = OnPageArrived(reinterpret_cast<const AcquireResult*>(lParam));
      break;
    case WM_ACQ_PROGRESS:
      OnProgress(wParam, lParam);
      result = 1;
      break;
    case WM_SCAN_STOP:
      StopScan();
      result = 0;
      break;
    case WM_PANEL_ABORT:
      AbortJob();
      result = 0;
      break;
    case WM_ACQ_CLOSED:
      OnSourceClosed();
      result = 0;
      break;
    default:
      return false;
  }
  SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
  return true;
}

INT_PTR CPanelDlg::OnPageArrived(const AcquireResult* page) {
  COrvaneApp& app = App();
  if (!page) {
    DestroyProgress();
    EndPanel();
    return 0;
  }
  JobTimes::Mark("page_arrived");
  m_pageArrived = true;
  m_lastResult = page;
  if (!PageFiling::FilePage(*page, app.m_programDir + "TEMP", app.m_programDir, m_currentFile)) {
    FailJob(IDS_JOB_FILE_FAILED);
    return 0;
  }
  JobTimes::Mark("page_filed");
  app.m_imageFileName = EditorCommand::FileNamePart(m_currentFile);
  const int format = CompressionFor(app.m_activeId);
  if (!app.m_autoSize && format != 0) PageFiling::CompressPage(m_currentFile, format, app.m_pProgressDlg);
  JobTimes::Mark("page_compressed");
  DestroyProgress();

  if (app.m_autoSize) {
    // The source is closed now; the document is looked for once the library's call that
    // delivered the prescan has returned.
    m_closingPrescan = true;
    if (app.m_binding.DcAppTerminateDS) app.m_binding.DcAppTerminateDS();
    m_closingPrescan = false;
    m_autoTimer = SetTimer(kSecondPassTimer, kSecondPassDelayMs);
    return 1;
  }
  CString(m_currentFile).CopyTo(app.m_imagePath, sizeof(app.m_imagePath));
  const HandOffEnd end = HandOffPage(*this, app.m_activeId);
  JobTimes::Mark("handed_off");
  if (end == HandOffEnd::kEndPanel) EndPanel();
  return 1;
}

void CPanelDlg::OnProgress(WPARAM position, LPARAM range) {
  CScanProgressDlg* progress = App().m_pProgressDlg;
  if (progress) progress->ShowProgress(static_cast<int>(position), static_cast<int>(range));
}

void CPanelDlg::StopScan() {
  DestroyProgress();
  if (App().m_binding.TWEndXfer) App().m_binding.TWEndXfer();
  EndPanel();
}

void CPanelDlg::AbortJob() {
  if (m_currentFile[0] && JobFiles::FileExists(m_currentFile)) DeleteFileA(m_currentFile);
  EndPanel();
}

// The source closed itself (its own window closed, say) before any page came: nothing else
// would end the hidden panel.
void CPanelDlg::OnSourceClosed() {
  if (!m_jobRunning || m_closingPrescan || m_pageArrived) return;
  DestroyProgress();
  EndPanel();
}

void CPanelDlg::OnTimer(UINT_PTR id) {
  if (id == kSecondPassTimer && m_autoTimer) RunSecondPass();
}

void CPanelDlg::RunSecondPass() {
  COrvaneApp& app = App();
  KillTimer(m_autoTimer);
  m_autoTimer = 0;
  char prescan[sizeof(m_currentFile)];
  std::memcpy(prescan, m_currentFile, sizeof(prescan));

  CRectObj area;
  const bool found = FindDocumentArea(prescan, area);
  bool autoSize = false;
  AcquireRequest request =
      BuildSecondPass(RequestInput(TargetFor(app.m_activeId)), found ? &area : nullptr, autoSize);
  app.m_autoSize = autoSize ? 1 : 0;
  m_pageArrived = false;
  RunAcquisition(request);
  if (JobFiles::FileExists(prescan)) DeleteFileA(prescan);
}

void CPanelDlg::DestroyProgress() {
  COrvaneApp& app = App();
  if (!app.m_pProgressDlg) return;
  CScanProgressDlg* progress = app.m_pProgressDlg;
  app.m_pProgressDlg = nullptr;
  progress->DestroyWindow();
  delete progress;
}

// A job that cannot go on says why once and ends, rather than leave a hidden program behind.
void CPanelDlg::FailJob(UINT messageId) {
  COrvaneApp& app = App();
  DestroyProgress();
  if (!m_failureShown) {
    m_failureShown = true;
    MessageBoxA(nullptr, app.LoadLocalString(messageId).c_str(), app.m_windowTitle.c_str(),
                MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
  }
  EndPanel();
}
