// CMessageWindowDlg: the small topmost message window (dialog 241) of the Japanese edition's
// OCR route, telling the user that the OCR application is missing.
#pragma once

#include "framework/Dialog.h"
#include "framework/Handles.h"

class CMessageWindowDlg : public CDialog {
 public:
  CMessageWindowDlg();

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  CGdiObject m_font;
};
