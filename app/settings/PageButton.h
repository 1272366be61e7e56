// CPageButton: a settings page's own button, owner-drawn from three palette bitmaps (up,
// down, focus), sized to them; it reports the pointer moving over it so that its owner can
// name it in the label strip.
#pragma once

#include <windows.h>

#include <functional>

#include "app/ScaledBitmap.h"
#include "framework/SubclassWnd.h"

class CPageButton : public CSubclassWnd {
 public:
  // Takes over control `id` of `dialog` and loads its faces from the program's resources, at
  // the dialog's scale.
  bool Attach(HWND dialog, int id, UINT upBitmap, UINT downBitmap, UINT focusBitmap);
  void Detach() { Unsubclass(); }
  // Loads the faces again at `dpi` (the dialog moved to a monitor of another scale).
  void LoadFaces(UINT dpi);
  // Resizes the control to its up face; returns that size.
  SIZE SizeToContent() const;
  // Handles the owner's WM_DRAWITEM for this control.
  void Draw(const DRAWITEMSTRUCT& item) const;
  void OnHover(std::function<void()> callback) { m_onHover = std::move(callback); }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  UINT m_faceIds[3] = {0, 0, 0};  // up, down, focus
  CScaledBitmap m_up;
  CScaledBitmap m_down;
  CScaledBitmap m_focus;
  std::function<void()> m_onHover;
};
