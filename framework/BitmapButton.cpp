// CBitmapButton.
#include "framework/BitmapButton.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/ArtResample.h"
#include "framework/DisplayScale.h"
#include "framework/Module.h"

namespace {
HBITMAP LoadByName(const char* name) {
  return static_cast<HBITMAP>(
      LoadImageA(Module::ResourceSource(), name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

// `bitmap` as a 32-bit DIB section of `to` pixels, by the area filter; null when it fails.
HBITMAP Resampled(HBITMAP bitmap, SIZE to) {
  const SIZE from = SizeOf(bitmap);
  if (from.cx <= 0 || from.cy <= 0 || to.cx <= 0 || to.cy <= 0) return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = from.cx;
  info.bmiHeader.biHeight = -from.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> source(static_cast<size_t>(from.cx) * static_cast<size_t>(from.cy));
  {
    CMemoryDC dc(nullptr);
    if (GetDIBits(dc.Get(), bitmap, 0, static_cast<UINT>(from.cy), source.data(), &info, DIB_RGB_COLORS) !=
        from.cy)
      return nullptr;
  }
  const std::vector<uint32_t> pixels = ArtResample::Resample(source, from.cx, from.cy, to.cx, to.cy);
  if (pixels.empty()) return nullptr;
  info.bmiHeader.biWidth = to.cx;
  info.bmiHeader.biHeight = -to.cy;
  void* bits = nullptr;
  HBITMAP out = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!out || !bits) {
    if (out) DeleteObject(out);
    return nullptr;
  }
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
  GdiFlush();
  return out;
}

HGDIOBJ LoadFace(UINT id, UINT dpi) {
  if (id == 0) return nullptr;
  HBITMAP base = LoadByName(MAKEINTRESOURCEA(id));
  const int percent = DisplayScale::ArtPercent(static_cast<int>(dpi));
  if (!base || percent == 100) return base;
  const SIZE size = SizeOf(base);
  const SIZE want = {DisplayScale::Scaled(size.cx, static_cast<int>(dpi)),
                     DisplayScale::Scaled(size.cy, static_cast<int>(dpi))};
  HBITMAP larger = LoadByName(DisplayScale::ArtName("#" + std::to_string(id), percent).c_str());
  HBITMAP from = larger ? larger : base;  // without the larger set, the 1x face enlarged
  if (SizeOf(from).cx == want.cx && SizeOf(from).cy == want.cy) {
    if (from != base) DeleteObject(base);
    return from;
  }
  HBITMAP scaled = Resampled(from, want);
  if (larger) DeleteObject(larger);
  if (!scaled) return base;
  DeleteObject(base);
  return scaled;
}
}  // namespace

bool CBitmapButton::LoadBitmaps(UINT normal, UINT pressed, UINT focused, UINT disabled, UINT dpi) {
  m_normal.Reset(LoadFace(normal, dpi));
  m_pressed.Reset(LoadFace(pressed, dpi));
  m_focused.Reset(LoadFace(focused, dpi));
  m_disabled.Reset(LoadFace(disabled, dpi));
  return m_normal.IsValid();
}

void CBitmapButton::SizeToContent() const {
  BITMAP info = {};
  if (!m_normal || !GetObjectA(m_normal.Get(), sizeof(info), &info)) return;
  SetWindowPos(nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CBitmapButton::DrawItem(const DRAWITEMSTRUCT* item) const {
  if (!item || item->hwndItem != m_hWnd) return false;
  HGDIOBJ face = m_normal.Get();
  if ((item->itemState & ODS_SELECTED) && m_pressed)
    face = m_pressed.Get();
  else if ((item->itemState & ODS_FOCUS) && m_focused)
    face = m_focused.Get();
  else if ((item->itemState & ODS_DISABLED) && m_disabled)
    face = m_disabled.Get();
  if (!face) return true;
  BITMAP info = {};
  GetObjectA(face, sizeof(info), &info);
  CMemoryDC memory(item->hDC);
  CSelectObject selected(memory.Get(), face);
  BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, info.bmWidth, info.bmHeight, memory.Get(), 0, 0,
         SRCCOPY);
  return true;
}
