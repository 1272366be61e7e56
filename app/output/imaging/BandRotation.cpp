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
                             const TurnedBox& box, uint32_t width, uint32_t height, const uint8_t fill[3])
    : m_source(source),
      m_sourceWidth(sourceWidth),
      m_sourceHeight(sourceHeight),
      m_sourceRowBytes(RowBytes24(sourceWidth)),
      m_box(box),
      m_width(width),
      m_height(height),
      m_rowBytes(RowBytes24(width)),
      m_cos(std::cos(box.degrees * kPi / 180)),
      m_sin(std::sin(box.degrees * kPi / 180)) {
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
  const double s = std::fabs(std::sin(m_box.degrees * kPi / 180));
  m_capacity = static_cast<uint32_t>(std::ceil(m_width * s)) + 4;
  m_capacity = std::min<uint32_t>(m_capacity, m_sourceHeight + 2);
  if (static_cast<uint64_t>(m_capacity) * m_sourceRowBytes > SIZE_MAX / 2) return false;
  m_band.reset(new (std::nothrow) uint8_t[m_capacity * m_sourceRowBytes]);
  m_row.reset(new (std::nothrow) uint8_t[m_rowBytes]());
  return m_band && m_row;
}

bool CBandRotation::ReadThrough(int64_t row) {
  const int64_t end = std::min<int64_t>(row, static_cast<int64_t>(m_sourceHeight) - 1);
  while (m_read <= end) {
    const uint8_t* from = m_source.Next();
    if (!from) return false;
    std::memcpy(m_band.get() + static_cast<size_t>(m_read % m_capacity) * m_sourceRowBytes, from,
                m_sourceRowBytes);
    ++m_read;
  }
  return true;
}

const uint8_t* CBandRotation::SourceRow(int64_t row) const {
  if (row < 0 || row >= static_cast<int64_t>(m_sourceHeight) || row >= m_read || row + m_capacity < m_read)
    return nullptr;
  return m_band.get() + static_cast<size_t>(row % m_capacity) * m_sourceRowBytes;
}

const uint8_t* CBandRotation::Next() {
  if (m_failed || !m_band || m_next >= m_height) return nullptr;
  const uint32_t y = m_next++;
  int64_t first, last;
  RowsFor(y, first, last);
  if (!ReadThrough(last)) {
    m_failed = true;
    return nullptr;
  }
  const int32_t w = static_cast<int32_t>(m_sourceWidth);
  int32_t rowsAt = INT32_MIN;
  const uint8_t* rows[2] = {nullptr, nullptr};
  // The same sums as SourcePoint, with the angle's cosine and sine taken once a page.
  const double c = m_cos, sn = m_sin;
  const double v = y + 0.5 - m_height / 2.0;
  for (uint32_t x = 0; x < m_width; ++x) {
    const double u = x + 0.5 - m_width / 2.0;
    const double sx = m_box.cx + u * c - v * sn, sy = m_box.cy + u * sn + v * c;
    const double fx = sx - 0.5, fy = sy - 0.5;
    // Floor and rounding without library calls (a 32-bit build calls out for 64-bit and lround
    // arithmetic); the same values as std::floor and std::lround of these non-negative parts.
    const int32_t ix = Floor(fx), iy = Floor(fy);
    const int wx = Floor((fx - ix) * 256 + 0.5), wy = Floor((fy - iy) * 256 + 0.5);
    if (iy != rowsAt) {
      rowsAt = iy;
      rows[0] = SourceRow(iy);
      rows[1] = SourceRow(iy + 1);
    }
    uint8_t* out = m_row.get() + 3 * static_cast<size_t>(x);
    if (rows[0] && rows[1] && ix >= 0 && ix + 1 < w) {
      const uint8_t* a = rows[0] + 3 * ix;
      const uint8_t* b = rows[1] + 3 * ix;
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
        corner[k] = (row && px >= 0 && px < w) ? row[3 * px + ch] : m_fill[ch];
      }
      const int top = corner[0] * (256 - wx) + corner[1] * wx;
      const int bottom = corner[2] * (256 - wx) + corner[3] * wx;
      out[ch] = static_cast<uint8_t>((top * (256 - wy) + bottom * wy + 32768) >> 16);
    }
  }
  return m_row.get();
}
