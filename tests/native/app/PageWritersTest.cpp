// Pages written from their rows: a bitmap file read in bands gives the bytes the whole page in
// memory gives, JPEG and TIFF alike; the TIFF read back entry by entry; a truncated file and
// pages too big for a format fail before anything is lost.
#include "app/output/imaging/PageWriters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/output/imaging/LittleEndian.h"

namespace {

// A page as a bitmap file, and as the packed bitmap in memory would hold it.
struct Page {
  std::vector<uint8_t> file;
  DibLayout layout;  // as read from the file
  std::vector<uint8_t> palette;
  std::vector<uint8_t> bottomUp;  // the rows, bottom row first
  std::string name;
};

// Every row and column differs; the colour table is grey or coloured.
Page MakePage(uint32_t width, uint32_t height, uint16_t bits, bool topDown, bool grey, int xDpi = 300) {
  Page page;
  page.name = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bits) +
              (grey ? " grey" : "") + (topDown ? " top-down" : " bottom-up");
  const uint32_t colours = bits <= 8 ? 1u << bits : 0;
  const uint64_t rowBytes = DibRowBytes(width, bits);
  const uint32_t offset = 14 + 40 + colours * 4;
  page.file.assign(offset + rowBytes * height, 0);
  uint8_t* f = page.file.data();
  f[0] = 'B';
  f[1] = 'M';
  WriteLe32(f + 2, static_cast<uint32_t>(page.file.size()));
  WriteLe32(f + 10, offset);
  WriteLe32(f + 14, 40);
  WriteLe32(f + 18, width);
  WriteLe32(f + 22, topDown ? static_cast<uint32_t>(-static_cast<int32_t>(height)) : height);
  WriteLe16(f + 26, 1);
  WriteLe16(f + 28, bits);
  WriteLe32(f + 38, static_cast<uint32_t>(xDpi * 10000 / 254));
  WriteLe32(f + 42, static_cast<uint32_t>(xDpi * 10000 / 254 / 2));
  for (uint32_t i = 0; i < colours; ++i) {
    const uint32_t level = colours > 1 ? i * 255 / (colours - 1) : 0;
    f[54 + 4 * i] = static_cast<uint8_t>(level);
    f[55 + 4 * i] = static_cast<uint8_t>(grey ? level : 255 - level);
    f[56 + 4 * i] = static_cast<uint8_t>(grey ? level : i * 91);
  }
  page.bottomUp.resize(rowBytes * height);
  for (uint32_t y = 0; y < height; ++y) {
    std::vector<uint8_t> row(rowBytes);
    for (uint64_t b = 0; b < rowBytes; ++b) row[b] = static_cast<uint8_t>(y * 31 + b * 7 + (y * b) % 13);
    std::memcpy(f + offset + rowBytes * (topDown ? y : height - 1 - y), row.data(), rowBytes);
    std::memcpy(page.bottomUp.data() + rowBytes * (height - 1 - y), row.data(), rowBytes);
  }
  const size_t head = page.file.size() < kBitmapHeadBytes ? page.file.size() : kBitmapHeadBytes;
  EXPECT_EQ(ParseBitmapFile(page.file.data(), head, page.file.size(), page.layout), BitmapFileCheck::kOk);
  page.palette.assign(f + 54, f + 54 + colours * 4);
  return page;
}

// The file as the reader sees it: `length` bytes of it (shorter when truncated).
struct FileReader {
  const Page* page;
  uint64_t length;
  int reads = 0;
  static bool Read(void* context, uint64_t offset, uint8_t* to, size_t bytes) {
    auto* reader = static_cast<FileReader*>(context);
    ++reader->reads;
    if (offset + bytes > reader->length) return false;
    std::memcpy(to, reader->page->file.data() + offset, bytes);
    return true;
  }
};

bool Collect(void* context, const uint8_t* data, size_t size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  out->insert(out->end(), data, data + size);
  return true;
}

enum class Format { kJpeg, kTiff };

std::vector<uint8_t> Write(Format format, const Page& page, CPageRows& rows, bool& ok, int xDpi = 300,
                           int yDpi = 150) {
  std::vector<uint8_t> out;
  PageOutput output;
  output.xDpi = xDpi;
  output.yDpi = yDpi;
  output.quality = 50;
  output.sink = Collect;
  output.context = &out;
  DibLayout layout = page.layout;  // as the image holds it: bottom-up in memory
  layout.topDown = false;
  ok = format == Format::kJpeg ? WriteJpegPage(layout, page.palette.data(), rows, output)
                               : WriteTiffPage(layout, page.palette.data(), rows, output);
  return out;
}

TEST(PageWriters, FileBandsWriteTheBytesOfTheWholePage) {
  struct Kind {
    uint16_t bits;
    bool grey;
  } kinds[] = {{24, false}, {8, true}, {1, true}, {4, false}, {32, false}};
  // Odd widths, heights that are and are not whole bands or MCU rows.
  const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {7, 5}, {16, 16}, {33, 17}, {203, 151}, {3, 70}};
  for (const Kind& kind : kinds)
    for (const auto& size : sizes)
      for (bool topDown : {false, true}) {
        const Page page = MakePage(size.first, size.second, kind.bits, topDown, kind.grey);
        for (Format format : {Format::kJpeg, Format::kTiff}) {
          DibLayout memoryLayout = page.layout;
          memoryLayout.topDown = false;
          CMemoryRows whole(page.bottomUp.data(), memoryLayout);
          FileReader reader{&page, page.file.size()};
          CBitmapFileRows bands(page.layout, FileReader::Read, &reader);
          ASSERT_TRUE(bands.IsReady());
          bool wholeOk = false, bandsOk = false;
          const auto expected = Write(format, page, whole, wholeOk);
          const auto written = Write(format, page, bands, bandsOk);
          EXPECT_TRUE(wholeOk && bandsOk) << page.name;
          EXPECT_TRUE(written == expected) << page.name;
          EXPECT_EQ(reader.reads, static_cast<int>((size.second + 15) / 16)) << page.name;  // 16 rows a read
          EXPECT_EQ(bands.Next(), nullptr) << page.name;
        }
      }
}

TEST(PageWriters, LongRowsAreReadInFewerRowsABand) {
  const Page page = MakePage(100000, 7, 24, false, false);  // 300 KB rows: three in a megabyte
  FileReader reader{&page, page.file.size()};
  CBitmapFileRows bands(page.layout, FileReader::Read, &reader);
  for (uint32_t y = 0; y < 7; ++y) {
    const uint8_t* row = bands.Next();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(std::memcmp(row, page.bottomUp.data() + page.layout.rowBytes * (6 - y), page.layout.rowBytes),
              0);
  }
  EXPECT_EQ(bands.Next(), nullptr);
  EXPECT_EQ(reader.reads, 3);
}

TEST(PageWriters, TruncatedFileFailsCleanly) {
  const Page page = MakePage(203, 151, 24, false, false);
  for (Format format : {Format::kJpeg, Format::kTiff})
    for (uint64_t missing : {uint64_t{1}, page.layout.rowBytes * 40}) {
      FileReader reader{&page, page.file.size() - missing};
      CBitmapFileRows bands(page.layout, FileReader::Read, &reader);
      bool ok = true;
      Write(format, page, bands, ok);
      EXPECT_FALSE(ok) << missing;
      const int reads = reader.reads;
      EXPECT_EQ(bands.Next(), nullptr);  // and it stays failed without reading again
      EXPECT_EQ(reader.reads, reads);
    }
}

// Rows that must never be asked for.
struct NoRows : CPageRows {
  int asked = 0;
  const uint8_t* Next() override {
    ++asked;
    return nullptr;
  }
};

TEST(PageWriters, RefusesPagesTheFormatsCannotHoldBeforeWriting) {
  Page page = MakePage(8, 8, 24, false, false);
  NoRows rows;
  bool ok = true;
  page.layout.width = 70000;  // wider than JPEG allows
  EXPECT_TRUE(Write(Format::kJpeg, page, rows, ok).empty());
  EXPECT_FALSE(ok);
  page.layout.width = 40000;
  page.layout.height = 40000;  // 4.8 GB of RGB: past TIFF's 32-bit offsets
  EXPECT_TRUE(Write(Format::kTiff, page, rows, ok).empty());
  EXPECT_FALSE(ok);
  EXPECT_EQ(rows.asked, 0);
}

// A TIFF directory entry's value (count 1) or offset.
struct Entry {
  uint16_t type = 0;
  uint32_t count = 0, value = 0;
};

std::vector<Entry> ReadDirectory(const std::vector<uint8_t>& tiff, std::vector<uint16_t>& tags) {
  std::vector<Entry> entries(65536);
  const uint32_t at = ReadLe32(tiff.data() + 4);
  const uint16_t count = ReadLe16(tiff.data() + at);
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* e = tiff.data() + at + 2 + 12 * i;
    const uint16_t tag = ReadLe16(e);
    tags.push_back(tag);
    entries[tag].type = ReadLe16(e + 2);
    entries[tag].count = ReadLe32(e + 4);
    entries[tag].value =
        entries[tag].type == 3 && entries[tag].count == 1 ? ReadLe16(e + 8) : ReadLe32(e + 8);
  }
  EXPECT_EQ(ReadLe32(tiff.data() + at + 2 + 12 * count), 0u);  // one directory only
  return entries;
}

TEST(PageWriters, TiffHoldsThePageInStripsWithTheTagsOfBefore) {
  struct Case {
    uint32_t width, height;
    uint16_t bits;
    int xDpi, yDpi;
  } cases[] = {{203, 151, 24, 300, 150}, {850, 300, 1, 0, 0}, {61, 9, 4, 200, 200}, {700, 120, 8, 75, 75}};
  for (const Case& c : cases) {
    const Page page = MakePage(c.width, c.height, c.bits, false, c.bits == 1);
    DibLayout memoryLayout = page.layout;
    CMemoryRows rows(page.bottomUp.data(), memoryLayout);
    bool ok = false;
    const std::vector<uint8_t> tiff = Write(Format::kTiff, page, rows, ok, c.xDpi, c.yDpi);
    ASSERT_TRUE(ok);
    ASSERT_EQ(std::string(tiff.begin(), tiff.begin() + 4), std::string("II*\0", 4));
    std::vector<uint16_t> tags;
    const std::vector<Entry> e = ReadDirectory(tiff, tags);
    const bool indexed = c.bits <= 8;
    std::vector<uint16_t> expected = {256, 257, 258, 259, 262, 273, 277, 278, 279, 282, 283, 284, 296};
    if (indexed) expected.push_back(320);
    EXPECT_EQ(tags, expected);
    EXPECT_EQ(e[256].value, c.width);
    EXPECT_EQ(e[257].value, c.height);
    EXPECT_EQ(e[259].value, 1u);  // uncompressed
    EXPECT_EQ(e[262].value, indexed ? 3u : 2u);
    EXPECT_EQ(e[277].value, indexed ? 1u : 3u);
    EXPECT_EQ(e[284].value, 1u);
    EXPECT_EQ(e[296].value, 2u);  // inch
    if (indexed) {
      EXPECT_EQ(e[258].value, c.bits);
    } else {
      ASSERT_EQ(e[258].count, 3u);
      for (int s = 0; s < 3; ++s) EXPECT_EQ(ReadLe16(tiff.data() + e[258].value + 2 * s), 8);
    }
    const uint32_t dpi[2] = {static_cast<uint32_t>(c.xDpi ? c.xDpi : 96),
                             static_cast<uint32_t>(c.yDpi ? c.yDpi : 96)};
    for (int axis = 0; axis < 2; ++axis) {
      EXPECT_EQ(ReadLe32(tiff.data() + e[282 + axis].value), dpi[axis]);
      EXPECT_EQ(ReadLe32(tiff.data() + e[282 + axis].value + 4), 1u);
    }
    if (indexed) {  // 16-bit reds, greens, blues
      const uint32_t n = 1u << c.bits;
      ASSERT_EQ(e[320].count, 3 * n);
      for (uint32_t i = 0; i < n; ++i)
        for (int channel = 0; channel < 3; ++channel)
          EXPECT_EQ(ReadLe16(tiff.data() + e[320].value + 2 * (channel * n + i)),
                    page.palette[4 * i + 2 - channel] << 8);
    }

    // The strips, in order, hold the rows top first: packed indices, or red-green-blue.
    const uint64_t rowBytes = indexed ? (uint64_t{c.width} * c.bits + 7) / 8 : uint64_t{c.width} * 3;
    const uint32_t strips = e[273].count, perStrip = e[278].value;
    ASSERT_EQ(e[279].count, strips);
    EXPECT_EQ(strips, (c.height + perStrip - 1) / perStrip);
    EXPECT_LE(perStrip * rowBytes, 64u * 1024);
    std::vector<uint8_t> pixels;
    for (uint32_t s = 0; s < strips; ++s) {
      const uint32_t offset = strips == 1 ? e[273].value : ReadLe32(tiff.data() + e[273].value + 4 * s);
      const uint32_t bytes = strips == 1 ? e[279].value : ReadLe32(tiff.data() + e[279].value + 4 * s);
      ASSERT_LE(uint64_t{offset} + bytes, tiff.size());
      pixels.insert(pixels.end(), tiff.begin() + offset, tiff.begin() + offset + bytes);
    }
    ASSERT_EQ(pixels.size(), rowBytes * c.height);
    for (uint32_t y = 0; y < c.height; ++y) {
      const uint8_t* stored = page.bottomUp.data() + page.layout.rowBytes * (c.height - 1 - y);
      const uint8_t* written = pixels.data() + rowBytes * y;
      for (uint64_t b = 0; b < rowBytes; ++b) {
        const uint8_t want = indexed ? stored[b] : stored[b / 3 * 3 + 2 - b % 3];
        ASSERT_EQ(written[b], want) << c.bits << " row " << y << " byte " << b;
      }
    }
  }
}

}  // namespace
