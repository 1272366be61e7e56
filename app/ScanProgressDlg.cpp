// CScanProgressDlg.
#include "app/ScanProgressDlg.h"

#include <commctrl.h>

#include "resources/orvane/resource.h"

CScanProgressDlg::CScanProgressDlg(HWND owner, const ProgressTexts& texts)
    : CDialog(IDD_SCAN_PROGRESS, owner), m_owner(owner), m_texts(texts) {}

CScanProgressDlg::~CScanProgressDlg() = default;

bool CScanProgressDlg::Open() {
  if (!Create(m_owner)) return false;
  ShowWindow(SW_SHOW);
  UpdateWindow(m_hWnd);
  SetCapture(m_hWnd);
  return true;
}

bool CScanProgressDlg::OnInitDialog() {
  m_bar = GetDlgItem(IDC_PROGRESS_BAR);
  ::SendMessageA(m_bar, PBM_SETPOS, 0, 0);
  ::SendMessageA(m_bar, PBM_SETSTEP, 1, 0);
  m_position = 0;
  MakeTopmost();
  SetWindowText(m_texts.caption.c_str());
  SetLine(m_texts.line.c_str());
  SetDlgItemTextA(m_hWnd, IDC_PROGRESS_STOP, m_texts.stop.c_str());
  m_timer = SetTimer(kEscapeTimer, kEscapePollMs);
  return true;
}

void CScanProgressDlg::ShowProgress(int position, int range) {
  ShowWindow(SW_SHOW);
  if (range != 0) ::SendMessageA(m_bar, PBM_SETRANGE32, 0, range);
  ::SendMessageA(m_bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  m_position = position;
}

void CScanProgressDlg::SetLine(const char* text) const {
  SetDlgItemTextA(m_hWnd, IDC_PROGRESS_TEXT, text);
  // The line changes while the job works without returning to the queue: show it now.
  UpdateWindow(GetDlgItem(IDC_PROGRESS_TEXT));
}

void CScanProgressDlg::MakeTopmost() const {
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The request is posted: the panel destroys this window when it handles it, which must not
// happen while one of this window's own handlers is still running.
void CScanProgressDlg::RequestStop() {
  if (m_stopRequested) return;
  m_stopRequested = true;
  ::PostMessageA(m_owner, WM_SCAN_STOP, 0, 0);
}

bool CScanProgressDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_PROGRESS_STOP) {
    RequestStop();
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}

void CScanProgressDlg::OnTimer(UINT_PTR id) {
  if (id != kEscapeTimer) return;
  // Down now, or pressed and released since the last tick: a short tap counts too.
  if (GetAsyncKeyState(VK_ESCAPE) & 0x8001) {
    KillTimer(m_timer);
    m_timer = 0;
    RequestStop();
  }
}

// While the window holds the mouse capture, clicks reach the window rather than its button:
// a release over the button is the button's click.
void CScanProgressDlg::OnLButtonUp(UINT flags, POINT point) {
  if (GetCapture() != m_hWnd) return;
  HWND stop = GetDlgItem(IDC_PROGRESS_STOP);
  if (ChildWindowFromPointEx(m_hWnd, point, CWP_SKIPINVISIBLE) == stop) RequestStop();
}

void CScanProgressDlg::OnDestroy() {
  if (m_timer) {
    KillTimer(m_timer);
    m_timer = 0;
  }
  if (GetCapture() == m_hWnd) ReleaseCapture();
}

bool CScanProgressDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  if (message == WM_SHOWWINDOW && wParam) MakeTopmost();
  return false;
}
