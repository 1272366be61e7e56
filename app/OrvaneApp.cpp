// COrvaneApp: start-up, single instance, the modal panel and the exit.
#include "app/OrvaneApp.h"

#include <ole2.h>

#include "app/MainFrame.h"
#include "app/OrvaneDoc.h"
#include "app/OrvaneView.h"
#include "app/PanelDlg.h"
#include "resources/orvane/resource.h"

// The one application object.
COrvaneApp theApp;

COrvaneApp::COrvaneApp() = default;

COrvaneApp::~COrvaneApp() = default;

bool COrvaneApp::InitInstance() {
  // The libraries come first: each reads the settings as it loads. A missing one ends the
  // process with its message.
  m_binding.Bind();
  m_context = std::make_unique<CProgramContext>(m_hInstance, m_binding);

  if (ActivateOtherInstance()) return false;

  if (FAILED(OleInitialize(nullptr))) {
    MessageBoxA(nullptr, m_context->OwnText(IDS_OLE_INIT_FAILED).c_str(), m_context->WindowTitle().c_str(),
                MB_OK | MB_ICONSTOP);
    return false;
  }
  m_oleStarted = true;
  m_imaging = std::make_unique<CScanImage::CSession>();
  if (!CreateHiddenFrame()) return false;

  auto* view = static_cast<COrvaneView*>(m_frame->GetActiveView());
  CPanelDlg panel(*m_context, JobOutlets{view, m_frame->GetSafeHwnd()});
  m_panel = &panel;
  panel.DoModal();
  m_panel = nullptr;
  return false;
}

int COrvaneApp::ExitInstance() {
  if (m_binding.DcAppTerminateDS) m_binding.DcAppTerminateDS();
  m_context.reset();
  m_docTemplate.reset();
  m_frame = nullptr;
  m_pMainWnd = nullptr;
  m_imaging.reset();
  if (m_oleStarted) OleUninitialize();
  m_oleStarted = false;
  return CWinApp::ExitInstance();
}

bool COrvaneApp::PreTranslateMessage(MSG* msg) {
  // The scanner's data source sees every queued message first.
  if (m_panel && m_panel->OfferToSource(msg)) return true;
  if (m_panel && m_panel->OfferAccessKey(*msg)) return true;
  return CWinApp::PreTranslateMessage(msg);
}

bool COrvaneApp::ActivateOtherInstance() const {
  HWND other = FindWindowA(nullptr, m_context->WindowTitle().c_str());
  if (!other) return false;
  if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
  SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(other, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(other);
  return true;
}

bool COrvaneApp::CreateHiddenFrame() {
  m_docTemplate = std::make_unique<CSingleDocTemplate>(
      IDR_MAINFRAME, []() -> CDocument* { return new COrvaneDoc; },
      []() -> CFrameWnd* { return new CMainFrame; }, []() -> CView* { return new COrvaneView; });
  // The frame's own title differs from the panel's, so that the single-instance search
  // never finds the hidden frame.
  const CString frameTitle = "Untitled - " + m_context->OwnText(IDS_APP_TITLE);
  CFrameWnd* frame = m_docTemplate->OpenNewDocument(frameTitle.c_str());
  if (!frame) return false;
  frame->ShowWindow(SW_HIDE);
  frame->MoveWindow(0, 200, 10, 10);
  m_frame = frame;
  m_pMainWnd = frame;
  return true;
}
