// CTipBitmapButton.
#include "mail/TipBitmapButton.h"

#include "mail/AddressBookDlg.h"

LRESULT CTipBitmapButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_owner) m_owner->RelayToolTip(m_hWnd, message, wParam, lParam);
  return Default(message, wParam, lParam);
}
