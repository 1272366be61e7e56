// COrvaneView: the view of the hidden frame. The scan job hands Copy and Fax pages to it for
// printing (CJobPrintView::PrintJob) and OCR pages for the OCR hand-off; its timers serve the
// OCR hand-off.
#pragma once

#include "app/output/JobPrintView.h"
#include "app/output/OcrHandoff.h"

class COrvaneView : public CJobPrintView {
 public:
  // Starts the OCR engine on `job`'s image; `owner` hears when it has ended. False when it
  // could not be started.
  bool StartOcr(const OcrJob& job, IOcrJobOwner& owner);

 protected:
  // The OCR hand-off: its timer, the engine's Paste command (routed here by the frame) and
  // the restoring of the engine's values.
  void OnTimer(UINT_PTR id) override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnDestroy() override;

 private:
  void Ended(OcrOutcome outcome);

  COcrHandoff m_ocr;
  IOcrJobOwner* m_owner = nullptr;
};
