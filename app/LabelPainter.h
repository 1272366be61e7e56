// CLabelPainter: the two-line label strip at the bottom left of the front panel, naming and
// describing the button under the pointer.
#pragma once

#include <windows.h>

#include <cstdint>

class CProgramContext;

class CLabelPainter {
 public:
  explicit CLabelPainter(const CProgramContext& program) : m_program(program) {}

  static const int kStripHeight = 41;
  static const int kStripWidth = 400;

  void Bind(HWND panel) { m_panel = panel; }
  // The panel moved to a monitor of `dpi`: the strip and its fonts at that DPI from now on.
  void SetDpi(UINT dpi) { m_dpi = dpi; }
  // The strip's rectangle in panel client coordinates.
  RECT StripRect() const;
  // Marks the strip for repainting; the panel's paint draws the background under it first.
  void Invalidate() const;
  // Draws the title and description of `label` (texts by the active destination for SCAN).
  void Draw(HDC dc, uint16_t label, uint16_t active) const;

 private:
  // A 1x length of the strip at the panel's DPI.
  int Px(int length) const;

  const CProgramContext& m_program;
  HWND m_panel = nullptr;
  UINT m_dpi = 0;  // 0: the panel window's own
};
