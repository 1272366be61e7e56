// The scale arithmetic: rounding as the art generator rounds, rectangles, the art set a scale
// draws from, and the area filter that shrinks the next larger set.
#include <gtest/gtest.h>

#include "framework/ArtResample.h"
#include "framework/DisplayScale.h"

using namespace DisplayScale;

TEST(DisplayScale, LengthsRoundToNearestWithHalvesUp) {
  EXPECT_EQ(Scaled(544, 96), 544);
  EXPECT_EQ(Scaled(544, 192), 1088);
  EXPECT_EQ(Scaled(71, 144), 107);   // 106.5: the 1.5x face the generator draws
  EXPECT_EQ(Scaled(393, 144), 590);  // 589.5
  EXPECT_EQ(Scaled(71, 120), 89);    // 88.75
  EXPECT_EQ(Scaled(53, 168), 93);    // 92.75
  EXPECT_EQ(Scaled(-3, 144), -5);    // -4.5, away from zero like MulDiv
  EXPECT_EQ(Scaled(0, 192), 0);
}

TEST(DisplayScale, RectanglesKeepOneSizeWhereverTheyStand) {
  // Two faces of 71 pixels, at x 22 and x 469: both 89 wide at 125 %.
  const Rect a = ScaledRect(22, 26, 71, 52, 120);
  const Rect b = ScaledRect(469, 25, 71, 52, 120);
  EXPECT_EQ(a.right - a.left, b.right - b.left);
  EXPECT_EQ(a.left, 28);
  EXPECT_EQ(a.bottom, 33 + 65);
  const Rect same = ScaledRect(117, 34, 293, 277, 96);
  EXPECT_EQ(same.left, 117);
  EXPECT_EQ(same.bottom, 311);
}

TEST(DisplayScale, AScaleDrawsFromTheNextLargerSet) {
  EXPECT_EQ(ArtPercent(72), 100);
  EXPECT_EQ(ArtPercent(96), 100);
  EXPECT_EQ(ArtPercent(97), 150);
  EXPECT_EQ(ArtPercent(120), 150);
  EXPECT_EQ(ArtPercent(144), 150);
  EXPECT_EQ(ArtPercent(145), 200);
  EXPECT_EQ(ArtPercent(168), 200);
  EXPECT_EQ(ArtPercent(192), 200);
  EXPECT_EQ(ArtPercent(288), 200);
  EXPECT_EQ(ArtName("PATTERN", 100), "PATTERN");
  EXPECT_EQ(ArtName("HELPF", 150), "HELPF_150");
  EXPECT_EQ(ArtName("#223", 200), "BMP223_200");
  EXPECT_EQ(ArtName("#223", 100), "#223");
}

TEST(ArtResample, AreaAverageKeepsFlatsAndEdgesAndSizes) {
  // A flat colour stays that colour at every size, alpha included.
  const std::vector<uint32_t> flat(107 * 78, 0x80336699u);
  for (const auto& size : {std::pair<int, int>{89, 65}, {71, 52}, {150, 110}}) {
    const std::vector<uint32_t> out = ArtResample::Resample(flat, 107, 78, size.first, size.second);
    ASSERT_EQ(out.size(), static_cast<size_t>(size.first * size.second));
    for (uint32_t p : out) ASSERT_EQ(p, 0x80336699u);
  }
  // Halving averages each 2 x 2 block, byte by byte.
  const std::vector<uint32_t> block = {0x000000FFu, 0x00000001u, 0xFF000000u, 0x00FF0000u,
                                       0x00000002u, 0x00000000u, 0x00000000u, 0x0000FF00u};
  const std::vector<uint32_t> half = ArtResample::Resample(block, 4, 2, 2, 1);
  ASSERT_EQ(half.size(), 2u);
  EXPECT_EQ(half[0], 0x00000041u);  // (255 + 1 + 2 + 0) / 4 = 64.5, rounded up
  EXPECT_EQ(half[1], 0x40404000u);
  // A hard edge at 2x (black left half, white right half of 6 columns) shrunk to 5 columns by
  // 150 % -> 125 %: one blended column, the rest pure; the brightness sum is kept.
  std::vector<uint32_t> edge(6 * 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 3; x < 6; ++x) edge[static_cast<size_t>(y * 6 + x)] = 0x00FFFFFFu;
  const std::vector<uint32_t> five = ArtResample::Resample(edge, 6, 2, 5, 2);
  ASSERT_EQ(five.size(), 10u);
  EXPECT_EQ(five[0], 0u);
  EXPECT_EQ(five[1], 0u);
  EXPECT_EQ(five[2], 0x00808080u);  // half on column 2 (black), half on column 3 (white)
  EXPECT_EQ(five[3], 0x00FFFFFFu);
  EXPECT_EQ(five[4], 0x00FFFFFFu);
  // Too little input, or an empty size, gives nothing rather than a read past the end.
  EXPECT_TRUE(ArtResample::Resample(block, 4, 3, 2, 1).empty());
  EXPECT_TRUE(ArtResample::Resample(block, 4, 2, 0, 1).empty());
}
