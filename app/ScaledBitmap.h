// CScaledBitmap: a bitmap of the art at a window's DPI. The art set of the scale (1x, 1.5x or
// 2x) is drawn as stored where its size is the scale's; a scale between sets takes the next
// larger one, shrunk with an area filter (above 2x, the 2x set enlarged). At 96 DPI it is the
// 1x bitmap drawn exactly as before, palette and all.
#pragma once

#include <windows.h>

#include "app/PaletteBitmap.h"
#include "framework/Handles.h"

class CScaledBitmap {
 public:
  CScaledBitmap() = default;
  CScaledBitmap(const CScaledBitmap&) = delete;
  CScaledBitmap& operator=(const CScaledBitmap&) = delete;

  // Loads bitmap `name` (a name or MAKEINTRESOURCE number) of `module` for `dpi`; false (and
  // empty) when the 1x bitmap is missing.
  bool Load(HINSTANCE module, const char* name, UINT dpi);
  void Release();
  bool IsLoaded() const { return m_art.IsLoaded(); }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  // The bitmap at the scale (for a pattern brush).
  HBITMAP Bitmap() const;
  // Copies the bitmap to (x, y) of `dc`; with `clip`, only the part inside that rectangle.
  void Draw(HDC dc, int x, int y, const RECT* clip = nullptr) const;

 private:
  bool Resample(int width, int height);

  CPaletteBitmap m_art;
  CGdiObject m_scaled;  // 32-bit pixels at the scale, when the set's size is not the scale's
  int m_width = 0;
  int m_height = 0;
};

// The size of the 1x bitmap `name` from its resource header; false when missing or short.
bool BitmapResourceSize(HINSTANCE module, const char* name, SIZE* size);
