// Strip placement: bottom-up rows, colour order, padding, planar passes, and strips that do
// not fit their buffer or the page (never written), including a randomised geometry test
// that the suite runs under AddressSanitizer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "scan/StripAssembler.h"

namespace {
// A page file in memory that refuses (and records) any access outside the pixel data.
class CMemoryFile : public IPageFile {
 public:
  explicit CMemoryFile(const BitmapLayout& l) : m_layout(l), m_bytes(l.fileSize, 0xEE) {}
  bool ReadAt(uint64_t offset, void* data, size_t size) override {
    if (!Inside(offset, size)) return false;
    std::memcpy(data, m_bytes.data() + offset, size);
    return true;
  }
  bool WriteAt(uint64_t offset, const void* data, size_t size) override {
    if (!Inside(offset, size)) return false;
    std::memcpy(m_bytes.data() + offset, data, size);
    ++writes;
    return true;
  }
  bool Inside(uint64_t offset, size_t size) {
    const bool inside = offset >= m_layout.offBits && offset + size <= m_layout.fileSize;
    if (!inside) outside = true;
    return inside;
  }
  // The file row holding image row `imageRow`.
  const uint8_t* Row(int imageRow) const {
    return m_bytes.data() + m_layout.offBits +
           static_cast<size_t>(m_layout.length - 1 - imageRow) * m_layout.stride;
  }
  BitmapLayout m_layout;
  std::vector<uint8_t> m_bytes;
  bool outside = false;
  int writes = 0;
};

BitmapLayout Layout(int16_t type, int32_t width, int32_t length, bool planar = false) {
  PageInfo p;
  p.pixelType = type;
  p.width = width;
  p.length = length;
  p.samplesPerPixel = type == TWPT_RGB ? 3 : 1;
  p.planar = planar;
  p.xResolution = 300;
  BitmapLayout l;
  EXPECT_EQ(ComputeBitmapLayout(p, &l), LayoutError::kNone);
  return l;
}

uint8_t Sample(int row, int column, int channel) {
  return static_cast<uint8_t>(row * 31 + column * 7 + channel * 101);
}

// Chunky colour rows: red, green, blue per pixel, `bytesPerRow` apart.
std::vector<uint8_t> ChunkyStrip(int firstRow, int rows, int width, uint32_t bytesPerRow) {
  std::vector<uint8_t> data(static_cast<size_t>(rows) * bytesPerRow, 0x55);
  for (int r = 0; r < rows; ++r)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) data[r * bytesPerRow + 3 * x + c] = Sample(firstRow + r, x, c);
  return data;
}

std::vector<uint8_t> PlaneStrip(int firstRow, int rows, int width, int channel, uint32_t bytesPerRow) {
  std::vector<uint8_t> data(static_cast<size_t>(rows) * bytesPerRow, 0x55);
  for (int r = 0; r < rows; ++r)
    for (int x = 0; x < width; ++x) data[r * bytesPerRow + x] = Sample(firstRow + r, x, channel);
  return data;
}

StripDesc Desc(uint32_t columns, uint32_t rows, uint32_t bytesPerRow) {
  StripDesc d;
  d.columns = columns;
  d.rows = rows;
  d.bytesPerRow = bytesPerRow;
  d.bytesWritten = rows * bytesPerRow;
  return d;
}
}  // namespace

TEST(StripAssembler, ColourRowsGoBottomUpInBlueGreenRedWithZeroPad) {
  const BitmapLayout l = Layout(TWPT_RGB, 101, 10);
  CMemoryFile file(l);
  CStripAssembler assembler(l);
  for (int first = 0; first < 10; first += 4) {
    const int rows = first + 4 <= 10 ? 4 : 10 - first;
    const auto data = ChunkyStrip(first, rows, 101, 303);
    ASSERT_EQ(assembler.Place(Desc(101, rows, 303), data.data(), data.size(), file), StripError::kNone);
  }
  EXPECT_TRUE(assembler.PassComplete());
  EXPECT_FALSE(assembler.NextPass());
  for (int row = 0; row < 10; ++row) {
    const uint8_t* out = file.Row(row);
    for (int x = 0; x < 101; ++x) {
      EXPECT_EQ(out[3 * x], Sample(row, x, 2));
      EXPECT_EQ(out[3 * x + 1], Sample(row, x, 1));
      EXPECT_EQ(out[3 * x + 2], Sample(row, x, 0));
    }
    EXPECT_EQ(out[303], 0) << "pad byte of row " << row;
  }
  EXPECT_FALSE(file.outside);
}

TEST(StripAssembler, BlackAndWhiteAndGreyRowsAreCopiedUpToTheStride) {
  const BitmapLayout l = Layout(TWPT_BW, 2550, 6);
  CMemoryFile file(l);
  CStripAssembler assembler(l);
  // Rows of 330 bytes (wider than the 320-byte stride): only the stride is taken.
  std::vector<uint8_t> data(6 * 330);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i / 330 + 1);
  ASSERT_EQ(assembler.Place(Desc(2550, 6, 330), data.data(), data.size(), file), StripError::kNone);
  for (int row = 0; row < 6; ++row) {
    EXPECT_EQ(file.Row(row)[0], row + 1);
    EXPECT_EQ(file.Row(row)[319], row + 1);
  }

  const BitmapLayout g = Layout(TWPT_GRAY, 850, 3);
  CMemoryFile greyFile(g);
  CStripAssembler grey(g);
  std::vector<uint8_t> rows(3 * 850);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i % 850 % 251);
  ASSERT_EQ(grey.Place(Desc(850, 3, 850), rows.data(), rows.size(), greyFile), StripError::kNone);
  EXPECT_EQ(greyFile.Row(0)[849], 849 % 251);
  EXPECT_EQ(greyFile.Row(2)[850], 0);
  EXPECT_EQ(greyFile.Row(2)[851], 0);
}

TEST(StripAssembler, LastRowReadsNoFurtherThanTheStripHolds) {
  // A grey 1 x 1 page through a 1-byte transfer buffer whose strip claims 4 bytes per row: the
  // row's pixel is there, the rest of the claimed row is not (AddressSanitizer watches the read).
  const BitmapLayout l = Layout(TWPT_GRAY, 1, 1);
  CMemoryFile file(l);
  CStripAssembler assembler(l);
  const std::unique_ptr<uint8_t[]> buffer(new uint8_t[1]{0x5A});
  StripDesc strip = Desc(1, 1, 4);
  strip.bytesWritten = 0;
  ASSERT_EQ(assembler.Place(strip, buffer.get(), 1, file), StripError::kNone);
  EXPECT_EQ(std::vector<uint8_t>(file.Row(0), file.Row(0) + 4), (std::vector<uint8_t>{0x5A, 0, 0, 0}));

  // Nor past what the source says it wrote: the buffer's stale bytes stay out of the file.
  const BitmapLayout bw = Layout(TWPT_BW, 9, 2);
  CMemoryFile bwFile(bw);
  CStripAssembler bwAssembler(bw);
  const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 0xEE, 0xEE};
  StripDesc claimed = Desc(9, 2, 4);
  claimed.bytesWritten = 6;
  ASSERT_EQ(bwAssembler.Place(claimed, rows.data(), rows.size(), bwFile), StripError::kNone);
  EXPECT_EQ(std::vector<uint8_t>(bwFile.Row(0), bwFile.Row(0) + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(std::vector<uint8_t>(bwFile.Row(1), bwFile.Row(1) + 4), (std::vector<uint8_t>{5, 6, 0, 0}));
}

TEST(StripAssembler, PlanarColourGivesTheSamePixelsAsChunky) {
  const int width = 37, length = 23;
  const BitmapLayout chunkyLayout = Layout(TWPT_RGB, width, length);
  CMemoryFile chunkyFile(chunkyLayout);
  CStripAssembler chunky(chunkyLayout);
  for (int first = 0; first < length; first += 5) {
    const int rows = first + 5 <= length ? 5 : length - first;
    const auto data = ChunkyStrip(first, rows, width, 3 * width);
    ASSERT_EQ(chunky.Place(Desc(width, rows, 3 * width), data.data(), data.size(), chunkyFile),
              StripError::kNone);
  }

  const BitmapLayout planarLayout = Layout(TWPT_RGB, width, length, true);
  CMemoryFile planarFile(planarLayout);
  CStripAssembler planar(planarLayout);
  for (int channel = 0; channel < 3; ++channel) {
    EXPECT_EQ(planar.Pass(), channel);
    for (int first = 0; first < length; first += 7) {
      const int rows = first + 7 <= length ? 7 : length - first;
      const auto data = PlaneStrip(first, rows, width, channel, 40);
      ASSERT_EQ(planar.Place(Desc(width, rows, 40), data.data(), data.size(), planarFile), StripError::kNone);
    }
    EXPECT_TRUE(planar.PassComplete());
    EXPECT_EQ(planar.NextPass(), channel < 2);
  }
  EXPECT_EQ(planarFile.m_bytes, chunkyFile.m_bytes);
}

TEST(StripAssembler, StripsThatDoNotFitAreRefusedWithoutAWrite) {
  const BitmapLayout l = Layout(TWPT_RGB, 100, 10);
  CMemoryFile file(l);
  CStripAssembler assembler(l);
  const auto data = ChunkyStrip(0, 4, 100, 300);
  // Columns of another width.
  EXPECT_EQ(assembler.Place(Desc(99, 4, 300), data.data(), data.size(), file), StripError::kColumns);
  // Rows shorter than their pixels.
  EXPECT_EQ(assembler.Place(Desc(100, 4, 299), data.data(), data.size(), file), StripError::kBytesPerRow);
  // More rows than the buffer holds.
  EXPECT_EQ(assembler.Place(Desc(100, 5, 300), data.data(), data.size(), file), StripError::kBuffer);
  // More rows than the source says it wrote.
  StripDesc claimed = Desc(100, 4, 300);
  claimed.bytesWritten = 3 * 300;
  EXPECT_EQ(assembler.Place(claimed, data.data(), data.size(), file), StripError::kBuffer);
  // A huge BytesPerRow whose product would wrap in 32 bits.
  EXPECT_EQ(assembler.Place(Desc(100, 4, 0x40000001u), data.data(), data.size(), file), StripError::kBuffer);
  EXPECT_EQ(file.writes, 0);
  // Rows beyond the page: 3 strips of 4 rows on a 10-row page.
  ASSERT_EQ(assembler.Place(Desc(100, 4, 300), data.data(), data.size(), file), StripError::kNone);
  ASSERT_EQ(assembler.Place(Desc(100, 4, 300), data.data(), data.size(), file), StripError::kNone);
  EXPECT_EQ(assembler.Place(Desc(100, 4, 300), data.data(), data.size(), file), StripError::kPage);
  EXPECT_EQ(file.writes, 2);
  EXPECT_FALSE(assembler.PassComplete());
  EXPECT_FALSE(file.outside);
}

TEST(StripAssembler, NoStripAfterTheLastPass) {
  const BitmapLayout l = Layout(TWPT_GRAY, 8, 1);
  CMemoryFile file(l);
  CStripAssembler assembler(l);
  const std::vector<uint8_t> data(8, 1);
  ASSERT_EQ(assembler.Place(Desc(8, 1, 8), data.data(), data.size(), file), StripError::kNone);
  EXPECT_FALSE(assembler.NextPass());
  EXPECT_EQ(assembler.Place(Desc(8, 1, 8), data.data(), data.size(), file), StripError::kPass);
}

TEST(StripAssembler, RandomGeometryNeverWritesOutsideTheFileOrTheBuffers) {
  std::mt19937 random(20261208);
  auto pick = [&](uint32_t low, uint32_t high) {
    return std::uniform_int_distribution<uint32_t>(low, high)(random);
  };
  for (int round = 0; round < 400; ++round) {
    const int16_t type = static_cast<int16_t>(pick(0, 2));
    const bool planar = type == TWPT_RGB && pick(0, 1);
    const BitmapLayout l =
        Layout(type, static_cast<int32_t>(pick(1, 300)), static_cast<int32_t>(pick(1, 60)), planar);
    CMemoryFile file(l);
    CStripAssembler assembler(l);
    for (int strip = 0; strip < 40; ++strip) {
      // Exactly the buffer's size on the heap, so any read past it is caught.
      const size_t bufferLength = pick(0, 4000);
      std::vector<uint8_t> buffer(bufferLength);
      for (auto& b : buffer) b = static_cast<uint8_t>(random());
      StripDesc d;
      d.columns = pick(0, 3) ? static_cast<uint32_t>(l.width) : pick(0, 400);
      d.rows = pick(0, 3) ? pick(0, 12) : pick(0, 0xFFFFFFFFu);
      d.bytesPerRow = pick(0, 3) ? pick(0, 1000) : pick(0, 0xFFFFFFFFu);
      d.bytesWritten = pick(0, 1) ? 0 : pick(0, 5000);
      const uint64_t before = assembler.Position();
      const StripError e = assembler.Place(d, bufferLength ? buffer.data() : nullptr, bufferLength, file);
      if (e != StripError::kNone) {
        EXPECT_EQ(assembler.Position(), before);
      }
      if (pick(0, 9) == 0 && !assembler.NextPass()) break;
    }
    ASSERT_FALSE(file.outside) << "round " << round;
  }
}
