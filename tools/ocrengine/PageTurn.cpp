// Right-angle turns of a page image through GDI+.
#include "tools/ocrengine/PageTurn.h"

#include <windows.h>

#include <objidl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
using std::max;
using std::min;
#include <gdiplus.h>

namespace {

using namespace Gdiplus;

// The encoders of the two kinds of page the program hands over: TIFF and bitmap files.
const CLSID kTiffEncoder = {0x557CF405, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
const CLSID kBmpEncoder = {0x557CF400, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
// GDI+'s name of the bitmap file format.
const GUID kBmpFormat = {0xB96B3CAB, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

bool Bit(const uint8_t* row, UINT x) { return (row[x >> 3] & (0x80u >> (x & 7))) != 0; }

// A one-bit page turned pixel by pixel (Wine's GDI+ turns only pages of eight bits and more),
// with its palette and resolution; null when it could not be made.
GpBitmap* TurnedLineArt(GpImage* page, int clockwise) {
  UINT w = 0, h = 0;
  if (DllExports::GdipGetImageWidth(page, &w) != Ok || DllExports::GdipGetImageHeight(page, &h) != Ok || !w ||
      !h)
    return nullptr;
  const bool across = clockwise != 180;
  const UINT tw = across ? h : w, th = across ? w : h;
  GpBitmap* turned = nullptr;
  if (DllExports::GdipCreateBitmapFromScan0(static_cast<INT>(tw), static_cast<INT>(th), 0,
                                            PixelFormat1bppIndexed, nullptr, &turned) != Ok)
    return nullptr;
  BitmapData from = {}, to = {};
  const GpRect all = {0, 0, static_cast<INT>(w), static_cast<INT>(h)};
  const GpRect allTurned = {0, 0, static_cast<INT>(tw), static_cast<INT>(th)};
  GpBitmap* source = static_cast<GpBitmap*>(page);
  bool ok =
      DllExports::GdipBitmapLockBits(source, &all, ImageLockModeRead, PixelFormat1bppIndexed, &from) == Ok;
  if (ok && DllExports::GdipBitmapLockBits(turned, &allTurned, ImageLockModeWrite, PixelFormat1bppIndexed,
                                           &to) == Ok) {
    const uint8_t* in = static_cast<const uint8_t*>(from.Scan0);
    uint8_t* out = static_cast<uint8_t*>(to.Scan0);
    for (UINT y = 0; y < th; ++y) {
      uint8_t* row = out + static_cast<ptrdiff_t>(y) * to.Stride;
      std::memset(row, 0, (tw + 7) / 8);
      for (UINT x = 0; x < tw; ++x) {
        // The source pixel that lands at (x, y).
        const UINT sx = clockwise == 180 ? w - 1 - x : clockwise == 90 ? y : w - 1 - y;
        const UINT sy = clockwise == 180 ? h - 1 - y : clockwise == 90 ? h - 1 - x : x;
        if (Bit(in + static_cast<ptrdiff_t>(sy) * from.Stride, sx))
          row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80u >> (x & 7)));
      }
    }
    DllExports::GdipBitmapUnlockBits(turned, &to);
  } else {
    ok = false;
  }
  if (from.Scan0) DllExports::GdipBitmapUnlockBits(source, &from);
  INT paletteBytes = 0;
  REAL xDpi = 0, yDpi = 0;
  ok = ok && DllExports::GdipGetImagePaletteSize(page, &paletteBytes) == Ok && paletteBytes > 0 &&
       paletteBytes <= static_cast<INT>(sizeof(ColorPalette) + 256 * sizeof(ARGB));
  if (ok) {
    ARGB store[sizeof(ColorPalette) / sizeof(ARGB) + 257] = {};
    ColorPalette* palette = reinterpret_cast<ColorPalette*>(store);
    ok = DllExports::GdipGetImagePalette(page, palette, paletteBytes) == Ok &&
         DllExports::GdipSetImagePalette(turned, palette) == Ok;
  }
  ok = ok && DllExports::GdipGetImageHorizontalResolution(page, &xDpi) == Ok &&
       DllExports::GdipGetImageVerticalResolution(page, &yDpi) == Ok &&
       DllExports::GdipBitmapSetResolution(turned, across ? yDpi : xDpi, across ? xDpi : yDpi) == Ok;
  if (!ok) {
    DllExports::GdipDisposeImage(turned);
    return nullptr;
  }
  return turned;
}

}  // namespace

bool WriteTurnedPage(const std::string& image, int clockwise, const std::string& path) {
  const RotateFlipType turn = clockwise == 90    ? Rotate90FlipNone
                              : clockwise == 180 ? Rotate180FlipNone
                              : clockwise == 270 ? Rotate270FlipNone
                                                 : RotateNoneFlipNone;
  const std::wstring from = Wide(image), to = Wide(path);
  if (turn == RotateNoneFlipNone || from.empty() || to.empty()) return false;
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (GdiplusStartup(&token, &input, nullptr) != Ok) return false;
  bool written = false;
  {
    GpImage* page = nullptr;
    PixelFormat format = 0;
    GUID kind = {};
    if (DllExports::GdipLoadImageFromFile(from.c_str(), &page) == Ok && page &&
        DllExports::GdipGetImagePixelFormat(page, &format) == Ok &&
        DllExports::GdipGetImageRawFormat(page, &kind) == Ok) {
      // The page keeps its kind of file: the program reads it again after the engine.
      const CLSID* encoder = IsEqualGUID(kind, kBmpFormat) ? &kBmpEncoder : &kTiffEncoder;
      if (format == PixelFormat1bppIndexed) {
        GpBitmap* turned = TurnedLineArt(page, clockwise);
        written = turned && DllExports::GdipSaveImageToFile(turned, to.c_str(), encoder, nullptr) == Ok;
        if (turned) DllExports::GdipDisposeImage(turned);
      } else {
        written = DllExports::GdipImageRotateFlip(page, turn) == Ok &&
                  DllExports::GdipSaveImageToFile(page, to.c_str(), encoder, nullptr) == Ok;
      }
    }
    if (page) DllExports::GdipDisposeImage(page);
  }
  GdiplusShutdown(token);
  if (!written) DeleteFileA(path.c_str());
  return written;
}
