// Packed DIB layout.
#include "app/output/PackedDib.h"

namespace {

const uint32_t kInfoHeaderSize = 40;
const uint32_t kRgb = 0;
const uint32_t kBitFields = 3;
const int kLargestSide = 1 << 20;  // far beyond any page; keeps the arithmetic small

uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool ReadPackedDibLayout(const uint8_t* data, size_t size, PackedDibLayout* layout) {
  if (!data || size < kInfoHeaderSize) return false;
  const uint32_t headerSize = U32(data);
  const int32_t width = static_cast<int32_t>(U32(data + 4));
  const int32_t height = static_cast<int32_t>(U32(data + 8));
  const uint16_t planes = U16(data + 12);
  const uint16_t bits = U16(data + 14);
  const uint32_t compression = U32(data + 16);
  const uint32_t coloursUsed = U32(data + 32);
  if (headerSize < kInfoHeaderSize || headerSize > size || planes != 1) return false;
  if (width <= 0 || width > kLargestSide || height == 0 || height < -kLargestSide || height > kLargestSide)
    return false;

  uint64_t colours = 0;
  switch (bits) {
    case 1:
    case 4:
    case 8:
      if (compression != kRgb || coloursUsed > (1u << bits)) return false;
      colours = coloursUsed ? coloursUsed : (1u << bits);
      break;
    case 16:
    case 32:
      if (compression != kRgb && compression != kBitFields) return false;
      // Masks follow a 40-byte header; larger headers hold them inside.
      if (compression == kBitFields && headerSize == kInfoHeaderSize) colours = 3;
      colours += coloursUsed;
      break;
    case 24:
      if (compression != kRgb) return false;
      colours = coloursUsed;
      break;
    default:
      return false;
  }
  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
  const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t offset = headerSize + colours * 4;
  if (offset > size || stride * rows > size - offset) return false;
  layout->width = width;
  layout->height = static_cast<int>(rows);
  layout->bitsOffset = static_cast<size_t>(offset);
  layout->stride = static_cast<size_t>(stride);
  return true;
}
