// CScaledBitmap.
#include "app/ScaledBitmap.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/ArtResample.h"
#include "framework/DisplayScale.h"

bool BitmapResourceSize(HINSTANCE module, const char* name, SIZE* size) {
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(2));  // RT_BITMAP
  if (!found || SizeofResource(module, found) < sizeof(BITMAPINFOHEADER)) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  BITMAPINFOHEADER header = {};
  std::memcpy(&header, data, sizeof(header));
  if (header.biSize < sizeof(header) || header.biWidth <= 0 || header.biHeight == 0) return false;
  size->cx = header.biWidth;
  size->cy = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  return true;
}

bool CScaledBitmap::Load(HINSTANCE module, const char* name, UINT dpi) {
  Release();
  SIZE base = {};
  if (!BitmapResourceSize(module, name, &base)) return false;
  const int dotsPerInch = static_cast<int>(dpi);
  const int percent = DisplayScale::ArtPercent(dotsPerInch);
  bool loaded = false;
  if (percent != 100) {
    const std::string plain =
        IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name)) : std::string(name);
    loaded = m_art.Load(module, DisplayScale::ArtName(plain, percent).c_str());
  }
  // Without the larger set (a language build that lacks it) the 1x bitmap is enlarged.
  if (!loaded && !m_art.Load(module, name)) return false;
  m_width = DisplayScale::Scaled(base.cx, dotsPerInch);
  m_height = DisplayScale::Scaled(base.cy, dotsPerInch);
  if (m_art.Width() == m_width && m_art.Height() == m_height) return true;
  if (!Resample(m_width, m_height)) {
    // Drawn as stored rather than not at all.
    m_width = m_art.Width();
    m_height = m_art.Height();
  }
  return true;
}

bool CScaledBitmap::Resample(int width, int height) {
  const int fromWidth = m_art.Width();
  const int fromHeight = m_art.Height();
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = fromWidth;
  info.bmiHeader.biHeight = -fromHeight;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> source(static_cast<size_t>(fromWidth) * static_cast<size_t>(fromHeight));
  {
    CMemoryDC dc(nullptr);
    if (GetDIBits(dc.Get(), m_art.Bitmap(), 0, static_cast<UINT>(fromHeight), source.data(), &info,
                  DIB_RGB_COLORS) != fromHeight)
      return false;
  }
  const std::vector<uint32_t> pixels = ArtResample::Resample(source, fromWidth, fromHeight, width, height);
  if (pixels.empty()) return false;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  void* bits = nullptr;
  HBITMAP scaled = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!scaled || !bits) {
    if (scaled) DeleteObject(scaled);
    return false;
  }
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
  GdiFlush();
  m_scaled.Reset(scaled);
  return true;
}

void CScaledBitmap::Release() {
  m_art.Release();
  m_scaled.Reset();
  m_width = m_height = 0;
}

HBITMAP CScaledBitmap::Bitmap() const {
  return m_scaled ? static_cast<HBITMAP>(m_scaled.Get()) : m_art.Bitmap();
}

void CScaledBitmap::Draw(HDC dc, int x, int y, const RECT* clip) const {
  if (!m_scaled) {
    m_art.Draw(dc, x, y, clip);
    return;
  }
  RECT area = {x, y, x + m_width, y + m_height};
  if (clip && !IntersectRect(&area, &area, clip)) return;
  CMemoryDC memory(dc);
  CSelectObject select(memory.Get(), m_scaled.Get());
  BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory.Get(), area.left - x,
         area.top - y, SRCCOPY);
}
