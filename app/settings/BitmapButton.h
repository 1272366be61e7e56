// CBitmapButton: an owner-drawn push button painted from three bitmaps (up, down, focus),
// sized to them; it reports the pointer moving over it so that its owner can name it.
#pragma once

#include <windows.h>

#include <functional>

#include "app/PaletteBitmap.h"

class CBitmapButton {
 public:
  CBitmapButton() = default;
  ~CBitmapButton();
  CBitmapButton(const CBitmapButton&) = delete;
  CBitmapButton& operator=(const CBitmapButton&) = delete;

  // Takes over control `id` of `dialog` and loads its faces from the program's resources.
  bool Attach(HWND dialog, int id, UINT upBitmap, UINT downBitmap, UINT focusBitmap);
  void Detach();
  HWND Handle() const { return m_button; }
  // Resizes the control to its up face; returns that size.
  SIZE SizeToContent() const;
  // Handles the owner's WM_DRAWITEM for this control.
  void Draw(const DRAWITEMSTRUCT& item) const;
  void OnHover(std::function<void()> callback) { m_onHover = std::move(callback); }

 private:
  static LRESULT CALLBACK SubclassProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_button = nullptr;
  WNDPROC m_previousProc = nullptr;
  CPaletteBitmap m_up;
  CPaletteBitmap m_down;
  CPaletteBitmap m_focus;
  std::function<void()> m_onHover;
};
