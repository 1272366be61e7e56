// A turned box of a scan, upright, through a band of the scan's rows.
#include "app/output/imaging/BandRotation.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

namespace {

const double kPi = 3.14159265358979323846;

size_t RowBytes24(uint32_t width) { return (static_cast<size_t>(width) * 3 + 3) / 4 * 4; }

int32_t Floor(double value) {
  const int32_t truncated = static_cast<int32_t>(value);
  return value < truncated ? truncated - 1 : truncated;
}

}  // namespace

CBandRotation::CBandRotation(CPageRows& source, uint32_t sourceWidth, uint32_t sourceHeight,
                             const TurnedBox& box, uint32_t width, uint32_t height, const uint8_t fill[3],
                             uint32_t strips)
    : m_source(source),
      m_sourceWidth(sourceWidth),
      m_sourceHeight(sourceHeight),
      m_sourceRowBytes(RowBytes24(sourceWidth)),
      m_box(box),
      m_width(width),
      m_height(height),
      m_rowBytes(RowBytes24(width)),
      m_cos(std::cos(box.degrees * kPi / 180)),
      m_sin(std::sin(box.degrees * kPi / 180)),
      m_stripCount(strips) {
  std::memcpy(m_fill, fill, 3);
}

void CBandRotation::SourcePoint(const TurnedBox& box, uint32_t width, uint32_t height, uint32_t x, uint32_t y,
                                double& sx, double& sy) {
  const double c = std::cos(box.degrees * kPi / 180), s = std::sin(box.degrees * kPi / 180);
  const double u = x + 0.5 - width / 2.0, v = y + 0.5 - height / 2.0;
  sx = box.cx + u * c - v * s;
  sy = box.cy + u * s + v * c;
}

void CBandRotation::RowsFor(uint32_t y, int64_t& first, int64_t& last) const {
  double x0, y0, x1, y1;
  SourcePoint(m_box, m_width, m_height, 0, y, x0, y0);
  SourcePoint(m_box, m_width, m_height, m_width - 1, y, x1, y1);
  first = static_cast<int64_t>(std::floor(std::min(y0, y1) - 0.5));
  last = static_cast<int64_t>(std::floor(std::max(y0, y1) - 0.5)) + 1;
}

bool CBandRotation::Begin() {
  if (m_width == 0 || m_height == 0 || m_sourceWidth == 0 || std::fabs(m_box.degrees) >= 45) return false;
  const uint32_t count =
      m_stripCount ? m_stripCount : std::max<uint32_t>(1, std::min<uint32_t>(4, m_width / 1024));
  m_stripWidth = (m_width + count - 1) / count;
  const double t = m_sin / m_cos;
  const double uFirst = 0.5 - m_width / 2.0, uLast = m_width - 0.5 - m_width / 2.0;
  m_strips.clear();
  for (uint32_t first = 0; first < m_width; first += m_stripWidth) {
    Strip strip;
    strip.uLow = first + 0.5 - m_width / 2.0;
    strip.uHigh = std::min(first + m_stripWidth, m_width) - 0.5 - m_width / 2.0;
    // The rows it holds: from its own lowest need up to the rows the page's leading edge reads.
    const double reach = m_sin >= 0 ? (uLast - strip.uLow) * m_sin : (strip.uHigh - uFirst) * -m_sin;
    strip.capacity = std::min<uint32_t>(static_cast<uint32_t>(std::ceil(reach)) + 6, m_sourceHeight + 2);
    // The scan columns one of its rows is read over (two rows of neighbours, a margin of two).
    strip.pixels = static_cast<size_t>(std::ceil((strip.uHigh - strip.uLow) / m_cos + 2 * std::fabs(t))) + 8;
    strip.pixels = std::min<size_t>(strip.pixels, m_sourceWidth + 8);
    if (static_cast<uint64_t>(strip.capacity) * strip.pixels * 3 > SIZE_MAX / 4) return false;
    strip.band.reset(new (std::nothrow) uint8_t[strip.capacity * strip.pixels * 3]);
    strip.start.reset(new (std::nothrow) int32_t[strip.capacity]);
    if (!strip.band || !strip.start) return false;
    m_strips.push_back(std::move(strip));
  }
  m_row.reset(new (std::nothrow) uint8_t[m_rowBytes]());
  return m_row != nullptr;
}

size_t CBandRotation::HeldBytes() const {
  size_t bytes = m_rowBytes;
  for (const Strip& strip : m_strips)
    bytes += strip.capacity * strip.pixels * 3 + strip.capacity * sizeof(int32_t);
  return bytes;
}

uint32_t CBandRotation::BandRows() const {
  uint32_t rows = 0;
  for (const Strip& strip : m_strips) rows = std::max(rows, strip.capacity);
  return rows;
}

// The first scan column a strip reads of scan row `row`: pixels whose centre lies within a row
// of it, on either side, along the strip's width.
int32_t CBandRotation::SegmentStart(const Strip& strip, int64_t row) const {
  const double t = m_sin / m_cos;
  const double above = (row - 0.5 - m_box.cy) * t, below = (row + 1.5 - m_box.cy) * t;
  const double least = m_box.cx + strip.uLow / m_cos - std::max(above, below);
  return Floor(least - 0.5) - 2;
}

bool CBandRotation::ReadThrough(int64_t row) {
  const int64_t end = std::min<int64_t>(row, static_cast<int64_t>(m_sourceHeight) - 1);
  const int32_t w = static_cast<int32_t>(m_sourceWidth);
  while (m_read <= end) {
    const uint8_t* from = m_source.Next();
    if (!from) return false;
    for (Strip& strip : m_strips) {
      const size_t slot = static_cast<size_t>(static_cast<uint64_t>(m_read) % strip.capacity);
      const int32_t start = SegmentStart(strip, m_read);
      strip.start[slot] = start;
      uint8_t* to = strip.band.get() + slot * strip.pixels * 3;
      // The scan's pixels the segment covers in one copy; outside the scan the fill.
      const int64_t end = static_cast<int64_t>(start) + static_cast<int64_t>(strip.pixels);
      const int64_t inFirst = std::max<int64_t>(start, 0), inEnd = std::min<int64_t>(end, w);
      for (int64_t px = start; px < std::min(inFirst, end); ++px)
        std::memcpy(to + 3 * (px - start), m_fill, 3);
      if (inFirst < inEnd)
        std::memcpy(to + 3 * (inFirst - start), from + 3 * inFirst,
                    static_cast<size_t>(3 * (inEnd - inFirst)));
      for (int64_t px = std::max(inEnd, inFirst); px < end; ++px)
        std::memcpy(to + 3 * (px - start), m_fill, 3);
    }
    ++m_read;
  }
  return true;
}

const uint8_t* CBandRotation::SourceRow(const Strip& strip, int64_t row, int32_t& start) const {
  if (row < 0 || row >= static_cast<int64_t>(m_sourceHeight) || row >= m_read ||
      row + strip.capacity < m_read)
    return nullptr;
  const size_t slot = static_cast<size_t>(static_cast<uint64_t>(row) % strip.capacity);
  start = strip.start[slot];
  return strip.band.get() + slot * strip.pixels * 3;
}

const uint8_t* CBandRotation::Next() {
  if (m_failed || m_strips.empty() || m_next >= m_height) return nullptr;
  const uint32_t y = m_next++;
  int64_t first, last;
  RowsFor(y, first, last);
  if (!ReadThrough(last)) {
    m_failed = true;
    return nullptr;
  }
  const int32_t w = static_cast<int32_t>(m_sourceWidth);
  // The same sums as SourcePoint, with the angle's cosine and sine taken once a page.
  const double c = m_cos, sn = m_sin;
  const double v = y + 0.5 - m_height / 2.0;
  for (const Strip& strip : m_strips) {
    const uint32_t x0 = static_cast<uint32_t>(&strip - m_strips.data()) * m_stripWidth;
    const uint32_t x1 = std::min(x0 + m_stripWidth, m_width);
    int32_t rowsAt = INT32_MIN;
    const uint8_t* rows[2] = {nullptr, nullptr};
    int32_t starts[2] = {0, 0};
    for (uint32_t x = x0; x < x1; ++x) {
      const double u = x + 0.5 - m_width / 2.0;
      const double sx = m_box.cx + u * c - v * sn, sy = m_box.cy + u * sn + v * c;
      const double fx = sx - 0.5, fy = sy - 0.5;
      // Floor and rounding without library calls (a 32-bit build calls out for 64-bit and
      // lround arithmetic); the same values as std::floor and std::lround of these parts.
      const int32_t ix = Floor(fx), iy = Floor(fy);
      const int wx = Floor((fx - ix) * 256 + 0.5), wy = Floor((fy - iy) * 256 + 0.5);
      if (iy != rowsAt) {
        rowsAt = iy;
        rows[0] = SourceRow(strip, iy, starts[0]);
        rows[1] = SourceRow(strip, iy + 1, starts[1]);
      }
      uint8_t* out = m_row.get() + 3 * static_cast<size_t>(x);
      const int64_t pixels = static_cast<int64_t>(strip.pixels);
      const int64_t at0 = static_cast<int64_t>(ix) - starts[0], at1 = static_cast<int64_t>(ix) - starts[1];
      if (rows[0] && rows[1] && ix >= 0 && ix + 1 < w && at0 >= 0 && at0 + 1 < pixels && at1 >= 0 &&
          at1 + 1 < pixels) {
        const uint8_t* a = rows[0] + 3 * at0;
        const uint8_t* b = rows[1] + 3 * at1;
        for (int ch = 0; ch < 3; ++ch) {
          const int top = a[ch] * (256 - wx) + a[3 + ch] * wx;
          const int bottom = b[ch] * (256 - wx) + b[3 + ch] * wx;
          out[ch] = static_cast<uint8_t>((top * (256 - wy) + bottom * wy + 32768) >> 16);
        }
        continue;
      }
      for (int ch = 0; ch < 3; ++ch) {
        int corner[4];
        for (int k = 0; k < 4; ++k) {
          const int32_t px = ix + (k & 1);
          const uint8_t* row = rows[k >> 1];
          const int64_t at = static_cast<int64_t>(px) - starts[k >> 1];
          corner[k] = (row && px >= 0 && px < w && at >= 0 && at < pixels) ? row[3 * at + ch] : m_fill[ch];
        }
        const int top = corner[0] * (256 - wx) + corner[1] * wx;
        const int bottom = corner[2] * (256 - wx) + corner[3] * wx;
        out[ch] = static_cast<uint8_t>((top * (256 - wy) + bottom * wy + 32768) >> 16);
      }
    }
  }
  return m_row.get();
}
