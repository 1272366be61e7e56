// CGreyCells: a page reduced to grey cells (the mean of `side` x `side` pixels), from its rows
// as they come, top first: what the skew and blank-page measures look at. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class CGreyCells {
 public:
  // `channels` 1 (grey) or 3 (blue, green, red). False when empty or memory is short.
  bool Begin(uint32_t width, uint32_t height, int channels, uint32_t side);
  void AddRow(const uint8_t* row);

  uint32_t Across() const { return m_across; }
  uint32_t Down() const { return m_down; }
  uint32_t Side() const { return m_side; }
  uint8_t At(uint32_t cx, uint32_t cy) const { return m_cells[static_cast<size_t>(cy) * m_across + cx]; }
  const uint8_t* Cells() const { return m_cells.get(); }

 private:
  void CloseCellRow();

  uint32_t m_width = 0, m_height = 0, m_side = 1, m_across = 0, m_down = 0;
  int m_channels = 3;
  uint32_t m_row = 0;
  std::unique_ptr<uint32_t[]> m_sums;  // the cell row being read
  std::unique_ptr<uint8_t[]> m_cells;
};
