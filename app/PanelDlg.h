// CPanelDlg: the front panel (dialog 102), run modally by the application.
#pragma once

#include "framework/Dialog.h"

class CPanelDlg : public CDialog {
 public:
  CPanelDlg();

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override {}
  void OnCancel() override {}
  void OnClose() override { EndDialog(IDCANCEL); }
};
