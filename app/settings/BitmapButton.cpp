// CBitmapButton.
#include "app/settings/BitmapButton.h"

#include "framework/Module.h"

namespace {
const char kSelfProperty[] = "OrvaneBitmapButton";
}

CBitmapButton::~CBitmapButton() { Detach(); }

bool CBitmapButton::Attach(HWND dialog, int id, UINT upBitmap, UINT downBitmap, UINT focusBitmap) {
  Detach();
  m_button = GetDlgItem(dialog, id);
  if (!m_button) return false;
  const HINSTANCE module = Module::Instance();
  m_up.Load(module, MAKEINTRESOURCEA(upBitmap));
  m_down.Load(module, MAKEINTRESOURCEA(downBitmap));
  m_focus.Load(module, MAKEINTRESOURCEA(focusBitmap));
  SetPropA(m_button, kSelfProperty, this);
  m_previousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(m_button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CBitmapButton::SubclassProc)));
  return true;
}

void CBitmapButton::Detach() {
  if (m_button && IsWindow(m_button) && m_previousProc) {
    SetWindowLongPtrA(m_button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    RemovePropA(m_button, kSelfProperty);
  }
  m_button = nullptr;
  m_previousProc = nullptr;
}

SIZE CBitmapButton::SizeToContent() const {
  SIZE size = {m_up.Width(), m_up.Height()};
  if (m_button && m_up.IsLoaded()) {
    SetWindowPos(m_button, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (m_button) {
    RECT r = {};
    GetWindowRect(m_button, &r);
    size = SIZE{r.right - r.left, r.bottom - r.top};
  }
  return size;
}

void CBitmapButton::Draw(const DRAWITEMSTRUCT& item) const {
  const CPaletteBitmap* face = &m_up;
  if (item.itemState & ODS_SELECTED) {
    face = &m_down;
  } else if ((item.itemState & ODS_FOCUS) && m_focus.IsLoaded()) {
    face = &m_focus;
  }
  if (!face->IsLoaded()) face = &m_up;
  face->Draw(item.hDC, item.rcItem.left, item.rcItem.top, &item.rcItem);
}

LRESULT CALLBACK CBitmapButton::SubclassProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CBitmapButton* self = static_cast<CBitmapButton*>(GetPropA(wnd, kSelfProperty));
  if (!self || !self->m_previousProc) return DefWindowProcA(wnd, message, wParam, lParam);
  const WNDPROC previous = self->m_previousProc;
  if (message == WM_MOUSEMOVE && self->m_onHover) self->m_onHover();
  // The face covers the whole control, so there is nothing to erase.
  if (message == WM_ERASEBKGND) return TRUE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropA(wnd, kSelfProperty);
    self->m_button = nullptr;
    self->m_previousProc = nullptr;
  }
  return CallWindowProcA(previous, wnd, message, wParam, lParam);
}
