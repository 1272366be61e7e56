// The PDF writer and the page files it takes, judged by qpdf and poppler (pdfimages, pdftoppm):
// the structure checks, each page's image with its kind and resolution, the JPEG byte for byte,
// the bilevel and uncompressed pages pixel for pixel, the page at the image's size.
#include "app/output/imaging/PdfFromPages.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/output/imaging/JpegEncoder.h"
#include "app/output/imaging/LittleEndian.h"
#include "tests/native/support/ShellScratch.h"

namespace {

using test_support::ScratchDir;
using test_support::Shell;

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A picture: rows top-down, `channels` bytes per pixel (1 grey or bilevel as 0/1 ink, 3 RGB).
struct Picture {
  uint32_t width = 0, height = 0;
  int channels = 1;
  Bytes pixels;
  uint8_t& At(uint32_t x, uint32_t y, int c = 0) { return pixels[(size_t(y) * width + x) * channels + c]; }
};

Picture MakePicture(uint32_t width, uint32_t height, int channels, unsigned seed) {
  Picture picture{width, height, channels, Bytes(size_t(width) * height * channels)};
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c) {
        seed = seed * 1103515245u + 12345u;
        picture.At(x, y, c) = static_cast<uint8_t>((x * 7 + y * 3 + c * 50) ^ ((seed >> 16) & 15));
      }
  return picture;
}

// Text-like ink: short black runs on white, and a few long lines.
Picture MakeInk(uint32_t width, uint32_t height, unsigned seed) {
  Picture picture{width, height, 1, Bytes(size_t(width) * height)};
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      seed = seed * 1103515245u + 12345u;
      picture.At(x, y) = (y % 40 == 5) || ((x / 9 + y / 11) % 5 == 0 && ((seed >> 16) & 3) != 0);
    }
  return picture;
}

// An uncompressed bitmap file: 1-bit (palette 0 black, 1 white, or inverted), 8-bit grey or
// 24-bit; bottom-up unless `topDown`.
Bytes BitmapFile(const Picture& picture, int bits, int dpi, bool topDown, bool invertedPalette = false,
                 uint32_t pelsPerMeter = 0) {
  const uint32_t colours = bits <= 8 ? 1u << bits : 0;
  const size_t rowBytes = (size_t(picture.width) * bits + 31) / 32 * 4;
  const size_t pixelOffset = 54 + colours * 4;
  Bytes file(pixelOffset + rowBytes * picture.height);
  file[0] = 'B', file[1] = 'M';
  WriteLe32(&file[2], static_cast<uint32_t>(file.size()));
  WriteLe32(&file[10], static_cast<uint32_t>(pixelOffset));
  WriteLe32(&file[14], 40);
  WriteLe32(&file[18], picture.width);
  WriteLe32(&file[22],
            topDown ? static_cast<uint32_t>(-static_cast<int32_t>(picture.height)) : picture.height);
  WriteLe16(&file[26], 1);
  WriteLe16(&file[28], bits);
  if (!pelsPerMeter) pelsPerMeter = static_cast<uint32_t>((dpi * 10000 + 127) / 254);
  WriteLe32(&file[38], pelsPerMeter);
  WriteLe32(&file[42], pelsPerMeter);
  for (uint32_t i = 0; i < colours; ++i) {
    const uint8_t level = bits == 1 ? ((i == 1) != invertedPalette ? 255 : 0) : static_cast<uint8_t>(i);
    std::memset(&file[54 + i * 4], level, 3);
  }
  for (uint32_t y = 0; y < picture.height; ++y) {
    uint8_t* row = &file[pixelOffset + rowBytes * (topDown ? y : picture.height - 1 - y)];
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint8_t* p = &picture.pixels[(size_t(y) * picture.width + x) * picture.channels];
      if (bits == 1) {
        const bool bit = (p[0] == 0) != invertedPalette;  // ink on index 0 unless inverted
        if (bit) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      } else if (bits == 8) {
        row[x] = p[0];
      } else {
        row[3 * x] = p[2], row[3 * x + 1] = p[1], row[3 * x + 2] = p[0];
      }
    }
  }
  return file;
}

bool Collect(void* context, const uint8_t* data, size_t size) {
  static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), data, data + size);
  return true;
}

Bytes JpegFile(const Picture& picture, int dpi) {
  CJpegEncoder encoder;
  CJpegEncoder::Settings settings;
  settings.width = picture.width;
  settings.height = picture.height;
  settings.layout = picture.channels == 3 ? CJpegEncoder::Layout::kBgr : CJpegEncoder::Layout::kGrey;
  settings.xDpi = settings.yDpi = dpi;
  Bytes out;
  EXPECT_TRUE(encoder.Begin(settings, Collect, &out));
  for (uint32_t y = 0; y < picture.height; ++y)
    EXPECT_TRUE(encoder.AddRow(&picture.pixels[size_t(y) * picture.width * picture.channels]));
  EXPECT_TRUE(encoder.Finish());
  return out;
}

// A decoded image from pdfimages: P4 (1 for black), P5 or P6, as a picture (bilevel as 0/1 ink).
Picture ReadNetpbm(const std::string& path) {
  const Bytes file = ReadAll(path);
  std::istringstream head(std::string(file.begin(), file.begin() + std::min<size_t>(file.size(), 64)));
  std::string magic;
  Picture picture;
  int maxValue = 1;
  head >> magic >> picture.width >> picture.height;
  if (magic != "P4") head >> maxValue;
  const size_t offset = static_cast<size_t>(head.tellg()) + 1;
  picture.channels = magic == "P6" ? 3 : 1;
  picture.pixels.resize(size_t(picture.width) * picture.height * picture.channels);
  const size_t rowBytes = (picture.width + 7) / 8;
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    if (magic == "P4") {
      const size_t y = i / picture.width, x = i % picture.width;
      picture.pixels[i] = (file.at(offset + y * rowBytes + x / 8) >> (7 - x % 8)) & 1;
    } else {
      picture.pixels[i] = file.at(offset + i);
    }
  }
  return picture;
}

// One line of `pdfimages -list` per image: page num type width height color comp bpc enc
// interp object ID x-ppi y-ppi size ratio.
std::vector<std::vector<std::string>> ImageList(const std::string& pdf) {
  std::istringstream lines(Shell("pdfimages -list " + pdf));
  std::vector<std::vector<std::string>> images;
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> fields((std::istream_iterator<std::string>(words)),
                                    std::istream_iterator<std::string>());
    if (fields.size() >= 14 && fields[2] == "image") images.push_back(fields);
  }
  return images;
}

// The page rendered at `dpi`: its size in pixels.
std::pair<int, int> RenderedSize(const std::string& pdf, int page, int dpi, const std::string& base) {
  Shell("pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " + std::to_string(page) +
        " -singlefile -gray " + pdf + " " + base);
  const Picture rendered = ReadNetpbm(base + ".pgm");
  return {static_cast<int>(rendered.width), static_cast<int>(rendered.height)};
}

void ExpectQpdfAccepts(const std::string& pdf) {
  const std::string check = Shell("qpdf --check " + pdf);
  EXPECT_NE(check.find("No syntax or stream encoding errors found"), std::string::npos) << check;
  EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;
}

const LocalTime kDate{2026, 12, 8, 10, 30, 45};

TEST(PdfFromPages, EveryKindOfPageIsKeptAsItIsAtItsSize) {
  ScratchDir dir;
  const Picture colour = MakePicture(620, 877, 3, 1), grey = MakePicture(301, 190, 1, 2);
  const Picture ink = MakeInk(1653, 2339, 3), wideInk = MakeInk(83, 40, 4);
  const Bytes jpeg = JpegFile(colour, 300);
  WriteAll(dir / "P1.JPG", jpeg);
  WriteAll(dir / "P2.BMP", BitmapFile(ink, 1, 200, false));
  WriteAll(dir / "P3.BMP", BitmapFile(grey, 8, 150, false));
  WriteAll(dir / "P4.BMP", BitmapFile(colour, 24, 0, true));  // no resolution: the fallback, 100
  WriteAll(dir / "P5.BMP", BitmapFile(wideInk, 1, 96, true, true));
  WriteAll(dir / "P6.JPG", JpegFile(grey, 0));
  // As the acquisition library writes 100 dpi (3900 pixels per metre, which reads 99 dpi).
  WriteAll(dir / "P7.BMP", BitmapFile(grey, 8, 0, false, false, 3900));
  WriteAll(dir / "P8.JPG", JpegFile(grey, 99));
  const std::string pdf = dir / "P1.PDF";
  const std::vector<std::string> pages = {dir / "P1.JPG", dir / "P2.BMP", dir / "P3.BMP", dir / "P4.BMP",
                                          dir / "P5.BMP", dir / "P6.JPG", dir / "P7.BMP", dir / "P8.JPG"};
  ASSERT_EQ(WritePdfFromPages(pdf, pages, 100, kDate).status, PdfFromPagesResult::kOk);

  ExpectQpdfAccepts(pdf);
  const auto images = ImageList(pdf);
  ASSERT_EQ(images.size(), 8u);
  // page, color, bpc, enc, x-ppi, y-ppi; the scan's 100 dpi where a page states none or 99
  const char* expected[8][6] = {
      {"1", "rgb", "8", "jpeg", "300", "300"},   {"2", "gray", "1", "ccitt", "200", "200"},
      {"3", "gray", "8", "image", "150", "150"}, {"4", "rgb", "8", "image", "100", "100"},
      {"5", "gray", "1", "ccitt", "96", "96"},   {"6", "gray", "8", "jpeg", "100", "100"},
      {"7", "gray", "8", "image", "100", "100"}, {"8", "gray", "8", "jpeg", "100", "100"}};
  for (int i = 0; i < 8; ++i) {
    const auto& f = images[i];
    EXPECT_EQ(f[0], expected[i][0]);
    EXPECT_EQ(f[5], expected[i][1]) << i;
    EXPECT_EQ(f[7], expected[i][2]) << i;
    EXPECT_EQ(f[8], expected[i][3]) << i;
    EXPECT_EQ(f[12], expected[i][4]) << i;
    EXPECT_EQ(f[13], expected[i][5]) << i;
  }

  Shell("pdfimages -j " + pdf + " " + (dir / "out"));
  EXPECT_EQ(ReadAll(dir / "out-000.jpg"), jpeg);
  EXPECT_EQ(ReadNetpbm(dir / "out-001.pbm").pixels, ink.pixels);
  const Picture greyOut = ReadNetpbm(dir / "out-002.ppm");  // poppler writes grey as colour
  ASSERT_EQ(greyOut.pixels.size(), grey.pixels.size() * 3);
  for (size_t i = 0; i < grey.pixels.size(); ++i) ASSERT_EQ(greyOut.pixels[3 * i + 1], grey.pixels[i]) << i;
  EXPECT_EQ(ReadNetpbm(dir / "out-003.ppm").pixels, colour.pixels);
  EXPECT_EQ(ReadNetpbm(dir / "out-004.pbm").pixels, wideInk.pixels);

  EXPECT_EQ(RenderedSize(pdf, 1, 300, dir / "r1"), std::make_pair(620, 877));
  EXPECT_EQ(RenderedSize(pdf, 2, 200, dir / "r2"), std::make_pair(1653, 2339));
  EXPECT_EQ(RenderedSize(pdf, 4, 100, dir / "r4"), std::make_pair(620, 877));
  EXPECT_NE(Shell("pdfinfo " + pdf).find("148.8 x 210.48 pts"), std::string::npos);
}

// Rows that use every run-length code of both colours, every vertical offset, pass modes,
// noise, and widths around a byte's edge: decoded by poppler to the same pixels.
TEST(PdfFromPages, FaxCodingDecodesToTheSamePixels) {
  ScratchDir dir;
  std::vector<Picture> pictures;
  // Wide enough for the longest pair of runs (white 2699, black 2700).
  Picture runs{5400, 2 * 2700, 1, Bytes(size_t(5400) * 2 * 2700)};
  for (uint32_t length = 0; length < 2700; ++length) {
    // White `length` then black `length + 1`, under a white row: horizontal mode throughout.
    for (uint32_t x = length; x < 2 * length + 1; ++x) runs.At(x, 2 * length + 1) = 1;
  }
  pictures.push_back(runs);
  Picture slant{64, 64, 1, Bytes(64 * 64)};
  for (uint32_t y = 0; y < 64; ++y)
    for (uint32_t x = 0; x < 64; ++x) slant.At(x, y) = x >= (y * (y % 7)) % 64 && x < 40 + y % 5;
  pictures.push_back(slant);
  pictures.push_back(MakePicture(257, 101, 1, 9));  // noise once thresholded below
  for (auto& v : pictures.back().pixels) v &= 1;
  for (uint32_t width : {1u, 7u, 8u, 9u, 17u}) pictures.push_back(MakeInk(width, 30, width));
  Picture black{33, 5, 1, Bytes(33 * 5, 1)};
  pictures.push_back(black);
  // A white row under a row black to its end: a white run to the end and a black run of 0.
  Picture tail{40, 2, 1, Bytes(40 * 2)};
  for (uint32_t x = 10; x < 40; ++x) tail.At(x, 0) = 1;
  pictures.push_back(tail);

  std::vector<std::string> pages;
  for (size_t i = 0; i < pictures.size(); ++i) {
    pages.push_back(dir / ("P" + std::to_string(i) + ".BMP"));
    WriteAll(pages.back(), BitmapFile(pictures[i], 1, 300, i % 2 == 0));
  }
  const std::string pdf = dir / "fax.pdf";
  ASSERT_EQ(WritePdfFromPages(pdf, pages, 300, LocalTime()).status, PdfFromPagesResult::kOk);
  ExpectQpdfAccepts(pdf);
  const std::string log = Shell("pdfimages " + pdf + " " + (dir / "out"));
  EXPECT_EQ(log, "");
  for (size_t i = 0; i < pictures.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof(name), "out-%03zu.pbm", i);
    const Picture decoded = ReadNetpbm(dir / name);
    EXPECT_EQ(decoded.width, pictures[i].width) << i;
    EXPECT_TRUE(decoded.pixels == pictures[i].pixels) << "page " << i;
  }
}

// The cross-reference table points at every object; the trailer at the table.
TEST(PdfWriter, CrossReferencesPointAtTheirObjects) {
  Bytes out;
  CPdfWriter writer;
  ASSERT_TRUE(writer.Begin(Collect, &out, kDate));
  for (int page = 0; page < 3; ++page) {
    CPdfWriter::PageImage image;
    image.samples = page == 1 ? CPdfWriter::Samples::kBilevel : CPdfWriter::Samples::kGrey;
    image.width = 10;
    image.height = 2;
    ASSERT_TRUE(writer.BeginPage(image));
    const uint8_t row[10] = {0xAA, 0x55};
    ASSERT_TRUE(writer.AddRow(row));
    ASSERT_TRUE(writer.AddRow(row));
    ASSERT_TRUE(writer.EndPage());
  }
  ASSERT_TRUE(writer.Finish());
  const std::string text(out.begin(), out.end());
  EXPECT_EQ(text.compare(0, 9, "%PDF-1.4\n"), 0);
  const size_t startxref = text.rfind("startxref\n");
  const size_t table = std::stoul(text.substr(startxref + 10));
  ASSERT_EQ(text.compare(table, 5, "xref\n"), 0);
  std::istringstream xref(text.substr(table + 5));
  size_t first = 0, count = 0;
  xref >> first >> count;
  EXPECT_EQ(count, 4u + 3 * 3 + 1);  // free head, catalog, tree, info; 3 per page; 1 coded length
  xref.get();
  for (size_t object = 0; object < count; ++object) {
    char entry[21] = {};
    xref.read(entry, 20);
    ASSERT_EQ(std::string(entry + 10, 10), object ? " 00000 n\r\n" : " 65535 f\r\n") << object;
    if (object == 0) continue;
    const std::string header = std::to_string(object) + " 0 obj\n";
    EXPECT_EQ(text.compare(std::stoul(std::string(entry, 10)), header.size(), header), 0) << object;
  }
  EXPECT_NE(text.find("/CreationDate (D:20261208103045)"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 6), "%%EOF\n");
  EXPECT_EQ(CPdfWriter::Points(2480, 300), "595.1999");
  EXPECT_EQ(CPdfWriter::Points(1, 7), "10.2857");
  EXPECT_EQ(CPdfWriter::Points(100, 0), "99.9999");
}

bool RefuseAfter(void* context, const uint8_t*, size_t size) {
  auto* left = static_cast<size_t*>(context);
  if (size > *left) return false;
  *left -= size;
  return true;
}

TEST(PdfWriter, RefusesWhatWouldMakeABrokenFile) {
  CPdfWriter::PageImage jpeg;
  jpeg.width = jpeg.height = 8;
  jpeg.jpegBytes = 4;
  const uint8_t bytes[5] = {};
  {
    CPdfWriter writer;  // more or fewer bytes than announced, rows into a JPEG page
    Bytes out;
    ASSERT_TRUE(writer.Begin(Collect, &out, kDate));
    EXPECT_FALSE(writer.Finish());  // no page
    ASSERT_TRUE(writer.BeginPage(jpeg));
    EXPECT_FALSE(writer.AddJpegBytes(bytes, 5));
    EXPECT_FALSE(writer.EndPage());
  }
  {
    CPdfWriter writer;
    Bytes out;
    ASSERT_TRUE(writer.Begin(Collect, &out, kDate));
    ASSERT_TRUE(writer.BeginPage(jpeg));
    EXPECT_TRUE(writer.AddJpegBytes(bytes, 3));
    EXPECT_FALSE(writer.EndPage());
    EXPECT_FALSE(writer.Finish());
  }
  CPdfWriter::PageImage bad = jpeg;
  bad.jpegComponents = 2;
  CPdfWriter writer;
  Bytes out;
  ASSERT_TRUE(writer.Begin(Collect, &out, kDate));
  EXPECT_FALSE(writer.BeginPage(bad));
  bad = jpeg;
  bad.width = 0;
  EXPECT_FALSE(writer.BeginPage(bad));
  // A sink that gives up at any point fails the document.
  for (size_t budget : {0, 100, 700}) {
    size_t left = budget;
    CPdfWriter limited;
    bool ok = limited.Begin(RefuseAfter, &left, kDate) && limited.BeginPage(jpeg) &&
              limited.AddJpegBytes(bytes, 4) && limited.EndPage() && limited.Finish();
    EXPECT_FALSE(ok) << budget;
  }
}

TEST(PdfFromPages, AFailedPageLeavesNoFileBehind) {
  ScratchDir dir;
  WriteAll(dir / "P1.JPG", JpegFile(MakePicture(16, 16, 3, 5), 300));
  WriteAll(dir / "P2.TXT", Bytes{'h', 'e', 'l', 'l', 'o'});
  Bytes truncated = BitmapFile(MakeInk(64, 64, 6), 1, 300, false);
  truncated.resize(truncated.size() - 10);
  WriteAll(dir / "P3.BMP", truncated);
  const std::string pdf = dir / "out.pdf";
  const struct {
    std::vector<std::string> pages;
    PdfFromPagesResult::Status status;
    size_t page;
  } cases[] = {
      {{dir / "P1.JPG", dir / "missing.JPG"}, PdfFromPagesResult::kPageUnreadable, 1},
      {{dir / "P1.JPG", dir / "P2.TXT"}, PdfFromPagesResult::kPageUnsupported, 1},
      {{dir / "P3.BMP"}, PdfFromPagesResult::kPageUnsupported, 0},
      {{}, PdfFromPagesResult::kNoPages, 0},
  };
  for (const auto& c : cases) {
    WriteAll(pdf, Bytes{'o', 'l', 'd'});
    const PdfFromPagesResult result = WritePdfFromPages(pdf, c.pages, 300, kDate);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.page, c.page);
    if (c.status != PdfFromPagesResult::kNoPages) {
      EXPECT_NE(access(pdf.c_str(), F_OK), 0);
    }
  }
  EXPECT_EQ(WritePdfFromPages(dir / "no/such/dir.pdf", {dir / "P1.JPG"}, 300, kDate).status,
            PdfFromPagesResult::kCannotWrite);
}

}  // namespace
