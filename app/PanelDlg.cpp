// CPanelDlg: caption, the active destination's texts, HELP and INFO.
#include "app/PanelDlg.h"

#include "app/AboutDlg.h"
#include "app/OrvaneApp.h"
#include "app/settings/SettingsKeys.h"
#include "resources/orvane/resource.h"

namespace {
const int kTitleLine = 1100;
const int kDescriptionLine = 1101;
const WORD kHelpId = 1007;
const WORD kInfoId = 1008;
}  // namespace

CPanelDlg::CPanelDlg() : CDialog(IDD_PANEL) {}

bool CPanelDlg::OnInitDialog() {
  COrvaneApp& app = App();
  if (app.m_binding.DcAppInitProc) app.m_binding.DcAppInitProc(m_hWnd);
  SetWindowText(app.m_windowTitle.c_str());
  int active = app.Settings().ReadInt(Keys::kActiveDlg, Keys::kActiveId, 1000);
  if (active < 1000 || active > 1004) active = 1000;
  app.m_activeId = static_cast<WORD>(active);
  app.m_labelId = app.m_activeId;
  SetDlgItemTextA(m_hWnd, kTitleLine, app.LoadLocalString(app.m_labelId + 34).c_str());
  SetDlgItemTextA(m_hWnd, kDescriptionLine, app.LoadLocalString(app.m_labelId + 52).c_str());
  return true;
}

bool CPanelDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (id == kHelpId) {
    App().OpenHelp();
    return true;
  }
  if (id == kInfoId) {
    CAboutDlg about;
    about.DoModal();
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}
