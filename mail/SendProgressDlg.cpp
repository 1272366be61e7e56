// CSendProgressDlg.
#include "mail/SendProgressDlg.h"

#include <commctrl.h>

#include <utility>

#include "resources/postlib/resource.h"

CSendProgressDlg::CSendProgressDlg(std::function<void()> onCancel)
    : CDialog(IDD_SEND_PROGRESS), m_onCancel(std::move(onCancel)) {}

bool CSendProgressDlg::Open() {
  if (!Create(nullptr)) return false;
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowWindow(SW_SHOW);
  UpdateWindow(m_hWnd);
  return true;
}

bool CSendProgressDlg::OnInitDialog() {
  ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
  ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETSTEP, 1, 0);
  return true;
}

void CSendProgressDlg::SetRange(WORD upper) {
  RECT bar = {};
  ::GetClientRect(GetDlgItem(IDC_PROGRESS_BAR), &bar);
  ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, upper));
  m_throttle.SetRange(
      upper, bar.right - bar.left,
      static_cast<unsigned>(::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0)));
}

void CSendProgressDlg::SetPos(unsigned position) {
  if (m_throttle.Show(position, GetTickCount()))
    ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, position, 0);
}

void CSendProgressDlg::SetStatus(const CString& text) const {
  ::SetDlgItemTextA(m_hWnd, IDC_PROGRESS_TEXT, text);
}

bool CSendProgressDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_PROGRESS_CANCEL) {
    if (m_onCancel) m_onCancel();
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}
