// Page rows from memory and from a bitmap file in bands.
#include "app/output/imaging/PageRows.h"

#include <new>

namespace {
const uint32_t kMaxBandRows = 16;
const uint64_t kBandBytes = 1024 * 1024;
}  // namespace

const uint8_t* CMemoryRows::Next() {
  if (m_given >= m_layout.height) return nullptr;
  const uint32_t stored = m_layout.height - 1 - m_given++;  // the top row is stored last
  return m_rows + static_cast<size_t>(m_layout.rowBytes) * stored;
}

CBitmapFileRows::CBitmapFileRows(const DibLayout& layout, Read read, void* context)
    : m_layout(layout), m_read(read), m_context(context) {
  if (layout.rowBytes == 0 || layout.height == 0) return;
  uint64_t rows = kBandBytes / layout.rowBytes;
  rows = rows < 1 ? 1 : rows > kMaxBandRows ? kMaxBandRows : rows;
  const uint64_t bytes = rows * layout.rowBytes;
  if (bytes > SIZE_MAX / 2) return;
  m_bandRows = static_cast<uint32_t>(rows);
  m_band.reset(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]);
}

const uint8_t* CBitmapFileRows::Next() {
  if (!m_band || m_failed || m_next >= m_layout.height) return nullptr;
  if (m_next >= m_bandTop + m_bandCount && !ReadBand()) {
    m_failed = true;
    return nullptr;
  }
  // A bottom-up file holds the band's rows in reverse.
  const uint32_t inBand = m_layout.topDown ? m_next - m_bandTop : m_bandTop + m_bandCount - 1 - m_next;
  ++m_next;
  return m_band.get() + static_cast<size_t>(m_layout.rowBytes) * inBand;
}

bool CBitmapFileRows::ReadBand() {
  const uint32_t left = m_layout.height - m_next;
  const uint32_t count = left < m_bandRows ? left : m_bandRows;
  // First stored row of the band: rows are stored from the top, or from the bottom.
  const uint64_t firstStored =
      m_layout.topDown ? m_next : static_cast<uint64_t>(m_layout.height) - m_next - count;
  if (!m_read(m_context, m_layout.pixelOffset + firstStored * m_layout.rowBytes, m_band.get(),
              static_cast<size_t>(count * m_layout.rowBytes)))
    return false;
  m_bandTop = m_next;
  m_bandCount = count;
  return true;
}
