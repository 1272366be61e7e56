// CView's print command: the printing procedure around the view's printing steps.
#include "framework/FrameWnd.h"
#include "framework/PrintStatusDlg.h"

namespace {

// Makes the printer DC the abort procedure's for as long as the job runs.
class CAbortProcScope {
 public:
  explicit CAbortProcScope(HDC dc) : m_dc(dc) { SetAbortProc(m_dc, &CPrintStatusDlg::AbortProc); }
  ~CAbortProcScope() { SetAbortProc(m_dc, nullptr); }
  CAbortProcScope(const CAbortProcScope&) = delete;
  CAbortProcScope& operator=(const CAbortProcScope&) = delete;

 private:
  HDC m_dc;
};

}  // namespace

bool CView::DoPreparePrinting(CPrintInfo* info) {
  CPrinterSettings& settings = m_printerSettings;
  if (!settings.IsSet() && !settings.LoadDefault(0)) return false;
  info->m_printerDC = settings.CreatePrinterDC();
  info->m_deviceName = settings.DeviceName();
  return info->m_printerDC.IsValid();
}

void CView::OnPrepareDC(HDC dc, CPrintInfo* info) {
  info->m_bContinuePrinting = info->m_nMaxPage != 0xFFFF || info->m_nCurPage == 1;
}

CView::PrintResult CView::OnFilePrint(const CString& appName) {
  CPrintInfo info;
  if (!OnPreparePrinting(&info) || !info.m_printerDC.IsValid()) return kNoPrinter;
  HDC dc = info.m_printerDC.Get();
  const CString docTitle = m_document && !m_document->GetTitle().IsEmpty() ? m_document->GetTitle() : appName;

  CPrintStatusDlg status;
  if (status.Create(::GetAncestor(m_hWnd, GA_ROOT), appName.c_str())) {
    status.SetLine(CPrintStatusDlg::kDocumentLine, docTitle.c_str());
    status.SetLine(CPrintStatusDlg::kPrinterLine, info.m_deviceName.c_str());
    status.ShowWindow(SW_SHOW);
    ::UpdateWindow(status.GetSafeHwnd());
    info.m_statusWnd = status.GetSafeHwnd();
  }

  OnBeginPrinting(dc, &info);
  PrintResult result = kPrinted;
  {
    CAbortProcScope abortProc(dc);
    DOCINFOA document = {};
    document.cbSize = sizeof(document);
    document.lpszDocName = docTitle.c_str();
    if (StartDocA(dc, &document) <= 0) {
      result = status.UserAborted() ? kCancelled : kStartFailed;
    } else {
      result = PrintPages(dc, &info, &status);
      if (result == kPrinted) {
        if (EndDoc(dc) <= 0) result = kFailed;
      } else {
        AbortDoc(dc);
      }
    }
  }
  OnEndPrinting(dc, &info);
  info.m_statusWnd = nullptr;
  status.DestroyWindow();
  return result;
}

CView::PrintResult CView::PrintPages(HDC dc, CPrintInfo* info, CPrintStatusDlg* status) {
  bool printed = false;
  for (UINT page = info->m_nMinPage; page <= info->m_nMaxPage; ++page) {
    info->m_nCurPage = page;
    OnPrepareDC(dc, info);
    if (!info->m_bContinuePrinting) break;
    if (status->GetSafeHwnd())
      status->SetLine(CPrintStatusDlg::kPageLine, CString::Format("%u", page).c_str());
    if (!status->Pump()) return kCancelled;
    if (StartPage(dc) <= 0) return status->UserAborted() ? kCancelled : kFailed;
    OnPrint(dc, info);
    if (info->m_bAbortJob) return kWithdrawn;
    if (!status->Pump()) return kCancelled;
    if (EndPage(dc) <= 0) return status->UserAborted() ? kCancelled : kFailed;
    printed = true;
    if (page == 0xFFFF) break;
  }
  // A job without a page would only spool an empty document.
  return printed ? kPrinted : kWithdrawn;
}
