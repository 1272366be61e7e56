// CAboutDlg: the information box with the title, the version and one OK button, sized to
// its text and painted on the ABOUTBK background.
#pragma once

#include "app/ScaledBitmap.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"

class CProgramContext;

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(const CProgramContext& program);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnPaint() override;

 private:
  const CProgramContext& m_program;
  CString m_displayText;
  CGdiObject m_font;
  CScaledBitmap m_background;  // the tile, at the box's scale
};
