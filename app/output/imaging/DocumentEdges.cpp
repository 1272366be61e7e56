// Edges of a document on the glass and the rectangle that fits them.
#include "app/output/imaging/DocumentEdges.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

const uint8_t kPaperLevel = 60;  // a channel at or above this is paper, below it the dark glass
const int kPaperRun = 3;         // pixels of paper in a row that make an edge (not a speck)
const double kPi = 3.14159265358979323846;

// Where the level crosses kPaperLevel between the centres of two neighbours (`dark` below it,
// `light` at or above), as a distance from the dark one's centre.
double Crossing(uint8_t dark, uint8_t light) {
  if (light <= dark) return 0.5;
  return (static_cast<double>(kPaperLevel) - 0.5 - dark) / (light - dark);
}

struct Fit {
  double slope = 0;
  double offset = 0;
  size_t count = 0;
};

// Least squares of a = offset + slope * b over the pairs, then again without those further than
// `keep` from the first line.
Fit FitLine(const std::vector<std::pair<double, double>>& pairs, double keep) {
  Fit fit;
  for (int round = 0; round < 2; ++round) {
    double sb = 0, sa = 0, sbb = 0, sab = 0;
    size_t n = 0;
    for (const auto& p : pairs) {
      if (round == 1 && std::fabs(p.first - (fit.offset + fit.slope * p.second)) > keep) continue;
      sa += p.first;
      sb += p.second;
      sbb += p.second * p.second;
      sab += p.first * p.second;
      ++n;
    }
    if (n < 2) return Fit{};
    const double det = n * sbb - sb * sb;
    fit.slope = det > 0 ? (n * sab - sa * sb) / det : 0;
    fit.offset = (sa - fit.slope * sb) / n;
    fit.count = n;
  }
  return fit;
}

}  // namespace

bool CDocumentEdges::Begin(uint32_t width, uint32_t height, int channels) {
  m_width = width;
  m_height = height;
  m_channels = channels == 1 ? 1 : 3;
  m_row = 0;
  m_points.clear();
  if (width == 0 || height == 0) return false;
  m_levels.reset(new (std::nothrow) uint8_t[width]);
  m_previous.reset(new (std::nothrow) uint8_t[width]());
  m_paperRun.reset(new (std::nothrow) uint8_t[width]());
  m_topFound.reset(new (std::nothrow) bool[width]());
  m_bottom.reset(new (std::nothrow) double[width]);
  if (!m_levels || !m_previous || !m_paperRun || !m_topFound || !m_bottom) return false;
  std::fill(m_bottom.get(), m_bottom.get() + width, -1.0);
  m_points.reserve(2 * (static_cast<size_t>(width) + height));
  return true;
}

uint8_t CDocumentEdges::LevelAt(const uint8_t* row, uint32_t x) const {
  if (m_channels == 1) return row[x];
  const uint8_t* p = row + 3 * static_cast<size_t>(x);
  return std::max(p[0], std::max(p[1], p[2]));
}

void CDocumentEdges::AddRow(const uint8_t* row) {
  if (m_row >= m_height || !m_levels) return;
  const uint32_t w = m_width;
  uint8_t* level = m_levels.get();
  for (uint32_t x = 0; x < w; ++x) level[x] = LevelAt(row, x);
  const double y = m_row + 0.5;
  // The row's first and last run of paper: its crossings from the glass on either side.
  uint32_t run = 0;
  for (uint32_t x = 0; x < w; ++x) {
    run = level[x] >= kPaperLevel ? run + 1 : 0;
    if (run == kPaperRun) {
      const uint32_t first = x + 1 - kPaperRun;
      if (first > 0) m_points.push_back({first - 0.5 + Crossing(level[first - 1], level[first]), y});
      break;
    }
  }
  run = 0;
  for (uint32_t x = w; x-- > 0;) {
    run = level[x] >= kPaperLevel ? run + 1 : 0;
    if (run == kPaperRun) {
      const uint32_t last = x + kPaperRun - 1;
      if (last + 1 < w) m_points.push_back({last + 1.5 - Crossing(level[last + 1], level[last]), y});
      break;
    }
  }
  // Columns: the first crossing from the glass above, and the last from paper back to glass.
  for (uint32_t x = 0; x < w; ++x) {
    const bool paper = level[x] >= kPaperLevel;
    if (paper) {
      if (m_paperRun[x] < kPaperRun) ++m_paperRun[x];
      if (!m_topFound[x] && m_paperRun[x] == 1 && m_row > 0)
        m_topFound[x] = true, m_points.push_back({x + 0.5, m_row - 0.5 + Crossing(m_previous[x], level[x])});
      else if (!m_topFound[x] && m_row == 0)
        m_topFound[x] = true;  // paper at the image's edge: no crossing seen
    } else {
      if (m_paperRun[x] >= kPaperRun) m_bottom[x] = m_row - 0.5 + (1.0 - Crossing(level[x], m_previous[x]));
      m_paperRun[x] = 0;
    }
  }
  std::swap(m_levels, m_previous);
  ++m_row;
}

bool CDocumentEdges::Measure(TurnedBox& box) const {
  std::vector<Point> points = m_points;
  for (uint32_t x = 0; x < m_width; ++x)
    if (m_bottom[x] >= 0 && m_paperRun[x] == 0) points.push_back({x + 0.5, m_bottom[x]});
  if (points.size() < 16) return false;
  double cx = 0, cy = 0;
  for (const Point& p : points) cx += p.x, cy += p.y;
  cx /= points.size();
  cy /= points.size();

  // The angle whose upright bounding box is smallest, coarse then fine.
  auto boxArea = [&](double degrees) {
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    double u0 = 1e300, u1 = -1e300, v0 = 1e300, v1 = -1e300;
    for (const Point& p : points) {
      const double dx = p.x - cx, dy = p.y - cy;
      const double u = dx * c + dy * s, v = -dx * s + dy * c;
      u0 = std::min(u0, u), u1 = std::max(u1, u), v0 = std::min(v0, v), v1 = std::max(v1, v);
    }
    return (u1 - u0) * (v1 - v0);
  };
  double best = 0, bestArea = boxArea(0);
  for (double a = -kLargestAngle; a <= kLargestAngle + 1e-9; a += 0.25) {
    const double area = boxArea(a);
    if (area < bestArea) best = a, bestArea = area;
  }
  for (double a = best - 0.3; a <= best + 0.3 + 1e-9; a += 0.02) {
    const double area = boxArea(a);
    if (area < bestArea) best = a, bestArea = area;
  }

  // Each side's points (away from the corners) fitted by a line; their slopes correct the angle.
  double degrees = best;
  double sides[4] = {0, 0, 0, 0};  // left, right, top, bottom in the document's frame
  for (int round = 0; round < 3; ++round) {
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    double u0 = 1e300, u1 = -1e300, v0 = 1e300, v1 = -1e300;
    std::vector<std::pair<double, double>> local(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
      const double dx = points[i].x - cx, dy = points[i].y - cy;
      local[i] = {dx * c + dy * s, -dx * s + dy * c};
      u0 = std::min(u0, local[i].first), u1 = std::max(u1, local[i].first);
      v0 = std::min(v0, local[i].second), v1 = std::max(v1, local[i].second);
    }
    const double near = 2.0 + 0.01 * std::max(u1 - u0, v1 - v0);
    std::vector<std::pair<double, double>> edge[4];
    for (const auto& q : local) {
      const bool innerV = q.second > v0 + 0.15 * (v1 - v0) && q.second < v1 - 0.15 * (v1 - v0);
      const bool innerU = q.first > u0 + 0.15 * (u1 - u0) && q.first < u1 - 0.15 * (u1 - u0);
      if (innerV && q.first - u0 < near) edge[0].emplace_back(q.first, q.second);
      if (innerV && u1 - q.first < near) edge[1].emplace_back(q.first, q.second);
      if (innerU && q.second - v0 < near) edge[2].emplace_back(q.second, q.first);
      if (innerU && v1 - q.second < near) edge[3].emplace_back(q.second, q.first);
    }
    double turn = 0;
    size_t weight = 0;
    Fit fits[4];
    for (int e = 0; e < 4; ++e) {
      fits[e] = FitLine(edge[e], 1.5);
      // u = offset + slope v on the left and right (the side leans by -atan(slope)); v = offset +
      // slope u on top and bottom (by +atan(slope)).
      const double lean = std::atan(fits[e].slope) * 180 / kPi;
      turn += (e < 2 ? -lean : lean) * fits[e].count;
      weight += fits[e].count;
    }
    if (weight == 0) return false;
    // The sides' offsets where they cross the centre lines of the document.
    for (int e = 0; e < 4; ++e)
      sides[e] = fits[e].count ? fits[e].offset : (e == 0 ? u0 : e == 1 ? u1 : e == 2 ? v0 : v1);
    if (round == 2) break;
    degrees += turn / weight;
  }
  const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
  const double mu = (sides[0] + sides[1]) / 2, mv = (sides[2] + sides[3]) / 2;
  box.cx = cx + mu * c - mv * s;
  box.cy = cy + mu * s + mv * c;
  box.width = sides[1] - sides[0];
  box.height = sides[3] - sides[2];
  box.degrees = degrees;
  return box.width > 0 && box.height > 0 && std::fabs(degrees) <= kLargestAngle + 0.5;
}
