// Device-independent bitmap layout, checked against the file it comes from.
#include "app/output/imaging/DibLayout.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/output/imaging/LittleEndian.h"

namespace {

// Palette index of pixel x of a 1, 4 or 8-bit row (the leftmost pixel in the high bits).
inline uint32_t IndexAt(const uint8_t* row, uint16_t bitsPerPixel, uint32_t x) {
  switch (bitsPerPixel) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
      return row[x];
  }
}

}  // namespace

uint64_t DibRowBytes(uint32_t width, uint16_t bitsPerPixel) {
  const uint64_t bytes = (static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
  return bytes > 0xFFFFFFFFu ? 0 : bytes;
}

InfoHeaderRead ReadInfoHeader(const uint8_t* info, size_t available, DibInfoHeader& out) {
  if (!info || available < 4) return InfoHeaderRead::kNotHeader;
  DibInfoHeader header;
  header.size = ReadLe32(info);
  // Every header after the 12-byte core one starts with the same 40 bytes.
  if (header.size == 12) return InfoHeaderRead::kCore;
  if (header.size < kInfoHeaderBytes || header.size > 124) return InfoHeaderRead::kNotHeader;
  if (available < kInfoHeaderBytes) return InfoHeaderRead::kTruncated;
  header.width = static_cast<int32_t>(ReadLe32(info + 4));
  header.height = static_cast<int32_t>(ReadLe32(info + 8));
  header.planes = ReadLe16(info + 12);
  header.bitsPerPixel = ReadLe16(info + 14);
  header.compression = ReadLe32(info + 16);
  header.sizeImage = ReadLe32(info + 20);
  header.xPelsPerMeter = static_cast<int32_t>(ReadLe32(info + 24));
  header.yPelsPerMeter = static_cast<int32_t>(ReadLe32(info + 28));
  header.coloursUsed = ReadLe32(info + 32);
  out = header;
  const uint16_t bits = header.bitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return InfoHeaderRead::kBadDepth;
  if (header.width <= 0 || header.height == 0 || header.height == INT32_MIN) return InfoHeaderRead::kBadShape;
  return InfoHeaderRead::kOk;
}

BitmapFileCheck ParseBitmapFile(const uint8_t* head, size_t headSize, uint64_t fileSize, DibLayout& out) {
  if (headSize < kFileHeaderBytes + 4 || head[0] != 'B' || head[1] != 'M') return BitmapFileCheck::kNotBitmap;
  DibInfoHeader info;
  const InfoHeaderRead read = ReadInfoHeader(head + kFileHeaderBytes, headSize - kFileHeaderBytes, info);
  if (read == InfoHeaderRead::kCore) return BitmapFileCheck::kUnsupported;
  if (read == InfoHeaderRead::kNotHeader) return BitmapFileCheck::kNotBitmap;
  if (read == InfoHeaderRead::kTruncated) return BitmapFileCheck::kDamaged;
  // Compressed rows and other depths are read elsewhere; a bitmap of no shape is damaged.
  if (info.compression != 0 || read == InfoHeaderRead::kBadDepth) return BitmapFileCheck::kUnsupported;
  if (read == InfoHeaderRead::kBadShape || info.planes != 1) return BitmapFileCheck::kDamaged;
  const uint32_t infoSize = info.size;
  const int32_t width = info.width;
  const int32_t height = info.height;
  const uint16_t bits = info.bitsPerPixel;
  const uint32_t used = info.coloursUsed;

  DibLayout layout;
  layout.width = static_cast<uint32_t>(width);
  layout.topDown = height < 0;
  layout.height = static_cast<uint32_t>(height < 0 ? -height : height);
  layout.bitsPerPixel = bits;
  const uint32_t maxColours = bits <= 8 ? 1u << bits : 256;
  layout.colours = bits <= 8 ? (used == 0 ? maxColours : used) : (used > maxColours ? maxColours : used);
  if (layout.colours > maxColours) return BitmapFileCheck::kDamaged;
  layout.paletteOffset = static_cast<uint32_t>(kFileHeaderBytes + infoSize);
  layout.pixelOffset = ReadLe32(head + 10);
  layout.rowBytes = DibRowBytes(layout.width, bits);
  layout.imageBytes = layout.rowBytes * layout.height;
  layout.xPelsPerMeter = info.xPelsPerMeter;
  layout.yPelsPerMeter = info.yPelsPerMeter;

  const uint64_t paletteEnd = static_cast<uint64_t>(layout.paletteOffset) + layout.colours * 4ull;
  if (layout.rowBytes == 0 || paletteEnd > layout.pixelOffset || paletteEnd > headSize ||
      layout.pixelOffset + layout.imageBytes > fileSize)
    return BitmapFileCheck::kDamaged;
  out = layout;
  return BitmapFileCheck::kOk;
}

void WriteInfoHeader(uint8_t out[kInfoHeaderBytes], const DibLayout& layout) {
  std::memset(out, 0, kInfoHeaderBytes);
  WriteLe32(out, kInfoHeaderBytes);
  WriteLe32(out + 4, layout.width);
  WriteLe32(out + 8, layout.height);
  WriteLe16(out + 12, 1);
  WriteLe16(out + 14, layout.bitsPerPixel);
  WriteLe32(out + 20, static_cast<uint32_t>(layout.imageBytes));
  WriteLe32(out + 24, static_cast<uint32_t>(layout.xPelsPerMeter));
  WriteLe32(out + 28, static_cast<uint32_t>(layout.yPelsPerMeter));
  WriteLe32(out + 32, layout.colours);
}

int DpiFromPelsPerMeter(int32_t pelsPerMeter) {
  if (pelsPerMeter <= 0) return 0;
  return static_cast<int>((static_cast<int64_t>(pelsPerMeter) * 254 + 5000) / 10000);
}

int32_t PelsPerMeterFromDpi(int dpi) {
  if (dpi <= 0) return 0;
  return static_cast<int32_t>((static_cast<int64_t>(dpi) * 10000 + 127) / 254);
}

int DpiFromReal(float dpi) {
  if (!(dpi >= 0.5f)) return 0;  // NaN fails every comparison
  return dpi >= kLargestDpi ? kLargestDpi : static_cast<int>(std::lround(dpi));
}

void FlipRows(uint8_t* rows, size_t rowBytes, uint32_t height) {
  if (height < 2) return;
  for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(rows + top * rowBytes, rows + (top + 1) * rowBytes, rows + bottom * rowBytes);
}

void ExpandRowToBgr(const uint8_t* row, uint16_t bitsPerPixel, const uint8_t* palette, uint32_t colours,
                    uint32_t width, uint8_t* out) {
  if (bitsPerPixel == 32) {
    for (uint32_t x = 0; x < width; ++x, row += 4, out += 3) std::memcpy(out, row, 3);
    return;
  }
  if (bitsPerPixel == 16) {  // 5 bits each of red, green and blue, widened to 8
    for (uint32_t x = 0; x < width; ++x, out += 3) {
      const uint32_t v = ReadLe16(row + 2 * x);
      const uint32_t b = v & 31, g = (v >> 5) & 31, r = (v >> 10) & 31;
      out[0] = static_cast<uint8_t>(b << 3 | b >> 2);
      out[1] = static_cast<uint8_t>(g << 3 | g >> 2);
      out[2] = static_cast<uint8_t>(r << 3 | r >> 2);
    }
    return;
  }
  if (bitsPerPixel == 24) {
    std::memcpy(out, row, static_cast<size_t>(width) * 3);
    return;
  }
  for (uint32_t x = 0; x < width; ++x, out += 3) {
    const uint32_t index = IndexAt(row, bitsPerPixel, x);
    if (index < colours) {
      std::memcpy(out, palette + index * 4, 3);
    } else {
      out[0] = out[1] = out[2] = 0;
    }
  }
}

void ExpandRowToRgb(const uint8_t* row, uint16_t bitsPerPixel, const uint8_t* palette, uint32_t colours,
                    uint32_t width, uint8_t* out) {
  ExpandRowToBgr(row, bitsPerPixel, palette, colours, width, out);
  for (uint32_t x = 0; x < width; ++x, out += 3) {
    const uint8_t blue = out[0];
    out[0] = out[2];
    out[2] = blue;
  }
}

void ExpandRowToGrey(const uint8_t* row, uint16_t bitsPerPixel, const uint8_t* palette, uint32_t colours,
                     uint32_t width, uint8_t* out) {
  for (uint32_t x = 0; x < width; ++x) {
    const uint32_t index = IndexAt(row, bitsPerPixel, x);
    out[x] = index < colours ? palette[index * 4] : 0;
  }
}

bool PaletteIsGrey(const uint8_t* palette, uint32_t colours) {
  for (uint32_t i = 0; i < colours; ++i, palette += 4)
    if (palette[0] != palette[1] || palette[1] != palette[2]) return false;
  return true;
}
