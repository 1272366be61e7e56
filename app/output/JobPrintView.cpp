// CJobPrintView: the print entry and the view's printing steps around the page.
#include "app/output/JobPrintView.h"

#include <commdlg.h>

#include <cstddef>

#include "app/output/DefaultPrinter.h"
#include "app/output/PrintRules.h"
#include "app/settings/SettingsKeys.h"
#include "framework/PrintStatusDlg.h"
#include "framework/Profile.h"

namespace {

// The print-setup dialog whose default settings a job takes (never shown).
const DWORD kSetupFlags = PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIES | PD_HIDEPRINTTOFILE;
const DWORD kNameText = 256;

}  // namespace

CView::PrintResult CJobPrintView::PrintJob(const CPrintJob& job) {
  const CProfileFile settings(job.settingsPath);
  const CString device = settings.ReadText(job.copyMode == 1 ? Keys::kCopySetting : Keys::kFaxSetting,
                                           Keys::kOutputDevice, "", kNameText);
  PrintResult result = kNoPrinter;
  {
    CDefaultPrinterSwitch defaultPrinter;
    HWND frame = ::GetAncestor(m_hWnd, GA_ROOT);
    if (frame) ::SetActiveWindow(frame);
    m_job = &job;
    m_copyMode = job.copyMode;
    if (defaultPrinter.SwitchTo(device) && SetPrinterSettings()) result = OnFilePrint(job.appTitle);
    m_job = nullptr;
  }
  // Told once the previous default printer is back.
  if (result == kNoPrinter) {
    ShowMessage(job, FillPlaceholder(job.texts.notAvailable, device));
  } else if (result == kStartFailed || result == kFailed) {
    ShowMessage(job, job.texts.printFailed);
  }
  return result;
}

void CJobPrintView::SetStatusLine(HWND status, int id, const CString& text) {
  if (status) SetDlgItemTextA(status, id, text.c_str());
}

bool CJobPrintView::SetPrinterSettings() {
  CPrinterSettings& printer = PrinterSettings();
  if (!printer.LoadDefault(kSetupFlags)) return false;
  DEVMODEA* mode = printer.LockDevMode();
  if (!mode) return false;
  // Fax jobs take the copies of the Copy settings too.
  const CProfileFile settings(m_job->settingsPath);
  if (mode->dmSize >= offsetof(DEVMODEA, dmCopies) + sizeof(mode->dmCopies)) {
    mode->dmCopies = PrintRules::CopiesForPrinter(settings.ReadInt(Keys::kCopySetting, Keys::kCopies, 1));
    mode->dmFields |= DM_COPIES;
  }
  if (mode->dmSize >= offsetof(DEVMODEA, dmDitherType) + sizeof(mode->dmDitherType)) {
    mode->dmDitherType = DMDITHER_COARSE;
    mode->dmFields |= DM_DITHERTYPE;
  }
  GlobalUnlock(printer.DevMode());
  return true;
}

void CJobPrintView::ShowMessage(const CPrintJob& job, const CString& text, HWND owner) const {
  MessageBoxA(owner, text.c_str(), job.appTitle.c_str(), MB_OK);
}

bool CJobPrintView::OnPreparePrinting(CPrintInfo* info) {
  m_textContinues = false;
  if (GetDocument()) GetDocument()->SetTitle(m_job->imageFileName.c_str());
  info->SetMaxPage(1);
  return DoPreparePrinting(info);
}

void CJobPrintView::OnPrepareDC(HDC dc, CPrintInfo* info) {
  CView::OnPrepareDC(dc, info);
  // The framework prepares only printer DCs here, so the page always goes on.
  info->m_bContinuePrinting = true;
}

void CJobPrintView::OnPrint(HDC dc, CPrintInfo* info) {
  const CPrintJob& job = *m_job;
  UpdateStatusWindow(*info);
  if (!m_textContinues) m_extension = PrintRules::Extension(job.imageFileName);
  const bool image = CScanImage::IsImageFile(job.imagePath.c_str());
  if (image) PrintImage(dc, info);
  SetStatusLine(info->m_statusWnd, CPrintStatusDlg::kDocumentLine, job.imageFileName);
  if (image) return;
  if (PrintRules::IsTextExtension(m_extension)) {
    PrintText(dc, info);
  } else {
    // Neither an image nor text: a blank sheet would be all the user got.
    ShowMessage(job, job.texts.printFailed, info->m_statusWnd);
    info->m_bAbortJob = true;
  }
}

void CJobPrintView::OnEndPrinting(HDC dc, CPrintInfo* info) {
  m_image.Release();
  // A text longer than its page is not continued: its file closes with the job.
  m_textFile.reset();
  m_textContinues = false;
}

void CJobPrintView::UpdateStatusWindow(const CPrintInfo& info) const {
  HWND status = info.m_statusWnd;
  if (!status) return;
  ::ShowWindow(status, SW_HIDE);
  ::SetWindowPos(status, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::ShowWindow(status, SW_SHOW);
  ::UpdateWindow(status);
  const CPrintTexts& texts = m_job->texts;
  SetStatusLine(status, IDCANCEL, texts.cancel);
  SetStatusLine(status, CPrintStatusDlg::kPrinterLine, PrintRules::StatusLine(texts.on, info.m_deviceName));
  SetStatusLine(status, CPrintStatusDlg::kPageLine,
                PrintRules::StatusLine(texts.page, CString::Format("%d", static_cast<int>(info.m_nCurPage))));
}
