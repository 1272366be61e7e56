// Strip placement of a memory transfer.
#include "scan/StripAssembler.h"

#include <cstdlib>
#include <cstring>

CStripAssembler::CStripAssembler(const BitmapLayout& layout)
    : m_layout(layout), m_position(layout.fileSize) {}

CStripAssembler::~CStripAssembler() { std::free(m_buffer); }

bool CStripAssembler::Reserve(size_t size) {
  if (size <= m_capacity) return true;
  void* grown = std::realloc(m_buffer, size);
  if (!grown) return false;
  m_buffer = static_cast<uint8_t*>(grown);
  m_capacity = size;
  return true;
}

namespace {
// Four pixels at a time in three 32-bit words (r0 g0 b0 r1 | g1 b1 r2 g2 | b2 r3 g3 b3),
// little-endian, then the rest one by one.
void SwapRedBlue(const uint8_t* s, uint8_t* t, uint32_t pixels) {
  uint32_t i = 0;
  for (; i + 4 <= pixels; i += 4, s += 12, t += 12) {
    uint32_t w0, w1, w2;
    std::memcpy(&w0, s, 4);
    std::memcpy(&w1, s + 4, 4);
    std::memcpy(&w2, s + 8, 4);
    const uint32_t o0 =
        ((w0 >> 16) & 0xFF) | (w0 & 0xFF00) | ((w0 & 0xFF) << 16) | (((w1 >> 8) & 0xFF) << 24);
    const uint32_t o1 = (w1 & 0xFF) | ((w0 >> 24) << 8) | ((w2 & 0xFF) << 16) | (w1 & 0xFF000000u);
    const uint32_t o2 =
        ((w1 >> 16) & 0xFF) | ((w2 >> 24) << 8) | (w2 & 0xFF0000) | (((w2 >> 8) & 0xFF) << 24);
    std::memcpy(t, &o0, 4);
    std::memcpy(t + 4, &o1, 4);
    std::memcpy(t + 8, &o2, 4);
  }
  for (; i < pixels; ++i, s += 3, t += 3) {
    t[0] = s[2];
    t[1] = s[1];
    t[2] = s[0];
  }
}
}  // namespace

void PlaceChunkyRow(const BitmapLayout& layout, const uint8_t* source, uint32_t bytesPerRow, uint32_t columns,
                    uint8_t* target) {
  const uint32_t stride = layout.stride;
  if (layout.pixelType == TWPT_RGB) {
    // Red, green, blue become blue, green, red; the row's padding is zero.
    const uint32_t used = 3 * columns;
    SwapRedBlue(source, target, columns);
    std::memset(target + used, 0, stride - used);
    return;
  }
  const uint32_t copied = bytesPerRow < stride ? bytesPerRow : stride;
  std::memcpy(target, source, copied);
  std::memset(target + copied, 0, stride - copied);
}

void PlacePlaneRow(const BitmapLayout& layout, int pass, const uint8_t* source, uint32_t columns,
                   uint8_t* target) {
  // Red (pass 0) lands in byte 2 of each pixel, green in byte 1, blue in byte 0.
  uint8_t* out = target + (2 - pass);
  for (uint32_t k = 0; k < columns; ++k) out[3 * k] = source[k];
}

StripError CStripAssembler::Place(const StripDesc& strip, const uint8_t* data, size_t bufferLength,
                                  IPageFile& file) {
  const int passes = m_layout.planar ? 3 : 1;
  if (m_pass >= passes) return StripError::kPass;
  if (strip.rows == 0) return StripError::kNone;
  if (strip.columns != static_cast<uint32_t>(m_layout.width)) return StripError::kColumns;
  const uint32_t columns = strip.columns;
  uint64_t needed;  // source bytes each row must carry
  if (m_layout.planar)
    needed = columns;
  else if (m_layout.pixelType == TWPT_BW)
    needed = (static_cast<uint64_t>(columns) + 7) / 8;
  else
    needed = static_cast<uint64_t>(m_layout.samplesPerPixel) * columns;
  if (strip.bytesPerRow < needed) return StripError::kBytesPerRow;
  // The last row only needs its pixels; every row before it a full BytesPerRow.
  const uint64_t sourceBytes = static_cast<uint64_t>(strip.rows - 1) * strip.bytesPerRow + needed;
  if (!data || sourceBytes > bufferLength) return StripError::kBuffer;
  if (strip.bytesWritten != 0 && sourceBytes > strip.bytesWritten) return StripError::kBuffer;
  const uint32_t stride = m_layout.stride;
  const uint64_t stripBytes = static_cast<uint64_t>(strip.rows) * stride;
  if (stripBytes > m_position - m_layout.offBits) return StripError::kPage;
  if (stripBytes > SIZE_MAX || !Reserve(static_cast<size_t>(stripBytes))) return StripError::kNoMemory;

  // What the strip holds: the buffer, or less when the source says it wrote less. A row's
  // copy never reads past it (the last row may be shorter than BytesPerRow).
  const uint64_t held =
      strip.bytesWritten != 0 && strip.bytesWritten < bufferLength ? strip.bytesWritten : bufferLength;
  const uint64_t at = m_position - stripBytes;
  const size_t size = static_cast<size_t>(stripBytes);
  if (m_layout.planar) {
    if (m_pass == 0)
      std::memset(m_buffer, 0, size);
    else if (!file.ReadAt(at, m_buffer, size))
      return StripError::kRead;
  }
  for (uint32_t r = 0; r < strip.rows; ++r) {
    const uint64_t offset = static_cast<uint64_t>(r) * strip.bytesPerRow;
    const uint8_t* source = data + static_cast<size_t>(offset);
    uint8_t* target = m_buffer + static_cast<size_t>(strip.rows - 1 - r) * stride;
    const uint64_t rowBytes = held - offset < strip.bytesPerRow ? held - offset : strip.bytesPerRow;
    if (m_layout.planar)
      PlacePlaneRow(m_layout, m_pass, source, columns, target);
    else
      PlaceChunkyRow(m_layout, source, static_cast<uint32_t>(rowBytes), columns, target);
  }
  if (!file.WriteAt(at, m_buffer, size)) return StripError::kWrite;
  m_position = at;
  return StripError::kNone;
}

bool CStripAssembler::NextPass() {
  ++m_pass;
  if (!m_layout.planar || m_pass >= 3) return false;
  m_position = m_layout.fileSize;
  return true;
}
