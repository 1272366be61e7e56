// The hand-off of a filed page to its destination: the one table in which a destination plugs
// into the scan job.
#pragma once

#include <cstdint>

class CPanelDlg;

enum class HandOffEnd {
  kEndPanel,   // the destination has the page: the job ends
  kKeepPanel,  // the destination works on and ends the job itself (OCR)
};

// Hands the job's current page (the application's image path) to `destination`.
HandOffEnd HandOffPage(CPanelDlg& panel, uint16_t destination);
