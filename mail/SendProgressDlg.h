// CSendProgressDlg: the modeless progress window shown while a message is sent: a progress
// bar, a status text and a Cancel button that sets the send cancel flag (it does not close
// the window).
#pragma once

#include <functional>

#include "framework/Dialog.h"
#include "mail/ProgressThrottle.h"

class CSendProgressDlg : public CDialog {
 public:
  // `onCancel` runs when Cancel is pressed.
  explicit CSendProgressDlg(std::function<void()> onCancel);
  // Creates the window without owner, above all others, shown and painted at once.
  bool Open();
  void SetRange(WORD upper);
  void SetPos(unsigned position);
  void SetStatus(const CString& text) const;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override {}
  void OnCancel() override {}

 private:
  CProgressThrottle m_throttle;
  std::function<void()> m_onCancel;
};
