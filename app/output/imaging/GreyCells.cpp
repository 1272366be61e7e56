// Grey cells of a page.
#include "app/output/imaging/GreyCells.h"

#include <algorithm>
#include <new>

bool CGreyCells::Begin(uint32_t width, uint32_t height, int channels, uint32_t side) {
  m_width = width;
  m_height = height;
  m_channels = channels == 1 ? 1 : 3;
  m_side = std::max<uint32_t>(side, 1);
  m_row = 0;
  if (width == 0 || height == 0) return false;
  m_across = (width + m_side - 1) / m_side;
  m_down = (height + m_side - 1) / m_side;
  m_sums.reset(new (std::nothrow) uint32_t[m_across]());
  m_cells.reset(new (std::nothrow) uint8_t[static_cast<size_t>(m_across) * m_down]);
  return m_sums && m_cells;
}

void CGreyCells::AddRow(const uint8_t* row) {
  if (m_row >= m_height || !m_cells) return;
  for (uint32_t x = 0; x < m_width; ++x) {
    uint32_t grey = row[x];
    if (m_channels == 3) {
      const uint8_t* p = row + 3 * static_cast<size_t>(x);
      grey = (p[0] + 2u * p[1] + p[2] + 2) / 4;
    }
    m_sums[x / m_side] += grey;
  }
  ++m_row;
  if (m_row % m_side == 0 || m_row == m_height) CloseCellRow();
}

void CGreyCells::CloseCellRow() {
  const uint32_t cy = (m_row - 1) / m_side;
  const uint32_t rows = m_row - cy * m_side;
  for (uint32_t cx = 0; cx < m_across; ++cx) {
    const uint32_t cols = std::min(m_side, m_width - cx * m_side);
    const uint32_t n = rows * cols;
    m_cells[static_cast<size_t>(cy) * m_across + cx] = static_cast<uint8_t>((m_sums[cx] + n / 2) / n);
    m_sums[cx] = 0;
  }
}
