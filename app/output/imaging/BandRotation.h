// CBandRotation: a page turned upright and cut to a turned box of the scan, row by row from
// the top, holding only the band of the scan's rows the angle needs (the box's width times the
// sine of its angle, and a few rows). The scan's rows come top first from any CPageRows, so a
// page of any size turns through a band's worth of memory. Bilinear; 24-bit rows padded to
// four bytes in and out. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/output/imaging/DocumentEdges.h"
#include "app/output/imaging/PageRows.h"

class CBandRotation final : public CPageRows {
 public:
  // The scan is `sourceWidth` x `sourceHeight`; the page is `box` (in the scan's pixels), turned
  // upright, `width` x `height` pixels. Points outside the scan are `fill` (blue, green, red).
  CBandRotation(CPageRows& source, uint32_t sourceWidth, uint32_t sourceHeight, const TurnedBox& box,
                uint32_t width, uint32_t height, const uint8_t fill[3], uint32_t strips = 0);
  // False when there was no memory for the band.
  bool Begin();
  const uint8_t* Next() override;

  uint32_t Width() const { return m_width; }
  uint32_t Height() const { return m_height; }
  // Rows of the scan the largest strip's band holds.
  uint32_t BandRows() const;
  // Bytes held for the bands and the row given.
  size_t HeldBytes() const;

  // Where the centre of page pixel (x, y) lies on the scan, in the scan's continuous pixels.
  static void SourcePoint(const TurnedBox& box, uint32_t width, uint32_t height, uint32_t x, uint32_t y,
                          double& sx, double& sy);

 private:
  // The scan's rows the page's row `y` reads: first and last (either may be outside the scan).
  void RowsFor(uint32_t y, int64_t& first, int64_t& last) const;
  bool ReadThrough(int64_t row);
  // The page is turned in vertical strips (up to four, of at least 1024 columns, or `strips`):
  // each holds, of the scan's rows it reads, only the columns it reads of them, so that the
  // bands together hold about half of what one band of whole rows would.
  struct Strip {
    double uLow = 0, uHigh = 0;  // its first and last column's centres from the page's middle
    uint32_t capacity = 0;       // scan rows held, row r at r % capacity
    size_t pixels = 0;           // of each
    std::unique_ptr<uint8_t[]> band;
    std::unique_ptr<int32_t[]> start;  // each held row's first scan column
  };
  int32_t SegmentStart(const Strip& strip, int64_t row) const;
  const uint8_t* SourceRow(const Strip& strip, int64_t row, int32_t& start) const;

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
  uint32_t m_stripCount;
  uint32_t m_stripWidth = 0;
  std::vector<Strip> m_strips;
  std::unique_ptr<uint8_t[]> m_row;
  int64_t m_read = 0;  // scan rows taken from the source
  uint32_t m_next = 0;
  bool m_failed = false;
};
