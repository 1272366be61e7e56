// CLabelPainter.
#include "app/LabelPainter.h"

#include "app/PanelRules.h"
#include "app/ProgramContext.h"
#include "framework/DisplayScale.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"

namespace {
const COLORREF kLabelColour = RGB(81, 81, 81);
const int kLeft = 6;
const int kTitleHeight = 22;
const int kDescriptionHeight = 14;
const int kLineStep = 22;

void DrawLine(HDC dc, HFONT interfaceFont, int x, int y, const CString& text) {
  CGdiObject font(interfaceFont);
  CSelectObject select(dc, font.Get());
  TextOutA(dc, x, y, text.c_str(), text.GetLength());
}
}  // namespace

int CLabelPainter::Px(int length) const {
  return DisplayScale::Scaled(length, static_cast<int>(m_dpi ? m_dpi : Dpi::ForWindow(m_panel)));
}

RECT CLabelPainter::StripRect() const {
  RECT client = {};
  GetClientRect(m_panel, &client);
  return RECT{client.left, client.bottom - Px(kStripHeight), client.left + Px(kStripWidth), client.bottom};
}

void CLabelPainter::Invalidate() const {
  if (!m_panel) return;
  const RECT strip = StripRect();
  InvalidateRect(m_panel, &strip, FALSE);
}

void CLabelPainter::Draw(HDC dc, uint16_t label, uint16_t active) const {
  if (!m_panel) return;
  const RECT strip = StripRect();
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, kLabelColour);
  // The interface font keeps its point size at every scale: its pixel height scales.
  DrawLine(dc, m_program.CreateInterfaceFont(Px(kTitleHeight)), strip.left + Px(kLeft), strip.top,
           m_program.LocalText(Panel::TitleStringId(label)));
  DrawLine(dc, m_program.CreateInterfaceFont(Px(kDescriptionHeight)), strip.left + Px(kLeft),
           strip.top + Px(kLineStep), m_program.LocalText(Panel::DescriptionStringId(label, active)));
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}
