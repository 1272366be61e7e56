// Bitmap file layout of a memory transfer.
#include "scan/BitmapFile.h"

#include <cstring>

PageInfo PageInfoFrom(const TW_IMAGEINFO& info) {
  PageInfo page;
  page.width = info.ImageWidth;
  page.length = info.ImageLength;
  page.samplesPerPixel = info.SamplesPerPixel;
  page.pixelType = info.PixelType;
  page.planar = info.Planar != 0 && info.PixelType == TWPT_RGB;
  page.xResolution = info.XResolution.Whole;
  return page;
}

uint32_t PelsPerMeter(int32_t dpi) { return dpi > 0 ? static_cast<uint32_t>((dpi * 100) / 254) * 100 : 0; }

LayoutError ComputeBitmapLayout(const PageInfo& page, BitmapLayout* layout) {
  BitmapLayout l;
  l.width = page.width;
  l.length = page.length;
  l.samplesPerPixel = page.samplesPerPixel;
  l.pixelType = page.pixelType;
  l.planar = page.planar;
  int16_t samples = 0;
  switch (page.pixelType) {
    case TWPT_BW:
      l.colours = 2;
      l.bitCount = 1;
      samples = 1;
      break;
    case TWPT_GRAY:
      l.colours = 256;
      l.bitCount = 8;
      samples = 1;
      break;
    case TWPT_RGB:
      l.colours = 0;
      l.bitCount = 24;
      samples = 3;
      break;
    default:
      return LayoutError::kPixelType;
  }
  if (page.samplesPerPixel != samples) return LayoutError::kSamples;
  if (page.width <= 0 || page.length <= 0) return LayoutError::kSize;
  const uint64_t width = static_cast<uint64_t>(page.width);
  const uint64_t stride = page.pixelType == TWPT_BW ? RoundUp4((width + 7) / 8) : RoundUp4(samples * width);
  // The stride lives in 16 bits: wider rows would wrap around and corrupt the file.
  if (stride > kMaxStride) return LayoutError::kRowTooWide;
  l.stride = static_cast<uint16_t>(stride);
  l.offBits = 54 + 4 * l.colours;
  l.fileSize = l.offBits + stride * static_cast<uint64_t>(page.length);
  if (l.fileSize > 0xFFFFFFFFull) return LayoutError::kFileTooLarge;
  l.ppm = PelsPerMeter(page.xResolution);
  // Data rows as the source delivers them: black-and-white rows without their padding.
  const uint64_t row = page.pixelType == TWPT_BW ? (RoundUp4(width) + 7) / 8 : RoundUp4(samples * width);
  l.expectedSize = row * static_cast<uint64_t>(page.length);
  *layout = l;
  return LayoutError::kNone;
}

namespace {
void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

void WriteBitmapHeaders(const BitmapLayout& layout, uint8_t* out) {
  std::memset(out, 0, layout.offBits);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out + 2, static_cast<uint32_t>(layout.fileSize));
  Put32(out + 10, layout.offBits);
  Put32(out + 14, 40);
  Put32(out + 18, static_cast<uint32_t>(layout.width));
  Put32(out + 22, static_cast<uint32_t>(layout.length));
  Put16(out + 26, 1);
  Put16(out + 28, layout.bitCount);
  Put32(out + 34, layout.Pixels());
  Put32(out + 38, layout.ppm);
  Put32(out + 42, layout.ppm);
  Put32(out + 46, layout.colours);
  uint8_t* palette = out + 54;
  if (layout.colours == 2) {
    std::memset(palette + 4, 255, 3);  // index 0 black, index 1 white
  } else {
    for (uint32_t i = 0; i < layout.colours; ++i) std::memset(palette + 4 * i, static_cast<int>(i), 3);
  }
}

uint32_t StripCount(uint64_t expectedSize, uint32_t preferred) {
  if (preferred == 0) return 0;
  return static_cast<uint32_t>((expectedSize + preferred - 1) / preferred);
}
