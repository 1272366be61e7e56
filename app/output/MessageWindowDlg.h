// CMessageWindowDlg: the small topmost message window (dialog 241) of the Japanese edition's
// OCR route, telling the user that the OCR application is missing.
#pragma once

#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/String.h"

class CMessageWindowDlg : public CDialog {
 public:
  static const int kFontHeight = 12;

  // `title`: the panel's window title; `font`: the interface font of kFontHeight, owned here.
  CMessageWindowDlg(const CString& title, HFONT font);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  CString m_title;
  CGdiObject m_font;
};
