// CWnd.
#include "framework/Wnd.h"

CString CWnd::GetWindowText() const {
  const int length = ::GetWindowTextLengthA(m_hWnd);
  if (length <= 0) return CString();
  CString text(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(m_hWnd, &text.str()[0], length + 1);
  text.str().resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

bool CWnd::DestroyWindow() {
  if (!m_hWnd) return false;
  HWND wnd = m_hWnd;
  m_hWnd = nullptr;
  return ::DestroyWindow(wnd) != FALSE;
}
