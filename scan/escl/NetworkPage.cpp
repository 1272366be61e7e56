// Network pages decoded into the page file.
#include "scan/escl/NetworkPage.h"

#include <windows.h>

#include <objidl.h>

#include <algorithm>
#include <cstring>
#include <vector>
using std::max;
using std::min;
#include <gdiplus.h>

#include "framework/DiskSpace.h"
#include "framework/File.h"
#include "scan/BitmapFile.h"
#include "scan/escl/PageRows.h"

namespace {
using namespace Gdiplus;

const UINT kBandRows = 64;

class CGdiplusSession {
 public:
  CGdiplusSession() {
    GdiplusStartupInput input;
    if (GdiplusStartup(&m_token, &input, nullptr) != Ok) m_token = 0;
  }
  ~CGdiplusSession() {
    if (m_token) GdiplusShutdown(m_token);
  }
  bool Ready() const { return m_token != 0; }

 private:
  ULONG_PTR m_token = 0;
};

struct CStream {
  IStream* stream = nullptr;
  ~CStream() {
    if (stream) stream->Release();
  }
};

struct CBitmap {
  GpBitmap* bitmap = nullptr;
  ~CBitmap() {
    if (bitmap) DllExports::GdipDisposeImage(bitmap);
  }
};

bool OpenStream(const std::string& bytes, CStream& out) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1);
  if (!memory) return false;
  if (void* p = GlobalLock(memory)) {
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(memory);
  }
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &out.stream))) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

// `from` drawn at `width` × `height` into a new colour bitmap.
bool ScaledCopy(GpBitmap* from, UINT width, UINT height, CBitmap& to) {
  if (DllExports::GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0,
                                            PixelFormat24bppRGB, nullptr, &to.bitmap) != Ok)
    return false;
  GpGraphics* graphics = nullptr;
  if (DllExports::GdipGetImageGraphicsContext(to.bitmap, &graphics) != Ok) return false;
  DllExports::GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBilinear);
  DllExports::GdipSetPixelOffsetMode(graphics, PixelOffsetModeHalf);
  const bool drawn = DllExports::GdipDrawImageRectI(graphics, from, 0, 0, static_cast<INT>(width),
                                                    static_cast<INT>(height)) == Ok;
  DllExports::GdipDeleteGraphics(graphics);
  return drawn;
}

}  // namespace

PageWrite WriteNetworkPage(const std::string& encoded, const NetworkScanPlan& plan, const InputCaps& area,
                           const CString& path) {
  CGdiplusSession gdiplus;
  CStream stream;
  CBitmap bitmap;
  if (!gdiplus.Ready() || !OpenStream(encoded, stream)) return PageWrite::kFileFailed;
  if (DllExports::GdipCreateBitmapFromStream(stream.stream, &bitmap.bitmap) != Ok || !bitmap.bitmap)
    return PageWrite::kNotImage;
  UINT width = 0, height = 0;
  DllExports::GdipGetImageWidth(bitmap.bitmap, &width);
  DllExports::GdipGetImageHeight(bitmap.bitmap, &height);
  if (width == 0 || height == 0) return PageWrite::kNotImage;
  if (!PageWithinArea(width, height, plan.resolution, area.maxWidth, area.maxHeight))
    return PageWrite::kTooLarge;
  // Scanned finer than asked: the page comes down to the resolution the program asked for
  // (its prescan geometry and its print size depend on it).
  CBitmap scaled;
  if (plan.pageResolution < plan.resolution) {
    const auto down = [&](UINT n) {
      return std::max<UINT>(
          1, static_cast<UINT>((static_cast<uint64_t>(n) * plan.pageResolution + plan.resolution / 2) /
                               plan.resolution));
    };
    width = down(width);
    height = down(height);
    if (!ScaledCopy(bitmap.bitmap, width, height, scaled)) return PageWrite::kFileFailed;
  }
  GpBitmap* source = scaled.bitmap ? scaled.bitmap : bitmap.bitmap;

  PageInfo page;
  page.width = static_cast<int32_t>(width);
  page.length = static_cast<int32_t>(height);
  page.pixelType = static_cast<int16_t>(plan.pagePixelType);
  page.samplesPerPixel = plan.pagePixelType == 2 ? 3 : 1;
  page.xResolution = static_cast<int16_t>(plan.pageResolution);
  BitmapLayout layout;
  if (ComputeBitmapLayout(page, &layout) != LayoutError::kNone) return PageWrite::kTooLarge;
  uint64_t room = 0;
  if (!FreeDiskSpace(path.c_str(), room) || room < layout.fileSize) return PageWrite::kDiskFull;

  CFile file;
  if (!file.Open(path.c_str(), CFile::kCreate)) return PageWrite::kFileFailed;
  uint8_t headers[54 + 4 * 256];
  WriteBitmapHeaders(layout, headers);
  bool ok = file.Write(headers, layout.offBits) && file.SetLength(static_cast<int64_t>(layout.fileSize));
  // A band of file rows, filled from its end: the image's first row is the file's last.
  std::vector<uint8_t> band(static_cast<size_t>(layout.stride) * kBandRows);
  for (UINT top = 0; top < height && ok; top += kBandRows) {
    const UINT rows = min(kBandRows, height - top);
    Rect strip(0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows));
    BitmapData data{};
    if (DllExports::GdipBitmapLockBits(source, &strip, ImageLockModeRead, PixelFormat24bppRGB, &data) != Ok) {
      ok = false;
      break;
    }
    for (UINT y = 0; y < rows; ++y) {
      const uint8_t* from = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(data.Stride) * y;
      ConvertPageRow(from, static_cast<int>(width), plan.pagePixelType, &band[(rows - 1 - y) * layout.stride],
                     layout.stride);
    }
    DllExports::GdipBitmapUnlockBits(source, &data);
    const uint64_t at = layout.offBits + static_cast<uint64_t>(height - top - rows) * layout.stride;
    ok = file.Seek(static_cast<int64_t>(at)) && file.Write(band.data(), rows * layout.stride);
  }
  file.Close();
  if (!ok) {
    DeleteFileA(path.c_str());
    return PageWrite::kFileFailed;
  }
  return PageWrite::kOk;
}
