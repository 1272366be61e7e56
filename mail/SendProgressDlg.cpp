// CSendProgressDlg.
#include "mail/SendProgressDlg.h"

#include <commctrl.h>

#include "mail/MailApp.h"
#include "resources/postlib/resource.h"

CSendProgressDlg::CSendProgressDlg() : CDialog(IDD_SEND_PROGRESS) {}

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
  m_upper = upper;
  RECT bar = {};
  ::GetClientRect(GetDlgItem(IDC_PROGRESS_BAR), &bar);
  m_barWidth = bar.right - bar.left;
  ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, upper));
  m_shown = static_cast<unsigned>(::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0));
}

long long CSendProgressDlg::PixelOf(unsigned position) const {
  const unsigned clamped = position < m_upper ? position : m_upper;
  return m_upper == 0 ? 0 : static_cast<long long>(clamped) * m_barWidth / m_upper;
}

void CSendProgressDlg::SetPos(unsigned position) {
  // The bar repaints at once on every new position; a position that would not move it by a
  // pixel is not handed on, which keeps a send of thousands of lines from painting each one.
  if (m_barWidth > 0 && position != 0 && PixelOf(position) == PixelOf(m_shown)) return;
  m_shown = position;
  ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, position, 0);
}

void CSendProgressDlg::SetStatus(const CString& text) const {
  ::SetDlgItemTextA(m_hWnd, IDC_PROGRESS_TEXT, text);
}

bool CSendProgressDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_PROGRESS_CANCEL) {
    CMailApp::Get().SetSendCancel();
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}
