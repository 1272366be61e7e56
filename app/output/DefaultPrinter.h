// CDefaultPrinterSwitch: makes a job's printer the system's default printer for as long as the
// object lives, and puts the previous default back whatever happens to the job.
#pragma once

#include "framework/String.h"

class CDefaultPrinterSwitch {
 public:
  CDefaultPrinterSwitch();
  ~CDefaultPrinterSwitch();
  CDefaultPrinterSwitch(const CDefaultPrinterSwitch&) = delete;
  CDefaultPrinterSwitch& operator=(const CDefaultPrinterSwitch&) = delete;

  // Makes `name` the default printer: `device` of `windows` in the system profile, and the
  // platform's own default where that is kept apart. False, with the previous default back in
  // place, when the printer is not installed or cannot be made the default.
  bool SwitchTo(const CString& name);

 private:
  void Restore();

  CString m_savedDevice;   // `windows`/`device` before the job
  CString m_savedDefault;  // the platform's default printer before the job
  bool m_switched = false;
};
