// The virtual scanner's glass with its documents.
#include "tools/vscanner/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
const double kPi = 3.14159265358979323846;
}  // namespace

CScene::CScene(const std::vector<DocumentPlacement>& documents, const ScanWindow& window) : m_window(window) {
  for (int i = 0; i < 256; ++i) m_levels[i] = static_cast<uint8_t>(i);
  if (documents.size() == 1 && documents[0].degrees == 0 && !documents[0].upsideDown) {
    m_single = std::make_unique<CPageModel>(documents[0], window);
    return;
  }
  for (const DocumentPlacement& placement : documents) {
    Turned doc;
    doc.placement = placement;
    ScanWindow own;
    own.dpiX = window.dpiX;
    own.dpiY = window.dpiY;
    own.width = doc.width = static_cast<int32_t>(std::ceil(placement.width * window.dpiX));
    own.height = doc.height = static_cast<int32_t>(std::ceil(placement.height * window.dpiY));
    DocumentPlacement alone = placement;
    alone.left = alone.top = 0;
    doc.upright = std::make_unique<CPageModel>(alone, own);
    // One glass row crosses the document's rows over its width times the angle's tangent.
    const double t = std::fabs(std::tan(placement.degrees * kPi / 180));
    doc.rows = std::min<int32_t>(doc.height,
                                 static_cast<int32_t>(std::ceil(std::max(doc.width, doc.height) * t)) + 8);
    doc.ring.resize(static_cast<size_t>(doc.rows) * doc.width * 3);
    doc.held.assign(static_cast<size_t>(doc.rows), -1);
    m_turned.push_back(std::move(doc));
  }
}

void CScene::SetLevels(int32_t brightness, int32_t contrast) {
  if (m_single) {
    m_single->SetLevels(brightness, contrast);
    return;
  }
  m_identityLevels = brightness == 0 && contrast == 0;
  CPageModel::LevelTable(brightness, contrast, m_levels);
}

const uint8_t* CScene::UprightRow(Turned& doc, int32_t row) {
  const size_t slot = static_cast<size_t>(row % doc.rows);
  uint8_t* at = doc.ring.data() + slot * doc.width * 3;
  if (doc.held[slot] != row) {
    doc.upright->RenderRow(row, at);
    doc.held[slot] = row;
  }
  return at;
}

void CScene::RenderRow(int32_t y, uint8_t* rgb) {
  if (m_single) {
    m_single->RenderRow(y, rgb);
    return;
  }
  const uint8_t* glass = CPageModel::GlassColour();
  for (int32_t x = 0; x < m_window.width; ++x) std::memcpy(rgb + 3 * x, glass, 3);
  const double glassY = m_window.top + (y + 0.5) / m_window.dpiY;
  for (Turned& doc : m_turned) DrawTurned(doc, glassY, rgb);
  if (!m_identityLevels)
    for (int32_t i = 0; i < 3 * m_window.width; ++i) rgb[i] = m_levels[rgb[i]];
}

// Each pixel whose centre lies on the document takes the document's colour there, between its
// four nearest upright pixels.
void CScene::DrawTurned(Turned& doc, double glassY, uint8_t* rgb) {
  const DocumentPlacement& p = doc.placement;
  const double c = std::cos(p.degrees * kPi / 180), s = std::sin(p.degrees * kPi / 180);
  const double cx = p.left + p.width / 2, cy = p.top + p.height / 2;
  const double dy = glassY - cy;
  const double reach = (p.width * std::fabs(c) + p.height * std::fabs(s)) / 2 + 0.1;
  const int32_t x0 = std::max<int32_t>(0, static_cast<int32_t>((cx - reach - m_window.left) * m_window.dpiX));
  const int32_t x1 = std::min<int32_t>(
      m_window.width, static_cast<int32_t>((cx + reach - m_window.left) * m_window.dpiX) + 1);
  for (int32_t x = x0; x < x1; ++x) {
    const double dx = m_window.left + (x + 0.5) / m_window.dpiX - cx;
    double u = dx * c + dy * s + p.width / 2, v = -dx * s + dy * c + p.height / 2;
    if (u < 0 || v < 0 || u >= p.width || v >= p.height) continue;
    if (p.upsideDown) u = p.width - u, v = p.height - v;
    const double fx = std::clamp(u * m_window.dpiX - 0.5, 0.0, doc.width - 1.0);
    const double fy = std::clamp(v * m_window.dpiY - 0.5, 0.0, doc.height - 1.0);
    const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    const int32_t ix1 = std::min(ix + 1, doc.width - 1), iy1 = std::min(iy + 1, doc.height - 1);
    const double wx = fx - ix, wy = fy - iy;
    const uint8_t* top = UprightRow(doc, iy);
    const uint8_t* bottom = UprightRow(doc, iy1);
    for (int ch = 0; ch < 3; ++ch) {
      const double upper = top[3 * ix + ch] * (1 - wx) + top[3 * ix1 + ch] * wx;
      const double lower = bottom[3 * ix + ch] * (1 - wx) + bottom[3 * ix1 + ch] * wx;
      rgb[3 * x + ch] = static_cast<uint8_t>(std::lround(upper * (1 - wy) + lower * wy));
    }
  }
}
