// CPaletteBitmap.
#include "app/PaletteBitmap.h"

#include <vector>

namespace {
// A logical palette from the DIB section's colour table (2^bits entries for 8 bits or fewer).
HPALETTE PaletteOf(HBITMAP bitmap, int bitsPerPixel) {
  if (bitsPerPixel <= 0 || bitsPerPixel > 8) return nullptr;
  const int entries = 1 << bitsPerPixel;
  RGBQUAD colours[256] = {};
  CMemoryDC dc(nullptr);
  UINT got = 0;
  {
    CSelectObject select(dc.Get(), bitmap);
    got = GetDIBColorTable(dc.Get(), 0, static_cast<UINT>(entries), colours);
  }
  if (got == 0) return nullptr;
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * static_cast<size_t>(entries));
  LOGPALETTE* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(entries);
  for (int i = 0; i < entries; ++i) {
    palette->palPalEntry[i].peRed = colours[i].rgbRed;
    palette->palPalEntry[i].peGreen = colours[i].rgbGreen;
    palette->palPalEntry[i].peBlue = colours[i].rgbBlue;
    palette->palPalEntry[i].peFlags = 0;
  }
  return CreatePalette(palette);
}
}  // namespace

bool IsPaletteDisplay(HDC dc) { return (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0; }

bool CPaletteBitmap::Load(HINSTANCE module, const char* name) {
  Release();
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return false;
  m_bitmap.Reset(bitmap);
  DIBSECTION info = {};
  if (GetObjectA(bitmap, sizeof(info), &info) >= static_cast<int>(sizeof(BITMAP))) {
    m_width = info.dsBm.bmWidth;
    m_height = info.dsBm.bmHeight;
    m_palette.Reset(PaletteOf(bitmap, info.dsBm.bmBitsPixel));
  }
  return true;
}

void CPaletteBitmap::Release() {
  m_bitmap.Reset();
  m_palette.Reset();
  m_width = m_height = 0;
}

void CPaletteBitmap::Draw(HDC dc, int x, int y, const RECT* clip) const {
  if (!m_bitmap) return;
  HPALETTE oldPalette = nullptr;
  if (m_palette && IsPaletteDisplay(dc)) {
    oldPalette = SelectPalette(dc, Palette(), FALSE);
    RealizePalette(dc);
  }
  int width = m_width, height = m_height, sourceX = 0, sourceY = 0, destX = x, destY = y;
  if (clip) {
    const int left = x > clip->left ? x : clip->left;
    const int top = y > clip->top ? y : clip->top;
    const int right = (x + m_width) < clip->right ? (x + m_width) : clip->right;
    const int bottom = (y + m_height) < clip->bottom ? (y + m_height) : clip->bottom;
    width = right - left;
    height = bottom - top;
    sourceX = left - x;
    sourceY = top - y;
    destX = left;
    destY = top;
  }
  if (width > 0 && height > 0) {
    CMemoryDC memory(dc);
    CSelectObject select(memory.Get(), m_bitmap.Get());
    BitBlt(dc, destX, destY, width, height, memory.Get(), sourceX, sourceY, SRCCOPY);
  }
  if (oldPalette) SelectPalette(dc, oldPalette, FALSE);
}
