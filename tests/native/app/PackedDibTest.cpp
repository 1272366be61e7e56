// Packed bitmaps are checked against their block before they are drawn.
#include <gtest/gtest.h>

#include <vector>

#include "app/output/PackedDib.h"

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BITMAPINFOHEADER followed by `extra` bytes (colour table, masks and rows).
std::vector<uint8_t> Dib(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t used,
                         size_t extra) {
  std::vector<uint8_t> b(40 + extra, 0);
  Put32(b, 0, 40);
  Put32(b, 4, static_cast<uint32_t>(width));
  Put32(b, 8, static_cast<uint32_t>(height));
  b[12] = 1;
  b[14] = static_cast<uint8_t>(bits);
  Put32(b, 16, compression);
  Put32(b, 32, used);
  return b;
}

bool Read(const std::vector<uint8_t>& b, PackedDibLayout* layout) {
  return ReadPackedDibLayout(b.data(), b.size(), layout);
}

}  // namespace

TEST(PackedDib, RowsAndColourTablesAreFoundAndMustFit) {
  PackedDibLayout layout;
  // 3 x 2 at 24 bits: rows of 9 bytes padded to 12, right after the header.
  std::vector<uint8_t> dib = Dib(3, 2, 24, 0, 0, 24);
  ASSERT_TRUE(Read(dib, &layout));
  EXPECT_EQ(layout.width, 3);
  EXPECT_EQ(layout.height, 2);
  EXPECT_EQ(layout.stride, 12u);
  EXPECT_EQ(layout.bitsOffset, 40u);
  dib.pop_back();
  EXPECT_FALSE(Read(dib, &layout));

  // 1 bit: a two-colour table, then rows of 4 bytes; top-down rows count the same.
  ASSERT_TRUE(Read(Dib(17, -3, 1, 0, 0, 8 + 12), &layout));
  EXPECT_EQ(layout.bitsOffset, 48u);
  EXPECT_EQ(layout.stride, 4u);
  EXPECT_EQ(layout.height, 3);
  // 8 bits with 16 colours used: a table of 16 entries.
  ASSERT_TRUE(Read(Dib(4, 1, 8, 0, 16, 64 + 4), &layout));
  EXPECT_EQ(layout.bitsOffset, 104u);
  // 32 bits with masks after the 40-byte header.
  ASSERT_TRUE(Read(Dib(1, 1, 32, 3, 0, 12 + 4), &layout));
  EXPECT_EQ(layout.bitsOffset, 52u);
}

TEST(PackedDib, RefusesWhatCannotBeDrawnSafely) {
  PackedDibLayout layout;
  EXPECT_FALSE(ReadPackedDibLayout(nullptr, 0, &layout));
  EXPECT_FALSE(Read(std::vector<uint8_t>(39, 0), &layout));
  EXPECT_FALSE(Read(Dib(0, 1, 24, 0, 0, 16), &layout));       // no width
  EXPECT_FALSE(Read(Dib(1, 0, 24, 0, 0, 16), &layout));       // no rows
  EXPECT_FALSE(Read(Dib(4, 1, 8, 1, 0, 1024 + 4), &layout));  // run-length rows
  EXPECT_FALSE(Read(Dib(4, 1, 1, 0, 3, 12 + 4), &layout));    // three colours in one bit
  EXPECT_FALSE(Read(Dib(4, 1, 7, 0, 0, 64), &layout));        // no such depth
  // A colour count or size that would wrap 32-bit arithmetic.
  EXPECT_FALSE(Read(Dib(4, 1, 24, 0, 0x40000000, 16), &layout));
  EXPECT_FALSE(Read(Dib(0x7fffffff, 0x7fffffff, 32, 0, 0, 16), &layout));
  EXPECT_FALSE(Read(Dib(1 << 20, 1 << 20, 32, 0, 0, 16), &layout));
  // A header that claims more than the block holds.
  std::vector<uint8_t> dib = Dib(1, 1, 24, 0, 0, 4);
  Put32(dib, 0, 4096);
  EXPECT_FALSE(Read(dib, &layout));
}
