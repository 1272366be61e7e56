// COrvaneView: the view of the hidden frame. The scan job hands Copy and Fax pages to it for
// printing and OCR pages for the OCR hand-off; its timers serve the OCR hand-off.
#pragma once

#include "app/output/JobPrintView.h"

class COrvaneView : public CJobPrintView {
 public:
  // Prints the job's image on the output device of Copy (copy mode 1) or Fax (copy mode 0).
  void PrintJobImage(int copyMode);
  // Starts the OCR engine on the job's image; false when it could not be started.
  bool StartOcr();
};
