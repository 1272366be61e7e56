// CMessageWindowDlg.
#include "app/output/MessageWindowDlg.h"

#include "app/OrvaneApp.h"
#include "resources/orvane/resource.h"

namespace {
const int kFontHeight = 12;
}  // namespace

CMessageWindowDlg::CMessageWindowDlg() : CDialog(IDD_MESSAGE_WINDOW) {}

bool CMessageWindowDlg::OnInitDialog() {
  COrvaneApp& app = App();
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowText(app.m_windowTitle.c_str());
  m_font.Reset(app.CreateInterfaceFont(kFontHeight));
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
  // The text is Japanese whatever the system's code page: set it as wide characters.
  SetDlgItemTextW(m_hWnd, IDC_MESSAGE_TEXT, L"Selvora.exe\x304C\x898B\x3064\x304B\x308A\x307E\x305B\x3093");
  SetDlgItemTextA(m_hWnd, IDC_MESSAGE_OK, "OK");
  return true;
}

bool CMessageWindowDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_MESSAGE_OK) {
    EndDialog(IDOK);
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}
