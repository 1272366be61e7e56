// The words of an OCR page: Tesseract's TSV read into lines and words (its rows, damaged rows,
// the text's bytes and bounds), the words laid as invisible text over a PDF page and found
// there by poppler in any script, and Tesseract's own words from a rendered page found in the
// compact PDF made of it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "app/output/TesseractTsv.h"
#include "app/output/imaging/PdfFromPages.h"
#include "tests/native/support/ShellScratch.h"

namespace {

using test_support::ScratchDir;
using test_support::Shell;

PageText Parse(const std::string& tsv) { return TesseractTsv::Parse(tsv.data(), tsv.size()); }

std::string Row(int level, int block, int paragraph, int line, int word, int x, int y, int w, int h,
                const std::string& text, int page = 1) {
  char numbers[128];
  std::snprintf(numbers, sizeof(numbers), "%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%s\t", level, page, block,
                paragraph, line, word, x, y, w, h, level == 5 ? "91.5" : "-1");
  return numbers + text + "\n";
}

std::vector<std::string> Texts(const PageLine& line) {
  std::vector<std::string> texts;
  for (const PageWord& word : line.words) texts.push_back(word.text);
  return texts;
}

using Strings = std::vector<std::string>;

// A word as poppler finds it: its text and box in points from the page's top left.
struct FoundWord {
  std::string text;
  double left, top, right, bottom;
};

std::vector<FoundWord> FoundWords(const std::string& pdf) {
  const std::string html = Shell("pdftotext -bbox " + pdf + " -");
  const std::regex word(
      "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
  std::vector<FoundWord> found;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    found.push_back({m[5], std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])});
  }
  return found;
}

// A bitmap file of white paper (grey, 8 bits), `width` x `height` at 300 dpi.
void WritePaper(const std::string& path, uint32_t width, uint32_t height) {
  Shell("convert -size " + std::to_string(width) + "x" + std::to_string(height) +
        " xc:white -units PixelsPerInch -density 300 -type Grayscale BMP3:" + path);
}
}  // namespace

// Rows as Tesseract writes them: the header, the page, block and paragraph rows, then each
// line's row before its words'. Damaged rows are passed over; a word whose line row is missing
// starts a line of its own; a second page is not this page's.
TEST(TesseractTsv, RowsBecomeLinesOfWordsAndDamagedRowsArePassedOver) {
  const std::string tsv =
      "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n" +
      Row(1, 0, 0, 0, 0, 0, 0, 2550, 3300, "") + Row(2, 1, 0, 0, 0, 300, 200, 1900, 130, "") +
      Row(3, 1, 1, 0, 0, 300, 200, 1900, 130, "") + Row(4, 1, 1, 1, 0, 300, 200, 1800, 60, "") +
      Row(5, 1, 1, 1, 1, 300, 205, 210, 50, "Dear") + Row(5, 1, 1, 1, 2, 540, 200, 400, 60, "Madam,") +
      "5\t1\t1\t1\t1\t3\t-4\t200\t10\t10\t90\tnegative\n" + "5\t1\t1\t1\t1\t4\t980\t200\n" +
      "5\t1\t1\t1\t1\t5\t980\tx\t100\t50\t90\tletters\n" + "5\t1\t1\t1\t1\t6\t980\t200\t0\t50\t90\tflat\n" +
      Row(4, 1, 1, 2, 0, 300, 270, 900, 60, "") + "5\t1\t1\t1\t2\t1\t300\t270\t300\t60\t88.25\tthank\r\n" +
      Row(5, 1, 1, 2, 2, 620, 270, 200, 60, "you") + Row(4, 1, 1, 3, 0, 300, 340, 900, 60, "") +
      Row(5, 2, 1, 1, 1, 300, 900, 500, 80, "Yours") + Row(5, 2, 1, 1, 2, 820, 900, 0, 0, "") +
      Row(4, 1, 1, 1, 0, 0, 0, 100, 100, "", 2) + Row(5, 1, 1, 1, 1, 0, 0, 100, 100, "later", 2) +
      Row(5, 1, 1, 1, 1, 0, 0, 100, 100, "nothing after the second page");
  const PageText lines = Parse(tsv);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Texts(lines[0]), (Strings{"Dear", "Madam,"}));
  EXPECT_EQ((std::vector<uint32_t>{lines[0].box.x, lines[0].box.y, lines[0].box.width, lines[0].box.height}),
            (std::vector<uint32_t>{300, 200, 1800, 60}));
  EXPECT_EQ((std::vector<uint32_t>{lines[0].words[1].box.x, lines[0].words[1].box.y,
                                   lines[0].words[1].box.width, lines[0].words[1].box.height}),
            (std::vector<uint32_t>{540, 200, 400, 60}));
  EXPECT_EQ(Texts(lines[1]), (Strings{"thank", "you"}));
  // The line row of an empty line is dropped; a word of another block takes its own box.
  EXPECT_EQ(Texts(lines[2]), (Strings{"Yours"}));
  EXPECT_EQ((std::vector<uint32_t>{lines[2].box.x, lines[2].box.y, lines[2].box.width, lines[2].box.height}),
            (std::vector<uint32_t>{300, 900, 500, 80}));

  EXPECT_TRUE(Parse("").empty());
  EXPECT_TRUE(TesseractTsv::Parse(nullptr, 10).empty());
  EXPECT_TRUE(Parse(Row(5, 1, 1, 1, 1, 10, 10, 10, 10, "x", 0)).empty());
  // Past the largest coordinate (a million) a row is damaged.
  EXPECT_TRUE(Parse(Row(5, 1, 1, 1, 1, 1000001, 10, 10, 10, "far")).empty());
  EXPECT_EQ(Parse(Row(5, 1, 1, 1, 1, 1000000, 10, 10, 10, "edge")).size(), 1u);
}

// A word keeps its valid UTF-8 without blanks or control characters, cut at a character's start
// within 256 bytes; a page holds at most 200,000 words.
TEST(TesseractTsv, AWordIsValidUtf8WithoutBlanksWithinItsBounds) {
  auto word = [](const std::string& text) {
    const PageText lines = Parse(Row(5, 1, 1, 1, 1, 10, 10, 100, 40, text));
    return lines.empty() ? std::string("<none>") : lines[0].words[0].text;
  };
  EXPECT_EQ(word("Gr\xC3\xBC\xC3\x9F"
                 "e"),
            "Gr\xC3\xBC\xC3\x9F"
            "e");
  EXPECT_EQ(word("\xE6\x97\xA5\xE6\x9C\xAC"), "\xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(word("smile\xF0\x9F\x98\x80"), "smile\xF0\x9F\x98\x80");
  // A stray continuation byte, an overlong "/", a surrogate, a cut sequence, past U+10FFFF.
  EXPECT_EQ(word("a\x80"
                 "b\xC0\xAF"
                 "c\xED\xA0\x80"
                 "d\xF4\x90\x80\x80"
                 "e\xE6\x97"),
            "abcde");
  // A no-break space, an ideographic space, a control character, a byte-order mark.
  EXPECT_EQ(word("x\xC2\xA0y\xE3\x80\x80z\x01w\xEF\xBB\xBFv"), "xyzwv");
  EXPECT_EQ(word("\xC2\xA0 \x7F"), "<none>");
  const std::string wide = "\xE6\x97\xA5";
  std::string longWord;
  for (int i = 0; i < 100; ++i) longWord += wide;
  EXPECT_EQ(word(longWord).size(), 255u);  // 85 whole characters
  EXPECT_EQ(word(std::string(300, 'a')), std::string(256, 'a'));

  std::string many;
  for (int i = 0; i < 200001; ++i) many += Row(5, 1, 1, 1, 1, 10, 10, 10, 10, "w");
  const PageText lines = Parse(many);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].words.size(), TesseractTsv::kMostWords);
}

// Words over a plain page and over a compact one: poppler finds each, in whatever script, in the
// box it was given (to a point), also when the page's characters are more than one font holds.
TEST(PdfTextLayer, WordsAreFoundWhereTheyStandInAnyScript) {
  ScratchDir dir;
  WritePaper(dir / "page.bmp", 2400, 1500);
  PageText text;
  const Strings latin = {"Invoice",
                         "Gr\xC3\xBC\xC3\x9F"
                         "e",
                         "\xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1", "smile\xF0\x9F\x98\x80", "(c)2024"};
  PageLine first;
  first.box = {150, 150, 2100, 60};
  for (size_t i = 0; i < latin.size(); ++i)
    first.words.push_back({{static_cast<uint32_t>(150 + i * 420), 150, 300, 60}, latin[i]});
  text.push_back(first);
  // 300 ideographs, ten to a word: past one font's 256 codes.
  Strings ideographs;
  for (uint32_t line = 0; line < 3; ++line) {
    PageLine row;
    row.box = {150, 400 + line * 200, 2100, 90};
    for (uint32_t w = 0; w < 10; ++w) {
      std::string word;
      for (uint32_t k = 0; k < 10; ++k) {
        const uint32_t c = 0x4E00 + (line * 10 + w) * 10 + k;
        word += std::string{char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
      }
      ideographs.push_back(word);
      row.words.push_back({{150 + w * 210, 400 + line * 200, 180, 90}, word});
    }
    text.push_back(row);
  }
  // Boxes past the page are cut to it, or left out when nothing is left.
  PageLine edge;
  edge.box = {2300, 1400, 500, 200};
  edge.words = {{{2300, 1400, 500, 200}, "edge"}, {{2500, 1400, 50, 50}, "outside"}};
  text.push_back(edge);
  const std::vector<PageText> texts = {text};
  for (const bool compact : {false, true}) {
    PdfPageStyle style;
    style.compact = compact;
    style.texts = &texts;
    const std::string pdf = dir / (compact ? "compact.pdf" : "plain.pdf");
    ASSERT_EQ(WritePdfFromPages(pdf, {dir / "page.bmp"}, 300, LocalTime(), style).status,
              PdfFromPagesResult::kOk);
    const std::string check = Shell("qpdf --check " + pdf);
    EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
    EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;
    const std::vector<FoundWord> found = FoundWords(pdf);
    Strings words;
    for (const FoundWord& w : found) words.push_back(w.text);
    Strings expected = latin;
    expected.insert(expected.end(), ideographs.begin(), ideographs.end());
    expected.push_back("edge");
    ASSERT_EQ(words, expected) << compact;
    // 300 dpi: a pixel is 0.24 point.
    for (size_t i = 0; i < latin.size(); ++i) {
      EXPECT_NEAR(found[i].left, (150 + i * 420) * 0.24, 1.0) << words[i];
      EXPECT_NEAR(found[i].right, (450 + i * 420) * 0.24, 1.0) << words[i];
      EXPECT_NEAR(found[i].top, 150 * 0.24, 1.0) << words[i];
      EXPECT_NEAR(found[i].bottom, 210 * 0.24, 1.0) << words[i];
    }
    EXPECT_NEAR(found.back().right, 2400 * 0.24, 1.0);
    EXPECT_NEAR(found.back().bottom, 1500 * 0.24, 1.0);
    // Nothing of the text is seen: the page renders as paper.
    const std::string shade = Shell("pdftoppm -r 30 -gray -singlefile " + pdf + " " + dir / "shade" +
                                    " && convert " + dir / "shade.pgm" + " -format '%[min]' info:");
    EXPECT_GE(std::stoi("0" + shade), 250) << shade;
  }
}

// Tesseract's words from a page of printed text, laid over that page made compact, come back from
// the PDF, in their order.
TEST(PdfTextLayer, TesseractsWordsComeBackFromTheCompactPage) {
  ScratchDir dir;
  const std::string lines =
      "Dear customer, thank you for your order of the twelfth.\\n"
      "The parcel leaves our warehouse on Monday morning and\\n"
      "should reach you within three working days. Please keep\\n"
      "this letter with your invoice number 4471-B for returns.";
  Shell(
      "convert -size 2550x900 xc:'#f4efe4' -units PixelsPerInch -density 300 -font DejaVu-Serif "
      "-pointsize 12 -fill '#1a1a40' -annotate +200+250 \"" +
      lines + "\" -type TrueColor BMP3:" + dir / "page.bmp");
  Shell("tesseract " + dir / "page.bmp" + " " + dir / "page -l eng tsv");
  PageText text;
  ASSERT_TRUE(TesseractTsv::ReadFile(dir / "page.tsv", text));
  Strings read;
  for (const PageLine& line : text)
    for (const PageWord& word : line.words) read.push_back(word.text);
  ASSERT_GE(read.size(), 35u);
  const std::vector<PageText> texts = {text};
  PdfPageStyle style;
  style.compact = true;
  style.texts = &texts;
  ASSERT_EQ(WritePdfFromPages(dir / "page.pdf", {dir / "page.bmp"}, 300, LocalTime(), style).status,
            PdfFromPagesResult::kOk);
  EXPECT_NE(Shell("pdfimages -list " + dir / "page.pdf").find("jbig2"), std::string::npos);
  Strings found;
  for (const FoundWord& word : FoundWords(dir / "page.pdf")) found.push_back(word.text);
  EXPECT_EQ(found, read);
  EXPECT_NE(Shell("pdftotext " + dir / "page.pdf" + " -").find("invoice number 4471-B"), std::string::npos);
  PageText none;
  EXPECT_FALSE(TesseractTsv::ReadFile(dir / "missing.tsv", none));
}
