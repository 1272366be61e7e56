// The bitmap file of a packed device-independent bitmap.
#include "app/output/imaging/PackedDib.h"

#include <cstring>

#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/LittleEndian.h"

namespace {
const uint32_t kBitFields = 3;
}  // namespace

bool MeasurePackedDib(const uint8_t* block, size_t blockSize, PackedDibLayout& layout) {
  if (!block || blockSize < kInfoHeaderBytes) return false;
  const uint32_t headerSize = ReadLe32(block);
  if (headerSize < kInfoHeaderBytes || headerSize > blockSize) return false;
  const int32_t width = static_cast<int32_t>(ReadLe32(block + 4));
  const int32_t height = static_cast<int32_t>(ReadLe32(block + 8));
  const uint16_t bitCount = ReadLe16(block + 14);
  const uint32_t compression = ReadLe32(block + 16);
  const uint32_t sizeImage = ReadLe32(block + 20);
  const uint32_t coloursUsed = ReadLe32(block + 32);
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
    return false;
  }

  uint64_t colours = 0;
  if (bitCount <= 8)
    colours = coloursUsed ? coloursUsed : (1u << bitCount);
  else
    colours = coloursUsed;
  if (colours > 256 && bitCount <= 8) return false;
  uint64_t tableBytes = colours * 4;
  if (compression == kBitFields && headerSize == kInfoHeaderBytes) tableBytes += 12;

  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
  const uint64_t stride = DibRowBytes(static_cast<uint32_t>(width), bitCount);
  uint64_t pixels = stride * rows;
  // Compressed rows carry their own size.
  if (compression != 0 && compression != kBitFields) pixels = sizeImage;
  const uint64_t header = static_cast<uint64_t>(headerSize) + tableBytes;
  if (pixels == 0 || header + pixels > blockSize || 14 + header + pixels > UINT32_MAX) return false;
  layout.headerBytes = static_cast<uint32_t>(header);
  layout.pixelBytes = static_cast<uint32_t>(pixels);
  return true;
}

void WriteBitmapFileHeader(const PackedDibLayout& layout, uint8_t (&out)[14]) {
  std::memset(out, 0, sizeof(out));
  out[0] = 'B';
  out[1] = 'M';
  WriteLe32(out + 2, layout.FileSize());
  WriteLe32(out + 10, 14 + layout.headerBytes);
}
