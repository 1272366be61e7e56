// Bitmap file headers checked against the file, packed headers, resolution units, row expansion.
#include "app/output/imaging/DibLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// A whole bitmap file as a writer would make it.
std::vector<uint8_t> BitmapFile(int32_t width, int32_t height, uint16_t bits, uint32_t colours = 0,
                                uint32_t infoSize = 40) {
  const uint32_t tableEntries = bits <= 8 ? (colours ? colours : 1u << bits) : colours;
  const uint32_t offset = 14 + infoSize + tableEntries * 4;
  const uint64_t row = DibRowBytes(static_cast<uint32_t>(width), bits);
  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
  std::vector<uint8_t> file(offset + row * rows, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<uint32_t>(file.size()));
  Put32(file, 10, offset);
  Put32(file, 14, infoSize);
  Put32(file, 18, static_cast<uint32_t>(width));
  Put32(file, 22, static_cast<uint32_t>(height));
  Put16(file, 26, 1);
  Put16(file, 28, bits);
  Put32(file, 38, 11811);
  Put32(file, 42, 5906);
  Put32(file, 46, colours);
  return file;
}

BitmapFileCheck Parse(const std::vector<uint8_t>& file, DibLayout& layout) {
  return ParseBitmapFile(file.data(), file.size() < kBitmapHeadBytes ? file.size() : kBitmapHeadBytes,
                         file.size(), layout);
}

TEST(DibLayout, ReadsTheFilesTheScannerWrites) {
  DibLayout layout;
  struct Case {
    int32_t width, height;
    uint16_t bits;
    uint32_t colours, rowBytes;
  } cases[] = {{2550, 3300, 24, 0, 7652}, {2550, 3300, 8, 256, 2552}, {2550, 3300, 1, 2, 320},
               {33, 7, 4, 16, 20},        {3, 2, 32, 0, 12},          {5, 2, 16, 0, 12}};
  for (const Case& c : cases) {
    const auto file = BitmapFile(c.width, c.height, c.bits);
    ASSERT_EQ(Parse(file, layout), BitmapFileCheck::kOk) << c.bits;
    EXPECT_EQ(layout.width, static_cast<uint32_t>(c.width));
    EXPECT_EQ(layout.height, static_cast<uint32_t>(c.height));
    EXPECT_EQ(layout.colours, c.colours);
    EXPECT_EQ(layout.rowBytes, c.rowBytes);
    EXPECT_EQ(layout.imageBytes, uint64_t(c.rowBytes) * c.height);
    EXPECT_EQ(layout.pixelOffset, 54 + c.colours * 4);
    EXPECT_FALSE(layout.topDown);
    EXPECT_EQ(DpiFromPelsPerMeter(layout.xPelsPerMeter), 300);
    EXPECT_EQ(DpiFromPelsPerMeter(layout.yPelsPerMeter), 150);
  }
  // A short colour table, a later header version and rows stored from the top.
  ASSERT_EQ(Parse(BitmapFile(10, 10, 8, 2), layout), BitmapFileCheck::kOk);
  EXPECT_EQ(layout.colours, 2u);
  ASSERT_EQ(Parse(BitmapFile(10, 10, 24, 0, 124), layout), BitmapFileCheck::kOk);
  EXPECT_EQ(layout.paletteOffset, 14u + 124u);
  ASSERT_EQ(Parse(BitmapFile(10, -10, 24), layout), BitmapFileCheck::kOk);
  EXPECT_TRUE(layout.topDown);
  EXPECT_EQ(layout.height, 10u);
}

TEST(DibLayout, FlipRowsTurnsTopDownRowsBottomUp) {
  std::vector<uint8_t> rows = {1, 1, 2, 2, 3, 3};
  FlipRows(rows.data(), 2, 3);
  EXPECT_EQ(rows, (std::vector<uint8_t>{3, 3, 2, 2, 1, 1}));
  FlipRows(rows.data(), 2, 1);  // one row stays
  EXPECT_EQ(rows[0], 3);
}

TEST(DibLayout, RefusesWhatItCannotTrust) {
  DibLayout layout;
  std::vector<uint8_t> text(100, 'x');
  EXPECT_EQ(Parse(text, layout), BitmapFileCheck::kNotBitmap);
  EXPECT_EQ(Parse(std::vector<uint8_t>{'B', 'M'}, layout), BitmapFileCheck::kNotBitmap);

  auto file = BitmapFile(10, 10, 24);
  file.pop_back();  // one pixel byte short
  EXPECT_EQ(Parse(file, layout), BitmapFileCheck::kDamaged);
  file = BitmapFile(10, 10, 8);
  Put32(file, 10, 54 + 100);  // the pixels would start inside the colour table
  EXPECT_EQ(Parse(file, layout), BitmapFileCheck::kDamaged);
  file = BitmapFile(10, 10, 8);
  Put32(file, 46, 300);  // more colours than 8 bits can index
  EXPECT_EQ(Parse(file, layout), BitmapFileCheck::kDamaged);
  file = BitmapFile(10, 10, 24);
  Put32(file, 18, 0x80000000u);  // negative width
  EXPECT_EQ(Parse(file, layout), BitmapFileCheck::kDamaged);
  file = BitmapFile(10, 10, 24);
  Put32(file, 18, 0x7FFFFFFFu);  // rows longer than 32 bits can say, far beyond the file
  EXPECT_EQ(Parse(file, layout), BitmapFileCheck::kDamaged);
  file = BitmapFile(10, 10, 24);
  Put32(file, 22, 0x7FFFFFFFu);
  EXPECT_EQ(Parse(file, layout), BitmapFileCheck::kDamaged);

  // Compressed and bit-field files and the old core header go to the general decoder.
  file = BitmapFile(10, 10, 8);
  Put32(file, 30, 1);
  EXPECT_EQ(Parse(file, layout), BitmapFileCheck::kUnsupported);
  file = BitmapFile(10, 10, 32);
  Put32(file, 30, 3);
  EXPECT_EQ(Parse(file, layout), BitmapFileCheck::kUnsupported);
  file = BitmapFile(10, 10, 24);
  Put32(file, 14, 12);
  EXPECT_EQ(Parse(file, layout), BitmapFileCheck::kUnsupported);
}

TEST(DibLayout, InfoHeaderAndResolutionUnits) {
  DibLayout layout;
  layout.width = 306;
  layout.height = 396;
  layout.bitsPerPixel = 24;
  layout.imageBytes = 920 * 396;
  layout.xPelsPerMeter = PelsPerMeterFromDpi(36);
  layout.yPelsPerMeter = PelsPerMeterFromDpi(36);
  uint8_t header[kInfoHeaderBytes];
  WriteInfoHeader(header, layout);
  EXPECT_EQ(header[0], 40);
  EXPECT_EQ(header[4] | header[5] << 8, 306);
  EXPECT_EQ(header[8] | header[9] << 8, 396);
  EXPECT_EQ(header[12], 1);
  EXPECT_EQ(header[14], 24);
  EXPECT_EQ(header[16], 0);  // uncompressed
  EXPECT_EQ(uint32_t(header[20] | header[21] << 8 | header[22] << 16), 920u * 396u);
  for (int dpi : {36, 72, 96, 150, 300, 600, 1200, 2400})
    EXPECT_EQ(DpiFromPelsPerMeter(PelsPerMeterFromDpi(dpi)), dpi);
  EXPECT_EQ(PelsPerMeterFromDpi(300), 11811);
  EXPECT_EQ(DpiFromPelsPerMeter(0), 0);
  EXPECT_EQ(DpiFromPelsPerMeter(-5), 0);
  EXPECT_EQ(PelsPerMeterFromDpi(0), 0);
}

TEST(DibLayout, DecodedResolutionsAreRoundedAndHeld) {
  EXPECT_EQ(DpiFromReal(299.6f), 300);
  EXPECT_EQ(DpiFromReal(0.4f), 0);
  EXPECT_EQ(DpiFromReal(-72.0f), 0);
  EXPECT_EQ(DpiFromReal(NAN), 0);
  EXPECT_EQ(DpiFromReal(3e9f), kLargestDpi);
  EXPECT_EQ(DpiFromReal(INFINITY), kLargestDpi);
  EXPECT_EQ(PelsPerMeterFromDpi(DpiFromReal(1e30f)), 2580118);
}

TEST(DibLayout, RowsExpandThroughThePalette) {
  const uint8_t palette[] = {0, 0, 0, 0, 255, 255, 255, 0, 10, 20, 30, 0};
  uint8_t out[30];
  // 1 bit: the leftmost pixel in the high bit.
  const uint8_t bits1[] = {0xA0};  // 1 0 1 0 0
  ExpandRowToBgr(bits1, 1, palette, 2, 5, out);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[3], 0);
  EXPECT_EQ(out[6], 255);
  EXPECT_EQ(out[12], 0);
  // 4 bits: high nibble first; an index past the table is black.
  const uint8_t bits4[] = {0x21, 0xF0};
  ExpandRowToBgr(bits4, 4, palette, 3, 3, out);
  EXPECT_EQ(out[0], 10);
  EXPECT_EQ(out[2], 30);
  EXPECT_EQ(out[3], 255);
  EXPECT_EQ(out[6], 0);
  // 8 bits and grey output.
  const uint8_t bits8[] = {1, 0, 200};
  ExpandRowToGrey(bits8, 8, palette, 2, 3, out);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], 0);
  // 16 bits 5-5-5 and 32 bits.
  const uint8_t bits16[] = {0x1F, 0x7C};  // red 31, green 0, blue 31
  ExpandRowToBgr(bits16, 16, nullptr, 0, 1, out);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], 255);
  const uint8_t bits32[] = {1, 2, 3, 99, 4, 5, 6, 99};
  ExpandRowToBgr(bits32, 32, nullptr, 0, 2, out);
  EXPECT_EQ(out[3], 4);
  EXPECT_EQ(out[5], 6);

  EXPECT_TRUE(PaletteIsGrey(palette, 2));
  EXPECT_FALSE(PaletteIsGrey(palette, 3));
}

}  // namespace
