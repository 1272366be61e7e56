// Documents on the glass measured and turned upright, text-line skew, blank pages and the
// reading order of several documents, on pages drawn here with known angles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "app/output/imaging/BandRotation.h"
#include "app/output/imaging/BlankPage.h"
#include "app/output/imaging/DocumentEdges.h"
#include "app/output/imaging/GreyCells.h"
#include "app/output/imaging/ReadingOrder.h"
#include "app/output/imaging/TextSkew.h"

namespace {

const double kPi = 3.14159265358979323846;

// A 24-bit page, rows top first, padded to four bytes.
struct Page {
  uint32_t width = 0, height = 0;
  size_t stride = 0;
  std::vector<uint8_t> bytes;
  Page(uint32_t w, uint32_t h) : width(w), height(h), stride((w * 3 + 3) / 4 * 4), bytes(stride * h) {}
  uint8_t* Row(uint32_t y) { return bytes.data() + stride * y; }
  const uint8_t* Row(uint32_t y) const { return bytes.data() + stride * y; }
};

class PageRowsOf final : public CPageRows {
 public:
  explicit PageRowsOf(const Page& page) : m_page(page) {}
  const uint8_t* Next() override { return m_next < m_page.height ? m_page.Row(m_next++) : nullptr; }
  uint32_t m_next = 0;

 private:
  const Page& m_page;
};

// Draws `level(u, v)` (a grey level at document point u, v from its top-left corner, or -1 off
// the document) turned by `degrees` about the page's centre plus (dx, dy), 3 x 3 samples a pixel.
Page Draw(uint32_t w, uint32_t h, double degrees, const std::function<int(double, double)>& level,
          double docW, double docH, double dx = 0, double dy = 0, int glass = 30) {
  Page page(w, h);
  const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
  const double cx = w / 2.0 + dx, cy = h / 2.0 + dy;
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      int sum = 0;
      for (int sy = 0; sy < 3; ++sy)
        for (int sx = 0; sx < 3; ++sx) {
          const double px = x + (sx + 0.5) / 3 - cx, py = y + (sy + 0.5) / 3 - cy;
          const double u = px * c + py * s + docW / 2, v = -px * s + py * c + docH / 2;
          const int l = (u >= 0 && v >= 0 && u < docW && v < docH) ? level(u, v) : -1;
          sum += l < 0 ? glass : l;
        }
      uint8_t* p = page.Row(y) + 3 * x;
      p[0] = p[1] = p[2] = static_cast<uint8_t>((sum + 4) / 9);
    }
  return page;
}

// Lines of "words" (strokes 3 units wide every 8) on paper, a line every `pitch` units.
int TextAt(double u, double v, double docW, double docH, double pitch = 40) {
  const double margin = 0.08 * std::min(docW, docH);
  if (u < margin || v < margin || u > docW - margin || v > docH - margin) return 235;
  const double inLine = std::fmod(v - margin, pitch);
  if (inLine > pitch * 0.5) return 235;
  const int word = static_cast<int>((u - margin) / 70);
  if (std::fmod(u - margin, 70) > 45 + 15 * (word % 3 == 0)) return 235;
  return std::fmod(u, 8) < 3 ? 20 : 235;
}

TurnedBox MeasureOn(const Page& page) {
  CDocumentEdges edges;
  EXPECT_TRUE(edges.Begin(page.width, page.height, 3));
  for (uint32_t y = 0; y < page.height; ++y) edges.AddRow(page.Row(y));
  TurnedBox box;
  EXPECT_TRUE(edges.Measure(box));
  return box;
}

}  // namespace

// A letter's edges at known angles both ways, to a tenth of a degree and a pixel, and a
// prescan-sized one (a few dozen pixels) to within half a degree.
TEST(Straighten, MeasuresTheDocumentsAngleAndEdges) {
  const double docW = 425, docH = 550;
  for (double degrees : {-19.5, -8.0, -0.5, 0.0, 0.5, 4.0, 15.0}) {
    SCOPED_TRACE(degrees);
    const Page page = Draw(
        680, 760, degrees, [&](double u, double v) { return TextAt(u, v, docW, docH); }, docW, docH, 7.3,
        -4.6);
    const TurnedBox box = MeasureOn(page);
    EXPECT_NEAR(box.degrees, degrees, 0.1);
    EXPECT_NEAR(box.cx, 340 + 7.3, 1.0);
    EXPECT_NEAR(box.cy, 380 - 4.6, 1.0);
    EXPECT_NEAR(box.width, docW, 1.5);
    EXPECT_NEAR(box.height, docH, 1.5);
  }
  const Page prescan = Draw(
      110, 120, -6.0, [](double, double) { return 240; }, 60, 80);
  EXPECT_NEAR(MeasureOn(prescan).degrees, -6.0, 0.5);
}

// The page turned through a band gives the pixels of the whole image turned at once, reads
// each row of the scan once, and holds no more rows than the angle needs.
TEST(Straighten, RotationInBandsGivesTheWholeImagesPixels) {
  Page scan(301, 233);
  std::mt19937 random(7);
  for (auto& b : scan.bytes) b = static_cast<uint8_t>(random());
  const uint8_t fill[3] = {255, 255, 255};
  for (const auto& [degrees, strips] : {std::pair{-13.0, 1u}, {0.0, 1u}, {7.5, 1u}, {-13.0, 3u}, {7.5, 4u}}) {
    SCOPED_TRACE(::testing::Message() << degrees << " degrees, " << strips << " strips");
    const TurnedBox box{150.0, 117.0, 270.0, 190.0, degrees};
    PageRowsOf rows(scan);
    CBandRotation rotation(rows, scan.width, scan.height, box, 268, 188, fill, strips);
    ASSERT_TRUE(rotation.Begin());
    EXPECT_LE(rotation.BandRows(), std::ceil(268 * std::fabs(std::sin(degrees * kPi / 180))) + 6);
    // Strips hold, of the rows, only the columns they read.
    if (strips > 1 && degrees != 0) {
      EXPECT_LT(rotation.HeldBytes(), rotation.BandRows() * 301 * 3 * 0.8);
    }
    for (uint32_t y = 0; y < 188; ++y) {
      const uint8_t* row = rotation.Next();
      ASSERT_NE(row, nullptr);
      for (uint32_t x = 0; x < 268; ++x) {
        double sx, sy;
        CBandRotation::SourcePoint(box, 268, 188, x, y, sx, sy);
        const double fx = sx - 0.5, fy = sy - 0.5;
        const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
        const int wx = static_cast<int>(std::lround((fx - ix) * 256)),
                  wy = static_cast<int>(std::lround((fy - iy) * 256));
        for (int ch = 0; ch < 3; ++ch) {
          auto at = [&](int px, int py) {
            if (px < 0 || py < 0 || px >= 301 || py >= 233) return 255;
            return static_cast<int>(scan.Row(static_cast<uint32_t>(py))[3 * px + ch]);
          };
          const int top = at(ix, iy) * (256 - wx) + at(ix + 1, iy) * wx;
          const int bottom = at(ix, iy + 1) * (256 - wx) + at(ix + 1, iy + 1) * wx;
          ASSERT_EQ(row[3 * x + ch], (top * (256 - wy) + bottom * wy + 32768) >> 16) << x << "," << y;
        }
      }
    }
    EXPECT_EQ(rotation.Next(), nullptr);
    EXPECT_LE(rows.m_next, scan.height);
  }
  // A scan that ends early fails the page rather than filling it.
  Page shortScan(40, 40);
  PageRowsOf rows(shortScan);
  CBandRotation rotation(rows, 40, 80, TurnedBox{20, 40, 40, 80, 3}, 40, 80, fill);
  ASSERT_TRUE(rotation.Begin());
  const uint8_t* row = nullptr;
  int given = 0;
  while ((row = rotation.Next()) != nullptr) ++given;
  EXPECT_LT(given, 80);
}

// Measured, turned and cropped with a two-pixel inset: a straight page with no glass at its
// edges, its text lines level.
TEST(Straighten, StraightenedPageHasNoGlassAndLevelLines) {
  const double docW = 400, docH = 500;
  for (double degrees : {-11.0, 4.0}) {
    SCOPED_TRACE(degrees);
    const Page scan = Draw(
        560, 620, degrees, [&](double u, double v) { return TextAt(u, v, docW, docH); }, docW, docH);
    TurnedBox box = MeasureOn(scan);
    const uint32_t w = static_cast<uint32_t>(box.width) - 4, h = static_cast<uint32_t>(box.height) - 4;
    PageRowsOf rows(scan);
    const uint8_t fill[3] = {0, 0, 0};
    CBandRotation rotation(rows, scan.width, scan.height, box, w, h, fill);
    ASSERT_TRUE(rotation.Begin());
    Page out(w, h);
    for (uint32_t y = 0; y < h; ++y) std::copy_n(rotation.Next(), out.stride, out.Row(y));
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x : {0u, 1u, w - 2, w - 1}) ASSERT_GT(out.Row(y)[3 * x], 200) << x << "," << y;
    for (uint32_t x = 0; x < w; ++x)
      for (uint32_t y : {0u, 1u, h - 2, h - 1}) ASSERT_GT(out.Row(y)[3 * x], 200) << x << "," << y;
    CGreyCells cells;
    ASSERT_TRUE(cells.Begin(w, h, 3, 1));
    for (uint32_t y = 0; y < h; ++y) cells.AddRow(out.Row(y));
    EXPECT_NEAR(MeasureTextSkew(cells).degrees, 0.0, 0.15);
  }
}

// Text lines at known skews to about a tenth of a degree; a photograph and a blank page give
// no confident measure.
TEST(Straighten, TextSkewOfLinesOnlyWhenConfident) {
  const double w = 640, h = 820;
  auto cellsOf = [](const Page& page) {
    CGreyCells cells;
    EXPECT_TRUE(cells.Begin(page.width, page.height, 3, 1));
    for (uint32_t y = 0; y < page.height; ++y) cells.AddRow(page.Row(y));
    return cells;
  };
  for (double degrees : {-8.5, -2.0, 0.7, 3.0, 9.5}) {
    SCOPED_TRACE(degrees);
    const Page page = Draw(
        640, 820, degrees, [&](double u, double v) { return TextAt(u, v, w * 2, h * 2, 26); }, w * 2, h * 2,
        0, 0, 235);
    const SkewMeasure skew = MeasureTextSkew(cellsOf(page));
    EXPECT_TRUE(skew.confident);
    EXPECT_NEAR(skew.degrees, degrees, 0.12);
  }
  std::mt19937 random(3);
  const Page photo = Draw(
      640, 820, 2.0,
      [&](double u, double v) {
        return static_cast<int>(128 + 90 * std::sin(u / 37) * std::cos(v / 53)) +
               static_cast<int>(random() % 20);
      },
      w * 2, h * 2);
  EXPECT_FALSE(MeasureTextSkew(cellsOf(photo)).confident);
  const Page blank = Draw(
      640, 820, 0, [](double, double) { return 240; }, w * 2, h * 2);
  EXPECT_FALSE(MeasureTextSkew(cellsOf(blank)).confident);
}

// The labelled set: paper, paper with noise and specks, and show-through are blank; one short
// line, a signature and light pencil are content.
TEST(Straighten, BlankPagesAndPagesWithAnyContent) {
  const uint32_t w = 850, h = 1100;  // 100 dpi Letter
  std::mt19937 random(11);
  std::normal_distribution<double> noise(0, 6);
  auto page = [&](const std::function<int(double, double)>& mark) {
    Page p(w, h);
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x) {
        int level = 238 + static_cast<int>(noise(random));
        const int m = mark(x, y);
        if (m >= 0) level = m + static_cast<int>(noise(random));
        if (random() % 20000 == 0) level = 40;  // a speck of dust
        uint8_t* px = p.Row(y) + 3 * x;
        px[0] = px[1] = px[2] = static_cast<uint8_t>(std::clamp(level, 0, 255));
      }
    CGreyCells cells;
    EXPECT_TRUE(cells.Begin(w, h, 3, BlankCellSide(100)));
    for (uint32_t y = 0; y < h; ++y) cells.AddRow(p.Row(y));
    return MeasureBlank(cells);
  };
  EXPECT_TRUE(page([](double, double) { return -1; }).blank);
  // Text from the back, blurred and faint.
  EXPECT_TRUE(page([](double x, double y) { return TextAt(x, y, 850, 1100) < 100 ? 228 : -1; }).blank);
  // One short line: "Page 2" sized, 8 characters at 10 points.
  EXPECT_FALSE(page([](double x, double y) {
                 return (x > 400 && x < 460 && y > 1000 && y < 1010 && std::fmod(x, 6) < 2) ? 30 : -1;
               }).blank);
  // A signature: a thin wavy stroke.
  EXPECT_FALSE(page([](double x, double y) {
                 return (x > 500 && x < 700 && std::fabs(y - (900 + 15 * std::sin(x / 9))) < 1.0) ? 60 : -1;
               }).blank);
  // Light pencil: a faint line a pixel wide.
  EXPECT_FALSE(
      page([](double x, double y) { return (x > 100 && x < 300 && y >= 500 && y < 501) ? 180 : -1; }).blank);
}

// Two rows of documents, the second row's left one slightly higher than its neighbour, and a
// long receipt beside two small ones.
TEST(Straighten, ReadingOrderTopToBottomLeftToRight) {
  // x1, y1 (bottom), x2, y2 (top), y from the top of the glass.
  std::vector<CRectObj> areas = {
      {160, 300, 300, 200}, {10, 295, 140, 190}, {150, 120, 300, 10}, {10, 100, 140, 15}};
  SortInReadingOrder(areas);
  ASSERT_EQ(areas.size(), 4u);
  EXPECT_EQ(areas[0].x1, 10);
  EXPECT_EQ(areas[0].y2, 15);
  EXPECT_EQ(areas[1].x1, 150);
  EXPECT_EQ(areas[2].x1, 10);
  EXPECT_EQ(areas[3].x1, 160);
  std::vector<CRectObj> receipts = {{200, 390, 280, 300}, {10, 390, 90, 10}, {200, 120, 280, 30}};
  SortInReadingOrder(receipts);
  EXPECT_EQ(receipts[0].x1, 10);
  EXPECT_EQ(receipts[1].y2, 30);
  EXPECT_EQ(receipts[2].y2, 300);
}
