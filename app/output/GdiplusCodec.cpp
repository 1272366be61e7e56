// GDI+ behind the imaging component: decoding of every format it reads, and TIFF writing.
#include "app/output/GdiplusCodec.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
using std::max;
using std::min;
#include <gdiplus.h>

namespace gdiplus_codec {
namespace {

using namespace Gdiplus;

ULONG_PTR g_token = 0;
const UINT kStripRows = 64;

struct StreamHolder {
  IStream* stream = nullptr;
  ~StreamHolder() {
    if (stream) stream->Release();
  }
};
struct BitmapHolder {
  GpBitmap* bitmap = nullptr;
  ~BitmapHolder() {
    if (bitmap) DllExports::GdipDisposeImage(bitmap);
  }
};

// Opens for reading without denying others anything: a later save may replace the file.
bool OpenBitmap(const wchar_t* path, StreamHolder& stream, BitmapHolder& bitmap) {
  if (!g_token) return false;
  if (FAILED(SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                    nullptr, &stream.stream)))
    return false;
  return DllExports::GdipCreateBitmapFromStream(stream.stream, &bitmap.bitmap) == Ok && bitmap.bitmap;
}

bool EncoderClsid(const wchar_t* mime, CLSID& clsid) {
  UINT count = 0, bytes = 0;
  if (DllExports::GdipGetImageEncodersSize(&count, &bytes) != Ok || bytes == 0) return false;
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, bytes);
  if (!block) return false;
  auto* codecs = static_cast<ImageCodecInfo*>(static_cast<void*>(block));
  bool found = false;
  if (DllExports::GdipGetImageEncoders(count, bytes, codecs) == Ok)
    for (UINT i = 0; i < count && !found; ++i)
      if (codecs[i].MimeType && lstrcmpiW(codecs[i].MimeType, mime) == 0) {
        clsid = codecs[i].Clsid;
        found = true;
      }
  GlobalFree(block);
  return found;
}

PixelFormat IndexedFormat(uint16_t bits) {
  return bits == 1 ? PixelFormat1bppIndexed : bits == 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
}

}  // namespace

bool StartUp() {
  if (g_token) return true;
  GdiplusStartupInput input;
  return GdiplusStartup(&g_token, &input, nullptr) == Ok;
}

void ShutDown() {
  if (g_token) GdiplusShutdown(g_token);
  g_token = 0;
}

bool CanDecode(const wchar_t* path) {
  StreamHolder stream;
  BitmapHolder bitmap;
  return OpenBitmap(path, stream, bitmap);
}

bool Decode(const wchar_t* path, Decoded& out) {
  StreamHolder stream;
  BitmapHolder bitmap;
  if (!OpenBitmap(path, stream, bitmap)) return false;
  UINT width = 0, height = 0;
  PixelFormat format = 0;
  REAL xDpi = 0, yDpi = 0;
  DllExports::GdipGetImageWidth(bitmap.bitmap, &width);
  DllExports::GdipGetImageHeight(bitmap.bitmap, &height);
  DllExports::GdipGetImagePixelFormat(bitmap.bitmap, &format);
  DllExports::GdipGetImageHorizontalResolution(bitmap.bitmap, &xDpi);
  DllExports::GdipGetImageVerticalResolution(bitmap.bitmap, &yDpi);
  if (width == 0 || height == 0) return false;

  // Indexed images keep their depth and palette; everything else becomes 24-bit colour.
  DibLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bitsPerPixel = 24;
  PixelFormat lockFormat = PixelFormat24bppRGB;
  uint8_t palette[256 * 4] = {};
  if (format == PixelFormat1bppIndexed || format == PixelFormat4bppIndexed ||
      format == PixelFormat8bppIndexed) {
    INT paletteBytes = 0;
    DllExports::GdipGetImagePaletteSize(bitmap.bitmap, &paletteBytes);
    const INT limit = static_cast<INT>(sizeof(ColorPalette) + 256 * sizeof(ARGB));
    if (paletteBytes >= static_cast<INT>(sizeof(ColorPalette)) && paletteBytes <= limit) {
      alignas(ColorPalette) uint8_t store[sizeof(ColorPalette) + 256 * sizeof(ARGB)];
      auto* colours = reinterpret_cast<ColorPalette*>(store);
      if (DllExports::GdipGetImagePalette(bitmap.bitmap, colours, paletteBytes) == Ok) {
        layout.bitsPerPixel = format == PixelFormat1bppIndexed ? 1 : format == PixelFormat4bppIndexed ? 4 : 8;
        lockFormat = format;
        layout.colours = min<UINT>(colours->Count, 1u << layout.bitsPerPixel);
        for (UINT i = 0; i < layout.colours; ++i) std::memcpy(palette + 4 * i, &colours->Entries[i], 3);
      }
    }
  }
  layout.rowBytes = DibRowBytes(width, layout.bitsPerPixel);
  layout.imageBytes = layout.rowBytes * height;
  const uint64_t total = kInfoHeaderBytes + layout.colours * 4ull + layout.imageBytes;
  if (layout.rowBytes == 0 || total > 0x7FFFFFFFu) return false;
  layout.xPelsPerMeter = PelsPerMeterFromDpi(DpiFromReal(xDpi));
  layout.yPelsPerMeter = PelsPerMeterFromDpi(DpiFromReal(yDpi));

  HGLOBAL dib = GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(total));
  if (!dib) return false;
  auto* base = static_cast<uint8_t*>(static_cast<void*>(dib));
  WriteInfoHeader(base, layout);
  std::memcpy(base + kInfoHeaderBytes, palette, layout.colours * 4);
  uint8_t* rows = base + kInfoHeaderBytes + layout.colours * 4;

  // Strip by strip, so that a conversion needs a strip's buffer, not a page's.
  bool ok = true;
  for (UINT top = 0; top < height && ok; top += kStripRows) {
    Rect strip(0, static_cast<INT>(top), static_cast<INT>(width),
               static_cast<INT>(min(kStripRows, height - top)));
    BitmapData data{};
    ok = DllExports::GdipBitmapLockBits(bitmap.bitmap, &strip, ImageLockModeRead, lockFormat, &data) == Ok;
    if (!ok) break;
    const size_t copy =
        min<size_t>(static_cast<size_t>(layout.rowBytes), static_cast<size_t>(abs(data.Stride)));
    for (UINT y = 0; y < data.Height; ++y) {
      const uint8_t* from = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(data.Stride) * y;
      std::memcpy(rows + static_cast<size_t>(layout.rowBytes) * (height - 1 - (top + y)), from, copy);
    }
    DllExports::GdipBitmapUnlockBits(bitmap.bitmap, &data);
  }
  if (!ok) {
    GlobalFree(dib);
    return false;
  }
  out.dib = dib;
  out.layout = layout;
  out.xDpi = DpiFromPelsPerMeter(layout.xPelsPerMeter);
  out.yDpi = DpiFromPelsPerMeter(layout.yPelsPerMeter);
  return true;
}

bool WriteTiff(const wchar_t* path, const DibLayout& layout, const uint8_t* palette, const uint8_t* rows,
               int xDpi, int yDpi) {
  if (!g_token) return false;
  CLSID tiff;
  if (!EncoderClsid(L"image/tiff", tiff)) return false;
  PixelFormat format = layout.bitsPerPixel == 24   ? PixelFormat24bppRGB
                       : layout.bitsPerPixel == 32 ? PixelFormat32bppRGB
                       : layout.bitsPerPixel == 16 ? PixelFormat16bppRGB555
                                                   : IndexedFormat(layout.bitsPerPixel);
  // Over our own rows, top row first through a negative stride: nothing is copied.
  const INT stride = -static_cast<INT>(layout.rowBytes);
  BitmapHolder bitmap;
  BYTE* top = const_cast<BYTE*>(rows) + static_cast<size_t>(layout.rowBytes) * (layout.height - 1);
  if (DllExports::GdipCreateBitmapFromScan0(static_cast<INT>(layout.width), static_cast<INT>(layout.height),
                                            stride, format, top, &bitmap.bitmap) != Ok)
    return false;
  if (layout.bitsPerPixel <= 8) {
    alignas(ColorPalette) uint8_t store[sizeof(ColorPalette) + 256 * sizeof(ARGB)] = {};
    auto* colours = reinterpret_cast<ColorPalette*>(store);
    colours->Count = layout.colours;
    for (UINT i = 0; i < layout.colours; ++i)
      colours->Entries[i] = 0xFF000000u | palette[4 * i + 2] << 16 | palette[4 * i + 1] << 8 | palette[4 * i];
    if (DllExports::GdipSetImagePalette(bitmap.bitmap, colours) != Ok) return false;
  }
  if (xDpi > 0 && yDpi > 0)
    DllExports::GdipBitmapSetResolution(bitmap.bitmap, static_cast<REAL>(xDpi), static_cast<REAL>(yDpi));
  StreamHolder stream;
  if (FAILED(SHCreateStreamOnFileEx(path, STGM_CREATE | STGM_WRITE | STGM_SHARE_DENY_WRITE,
                                    FILE_ATTRIBUTE_NORMAL, TRUE, nullptr, &stream.stream)))
    return false;
  return DllExports::GdipSaveImageToStream(bitmap.bitmap, stream.stream, &tiff, nullptr) == Ok;
}

}  // namespace gdiplus_codec
