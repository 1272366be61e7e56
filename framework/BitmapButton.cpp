// CBitmapButton.
#include "framework/BitmapButton.h"

#include "framework/Module.h"

namespace {
HGDIOBJ LoadFace(UINT id) {
  if (id == 0) return nullptr;
  return LoadImageA(Module::ResourceSource(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
}
}  // namespace

bool CBitmapButton::LoadBitmaps(UINT normal, UINT pressed, UINT focused, UINT disabled) {
  m_normal.Reset(LoadFace(normal));
  m_pressed.Reset(LoadFace(pressed));
  m_focused.Reset(LoadFace(focused));
  m_disabled.Reset(LoadFace(disabled));
  return m_normal.IsValid();
}

void CBitmapButton::SizeToContent() const {
  BITMAP info = {};
  if (!m_normal || !GetObjectA(m_normal.Get(), sizeof(info), &info)) return;
  SetWindowPos(nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CBitmapButton::DrawItem(const DRAWITEMSTRUCT* item) const {
  if (!item || item->hwndItem != m_hWnd) return false;
  HGDIOBJ face = m_normal.Get();
  if ((item->itemState & ODS_SELECTED) && m_pressed)
    face = m_pressed.Get();
  else if ((item->itemState & ODS_FOCUS) && m_focused)
    face = m_focused.Get();
  else if ((item->itemState & ODS_DISABLED) && m_disabled)
    face = m_disabled.Get();
  if (!face) return true;
  BITMAP info = {};
  GetObjectA(face, sizeof(info), &info);
  CMemoryDC memory(item->hDC);
  CSelectObject selected(memory.Get(), face);
  BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, info.bmWidth, info.bmHeight, memory.Get(), 0, 0,
         SRCCOPY);
  return true;
}
