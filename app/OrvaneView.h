// COrvaneView: the view of the hidden frame. The scan job hands Copy and Fax pages to it for
// printing and OCR pages for the OCR hand-off; its timers serve the OCR hand-off.
#pragma once

#include "app/output/JobPrintView.h"
#include "app/output/OcrHandoff.h"

class COrvaneView : public CJobPrintView {
 public:
  // Prints the job's image on the output device of Copy (copy mode 1) or Fax (copy mode 0).
  void PrintJobImage(int copyMode);
  // Starts the OCR engine on the job's image; false when it could not be started.
  bool StartOcr();

 protected:
  // The OCR hand-off: its timer, the engine's Paste command (routed here by the frame) and
  // the restoring of the engine's values.
  void OnTimer(UINT_PTR id) override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnDestroy() override;

 private:
  void EndOcrJob(OcrOutcome outcome);

  COcrHandoff m_ocr;
};
