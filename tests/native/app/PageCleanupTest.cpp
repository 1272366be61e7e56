// The clean-up over page files: a document scanned at an angle straightened and cut, a skewed
// text page deskewed, a blank grey page found blank, and files it cannot read refused.
#include "app/output/imaging/PageCleanup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/output/imaging/DibLayout.h"
#include "app/output/imaging/LittleEndian.h"

namespace {

const double kPi = 3.14159265358979323846;

// A bottom-up bitmap file of `bits` 1 (black and white), 8 (grey palette) or 24 from `level(x, y)`.
void WriteBmp(const std::string& path, uint32_t w, uint32_t h, int bits, int dpi,
              const std::function<int(double, double)>& level) {
  const uint32_t rowBytes = static_cast<uint32_t>(DibRowBytes(w, static_cast<uint16_t>(bits)));
  const uint32_t colours = bits == 24 ? 0 : 1u << bits;
  const uint32_t offset = 54 + colours * 4;
  std::vector<uint8_t> file(offset + static_cast<size_t>(rowBytes) * h);
  file[0] = 'B', file[1] = 'M';
  WriteLe32(&file[2], static_cast<uint32_t>(file.size()));
  WriteLe32(&file[10], offset);
  DibLayout layout;
  layout.width = w, layout.height = h, layout.bitsPerPixel = static_cast<uint16_t>(bits),
  layout.colours = colours;
  layout.imageBytes = static_cast<uint64_t>(rowBytes) * h;
  layout.xPelsPerMeter = layout.yPelsPerMeter = PelsPerMeterFromDpi(dpi);
  WriteInfoHeader(&file[14], layout);
  for (uint32_t i = 0; i < colours; ++i)
    file[54 + 4 * i] = file[55 + 4 * i] = file[56 + 4 * i] = static_cast<uint8_t>(i * 255 / (colours - 1));
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = &file[offset + static_cast<size_t>(h - 1 - y) * rowBytes];
    for (uint32_t x = 0; x < w; ++x) {
      int sum = 0;
      for (int s = 0; s < 4; ++s) sum += level(x + 0.25 + 0.5 * (s & 1), y + 0.25 + 0.5 * (s >> 1));
      const uint8_t v = static_cast<uint8_t>((sum + 2) / 4);
      if (bits == 1)
        row[x / 8] = static_cast<uint8_t>(row[x / 8] | (v >= 128 ? 0x80 >> (x % 8) : 0));
      else if (bits == 8)
        row[x] = v;
      else
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
    }
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

// A document of `docW` x `docH` with lines of dashes, turned by `degrees` about (cx, cy).
std::function<int(double, double)> Document(double degrees, double cx, double cy, double docW, double docH,
                                            int outside) {
  return [=](double x, double y) {
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    const double u = (x - cx) * c + (y - cy) * s + docW / 2, v = -(x - cx) * s + (y - cy) * c + docH / 2;
    if (u < 0 || v < 0 || u >= docW || v >= docH) return outside;
    const bool text = u > 30 && u < docW - 30 && v > 30 && v < docH - 30 && std::fmod(v, 24) < 9 &&
                      std::fmod(u, 50) < 38 && std::fmod(u, 6) < 3;
    return text ? 25 : 236;
  };
}

struct Read {
  DibLayout layout;
  std::vector<uint8_t> bytes;
  int At(uint32_t x, uint32_t y) const {
    const uint8_t* row = &bytes[layout.pixelOffset + (layout.height - 1 - y) * layout.rowBytes];
    if (layout.bitsPerPixel == 1) return (row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
    return row[layout.bitsPerPixel == 8 ? x : 3 * x];
  }
};

Read ReadBmp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Read read;
  read.bytes.assign(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(ParseBitmapFile(read.bytes.data(), read.bytes.size(), read.bytes.size(), read.layout),
            BitmapFileCheck::kOk);
  return read;
}

std::string TempPath(const char* name) { return testing::TempDir() + name; }

}  // namespace

TEST(PageCleanup, StraightensDeskewsAndMeasuresPageFiles) {
  const std::string scan = TempPath("scan.bmp"), out = TempPath("out.bmp");
  // A document 500 x 640 at 4 degrees on the glass, scanned at 300 dpi with glass around it.
  WriteBmp(scan, 600, 720, 24, 300, Document(4.0, 303, 355, 500, 640, 30));
  CleanupFigures figures;
  ASSERT_EQ(StraightenScan(scan, out, figures), CleanupOutcome::kWritten);
  EXPECT_NEAR(figures.box.degrees, 4.0, 0.1);
  EXPECT_NEAR(figures.width, 500 - 2 * EdgeInset(300), 1.5);
  EXPECT_NEAR(figures.height, 640 - 2 * EdgeInset(300), 1.5);
  const Read straight = ReadBmp(out);
  ASSERT_EQ(straight.layout.width, figures.width);
  EXPECT_EQ(DpiFromPelsPerMeter(straight.layout.xPelsPerMeter), 300);
  for (uint32_t y = 0; y < straight.layout.height; ++y)
    for (uint32_t x : {0u, straight.layout.width - 1}) ASSERT_GT(straight.At(x, y), 200) << x << "," << y;
  for (uint32_t x = 0; x < straight.layout.width; ++x)
    for (uint32_t y : {0u, straight.layout.height - 1}) ASSERT_GT(straight.At(x, y), 200) << x << "," << y;

  // A feeder page (no glass) skewed by -3 degrees, grey: deskewed, the same size.
  WriteBmp(scan, 620, 800, 8, 300, Document(-3.0, 310, 400, 900, 1200, 236));
  ASSERT_EQ(DeskewScan(scan, out, figures), CleanupOutcome::kWritten);
  EXPECT_NEAR(figures.skew.degrees, -3.0, 0.15);
  const Read grey = ReadBmp(out);
  EXPECT_EQ(grey.layout.width, 620u);
  EXPECT_EQ(grey.layout.bitsPerPixel, 8);
  EXPECT_TRUE(PaletteIsGrey(&grey.bytes[grey.layout.paletteOffset], grey.layout.colours));
  // The straight result needs nothing more.
  ASSERT_EQ(std::rename(out.c_str(), scan.c_str()), 0);
  EXPECT_EQ(DeskewScan(scan, out, figures), CleanupOutcome::kUnchanged);

  BlankMeasure blank;
  ASSERT_TRUE(MeasureBlankScan(scan, blank));
  EXPECT_FALSE(blank.blank);
  WriteBmp(scan, 620, 800, 8, 300, [](double, double) { return 241; });
  ASSERT_TRUE(MeasureBlankScan(scan, blank));
  EXPECT_TRUE(blank.blank);

  // Not a bitmap, or cut short: refused, nothing written.
  std::ofstream(scan, std::ios::binary | std::ios::trunc) << "not a page";
  std::remove(out.c_str());
  EXPECT_EQ(StraightenScan(scan, out, figures), CleanupOutcome::kFailed);
  EXPECT_FALSE(MeasureBlankScan(scan, blank));
  EXPECT_FALSE(std::ifstream(out).good());
  std::remove(scan.c_str());
}

// Line art turned stays line art: one bit a pixel, black and white, and a stroke one pixel thick
// stays unbroken across the page.
TEST(PageCleanup, DeskewedLineArtKeepsItsDepthAndThinStrokes) {
  const std::string scan = TempPath("lineart.bmp"), out = TempPath("lineart-out.bmp");
  const double c = std::cos(-3.0 * kPi / 180), s = std::sin(-3.0 * kPi / 180);
  const auto text = Document(-3.0, 310, 400, 900, 1200, 236);
  // Below each line of dashes a rule one pixel thick (page rows 24k + 12 - 200 once upright).
  WriteBmp(scan, 620, 800, 1, 300, [&](double x, double y) {
    const double u = (x - 310) * c + (y - 400) * s + 450, v = -(x - 310) * s + (y - 400) * c + 600;
    const double inLine = std::fmod(v, 24);
    return (u > 30 && u < 870 && inLine >= 12 && inLine < 13) ? 0 : text(x, y);
  });
  CleanupFigures figures;
  ASSERT_EQ(DeskewScan(scan, out, figures), CleanupOutcome::kWritten);
  EXPECT_NEAR(figures.skew.degrees, -3.0, 0.15);
  const Read page = ReadBmp(out);
  ASSERT_EQ(page.layout.bitsPerPixel, 1);
  ASSERT_EQ(page.layout.colours, 2u);
  EXPECT_LT(page.bytes[page.layout.paletteOffset], page.bytes[page.layout.paletteOffset + 4]);
  int rules = 0;
  for (uint32_t line = 12; line + 4 < 800; line += 24) {
    if (line < 220) continue;
    const uint32_t y = line - 200;
    ++rules;
    for (uint32_t x = 20; x < 600; ++x) {
      bool black = false;
      for (uint32_t dy = y - 3; dy <= y + 3 && !black; ++dy) black = page.At(x, dy) == 0;
      ASSERT_TRUE(black) << "rule at row " << y << " broken at column " << x;
    }
  }
  EXPECT_GT(rules, 20);
  std::remove(scan.c_str());
  std::remove(out.c_str());
}
