// Fuzz target: the word boxes the OCR engine gives (Tesseract's TSV, any bytes), read into
// lines and words and laid as invisible text over a small page, plain and compact.
// Properties: every word is valid UTF-8 of at most 256 bytes without blanks or control
// characters, with a box of some size within the coordinates' bound; no line is empty and
// there are at most 200,000 words; the PDF with the words is whole (header, end, one page, a
// cross-reference table whose every entry points at its object), and holds its fonts when
// there are words on the page.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/output/TesseractTsv.h"
#include "app/output/imaging/PdfFromPages.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/PdfChecks.h"

namespace {
const uint32_t kPageWidth = 96, kPageHeight = 64;

std::string WorkPath(const char* suffix) {
  const char* folder = std::getenv("TMPDIR");
  return std::string(folder && *folder ? folder : "/tmp") + "/orvane-fuzz-tsv-" + std::to_string(getpid()) +
         suffix;
}

void Le(std::vector<uint8_t>& file, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A grey bitmap file of paper with a few dark strokes, at 300 dpi.
void WritePage(const std::string& path) {
  const uint32_t offset = 54 + 256 * 4;
  std::vector<uint8_t> file(offset + kPageWidth * kPageHeight, 0xF0);
  file[0] = 'B', file[1] = 'M';
  Le(file, 2, static_cast<uint32_t>(file.size()), 4);
  Le(file, 6, 0, 4);
  Le(file, 10, offset, 4);
  Le(file, 14, 40, 4);
  Le(file, 18, kPageWidth, 4);
  Le(file, 22, kPageHeight, 4);
  Le(file, 26, 1, 2);
  Le(file, 28, 8, 2);
  Le(file, 30, 0, 4);
  Le(file, 34, 0, 4);
  Le(file, 38, 11811, 4);
  Le(file, 42, 11811, 4);
  Le(file, 46, 256, 4);
  Le(file, 50, 0, 4);
  for (uint32_t i = 0; i < 256; ++i) file[54 + i * 4] = file[55 + i * 4] = file[56 + i * 4] = uint8_t(i);
  for (uint32_t y = 10; y < 50; y += 12)
    for (uint32_t x = 8; x < 88; ++x)
      if (x % 7 < 3) file[offset + y * kPageWidth + x] = 0x20;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
}

void CheckWord(const PageWord& word) {
  FUZZ_CHECK(!word.text.empty() && word.text.size() <= TesseractTsv::kLongestWord);
  FUZZ_CHECK(word.box.width > 0 && word.box.height > 0);
  FUZZ_CHECK(word.box.x <= TesseractTsv::kLargestCoordinate &&
             word.box.width <= TesseractTsv::kLargestCoordinate);
  const std::string& t = word.text;
  for (size_t i = 0; i < t.size();) {
    const uint8_t lead = static_cast<uint8_t>(t[i]);
    FUZZ_CHECK(lead > 0x20 && lead != 0x7F && (lead < 0x80 || lead >= 0xC2) && lead <= 0xF4);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    FUZZ_CHECK(length <= t.size() - i);
    for (size_t k = 1; k < length; ++k) FUZZ_CHECK((static_cast<uint8_t>(t[i + k]) & 0xC0) == 0x80);
    i += length;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<PageText> texts = {TesseractTsv::Parse(reinterpret_cast<const char*>(data), size)};
  size_t words = 0;
  bool onPage = false;
  for (const PageLine& line : texts[0]) {
    FUZZ_CHECK(!line.words.empty() && line.box.width > 0 && line.box.height > 0);
    for (const PageWord& word : line.words) {
      CheckWord(word);
      onPage = onPage || (word.box.x < kPageWidth && word.box.y < kPageHeight && line.box.x < kPageWidth &&
                          line.box.y < kPageHeight);
    }
    words += line.words.size();
  }
  FUZZ_CHECK(words <= TesseractTsv::kMostWords);

  static const std::string page = WorkPath(".bmp");
  static const bool written = (WritePage(page), true);
  (void)written;
  const std::string output = WorkPath(".pdf");
  for (const bool compact : {false, true}) {
    PdfPageStyle style;
    style.compact = compact;
    style.texts = &texts;
    FUZZ_CHECK(WritePdfFromPages(output, {page}, 300, LocalTime(), style).status == PdfFromPagesResult::kOk);
    std::ifstream in(output, std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    FUZZ_CHECK(pdf.compare(0, 9, "%PDF-1.4\n") == 0);
    FUZZ_CHECK(pdf.size() >= 6 && pdf.compare(pdf.size() - 6, 6, "%%EOF\n") == 0);
    FUZZ_CHECK(pdf.find("/Count 1 >>") != std::string::npos);
    CheckCrossReference(pdf);
    // A word of a line that starts on the page is set in the page's fonts.
    if (onPage) FUZZ_CHECK(pdf.find("/Subtype /Type3") != std::string::npos);
    std::remove(output.c_str());
  }
  return 0;
}
