// What the scan job needs of the window that runs it (the front panel, which implements it),
// and the parts of the hidden frame the job's hand-offs use.
#pragma once

#include <windows.h>

#include <cstdint>

class COrvaneView;
class CSettingsPage;

class IJobHost {
 public:
  // The window the acquisition library tells about pages and that owns the job's windows.
  virtual HWND JobWindow() const = 0;
  // The host hides while the job runs and ends when the job is done.
  virtual void HideForJob() = 0;
  virtual void EndPanel() = 0;
  // A timer of the host's window whose ticks come back to the job (CScanJob::OnTimer).
  virtual bool StartTimer(UINT_PTR id, UINT ms) = 0;
  virtual void StopTimer(UINT_PTR id) = 0;
  // Tells the resident scanner-button program: 1 when a scan starts, 0 when the panel ends.
  virtual void NotifyWatcher(WPARAM wParam) const = 0;
  // The settings page of destination `id`; null for none.
  virtual CSettingsPage* PageFor(uint16_t id) = 0;

 protected:
  ~IJobHost() = default;
};

// The hidden frame's parts that the hand-offs use.
struct JobOutlets {
  COrvaneView* view = nullptr;  // prints and runs the OCR engine; may be null
  HWND frame = nullptr;         // owner of the mail library's windows
};
