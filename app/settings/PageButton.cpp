// CPageButton.
#include "app/settings/PageButton.h"

#include "framework/Dpi.h"
#include "framework/Module.h"

bool CPageButton::Attach(HWND dialog, int id, UINT upBitmap, UINT downBitmap, UINT focusBitmap) {
  if (!SubclassDlgItem(id, dialog)) return false;
  m_faceIds[0] = upBitmap;
  m_faceIds[1] = downBitmap;
  m_faceIds[2] = focusBitmap;
  LoadFaces(Dpi::ForWindow(dialog));
  return true;
}

void CPageButton::LoadFaces(UINT dpi) {
  const HINSTANCE module = Module::Instance();
  m_up.Load(module, MAKEINTRESOURCEA(m_faceIds[0]), dpi);
  m_down.Load(module, MAKEINTRESOURCEA(m_faceIds[1]), dpi);
  m_focus.Load(module, MAKEINTRESOURCEA(m_faceIds[2]), dpi);
}

SIZE CPageButton::SizeToContent() const {
  SIZE size = {m_up.Width(), m_up.Height()};
  if (m_hWnd && m_up.IsLoaded()) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (m_hWnd) {
    const RECT r = GetWindowRect();
    size = SIZE{r.right - r.left, r.bottom - r.top};
  }
  return size;
}

void CPageButton::Draw(const DRAWITEMSTRUCT& item) const {
  const CScaledBitmap* face = &m_up;
  if (item.itemState & ODS_SELECTED) {
    face = &m_down;
  } else if ((item.itemState & ODS_FOCUS) && m_focus.IsLoaded()) {
    face = &m_focus;
  }
  if (!face->IsLoaded()) face = &m_up;
  face->Draw(item.hDC, item.rcItem.left, item.rcItem.top, &item.rcItem);
}

LRESULT CPageButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE && m_onHover) m_onHover();
  // The face covers the whole control, so there is nothing to erase.
  if (message == WM_ERASEBKGND) return TRUE;
  return Default(message, wParam, lParam);
}
