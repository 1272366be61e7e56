// CSubclassWnd.
#include "framework/SubclassWnd.h"

namespace {
const char kProperty[] = "OrvaneSubclass";
}

bool CSubclassWnd::SubclassDlgItem(int id, HWND dialog) {
  Unsubclass();
  HWND wnd = ::GetDlgItem(dialog, id);
  if (!wnd) return false;
  m_hWnd = wnd;
  SetPropA(wnd, kProperty, this);
  m_original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassWnd::SubclassProc)));
  return m_original != nullptr;
}

void CSubclassWnd::Unsubclass() {
  if (m_hWnd && m_original && IsWindow(m_hWnd)) {
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
    RemovePropA(m_hWnd, kProperty);
  }
  m_original = nullptr;
  m_hWnd = nullptr;
}

LRESULT CALLBACK CSubclassWnd::SubclassProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CSubclassWnd*>(GetPropA(wnd, kProperty));
  if (!self) return DefWindowProcA(wnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    WNDPROC original = self->m_original;
    self->Unsubclass();
    return CallWindowProcA(original, wnd, message, wParam, lParam);
  }
  return self->WindowProc(message, wParam, lParam);
}
