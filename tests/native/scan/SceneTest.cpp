// The virtual scanner's glass: a document turned at an angle, one upside down, a blank one and
// two side by side.
#include "tools/vscanner/Scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

ScanWindow Window(double dpi, double left, double top, double width, double height) {
  ScanWindow window;
  window.dpiX = window.dpiY = dpi;
  window.left = left;
  window.top = top;
  window.width = static_cast<int32_t>(std::lround(width * dpi));
  window.height = static_cast<int32_t>(std::lround(height * dpi));
  return window;
}

std::vector<std::vector<uint8_t>> Render(CScene& scene, const ScanWindow& window) {
  std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(window.height),
                                         std::vector<uint8_t>(static_cast<size_t>(window.width) * 3));
  for (int32_t y = 0; y < window.height; ++y) scene.RenderRow(y, rows[static_cast<size_t>(y)].data());
  return rows;
}

bool IsGlass(const std::vector<std::vector<uint8_t>>& rows, double x, double y, double dpi) {
  return rows[static_cast<size_t>(y * dpi)][3 * static_cast<size_t>(x * dpi)] < 60;
}

}  // namespace

TEST(Scene, TurnedUpsideDownBlankAndSideBySide) {
  // 10 degrees clockwise about the centre (4, 5.5): the top-left corner moves right and up.
  DocumentPlacement turned;
  turned.left = 1.5, turned.top = 2.0, turned.width = 5.0, turned.height = 7.0, turned.degrees = 10;
  const ScanWindow glass = Window(30, 0, 0, 8.5, 11.7);
  CScene scene({turned}, glass);
  const auto rows = Render(scene, glass);
  const double kPi = 3.14159265358979323846, c = std::cos(10 * kPi / 180), s = std::sin(10 * kPi / 180);
  auto corner = [&](double u, double v, double& x, double& y) {
    x = 4.0 + u * c - v * s;
    y = 5.5 + u * s + v * c;
  };
  double x, y;
  corner(-2.5 + 0.15, -3.5 + 0.15, x, y);  // just inside the turned top-left corner
  EXPECT_FALSE(IsGlass(rows, x, y, 30));
  corner(-2.5 - 0.15, -3.5 + 0.15, x, y);  // just outside its left edge
  EXPECT_TRUE(IsGlass(rows, x, y, 30));
  EXPECT_TRUE(IsGlass(rows, 1.55, 2.05, 30));  // where the upright corner would be

  // Upside down and exactly framed: row y is the upright row h - 1 - y, right to left.
  DocumentPlacement upright;
  upright.left = upright.top = 0;
  upright.width = 4.0;
  upright.height = 5.0;
  DocumentPlacement flipped = upright;
  flipped.upsideDown = true;
  const ScanWindow frame = Window(40, 0, 0, 4.0, 5.0);
  CScene straight({upright}, frame), reversed({flipped}, frame);
  const auto a = Render(straight, frame), b = Render(reversed, frame);
  for (size_t row = 0; row < a.size(); row += 7)
    for (size_t px = 0; px < 160; px += 3)
      ASSERT_EQ(b[a.size() - 1 - row][3 * (159 - px) + 1], a[row][3 * px + 1]) << row << "," << px;

  // A blank sheet is paper throughout; a second document beside the first is drawn too.
  DocumentPlacement blank = upright;
  blank.blank = true;
  blank.degrees = 0.5;
  DocumentPlacement receipt;
  receipt.left = 5.0, receipt.top = 1.0, receipt.width = 3.0, receipt.height = 6.0, receipt.degrees = -3;
  CScene two({blank, receipt}, glass);
  const auto both = Render(two, glass);
  for (size_t row = 15; row < 135; ++row)
    for (size_t px = 15; px < 105; ++px) ASSERT_GT(both[row][3 * px + 1], 200) << row << "," << px;
  EXPECT_FALSE(IsGlass(both, 6.5, 4.0, 30));
  EXPECT_TRUE(IsGlass(both, 4.5, 4.0, 30));
}
