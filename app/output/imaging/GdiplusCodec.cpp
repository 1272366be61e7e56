// GDI+ behind the imaging component: decoding of every format it reads.
#include "app/output/imaging/GdiplusCodec.h"

#include "framework/Handles.h"

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
  if (FAILED(SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                    nullptr, &stream.stream)))
    return false;
  return DllExports::GdipCreateBitmapFromStream(stream.stream, &bitmap.bitmap) == Ok && bitmap.bitmap;
}

}  // namespace

CSession::CSession() {
  GdiplusStartupInput input;
  if (GdiplusStartup(&m_token, &input, nullptr) != Ok) m_token = 0;
}

CSession::~CSession() {
  if (m_token) GdiplusShutdown(m_token);
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

  CGlobalMemory dib(GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(total)));
  if (!dib) return false;
  auto* base = static_cast<uint8_t*>(static_cast<void*>(dib.Get()));
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
  if (!ok) return false;
  out.dib = dib.Release();
  out.layout = layout;
  out.xDpi = DpiFromPelsPerMeter(layout.xPelsPerMeter);
  out.yDpi = DpiFromPelsPerMeter(layout.yPelsPerMeter);
  return true;
}

}  // namespace gdiplus_codec
