// The compact page: the text mask against the ink drawn on a made page (with a photograph that
// must stay out of it), the JBIG2 coder against jbig2dec, and whole pages through the PDF
// writer judged by qpdf and poppler (the layers and their kinds, the page as rendered).
#include "app/output/imaging/CompactPage.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/output/imaging/Jbig2Encoder.h"
#include "app/output/imaging/LayerSplitter.h"
#include "app/output/imaging/LittleEndian.h"
#include "app/output/imaging/PageSurvey.h"
#include "app/output/imaging/PdfFromPages.h"
#include "tests/native/support/ShellScratch.h"

namespace {

using test_support::ScratchDir;
using test_support::Shell;

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A page as a scanner gives it: blue-green-red rows, and where its ink truly is.
struct Page {
  uint32_t width, height;
  Bytes pixels;
  std::vector<uint8_t> ink;      // 1 where ink was drawn
  std::vector<uint8_t> picture;  // 1 inside the photograph
  uint8_t* At(uint32_t x, uint32_t y) { return &pixels[(size_t(y) * width + x) * 3]; }
};

void Paint(Page& page, uint32_t x, uint32_t y, const uint8_t bgr[3]) {
  std::memcpy(page.At(x, y), bgr, 3);
  page.ink[size_t(y) * page.width + x] = 1;
}

// Paper with grain; lines of "words" (strokes 2 to 5 pixels wide, 24 high) in black, a line of
// red ones, a one-pixel rule in light blue, and a photograph (colourful waves with texture).
Page MakePage(uint32_t width, uint32_t height, bool photograph) {
  Page page{width, height, Bytes(size_t(width) * height * 3), std::vector<uint8_t>(size_t(width) * height),
            std::vector<uint8_t>(size_t(width) * height)};
  unsigned seed = 7;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const int grain = static_cast<int>(next() % 7) - 3;
      uint8_t* p = page.At(x, y);
      p[0] = static_cast<uint8_t>(236 + grain), p[1] = static_cast<uint8_t>(243 + grain),
      p[2] = static_cast<uint8_t>(246 + grain);
    }
  const uint8_t black[3] = {25, 20, 20}, red[3] = {35, 30, 190}, lightBlue[3] = {225, 165, 110};
  for (uint32_t line = 0; line < 12 && 60 + line * 50 + 40 < height; ++line) {
    const uint32_t top = 60 + line * 50;
    const uint8_t* colour = line == 5 ? red : black;
    for (uint32_t x = 60; x + 8 < width - 60;) {
      const uint32_t stroke = 2 + next() % 4, tall = 24 - (next() % 2) * 8;
      for (uint32_t y = top + 24 - tall; y < top + 24; ++y)
        for (uint32_t dx = 0; dx < stroke; ++dx) Paint(page, x + dx, y, colour);
      x += stroke + 3 + (next() % 5 == 0 ? 14 : 0);
    }
  }
  for (uint32_t x = 60; x < width - 60 && height > 760; ++x) Paint(page, x, 700, lightBlue);
  if (photograph) {
    for (uint32_t y = 760; y < height - 40; ++y)
      for (uint32_t x = 100; x < width - 100; ++x) {
        uint8_t* p = page.At(x, y);
        const double wave = std::sin(x / 37.0) * std::cos(y / 29.0);
        const int texture = static_cast<int>(12 * std::sin(x / 4.7 + y / 6.1));
        p[0] = static_cast<uint8_t>(120 + 70 * wave + texture);
        p[1] = static_cast<uint8_t>(110 + 40 * std::sin(y / 51.0) + texture);
        p[2] = static_cast<uint8_t>(90 + 50 * std::cos(x / 23.0) + texture);
        page.picture[size_t(y) * width + x] = 1;
      }
  }
  return page;
}

class CMaskRows final : public CLayerSplitter::Output {
 public:
  explicit CMaskRows(uint32_t width) : m_width(width) {}
  bool TakeMaskRow(const uint8_t* bits) override {
    for (uint32_t x = 0; x < m_width; ++x) mask.push_back((bits[x >> 3] >> (7 - (x & 7))) & 1);
    return true;
  }
  bool TakeBackgroundRow(const uint8_t*) override { return true; }
  std::vector<uint8_t> mask;

 private:
  uint32_t m_width;
};

TEST(CompactPage, TheMaskHoldsTheInkThinLightStrokesIncludedAndNothingOfThePhotograph) {
  Page page = MakePage(1200, 1300, true);
  CPageSurvey survey;
  ASSERT_TRUE(survey.Begin(page.width, page.height, 3, 24));
  for (uint32_t y = 0; y < page.height; ++y) survey.AddRow(page.At(0, y));
  survey.Finish();
  CLayerSplitter splitter;
  CMaskRows rows(page.width);
  ASSERT_TRUE(splitter.Begin(survey, page.width, page.height, 3, 3, rows));
  for (uint32_t y = 0; y < page.height; ++y) ASSERT_TRUE(splitter.AddRow(page.At(0, y)));
  ASSERT_EQ(rows.mask.size(), page.ink.size());

  size_t ink = 0, found = 0, stray = 0, inPicture = 0, rule = 0;
  for (size_t i = 0; i < page.ink.size(); ++i) {
    ink += page.ink[i];
    found += page.ink[i] && rows.mask[i];
    stray += !page.ink[i] && rows.mask[i];
    inPicture += page.picture[i] && rows.mask[i];
  }
  for (uint32_t x = 60; x < page.width - 60; ++x) rule += rows.mask[size_t(700) * page.width + x];
  EXPECT_GE(found * 1000, ink * 995) << found << " of " << ink;
  EXPECT_LE(stray * 10000, page.ink.size() * 5) << stray;
  EXPECT_EQ(inPicture, 0u);
  EXPECT_EQ(rule, page.width - 120u);
  // The photograph's blocks, and about no more: it is a third of the page.
  EXPECT_NEAR(survey.PictureShare(), 0.35, 0.06);
  // Three colours of ink, each near what was drawn (red channels): black, red, light blue.
  ASSERT_EQ(splitter.FinishForeground(), 3);
  int reds[3];
  for (int k = 0; k < 3; ++k) reds[k] = splitter.Colour(k)[2];
  std::sort(reds, reds + 3);
  EXPECT_LT(std::abs(reds[0] - 20) + std::abs(reds[1] - 110) + std::abs(reds[2] - 190), 40)
      << reds[0] << " " << reds[1] << " " << reds[2];
}

// A P4 file's bits, one byte a pixel.
std::vector<uint8_t> ReadPbm(const std::string& path, uint32_t& width, uint32_t& height) {
  const Bytes file = ReadAll(path);
  std::vector<uint8_t> pixels;
  unsigned w = 0, h = 0;
  int consumed = 0;
  const std::string text(file.begin(), file.end());
  if (std::sscanf(text.c_str(), "P4 %u %u%n", &w, &h, &consumed) != 2) return pixels;
  width = w, height = h;
  const size_t rowBytes = (w + 7) / 8, start = static_cast<size_t>(consumed) + 1;
  if (file.size() < start + rowBytes * h) return pixels;
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      pixels.push_back((file[start + y * rowBytes + x / 8] >> (7 - x % 8)) & 1);
  return pixels;
}

bool Append(void* context, const uint8_t* data, size_t size) {
  auto& bytes = *static_cast<Bytes*>(context);
  bytes.insert(bytes.end(), data, data + size);
  return true;
}

TEST(CompactPage, Jbig2DecodesToTheRowsGivenWhateverTheirContent) {
  ScratchDir dir;
  struct Case {
    uint32_t width, height;
    int kind;  // 0 noise, 1 text-like runs, 2 all black, 3 all white, 4 stripes repeating rows
  };
  std::vector<Case> cases;
  for (uint32_t width = 1; width <= 17; ++width) cases.push_back({width, 9, 0});
  cases.insert(cases.end(),
               {{300, 200, 0}, {613, 400, 1}, {77, 50, 2}, {64, 64, 3}, {129, 300, 4}, {2550, 60, 1}});
  unsigned seed = 11;
  for (const Case& test : cases) {
    std::vector<uint8_t> pixels(size_t(test.width) * test.height);
    for (uint32_t y = 0; y < test.height; ++y)
      for (uint32_t x = 0; x < test.width; ++x) {
        seed = seed * 1103515245u + 12345u;
        const unsigned r = seed >> 16;
        uint8_t bit = 0;
        if (test.kind == 0) bit = r & 1;
        if (test.kind == 1) bit = (y % 20 < 12) && ((x / 3 + y / 20) % 5 < 2) && r % 31 != 0;
        if (test.kind == 2) bit = 1;
        if (test.kind == 4) bit = (y / 7) % 3 == 0 && x % 9 < 4;
        pixels[size_t(y) * test.width + x] = bit;
      }
    CJbig2Encoder encoder;
    ASSERT_TRUE(encoder.Begin(test.width, test.height, 300));
    std::vector<uint8_t> row((test.width + 7) / 8);
    for (uint32_t y = 0; y < test.height; ++y) {
      std::fill(row.begin(), row.end(), 0);
      for (uint32_t x = 0; x < test.width; ++x)
        if (pixels[size_t(y) * test.width + x]) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      ASSERT_TRUE(encoder.AddRow(row.data()));
    }
    EXPECT_FALSE(encoder.AddRow(row.data())) << "past the last row";
    Bytes coded;
    ASSERT_TRUE(encoder.Finish(Append, &coded));
    std::ofstream(dir / "in.jb2", std::ios::binary)
        .write(reinterpret_cast<const char*>(coded.data()), coded.size());
    const std::string said = Shell("jbig2dec -e -t pbm -o " + dir / "out.pbm" + " " + dir / "in.jb2");
    uint32_t width = 0, height = 0;
    const std::vector<uint8_t> decoded = ReadPbm(dir / "out.pbm", width, height);
    EXPECT_EQ(width, test.width) << said;
    EXPECT_EQ(height, test.height);
    EXPECT_TRUE(decoded == pixels) << test.width << " x " << test.height << " kind " << test.kind << ": "
                                   << said;
    Shell("rm -f " + dir / "out.pbm");
  }
}

void WriteBitmap(const std::string& path, const Page& page, int dpi, bool grey) {
  const uint32_t bits = grey ? 8 : 24, colours = grey ? 256 : 0;
  const size_t rowBytes = ((page.width * bits / 8) + 3) & ~size_t(3);
  const uint32_t offset = 54 + colours * 4;
  Bytes file(offset + rowBytes * page.height);
  file[0] = 'B', file[1] = 'M';
  WriteLe32(&file[2], static_cast<uint32_t>(file.size()));
  WriteLe32(&file[10], offset);
  WriteLe32(&file[14], 40);
  WriteLe32(&file[18], page.width);
  WriteLe32(&file[22], page.height);
  WriteLe16(&file[26], 1);
  WriteLe16(&file[28], static_cast<uint16_t>(bits));
  WriteLe32(&file[38], static_cast<uint32_t>(dpi * 10000 / 254));
  WriteLe32(&file[42], static_cast<uint32_t>(dpi * 10000 / 254));
  WriteLe32(&file[46], colours);
  for (uint32_t i = 0; i < colours; ++i) file[54 + i * 4] = file[55 + i * 4] = file[56 + i * 4] = uint8_t(i);
  for (uint32_t y = 0; y < page.height; ++y) {
    uint8_t* row = &file[offset + rowBytes * (page.height - 1 - y)];
    for (uint32_t x = 0; x < page.width; ++x) {
      const uint8_t* p = &page.pixels[(size_t(y) * page.width + x) * 3];
      if (grey)
        row[x] = static_cast<uint8_t>((p[0] * 29 + p[1] * 150 + p[2] * 77) >> 8);
      else
        std::memcpy(row + x * 3, p, 3);
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
}

// pdfimages' list as rows of its columns (page num type width height color comp bpc enc ...).
std::vector<std::vector<std::string>> Images(const std::string& pdf) {
  std::vector<std::vector<std::string>> rows;
  const std::string listing = Shell("pdfimages -list " + pdf);
  size_t line = 0;
  for (size_t start = 0, end; (end = listing.find('\n', start)) != std::string::npos;
       start = end + 1, ++line) {
    if (line < 2) continue;
    std::vector<std::string> fields;
    char word[64];
    int used = 0;
    for (const char* at = listing.c_str() + start;
         at < listing.c_str() + end && std::sscanf(at, "%63s%n", word, &used) == 1; at += used)
      fields.push_back(word);
    rows.push_back(fields);
  }
  return rows;
}

// Peak signal to noise of a region of two P6 renderings of the same size.
double Psnr(const std::string& one, const std::string& other, uint32_t left, uint32_t top, uint32_t right,
            uint32_t bottom) {
  const Bytes a = ReadAll(one), b = ReadAll(other);
  unsigned w = 0, h = 0, wb = 0, hb = 0;
  int used = 0, usedB = 0;
  if (std::sscanf(reinterpret_cast<const char*>(a.data()), "P6 %u %u 255%n", &w, &h, &used) != 2) return 0;
  if (std::sscanf(reinterpret_cast<const char*>(b.data()), "P6 %u %u 255%n", &wb, &hb, &usedB) != 2) return 0;
  if (w != wb || h != hb) return 0;
  double sum = 0;
  size_t count = 0;
  for (uint32_t y = top; y < bottom && y < h; ++y)
    for (uint32_t x = left; x < right && x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        const double d =
            double(a[used + 1 + (size_t(y) * w + x) * 3 + c]) - b[usedB + 1 + (size_t(y) * w + x) * 3 + c];
        sum += d * d, ++count;
      }
  return count ? 10 * std::log10(255.0 * 255.0 / (sum / count)) : 0;
}

TEST(CompactPage, AColourPageGoesAsBackgroundAndAStencilAColourJudgedByQpdfAndPoppler) {
  ScratchDir dir;
  const Page page = MakePage(1200, 1300, true);
  WriteBitmap(dir / "page.bmp", page, 300, false);
  PdfPageStyle style;
  style.compact = true;
  ASSERT_EQ(WritePdfFromPages(dir / "page.pdf", {dir / "page.bmp"}, 300, LocalTime(), style).status,
            PdfFromPagesResult::kOk);
  EXPECT_NE(Shell("qpdf --check " + dir / "page.pdf").find("No syntax or stream encoding errors"),
            std::string::npos);
  const auto images = Images(dir / "page.pdf");
  ASSERT_EQ(images.size(), 4u) << Shell("pdfimages -list " + dir / "page.pdf");
  // The background at a third of the resolution; black, red and light-blue ink as stencils.
  EXPECT_EQ(std::vector<std::string>(images[0].begin() + 2, images[0].begin() + 9),
            (std::vector<std::string>{"image", "400", "434", "rgb", "3", "8", "jpeg"}));
  for (size_t i = 1; i < images.size(); ++i) {
    EXPECT_EQ(images[i][2], "stencil");
    EXPECT_EQ(images[i][8], "jbig2");
    EXPECT_EQ(images[i][12], "300");
  }
  EXPECT_LT(ReadAll(dir / "page.pdf").size(), 160u * 1000);
  // At 150 dpi the photograph is near the page reduced (its fine ripples are past what the
  // background's 100 dpi holds: the benchmark measures real pictures); the ink is where it
  // was drawn.
  Shell("pdftoppm -r 150 -singlefile " + dir / "page.pdf" + " " + dir / "compact");
  Shell("convert " + dir / "page.bmp" + " -filter box -resize 50% " + dir / "reduced.ppm");
  EXPECT_GE(Psnr(dir / "compact.ppm", dir / "reduced.ppm", 60, 390, 540, 640), 25.0);
  Shell("pdftoppm -r 300 -gray -singlefile " + dir / "page.pdf" + " " + dir / "full");
  const Bytes rendered = ReadAll(dir / "full.pgm");
  unsigned w = 0, h = 0;
  int used = 0;
  ASSERT_EQ(std::sscanf(reinterpret_cast<const char*>(rendered.data()), "P5 %u %u 255%n", &w, &h, &used), 2);
  ASSERT_EQ(w * h, page.ink.size());
  size_t dark = 0, ink = 0;
  for (size_t i = 0; i < page.ink.size(); ++i)
    if (page.ink[i] && !page.picture[i] && i / page.width != 700) ++ink, dark += rendered[used + 1 + i] < 100;
  EXPECT_GE(dark * 100, ink * 99);
}

TEST(CompactPage, PagesOfOtherKindsTakeTheirOwnForms) {
  ScratchDir dir;
  PdfPageStyle style;
  style.compact = true;
  // Grey: grey pictures. Paper alone: the background only. A photograph all over: one JPEG.
  Page grey = MakePage(600, 500, false);
  WriteBitmap(dir / "grey.bmp", grey, 200, true);
  Page paper = MakePage(400, 300, false);
  for (uint32_t y = 0; y < paper.height; ++y)
    for (uint32_t x = 0; x < paper.width; ++x) std::memset(paper.At(x, y), 240, 3);
  WriteBitmap(dir / "paper.bmp", paper, 300, false);
  Page photo = MakePage(800, 1600, true);
  photo.height = 800;
  photo.pixels.erase(photo.pixels.begin(), photo.pixels.begin() + size_t(800) * 800 * 3);
  WriteBitmap(dir / "photo.bmp", photo, 300, false);
  ASSERT_EQ(WritePdfFromPages(dir / "set.pdf", {dir / "grey.bmp", dir / "paper.bmp", dir / "photo.bmp"}, 0,
                              LocalTime(), style)
                .status,
            PdfFromPagesResult::kOk);
  EXPECT_NE(Shell("qpdf --check " + dir / "set.pdf").find("No syntax or stream encoding errors"),
            std::string::npos);
  std::vector<std::string> kinds;
  for (const auto& image : Images(dir / "set.pdf"))
    kinds.push_back(image[0] + " " + image[2] + " " + image[5] + " " + image[8] + " " + image[12]);
  EXPECT_EQ(kinds, (std::vector<std::string>{"1 image gray jpeg 100", "1 stencil - jbig2 200",
                                             "2 image rgb jpeg 101", "3 image rgb jpeg 300"}));
  // A page cut short is refused, and no PDF is left.
  const Bytes whole = ReadAll(dir / "grey.bmp");
  std::ofstream(dir / "short.bmp", std::ios::binary)
      .write(reinterpret_cast<const char*>(whole.data()), whole.size() / 2);
  EXPECT_EQ(WritePdfFromPages(dir / "short.pdf", {dir / "short.bmp"}, 0, LocalTime(), style).status,
            PdfFromPagesResult::kPageUnsupported);
  EXPECT_TRUE(ReadAll(dir / "short.pdf").empty());
}

}  // namespace
