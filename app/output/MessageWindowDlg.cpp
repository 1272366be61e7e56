// CMessageWindowDlg.
#include "app/output/MessageWindowDlg.h"

#include "resources/orvane/resource.h"

CMessageWindowDlg::CMessageWindowDlg(const CString& title, HFONT font)
    : CDialog(IDD_MESSAGE_WINDOW), m_title(title), m_font(font) {}

bool CMessageWindowDlg::OnInitDialog() {
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowText(m_title.c_str());
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
