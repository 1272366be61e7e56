// COrvaneView: the OCR hand-off's entries; the end of each page's OCR goes to the job.
#include "app/OrvaneView.h"

bool COrvaneView::StartOcr(const OcrJob& job, IOcrJobOwner& owner) {
  if (!m_ocr.Start(m_hWnd, ::GetParent(m_hWnd), job)) return false;
  m_owner = &owner;
  return true;
}

void COrvaneView::OnTimer(UINT_PTR id) { Ended(m_ocr.OnTimer(m_hWnd, id)); }

bool COrvaneView::OnCommand(WORD id, WORD code, HWND control) {
  if (id != OcrValues::kPasteCommand) return false;
  Ended(m_ocr.OnPaste(m_hWnd));
  return true;
}

void COrvaneView::OnDestroy() { m_ocr.OnViewDestroyed(m_hWnd); }

void COrvaneView::Ended(OcrOutcome outcome) {
  if (outcome == OcrOutcome::kWaiting || !m_owner) return;
  IOcrJobOwner* owner = m_owner;
  m_owner = nullptr;
  owner->OnOcrEnded(outcome, m_ocr.OutputFile());
}
