// The JPEG header reader on hand-made marker sequences: resolutions, components, the frame
// kinds a PDF can carry, and files that end or lie.
#include "app/output/imaging/JpegHeader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class CMemoryReader : public CByteReader {
 public:
  explicit CMemoryReader(const Bytes& bytes) : m_bytes(bytes) {}
  bool Read(uint8_t* out, size_t size) override {
    if (size > m_bytes.size() - m_at) return false;
    std::memcpy(out, m_bytes.data() + m_at, size);
    m_at += size;
    return true;
  }

 private:
  const Bytes& m_bytes;
  size_t m_at = 0;
};

Bytes Segment(uint8_t marker, const Bytes& payload) {
  Bytes segment = {0xFF, marker, static_cast<uint8_t>((payload.size() + 2) >> 8),
                   static_cast<uint8_t>(payload.size() + 2)};
  segment.insert(segment.end(), payload.begin(), payload.end());
  return segment;
}

Bytes Jfif(uint8_t unit, uint16_t x, uint16_t y) {
  return Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, unit, uint8_t(x >> 8), uint8_t(x), uint8_t(y >> 8),
                        uint8_t(y), 0, 0});
}

Bytes Frame(uint8_t marker, uint8_t precision, uint16_t height, uint16_t width, uint8_t components) {
  Bytes payload = {precision,           uint8_t(height >> 8), uint8_t(height),
                   uint8_t(width >> 8), uint8_t(width),       components};
  for (int c = 0; c < components; ++c) payload.insert(payload.end(), {uint8_t(c + 1), 0x11, 0});
  return Segment(marker, payload);
}

Bytes File(std::initializer_list<Bytes> parts) {
  Bytes file = {0xFF, 0xD8};
  for (const Bytes& part : parts) file.insert(file.end(), part.begin(), part.end());
  return file;
}

JpegHeaderCheck Read(const Bytes& file, JpegHeader& header) {
  CMemoryReader reader(file);
  return ReadJpegHeader(reader, header);
}

TEST(JpegHeader, ReadsSizeComponentsAndResolution) {
  JpegHeader header;
  ASSERT_EQ(Read(File({Jfif(1, 300, 600), Frame(0xC0, 8, 3508, 2480, 3)}), header), JpegHeaderCheck::kOk);
  EXPECT_EQ(header.width, 2480u);
  EXPECT_EQ(header.height, 3508u);
  EXPECT_EQ(header.components, 3);
  EXPECT_EQ(header.xDpi, 300);
  EXPECT_EQ(header.yDpi, 600);
  EXPECT_FALSE(header.adobe);

  // Dots per centimetre; an aspect ratio only; no JFIF at all.
  ASSERT_EQ(Read(File({Jfif(2, 118, 118), Frame(0xC2, 8, 10, 20, 1)}), header), JpegHeaderCheck::kOk);
  EXPECT_EQ(header.xDpi, 300);
  EXPECT_EQ(header.components, 1);
  ASSERT_EQ(Read(File({Jfif(0, 1, 1), Frame(0xC1, 8, 10, 20, 3)}), header), JpegHeaderCheck::kOk);
  EXPECT_EQ(header.xDpi, 0);
  EXPECT_EQ(header.yDpi, 0);
  ASSERT_EQ(Read(File({Frame(0xC0, 8, 10, 20, 3)}), header), JpegHeaderCheck::kOk);
  EXPECT_EQ(header.xDpi, 0);

  // An Adobe CMYK file whose frame follows a long metadata segment, fill bytes and a table.
  Bytes adobe = Segment(0xEE, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 0});
  Bytes exif = Segment(0xE1, Bytes(65000, 0xFF));
  Bytes tables = Segment(0xDB, Bytes(65, 1));
  tables.insert(tables.begin(), {0xFF, 0xFF});
  ASSERT_EQ(Read(File({exif, adobe, tables, Frame(0xC0, 8, 40, 30, 4)}), header), JpegHeaderCheck::kOk);
  EXPECT_EQ(header.components, 4);
  EXPECT_TRUE(header.adobe);
  EXPECT_EQ(header.width, 30u);
}

TEST(JpegHeader, RefusesWhatAPdfCannotCarryAndWhatLies) {
  JpegHeader header;
  const struct {
    Bytes file;
    JpegHeaderCheck check;
  } cases[] = {
      {{0x89, 'P', 'N', 'G'}, JpegHeaderCheck::kNotJpeg},
      {{0xFF}, JpegHeaderCheck::kNotJpeg},
      {File({Frame(0xC3, 8, 10, 10, 3)}), JpegHeaderCheck::kUnsupported},  // lossless
      {File({Frame(0xC9, 8, 10, 10, 3)}), JpegHeaderCheck::kUnsupported},  // arithmetic
      {File({Frame(0xC0, 12, 10, 10, 3)}), JpegHeaderCheck::kUnsupported},
      {File({Frame(0xC0, 8, 10, 10, 2)}), JpegHeaderCheck::kUnsupported},
      {File({Frame(0xC0, 8, 0, 10, 3)}), JpegHeaderCheck::kUnsupported},  // height after the scan
      {File({Frame(0xC0, 8, 10, 0, 3)}), JpegHeaderCheck::kDamaged},
      {File({Jfif(1, 300, 300)}), JpegHeaderCheck::kDamaged},               // ends before the frame
      {File({Segment(0xDA, {0})}), JpegHeaderCheck::kDamaged},              // a scan before the frame
      {File({{0xFF, 0xE0, 0x00, 0x01}}), JpegHeaderCheck::kDamaged},        // a length below 2
      {File({{0xFF, 0xE0, 0x00, 0x40, 1, 2}}), JpegHeaderCheck::kDamaged},  // past the end
      {File({{0x12, 0x34}}), JpegHeaderCheck::kDamaged},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
    EXPECT_EQ(Read(cases[i].file, header), cases[i].check) << i;
  Bytes frame = Frame(0xC0, 8, 10, 10, 3);
  frame.resize(frame.size() - 2);  // the component list cut short, its length kept
  frame[3] = static_cast<uint8_t>(frame.size() - 2);
  EXPECT_EQ(Read(File({frame}), header), JpegHeaderCheck::kDamaged);
}

}  // namespace
