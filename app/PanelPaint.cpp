// CPanelDlg: painting the background, the button faces and the label strip.
#include "app/PanelDlg.h"

#include "framework/Module.h"

using namespace Panel;

void CPanelDlg::DrawFace(HDC dc, uint16_t id, int face) const {
  const char* name = FaceBitmapName(id, static_cast<ButtonFace>(face));
  if (!name) return;
  // Faces are loaded for each draw and released at once; only the background stays loaded.
  CScaledBitmap bitmap;
  if (!bitmap.Load(Module::Instance(), name, m_dpi)) return;
  const CPanelRect& r = m_pointer.ButtonRect(id);
  const RECT clip = {r.left, r.top, r.right, r.bottom};
  bitmap.Draw(dc, r.left, r.top, &clip);
  if (id == m_keys.CueButton()) DrawFocusCue(dc, clip);
}

void CPanelDlg::DrawButton(uint16_t id, int state) {
  FaceDraw draws[2];
  const int count = FacesForDraw(id, state, m_activeId, draws);
  if (count == 0 || !m_hWnd) return;
  CClientDC dc(m_hWnd);
  for (int i = 0; i < count; ++i) DrawFace(dc.Get(), draws[i].id, draws[i].face);
}

bool CPanelDlg::OnPaint() {
  CPaintDC paint(m_hWnd);
  HDC dc = paint.Get();
  if (IsIconic(m_hWnd)) {
    const RECT client = GetClientRect();
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_icon);
    return true;
  }
  const int saved = SaveDC(dc);
  if (m_skipBackground) {
    // Only the part under the newly shown page is skipped; the rest (the label strip in
    // particular) still needs the background under its transparent text.
    m_skipBackground = false;
    CSettingsPage* page = PageFor(m_shownPageId);
    if (page && page->GetSafeHwnd()) {
      RECT r = page->GetWindowRect();
      MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
      ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
  }
  m_background.Draw(dc, 0, 0);
  RestoreDC(dc, saved);
  for (uint16_t id = kScan; id <= kInfo; ++id) DrawFace(dc, id, kFaceNormal);
  for (uint16_t id = kImage; id <= kOcr; ++id)
    DrawFace(dc, id, id == m_activeId ? kFacePressed : kFaceNormal);
  m_labelPainter.Draw(dc, m_labelId, m_activeId);
  m_pointer.RepaintHot();
  return true;
}
