// CPrintStatusDlg: the printing status window shown while a job is spooled, titled with the
// application title, with the document (line 201), the printer (203), the page (204) and a
// Cancel button (2) that cancels the job. Its abort procedure keeps it responsive.
#pragma once

#include "framework/Dialog.h"

class CPrintStatusDlg : public CDialog {
 public:
  static const int kDocumentLine = 201;
  static const int kPrinterLine = 203;
  static const int kPageLine = 204;

  CPrintStatusDlg() : CDialog(0) {}
  ~CPrintStatusDlg() override;

  // Creates the window (not yet shown), owned by `owner`.
  bool Create(HWND owner, const char* title);
  void SetLine(int id, const char* text) const;

  bool UserAborted() const { return m_userAbort; }
  // Handles the status window's waiting messages; false once the user has cancelled.
  bool Pump();

  // The abort procedure of the printer DC: pumps the status window of the job that runs.
  static BOOL CALLBACK AbortProc(HDC dc, int code);

 protected:
  // Cancel (or Escape) cancels the job; the window stays until the job has ended.
  void OnCancel() override;
  void OnOK() override {}

 private:
  static CPrintStatusDlg* s_running;
  bool m_userAbort = false;
};
