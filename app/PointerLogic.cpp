// CPointerLogic.
#include "app/PointerLogic.h"

using namespace Panel;

void CPointerLogic::SetButtonRect(uint16_t id, const CPanelRect& rect) {
  if (IsButton(id)) m_rects[id - kFirstButton] = rect;
}

const CPanelRect& CPointerLogic::ButtonRect(uint16_t id) const {
  static const CPanelRect kNone;
  return IsButton(id) ? m_rects[id - kFirstButton] : kNone;
}

uint16_t CPointerLogic::HitTest(int x, int y) const {
  for (uint16_t id = kFirstButton; id <= kLastButton; ++id) {
    if (m_rects[id - kFirstButton].Contains(x, y)) return id;
  }
  return 0;
}

void CPointerLogic::MouseMove(int x, int y) {
  const uint16_t id = HitTest(x, y);
  if (id != 0) {
    if (m_hotId == 0) {
      m_hotId = id;
    } else if (m_hotId != id) {
      m_sink.DrawButton(m_hotId, kStateNormal);
      m_hotId = id;
    }
    m_mouseInside = true;
    if (m_hotId == m_pressedId && m_buttonDown) {
      m_sink.DrawButton(id, kStatePressed);
    } else {
      // The capture lets the panel see the pointer leave the button even when it leaves
      // the window (or moves onto a settings page) at the same time.
      m_sink.CapturePointer();
      m_sink.DrawButton(id, kStateHover);
    }
    m_sink.SetLabel(id);
    return;
  }
  if (m_mouseInside) {
    // While the left button is held the capture stays, so that the release is seen.
    if (!m_buttonDown) m_sink.ReleasePointer();
    m_sink.DrawButton(m_hotId, kStateNormal);
    m_mouseInside = false;
  }
  m_sink.SetLabel(m_sink.ActiveDestination());
}

void CPointerLogic::ButtonDown(int x, int y) {
  for (uint16_t id = kFirstButton; id <= kLastButton; ++id) {
    if (!m_rects[id - kFirstButton].Contains(x, y)) continue;
    m_sink.CapturePointer();
    m_pressedId = id;
    m_buttonDown = true;
  }
  if (m_pressedId != 0) m_sink.DrawButton(m_pressedId, kStatePressed);
}

void CPointerLogic::ButtonUp(int x, int y) {
  for (uint16_t id = kFirstButton; id <= kLastButton; ++id) {
    if (!m_buttonDown || m_pressedId != id || !m_rects[id - kFirstButton].Contains(x, y)) continue;
    if (!m_sink.Release(id)) return;
    m_sink.DrawButton(id, kStateReleased);
  }
  CancelPress();
}

void CPointerLogic::CancelPress() {
  m_pressedId = 0;
  m_sink.ReleasePointer();
  m_buttonDown = false;
}

void CPointerLogic::RepaintHot() {
  if (m_mouseInside) m_sink.DrawButton(m_hotId, m_buttonDown ? kStatePressed : kStateHover);
}
