// COrvaneView: the OCR hand-off's entries, and the end of an OCR job (its message and the
// panel's end).
#include "app/OrvaneApp.h"
#include "app/OrvaneView.h"
#include "app/PanelDlg.h"
#include "framework/Module.h"
#include "resources/orvane/resource.h"

namespace {
UINT MessageFor(OcrOutcome outcome) {
  switch (outcome) {
    case OcrOutcome::kNoText:
      return IDS_OCR_NO_TEXT;
    case OcrOutcome::kEngineFailed:
      return IDS_OCR_ENGINE_FAILED;
    case OcrOutcome::kTextNotSaved:
      return IDS_OCR_TEXT_NOT_SAVED;
    default:
      return 0;
  }
}
}  // namespace

bool COrvaneView::StartOcr() {
  COrvaneApp& app = App();
  if (!app.m_pPanel) return false;
  const COcrPage& page = app.m_pPanel->OcrPage();
  if (page.ProgramPath().IsEmpty()) return false;
  OcrJob job;
  job.mode = page.ProgramKeyId() == IDS_OCR_KEY_96 ? OcrValues::kEdition96 : OcrValues::kEdition20;
  job.engineKey = LoadResourceString(Module::Instance(), page.ProgramKeyId());
  job.engineProgram = page.ProgramPath();
  job.imagePath = app.m_imagePath;
  job.programDir = app.m_programDir;
  return m_ocr.Start(m_hWnd, ::GetParent(m_hWnd), job);
}

void COrvaneView::OnTimer(UINT_PTR id) { EndOcrJob(m_ocr.OnTimer(m_hWnd, id)); }

bool COrvaneView::OnCommand(WORD id, WORD code, HWND control) {
  if (id != OcrValues::kPasteCommand) return false;
  EndOcrJob(m_ocr.OnPaste(m_hWnd));
  return true;
}

void COrvaneView::OnDestroy() { m_ocr.OnViewDestroyed(m_hWnd); }

void COrvaneView::EndOcrJob(OcrOutcome outcome) {
  if (outcome == OcrOutcome::kWaiting) return;
  COrvaneApp& app = App();
  if (const UINT message = MessageFor(outcome)) {
    // The panel is hidden: the box stands on its own, in front.
    ::MessageBoxA(nullptr, app.LoadLocalString(message).c_str(),
                  app.LoadLocalString(IDS_SCAN_DIALOG_CAPTION).c_str(),
                  MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
  }
  if (HWND panel = FindWindowA(nullptr, app.m_windowTitle.c_str()))
    ::SendMessageA(panel, WM_PANEL_ABORT, 0, 0);
}
