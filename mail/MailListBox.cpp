// CMailListBox.
#include "mail/MailListBox.h"

LRESULT CMailListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_owner) {
    if (message == WM_MOUSEMOVE) m_owner->RelayToolTip(m_hWnd, message, wParam, lParam);
    if (message == WM_KEYDOWN && wParam == VK_DELETE) {
      m_owner->OnListDeleteKey(*this);
      return 0;
    }
  }
  return Default(message, wParam, lParam);
}
