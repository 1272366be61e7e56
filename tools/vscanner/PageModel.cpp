// The virtual scanner's scene.
#include "tools/vscanner/PageModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/vscanner/FontData.inc"

namespace {
const uint8_t kGlass[3] = {28, 30, 34};
const uint8_t kPaper[3] = {246, 244, 238};
const uint8_t kInk[3] = {22, 22, 28};
const uint8_t kSun[3] = {255, 222, 130};
const uint8_t kHill1[3] = {86, 140, 70};
const uint8_t kHill2[3] = {40, 96, 48};
const uint8_t kFrame[3] = {60, 60, 64};

const char* const kBodyTop[] = {
    "Dear customer, thank you for choosing the Orvane scanner panel. This",
    "page is printed by the virtual scanner so that every part of the",
    "program can be tried without a real device: copy, fax, mail, OCR and",
    "the image editor all receive the same sheet. The text is set in a",
    "plain sans serif face at eleven points, dark on a light page.",
};
const char* const kBodyBottom[] = {
    "The photograph above shows soft colour gradients and hard edges, which",
    "makes it a good test for compression and for the automatic detection",
    "of the document on the dark glass of the flatbed. Please keep this",
    "sheet for your records. Questions about your order 4711 may be sent",
    "to the service desk at any time; we answer within two working days.",
    "",
    "Kind regards,",
    "The Orvane service team",
};

int GlyphIndex(char c) { return (c < 32 || c > 126) ? 0 : c - 32; }
}  // namespace

CPageModel::CPageModel(const DocumentPlacement& placement, const ScanWindow& window)
    : m_doc(placement), m_window(window) {
  const double margin = 0.75;
  m_lines.push_back({margin, 0.55, 0.42, "QUARTERLY REPORT"});
  m_lines.push_back({margin, 1.10, 0.20,
                     "Orvane scanner test page " + std::to_string(m_doc.pageNumber) + " of " +
                         std::to_string(m_doc.pageCount)});
  double y = 1.60;
  for (const char* text : kBodyTop) {
    m_lines.push_back({margin, y, 0.17, text});
    y += 0.25;
  }
  m_photoLeft = margin;
  m_photoTop = y + 0.15;
  m_photoRight = std::min(m_doc.width - margin, margin + 6.0);
  m_photoBottom = m_photoTop + 2.6;
  m_lines.push_back({margin, m_photoBottom + 0.12, 0.17, "Figure 1. Evening over the hills near the lake."});
  y = m_photoBottom + 0.55;
  for (const char* text : kBodyBottom) {
    if (*text) m_lines.push_back({margin, y, 0.17, text});
    y += 0.25;
  }
  m_lines.push_back(
      {m_doc.width - margin - 1.2, m_doc.height - 0.6, 0.17, "Page " + std::to_string(m_doc.pageNumber)});
  if (m_doc.blank || m_doc.photo) m_lines.clear();
  // Lines that do not fit the document are not printed.
  while (!m_lines.empty() && m_lines.back().top + m_lines.back().cell > m_doc.height) m_lines.pop_back();

  // A blank sheet has no photograph either; a photograph is nothing else.
  if (m_doc.blank) m_photoTop = m_photoBottom = -1;
  if (m_doc.photo) {
    m_lines.clear();
    m_photoLeft = m_photoTop = 0;
    m_photoRight = m_doc.width;
    m_photoBottom = m_doc.height;
  }
  m_photoSpan = Columns(m_doc.left + m_photoLeft, m_doc.left + m_photoRight);
  for (int32_t p = m_photoSpan.begin; p < m_photoSpan.end; ++p) {
    const double x = m_window.left + (p + 0.5) / m_window.dpiX - m_doc.left - m_photoLeft;
    m_hill1.push_back(m_photoTop + 1.45 + 0.22 * std::sin(x * 1.9) + 0.08 * std::sin(x * 5.1));
    m_hill2.push_back(m_photoTop + 1.85 + 0.18 * std::sin(x * 1.3 + 2.0) + 0.05 * std::sin(x * 7.7));
  }
  m_last.assign(static_cast<size_t>(m_window.width > 0 ? m_window.width : 0) * 3, 0);
  for (int i = 0; i < 256; ++i) m_levels[i] = static_cast<uint8_t>(i);
}

std::vector<std::string> CPageModel::Lines() const {
  std::vector<std::string> lines;
  for (const TextLine& line : m_lines) lines.push_back(line.text);
  return lines;
}

void CPageModel::LevelTable(int32_t brightness, int32_t contrast, uint8_t table[256]) {
  for (int i = 0; i < 256; ++i) {
    const double v = (i - 128.0) * (1000.0 + contrast) / 1000.0 + 128.0 + brightness * 128.0 / 1000.0;
    table[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : std::lround(v));
  }
}

const uint8_t* CPageModel::GlassColour() { return kGlass; }

void CPageModel::SetLevels(int32_t brightness, int32_t contrast) {
  m_identityLevels = brightness == 0 && contrast == 0;
  LevelTable(brightness, contrast, m_levels);
  m_lastKey = -2;
}

CPageModel::Span CPageModel::Columns(double fromInches, double toInches) const {
  // A pixel belongs to a run when its centre lies inside.
  auto column = [&](double inches) {
    const double p = std::ceil((inches - m_window.left) * m_window.dpiX - 0.5);
    return static_cast<int32_t>(p < 0 ? 0 : p > m_window.width ? m_window.width : p);
  };
  return {column(fromInches), column(toInches)};
}

void CPageModel::Fill(uint8_t* rgb, Span span, const uint8_t colour[3]) const {
  for (int32_t p = span.begin; p < span.end; ++p) std::memcpy(rgb + 3 * p, colour, 3);
}

void CPageModel::RenderRow(int32_t y, uint8_t* rgb) {
  const size_t bytes = m_last.size();
  const double glassY = m_window.top + (y + 0.5) / m_window.dpiY;
  const double docY = glassY - m_doc.top;
  // Rows are keyed by what they show; rows through the photograph are always fresh.
  int64_t key;
  if (docY < 0 || docY >= m_doc.height) {
    key = -1;
  } else if (docY >= m_photoTop && docY < m_photoBottom) {
    key = -3;
  } else {
    key = 0;
    for (size_t i = 0; i < m_lines.size(); ++i) {
      const TextLine& line = m_lines[i];
      if (docY >= line.top && docY < line.top + line.cell) {
        const int glyphRow = static_cast<int>((docY - line.top) / line.cell * kFontHeight);
        key = 1 + static_cast<int64_t>(i) * 64 + glyphRow;
        break;
      }
    }
  }
  if (key != m_lastKey || key == -3) {
    RenderFresh(y, glassY, m_last.data());
    m_lastKey = key;
  }
  std::memcpy(rgb, m_last.data(), bytes);
}

void CPageModel::RenderFresh(int32_t y, double glassY, uint8_t* rgb) {
  const Span all{0, m_window.width};
  Fill(rgb, all, kGlass);
  const double docY = glassY - m_doc.top;
  if (docY >= 0 && docY < m_doc.height) {
    Fill(rgb, Columns(m_doc.left, m_doc.left + m_doc.width), kPaper);
    if (docY >= m_photoTop && docY < m_photoBottom) {
      RenderPhotoRow(docY, rgb);
    } else {
      for (const TextLine& line : m_lines) {
        if (docY >= line.top && docY < line.top + line.cell) {
          RenderText(line, static_cast<int>((docY - line.top) / line.cell * kFontHeight), rgb);
          break;
        }
      }
    }
  }
  if (!m_identityLevels) {
    for (int32_t i = 0; i < 3 * m_window.width; ++i) rgb[i] = m_levels[rgb[i]];
  }
}

void CPageModel::RenderText(const TextLine& line, int glyphRow, uint8_t* rgb) const {
  if (glyphRow < 0 || glyphRow >= kFontHeight) return;
  const double scale = line.cell / kFontHeight;  // inches per font pixel
  double x = m_doc.left + line.x;
  for (char c : line.text) {
    const int g = GlyphIndex(c);
    const unsigned int bits = kFontRows[g][glyphRow];
    int bit = 0;
    while (bit < 32) {
      if (!(bits & (0x80000000u >> bit))) {
        ++bit;
        continue;
      }
      int end = bit;
      while (end < 32 && (bits & (0x80000000u >> end))) ++end;
      Fill(rgb, Columns(x + bit * scale, x + end * scale), kInk);
      bit = end;
    }
    x += kFontAdvance[g] * scale;
  }
}

void CPageModel::RenderPhotoRow(double docY, uint8_t* rgb) const {
  const double frame = 0.03;
  const double t = (docY - m_photoTop) / (m_photoBottom - m_photoTop);
  const uint8_t sky[3] = {static_cast<uint8_t>(70 + 150 * t), static_cast<uint8_t>(120 + 100 * t),
                          static_cast<uint8_t>(200 + 40 * t)};
  Fill(rgb, m_photoSpan, sky);
  const double sunX = m_photoLeft + 4.3, sunY = m_photoTop + 0.75, radius = 0.38;
  const double dy = docY - sunY;
  if (std::fabs(dy) < radius) {
    const double half = std::sqrt(radius * radius - dy * dy);
    Fill(rgb, Columns(m_doc.left + sunX - half, m_doc.left + sunX + half), kSun);
  }
  const double lake = m_photoTop + 2.15;
  for (int32_t p = m_photoSpan.begin; p < m_photoSpan.end; ++p) {
    const size_t i = static_cast<size_t>(p - m_photoSpan.begin);
    uint8_t* px = rgb + 3 * p;
    if (docY >= lake) {
      const uint8_t wave = static_cast<uint8_t>(20 * (0.5 + 0.5 * std::sin(docY * 90.0)));
      px[0] = static_cast<uint8_t>(30 + wave);
      px[1] = static_cast<uint8_t>(70 + wave);
      px[2] = static_cast<uint8_t>(120 + 2 * wave);
    } else if (docY >= m_hill2[i]) {
      std::memcpy(px, kHill2, 3);
    } else if (docY >= m_hill1[i]) {
      std::memcpy(px, kHill1, 3);
    }
  }
  // A thin dark frame round the print.
  if (docY < m_photoTop + frame || docY >= m_photoBottom - frame) {
    Fill(rgb, m_photoSpan, kFrame);
  } else {
    Fill(rgb, Columns(m_doc.left + m_photoLeft, m_doc.left + m_photoLeft + frame), kFrame);
    Fill(rgb, Columns(m_doc.left + m_photoRight - frame, m_doc.left + m_photoRight), kFrame);
  }
}
