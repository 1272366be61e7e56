// CTipBitmapButton.
#include "mail/TipBitmapButton.h"

LRESULT CTipBitmapButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_owner) m_owner->RelayToolTip(m_hWnd, message, wParam, lParam);
  return Default(message, wParam, lParam);
}
