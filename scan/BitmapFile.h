// Layout of the Windows bitmap file that a memory transfer is written into: headers,
// palette, stride, resolution and sizes, derived from the page's image information and
// checked before any byte of the file is written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scan/Twain.h"

// The parts of the image information that the file depends on.
struct PageInfo {
  int32_t width = 0;   // ImageWidth
  int32_t length = 0;  // ImageLength
  int16_t samplesPerPixel = 0;
  int16_t pixelType = 0;  // TWPT_BW, TWPT_GRAY or TWPT_RGB
  bool planar = false;
  int16_t xResolution = 0;  // whole part of XResolution
};

PageInfo PageInfoFrom(const TW_IMAGEINFO& info);

enum class LayoutError {
  kNone,
  kPixelType,     // not black-and-white, grey or colour
  kSamples,       // SamplesPerPixel does not match the pixel type
  kSize,          // width or length not positive
  kRowTooWide,    // a row needs more than the 16-bit stride allows
  kFileTooLarge,  // the file would not fit the 32-bit size fields
};

struct BitmapLayout {
  uint32_t colours = 0;       // palette entries: 2, 256 or 0
  uint32_t offBits = 0;       // 54 + 4 × colours
  uint16_t stride = 0;        // bytes per file row, a multiple of 4
  uint16_t bitCount = 0;      // 1, 8 or 24
  uint32_t ppm = 0;           // pixels per metre, both axes
  uint64_t fileSize = 0;      // headers + palette + pixel data
  uint64_t expectedSize = 0;  // data size for the disk check and the strip count
  int32_t width = 0;
  int32_t length = 0;
  int16_t samplesPerPixel = 0;
  int16_t pixelType = 0;
  bool planar = false;  // planar colour: three passes, one per plane
  uint32_t Pixels() const { return fileSize > offBits ? static_cast<uint32_t>(fileSize - offBits) : 0; }
};

// The largest stride a 16-bit stride field holds (a multiple of 4).
const uint32_t kMaxStride = 65532;

// (n + 3) rounded down to a multiple of 4.
inline uint64_t RoundUp4(uint64_t n) { return (n + 3) & ~static_cast<uint64_t>(3); }

// Pixels per metre of a whole dots-per-inch value: ((dpi × 100) div 254) × 100, 0 for dpi ≤ 0.
uint32_t PelsPerMeter(int32_t dpi);

LayoutError ComputeBitmapLayout(const PageInfo& page, BitmapLayout* layout);

// Writes the file header, the information header and the palette: layout.offBits bytes.
void WriteBitmapHeaders(const BitmapLayout& layout, uint8_t* out);

// Number of strips the expected data needs with buffers of `preferred` bytes (0 if none).
uint32_t StripCount(uint64_t expectedSize, uint32_t preferred);
