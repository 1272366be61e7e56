// Bitmap files of native pages: the parts of a packed DIB measured against its block.
#include "app/output/imaging/PackedDib.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
std::vector<uint8_t> Dib(int32_t width, int32_t height, uint16_t bits, uint32_t colours, size_t extra = 0) {
  const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
  const uint32_t table = (bits <= 8 ? (colours ? colours : 1u << bits) : colours) * 4;
  std::vector<uint8_t> block(40 + table + stride * rows + extra, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) block[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  block[12] = 1;
  block[14] = static_cast<uint8_t>(bits);
  put32(32, colours);
  return block;
}
}  // namespace

TEST(PackedDib, MeasuresHeaderTableAndRows) {
  DibLayout layout;
  std::vector<uint8_t> grey = Dib(3, 2, 8, 0);
  ASSERT_TRUE(MeasurePackedDib(grey.data(), grey.size(), layout));
  EXPECT_EQ(layout.pixelOffset, 14u + 40u + 1024u);
  EXPECT_EQ(layout.imageBytes, 8u);  // rows padded to 4 bytes
  uint8_t header[kFileHeaderBytes];
  WriteBitmapFileHeader(layout, header);
  EXPECT_EQ(header[0], 'B');
  EXPECT_EQ(header[1], 'M');
  EXPECT_EQ(header[2] | header[3] << 8, 14 + 1064 + 8);
  EXPECT_EQ(header[10] | header[11] << 8, 14 + 1064);

  std::vector<uint8_t> colour = Dib(5, -4, 24, 0);  // top-down rows
  ASSERT_TRUE(MeasurePackedDib(colour.data(), colour.size(), layout));
  EXPECT_EQ(layout.pixelOffset, 14u + 40u);
  EXPECT_EQ(layout.imageBytes, 16u * 4);
  EXPECT_TRUE(layout.topDown);
  std::vector<uint8_t> bw = Dib(9, 1, 1, 2);
  ASSERT_TRUE(MeasurePackedDib(bw.data(), bw.size(), layout));
  EXPECT_EQ(layout.pixelOffset, 14u + 48u);
}

TEST(PackedDib, RefusesBlocksItsHeaderOverstates) {
  DibLayout layout;
  std::vector<uint8_t> dib = Dib(100, 100, 24, 0);
  EXPECT_FALSE(MeasurePackedDib(dib.data(), dib.size() - 1, layout));
  EXPECT_FALSE(MeasurePackedDib(dib.data(), 39, layout));
  EXPECT_FALSE(MeasurePackedDib(nullptr, 100, layout));
  std::vector<uint8_t> huge = Dib(1, 1, 24, 0);
  huge[4] = huge[5] = huge[6] = 0xFF;  // a width of millions of pixels
  huge[7] = 0x0F;
  EXPECT_FALSE(MeasurePackedDib(huge.data(), huge.size(), layout));
  std::vector<uint8_t> odd = Dib(4, 4, 24, 0);
  odd[14] = 7;
  EXPECT_FALSE(MeasurePackedDib(odd.data(), odd.size(), layout));
  std::vector<uint8_t> palette = Dib(4, 4, 8, 0);
  palette[32] = 0x01;  // 257 colours
  palette[33] = 0x01;
  EXPECT_FALSE(MeasurePackedDib(palette.data(), palette.size(), layout));
}
