// CPaletteBitmap: a bitmap resource together with the palette made from its colour table,
// drawn unscaled (clipped to a rectangle) with the palette realised on palette displays.
#pragma once

#include <windows.h>

#include "framework/Handles.h"

class CPaletteBitmap {
 public:
  CPaletteBitmap() = default;
  CPaletteBitmap(const CPaletteBitmap&) = delete;
  CPaletteBitmap& operator=(const CPaletteBitmap&) = delete;

  // Loads bitmap `name` of `module`; false (and empty) when the resource is missing.
  bool Load(HINSTANCE module, const char* name);
  void Release();
  bool IsLoaded() const { return m_bitmap.IsValid(); }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  HBITMAP Bitmap() const { return static_cast<HBITMAP>(m_bitmap.Get()); }
  HPALETTE Palette() const { return static_cast<HPALETTE>(m_palette.Get()); }

  // Copies the bitmap to (x, y) of `dc`; with `clip`, only the part inside that rectangle.
  void Draw(HDC dc, int x, int y, const RECT* clip = nullptr) const;

 private:
  CGdiObject m_bitmap;
  CGdiObject m_palette;
  int m_width = 0;
  int m_height = 0;
};

// True when the display uses a palette (256 colours or fewer).
bool IsPaletteDisplay(HDC dc);
