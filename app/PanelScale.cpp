// CPanelDlg at the monitor's scale: lengths of the 1x layout in the scale's pixels, the pages'
// place, the tooltips over the buttons, and the move to a monitor of another DPI.
#include "app/PanelDlg.h"

#include <commctrl.h>

#include "framework/DisplayScale.h"
#include "framework/Module.h"

using namespace Panel;

namespace {
// Where the settings pages stand, and their size when the Copy background is missing (1x).
const int kPageX = 117;
const int kPageY = 34;
const SIZE kPageSize = {293, 277};
}  // namespace

int CPanelDlg::Px(int length) const { return DisplayScale::Scaled(length, static_cast<int>(m_dpi)); }

void CPanelDlg::PlacePages() {
  // Every page has the size of the Copy background at the panel's scale.
  SIZE size = kPageSize;
  BitmapResourceSize(Module::Instance(), "COPYBK", &size);
  CSettingsPage* pages[] = {&m_copyPage, &m_ocrPage, &m_faxPage, &m_mailPage, &m_imagePage};
  for (CSettingsPage* page : pages) {
    if (page->GetSafeHwnd())
      page->SetWindowPos(nullptr, Px(kPageX), Px(kPageY), Px(size.cx), Px(size.cy),
                         SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

TOOLINFOA CPanelDlg::ButtonTool(uint16_t id) const {
  const CPanelRect& r = m_pointer.ButtonRect(id);
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.hwnd = m_hWnd;
  tool.uId = id;
  tool.rect = RECT{r.left, r.top, r.right, r.bottom};
  return tool;
}

void CPanelDlg::PlaceTooltips() const {
  if (!m_tooltip) return;
  for (uint16_t id = kFirstButton; id <= kLastButton; ++id) {
    TOOLINFOA tool = ButtonTool(id);
    ::SendMessageA(m_tooltip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CPanelDlg::OnDpiChanged(UINT dpi, const RECT* suggested) {
  if (dpi == 0 || dpi == m_dpi) return;
  m_dpi = dpi;
  if (!m_graphicsReleased && m_background.Load(Module::Instance(), "PATTERN", m_dpi))
    m_backgroundSize = SIZE{m_background.Width(), m_background.Height()};
  if (suggested) {
    SetWindowPos(nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    // No rectangle given: the client area becomes the background, inside the frame as drawn.
    const RECT window = GetWindowRect();
    const RECT client = GetClientRect();
    const int frameWidth = (window.right - window.left) - client.right;
    const int frameHeight = (window.bottom - window.top) - client.bottom;
    const int width = m_backgroundSize.cx + frameWidth;
    const int height = m_backgroundSize.cy + frameHeight;
    RECT desktop = {};
    ::GetWindowRect(GetDesktopWindow(), &desktop);
    SetWindowPos(nullptr, desktop.left + ((desktop.right - desktop.left) - width) / 2,
                 desktop.top + ((desktop.bottom - desktop.top) - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  m_labelPainter.SetDpi(m_dpi);
  PlaceButtons();
  PlaceTooltips();
  PlacePages();
  CSettingsPage* pages[] = {&m_copyPage, &m_ocrPage, &m_faxPage, &m_mailPage, &m_imagePage};
  for (CSettingsPage* page : pages) page->Rescale(m_dpi);
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
}
