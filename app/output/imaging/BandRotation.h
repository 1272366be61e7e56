// CBandRotation: a page turned upright and cut to a turned box of the scan, row by row from
// the top, holding only the band of the scan's rows the angle needs (the box's width times the
// sine of its angle, and a few rows). The scan's rows come top first from any CPageRows, so a
// page of any size turns through a band's worth of memory. Bilinear; 24-bit rows padded to
// four bytes in and out. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/output/imaging/DocumentEdges.h"
#include "app/output/imaging/PageRows.h"

class CBandRotation final : public CPageRows {
 public:
  // The scan is `sourceWidth` x `sourceHeight`; the page is `box` (in the scan's pixels), turned
  // upright, `width` x `height` pixels. Points outside the scan are `fill` (blue, green, red).
  CBandRotation(CPageRows& source, uint32_t sourceWidth, uint32_t sourceHeight, const TurnedBox& box,
                uint32_t width, uint32_t height, const uint8_t fill[3]);
  // False when there was no memory for the band.
  bool Begin();
  const uint8_t* Next() override;

  uint32_t Width() const { return m_width; }
  uint32_t Height() const { return m_height; }
  // Rows of the scan the band holds.
  uint32_t BandRows() const { return m_capacity; }
  // Bytes held for the band and the row given.
  size_t HeldBytes() const { return static_cast<size_t>(m_capacity) * m_sourceRowBytes + m_rowBytes; }

  // Where the centre of page pixel (x, y) lies on the scan, in the scan's continuous pixels.
  static void SourcePoint(const TurnedBox& box, uint32_t width, uint32_t height, uint32_t x, uint32_t y,
                          double& sx, double& sy);

 private:
  // The scan's rows the page's row `y` reads: first and last (either may be outside the scan).
  void RowsFor(uint32_t y, int64_t& first, int64_t& last) const;
  bool ReadThrough(int64_t row);
  const uint8_t* SourceRow(int64_t row) const;

  CPageRows& m_source;
  uint32_t m_sourceWidth;
  uint32_t m_sourceHeight;
  size_t m_sourceRowBytes;
  TurnedBox m_box;
  uint32_t m_width;
  uint32_t m_height;
  size_t m_rowBytes;
  double m_cos;
  double m_sin;
  uint8_t m_fill[3];
  uint32_t m_capacity = 0;
  std::unique_ptr<uint8_t[]> m_band;  // ring of m_capacity scan rows, row r at r % m_capacity
  std::unique_ptr<uint8_t[]> m_row;
  int64_t m_read = 0;  // scan rows taken from the source
  uint32_t m_next = 0;
  bool m_failed = false;
};
