// The bitmap file of a packed device-independent bitmap.
#include "app/output/imaging/PackedDib.h"

#include <cstring>

#include "app/output/imaging/LittleEndian.h"

namespace {
const uint32_t kBitFields = 3;
}  // namespace

bool MeasurePackedDib(const uint8_t* block, size_t blockSize, DibLayout& layout) {
  DibInfoHeader info;
  if (ReadInfoHeader(block, blockSize, info) != InfoHeaderRead::kOk || info.size > blockSize) return false;
  const uint16_t bitCount = info.bitsPerPixel;
  const uint64_t colours = bitCount <= 8 && info.coloursUsed == 0 ? (1u << bitCount) : info.coloursUsed;
  if (colours > 256 && bitCount <= 8) return false;
  uint64_t tableBytes = colours * 4;
  if (info.compression == kBitFields && info.size == kInfoHeaderBytes) tableBytes += 12;

  const uint64_t rows =
      static_cast<uint64_t>(info.height < 0 ? -static_cast<int64_t>(info.height) : info.height);
  const uint64_t stride = DibRowBytes(static_cast<uint32_t>(info.width), bitCount);
  uint64_t pixels = stride * rows;
  // Compressed rows carry their own size.
  if (info.compression != 0 && info.compression != kBitFields) pixels = info.sizeImage;
  const uint64_t header = static_cast<uint64_t>(info.size) + tableBytes;
  if (pixels == 0 || header + pixels > blockSize || kFileHeaderBytes + header + pixels > UINT32_MAX)
    return false;

  DibLayout measured;
  measured.width = static_cast<uint32_t>(info.width);
  measured.height = static_cast<uint32_t>(rows);
  measured.topDown = info.height < 0;
  measured.bitsPerPixel = bitCount;
  measured.colours = static_cast<uint32_t>(colours);
  measured.paletteOffset = static_cast<uint32_t>(kFileHeaderBytes + info.size);
  measured.pixelOffset = static_cast<uint32_t>(kFileHeaderBytes + header);
  measured.rowBytes = stride;
  measured.imageBytes = pixels;
  measured.xPelsPerMeter = info.xPelsPerMeter;
  measured.yPelsPerMeter = info.yPelsPerMeter;
  layout = measured;
  return true;
}

void WriteBitmapFileHeader(const DibLayout& layout, uint8_t (&out)[kFileHeaderBytes]) {
  std::memset(out, 0, sizeof(out));
  out[0] = 'B';
  out[1] = 'M';
  WriteLe32(out + 2, static_cast<uint32_t>(layout.FileBytes()));
  WriteLe32(out + 10, layout.pixelOffset);
}
