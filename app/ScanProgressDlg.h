// CScanProgressDlg: the modeless progress window (dialog 242) shown while a page is coming:
// "Scanning Page: 1" (the page's number), a progress bar, and "Stop Scanning". Stop and the
// Escape key (polled every 500 ms) ask the panel to stop the scan.
#pragma once

#include <windows.h>

#include "framework/Dialog.h"
#include "framework/String.h"

// Asks the front panel to stop the scan.
const UINT WM_SCAN_STOP = WM_USER + 112;

// The window's texts, localised by the job: caption, first line, Stop button.
struct ProgressTexts {
  CString caption;  // "Scanning..."
  CString line;     // "Scanning Page: 2" for the second page of a batch
  CString stop;     // "Stop Scanning"
};

class CScanProgressDlg : public CDialog {
 public:
  CScanProgressDlg(HWND owner, const ProgressTexts& texts);
  ~CScanProgressDlg() override;

  // Creates, shows and paints the window and gives it the mouse capture.
  bool Open();
  // Shows the window and moves the bar to `position`, with the range 0..`range` when nonzero.
  void ShowProgress(int position, int range);
  // Replaces the text line.
  void SetLine(const char* text) const;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override {}
  void OnCancel() override {}
  void OnClose() override {}
  void OnTimer(UINT_PTR id) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnDestroy() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  static const UINT_PTR kEscapeTimer = 5;
  static const UINT kEscapePollMs = 500;

  void RequestStop();
  void MakeTopmost() const;

  HWND m_owner;
  ProgressTexts m_texts;
  HWND m_bar = nullptr;
  int m_position = 0;
  UINT_PTR m_timer = 0;
  bool m_stopRequested = false;
};
