// CDocumentEdges: a document's four edges against the dark glass and its angle, measured on
// the rows of a scan or prescan as they come (top first): each row's first and last crossing
// into paper and each column's, to a fraction of a pixel, then a rectangle fitted to them.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A rectangle turned on the image. Pixel (x, y) covers [x, x + 1) x [y, y + 1), y down from the
// top row. A point at (u, v) from the centre along the document's sides lies on the image at
// cx + u cos(a) - v sin(a), cy + u sin(a) + v cos(a): a positive angle turns the document
// clockwise as the image is seen.
struct TurnedBox {
  double cx = 0;
  double cy = 0;
  double width = 0;
  double height = 0;
  double degrees = 0;
};

class CDocumentEdges {
 public:
  // The largest angle measured either way, in degrees.
  static constexpr double kLargestAngle = 20.0;

  // `channels` 1 (grey) or 3 (blue, green, red). False for an empty image or a memory shortage.
  bool Begin(uint32_t width, uint32_t height, int channels);
  // The next row from the top, `width` pixels.
  void AddRow(const uint8_t* row);
  // The document's box; false when too few edge points were found for a rectangle.
  bool Measure(TurnedBox& box) const;
  size_t PointCount() const { return m_points.size(); }

 private:
  struct Point {
    double x;
    double y;
  };
  uint8_t LevelAt(const uint8_t* row, uint32_t x) const;

  uint32_t m_width = 0;
  uint32_t m_height = 0;
  int m_channels = 3;
  uint32_t m_row = 0;
  std::unique_ptr<uint8_t[]> m_levels;    // this row's levels
  std::unique_ptr<uint8_t[]> m_previous;  // the row above's
  std::unique_ptr<uint8_t[]> m_paperRun;  // rows of paper in a row in each column, up to 3
  std::unique_ptr<bool[]> m_topFound;
  std::unique_ptr<double[]> m_bottom;  // each column's last crossing from paper to glass; -1
  std::vector<Point> m_points;
};
