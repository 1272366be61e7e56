// Bitmap file layouts of the edge cases, byte by byte.
#include <gtest/gtest.h>

#include <vector>

#include "framework/DiskSpace.h"
#include "scan/BitmapFile.h"

namespace {
PageInfo Page(int16_t type, int32_t width, int32_t length, int16_t dpi = 300) {
  PageInfo p;
  p.pixelType = type;
  p.width = width;
  p.length = length;
  p.samplesPerPixel = type == TWPT_RGB ? 3 : 1;
  p.xResolution = dpi;
  return p;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

std::vector<uint8_t> Headers(const BitmapLayout& l) {
  std::vector<uint8_t> out(l.offBits, 0xCC);
  WriteBitmapHeaders(l, out.data());
  return out;
}
}  // namespace

TEST(BitmapLayout, BlackAndWhiteLetterAt300) {
  BitmapLayout l;
  ASSERT_EQ(ComputeBitmapLayout(Page(TWPT_BW, 2550, 3300), &l), LayoutError::kNone);
  EXPECT_EQ(l.stride, 320);
  EXPECT_EQ(l.offBits, 62u);
  EXPECT_EQ(l.fileSize, 62u + 320u * 3300u);
  EXPECT_EQ(l.expectedSize, 319u * 3300u);
  EXPECT_EQ(StripCount(l.expectedSize, 65536), 17u);

  const auto h = Headers(l);
  ASSERT_EQ(h.size(), 62u);
  EXPECT_EQ(h[0], 'B');
  EXPECT_EQ(h[1], 'M');
  EXPECT_EQ(U32(h, 2), 62u + 320u * 3300u);
  EXPECT_EQ(U32(h, 6), 0u);
  EXPECT_EQ(U32(h, 10), 62u);
  EXPECT_EQ(U32(h, 14), 40u);
  EXPECT_EQ(U32(h, 18), 2550u);
  EXPECT_EQ(U32(h, 22), 3300u);
  EXPECT_EQ(U16(h, 26), 1);
  EXPECT_EQ(U16(h, 28), 1);
  EXPECT_EQ(U32(h, 30), 0u);
  EXPECT_EQ(U32(h, 34), 320u * 3300u);
  EXPECT_EQ(U32(h, 38), 11800u);
  EXPECT_EQ(U32(h, 42), 11800u);
  EXPECT_EQ(U32(h, 46), 2u);
  EXPECT_EQ(U32(h, 50), 0u);
  const std::vector<uint8_t> palette(h.begin() + 54, h.end());
  EXPECT_EQ(palette, (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
}

TEST(BitmapLayout, Grey850By1100) {
  BitmapLayout l;
  ASSERT_EQ(ComputeBitmapLayout(Page(TWPT_GRAY, 850, 1100, 100), &l), LayoutError::kNone);
  EXPECT_EQ(l.stride, 852);
  EXPECT_EQ(l.offBits, 1078u);
  EXPECT_EQ(l.fileSize, 1078u + 852u * 1100u);
  const auto h = Headers(l);
  EXPECT_EQ(U16(h, 28), 8);
  EXPECT_EQ(U32(h, 46), 256u);
  EXPECT_EQ(U32(h, 34), 852u * 1100u);
  EXPECT_EQ(U32(h, 38), 3900u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(h[54 + 4 * i], i);
    EXPECT_EQ(h[55 + 4 * i], i);
    EXPECT_EQ(h[56 + 4 * i], i);
    EXPECT_EQ(h[57 + 4 * i], 0);
  }
}

TEST(BitmapLayout, Colour101WideHasOnePadByte) {
  BitmapLayout l;
  ASSERT_EQ(ComputeBitmapLayout(Page(TWPT_RGB, 101, 10), &l), LayoutError::kNone);
  EXPECT_EQ(l.stride, 304);
  EXPECT_EQ(l.offBits, 54u);
  EXPECT_EQ(l.colours, 0u);
  const auto h = Headers(l);
  EXPECT_EQ(U16(h, 28), 24);
  EXPECT_EQ(U32(h, 46), 0u);
  EXPECT_EQ(U32(h, 2), 54u + 304u * 10u);
}

TEST(BitmapLayout, PelsPerMeter) {
  EXPECT_EQ(PelsPerMeter(300), 11800u);
  EXPECT_EQ(PelsPerMeter(600), 23600u);
  EXPECT_EQ(PelsPerMeter(0), 0u);
  EXPECT_EQ(PelsPerMeter(-5), 0u);
  BitmapLayout l;
  ASSERT_EQ(ComputeBitmapLayout(Page(TWPT_RGB, 8, 8, 600), &l), LayoutError::kNone);
  const auto h = Headers(l);
  EXPECT_EQ(U32(h, 38), 23600u);
  EXPECT_EQ(U32(h, 42), 23600u);
}

TEST(BitmapLayout, RowsWiderThanTheSixteenBitStrideFail) {
  BitmapLayout l;
  EXPECT_EQ(ComputeBitmapLayout(Page(TWPT_RGB, 21844, 2), &l), LayoutError::kNone);
  EXPECT_EQ(l.stride, 65532);
  EXPECT_EQ(ComputeBitmapLayout(Page(TWPT_RGB, 21845, 2), &l), LayoutError::kRowTooWide);
  EXPECT_EQ(ComputeBitmapLayout(Page(TWPT_GRAY, 65533, 2), &l), LayoutError::kRowTooWide);
  EXPECT_EQ(ComputeBitmapLayout(Page(TWPT_BW, 524256, 2), &l), LayoutError::kNone);
  EXPECT_EQ(ComputeBitmapLayout(Page(TWPT_BW, 524257, 2), &l), LayoutError::kRowTooWide);
}

TEST(BitmapLayout, BadPagesFail) {
  BitmapLayout l;
  EXPECT_EQ(ComputeBitmapLayout(Page(3, 10, 10), &l), LayoutError::kPixelType);
  EXPECT_EQ(ComputeBitmapLayout(Page(TWPT_RGB, 0, 10), &l), LayoutError::kSize);
  EXPECT_EQ(ComputeBitmapLayout(Page(TWPT_RGB, 10, -1), &l), LayoutError::kSize);
  PageInfo four = Page(TWPT_RGB, 10, 10);
  four.samplesPerPixel = 4;
  EXPECT_EQ(ComputeBitmapLayout(four, &l), LayoutError::kSamples);
  EXPECT_EQ(ComputeBitmapLayout(Page(TWPT_RGB, 20000, 80000), &l), LayoutError::kFileTooLarge);
}

TEST(BitmapLayout, ColourLetterAt1200FitsTheFileFields) {
  BitmapLayout l;
  ASSERT_EQ(ComputeBitmapLayout(Page(TWPT_RGB, 10200, 13200, 1200), &l), LayoutError::kNone);
  EXPECT_EQ(l.fileSize, 54u + 30600ull * 13200);
}

TEST(DiskSpace, ProductIsComputedIn64Bits) {
  // 20 million clusters of 8 × 512 bytes: 81.92 GB, far beyond 32 bits.
  EXPECT_EQ(FreeDiskBytes(20000000u, 8u, 512u), 81920000000ull);
  EXPECT_EQ(FreeDiskBytes(0xFFFFFFFFu, 0xFFFFFFFFu, 1u), 0xFFFFFFFEull * 0xFFFFFFFFull + 0xFFFFFFFFull);
}

TEST(StripCount, RoundsUp) {
  EXPECT_EQ(StripCount(0, 100), 0u);
  EXPECT_EQ(StripCount(100, 100), 1u);
  EXPECT_EQ(StripCount(101, 100), 2u);
  EXPECT_EQ(StripCount(100, 0), 0u);
}
