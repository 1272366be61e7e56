// CPointerLogic: the front panel's hover and press state machine (hot button, pressed
// button, capture), free of any platform call. The panel feeds it pointer events and
// carries out what it asks for through IPointerSink.
#pragma once

#include <cstdint>

#include "app/PanelRules.h"

struct CPanelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  // Right and bottom edges are outside, as for window rectangles.
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

class IPointerSink {
 public:
  virtual ~IPointerSink() = default;
  virtual void DrawButton(uint16_t id, int state) = 0;
  virtual void CapturePointer() = 0;
  virtual void ReleasePointer() = 0;
  virtual void SetLabel(uint16_t id) = 0;
  virtual uint16_t ActiveDestination() const = 0;
  // The button was released where it was pressed. Returns false when the sink has already
  // finished the release itself (the panel ended, or a refusal was drawn and reported).
  virtual bool Release(uint16_t id) = 0;
};

class CPointerLogic {
 public:
  explicit CPointerLogic(IPointerSink& sink) : m_sink(sink) {}
  CPointerLogic(const CPointerLogic&) = delete;
  CPointerLogic& operator=(const CPointerLogic&) = delete;

  void SetButtonRect(uint16_t id, const CPanelRect& rect);
  const CPanelRect& ButtonRect(uint16_t id) const;
  // The first button (in id order) whose rectangle holds the point; 0 for none.
  uint16_t HitTest(int x, int y) const;

  void MouseMove(int x, int y);
  void ButtonDown(int x, int y);
  void ButtonUp(int x, int y);
  // Forgets a press without a click (used when a release is refused).
  void CancelPress();
  // Last step of a panel repaint: the button under the pointer is drawn again.
  void RepaintHot();

  uint16_t HotId() const { return m_hotId; }
  uint16_t PressedId() const { return m_pressedId; }
  bool IsMouseInside() const { return m_mouseInside; }
  bool IsButtonDown() const { return m_buttonDown; }

 private:
  IPointerSink& m_sink;
  CPanelRect m_rects[Panel::kButtonCount];
  bool m_mouseInside = false;
  bool m_buttonDown = false;
  uint16_t m_hotId = 0;
  uint16_t m_pressedId = 0;
};
