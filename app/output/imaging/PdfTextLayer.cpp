// The invisible text of a page.
#include "app/output/imaging/PdfTextLayer.h"

#include <cstdio>

namespace {
const size_t kCodesPerFont = 256;
// At most this many fonts (16,384 characters) on a page; a character past them is left out.
const size_t kMostFonts = 64;
// Every glyph's advance and the font's box, in thousandths of the text size: the box runs
// from a fifth of the size below the baseline to four fifths above it, as a line's box does
// from its descenders to its capitals.
const int kAdvance = 500;
const double kDescent = 0.2;
const double kPointsPerInch = 72.0;

// A number as PDF writes it, to a thousandth ("12.5", "3", "-0.25").
std::string Number(double value) {
  char text[48];
  std::snprintf(text, sizeof(text), "%.3f", value);
  std::string out(text);
  out.erase(out.find_last_not_of('0') + 1);
  if (!out.empty() && out.back() == '.') out.pop_back();
  return out == "-0" ? "0" : out;
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof(text), "%0*X", digits, value);
  return text;
}

// UTF-16 (big-endian hex, surrogate pairs past the basic plane) of one character.
std::string Utf16Hex(uint32_t c) {
  if (c < 0x10000) return Hex(c, 4);
  c -= 0x10000;
  return Hex(0xD800 + (c >> 10), 4) + Hex(0xDC00 + (c & 0x3FF), 4);
}

// The characters of valid UTF-8 text (other bytes passed over).
std::vector<uint32_t> Characters(const std::string& text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || length > text.size() - i) {
      ++i;
      continue;
    }
    uint32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
    bool valid = true;
    for (size_t k = 1; k < length && valid; ++k) {
      const uint8_t next = static_cast<uint8_t>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3Fu);
    }
    if (valid && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF)) out.push_back(c);
    i += valid ? length : 1;
  }
  return out;
}

// `box` within a page of `width` x `height`; false when nothing of it is left.
bool Clip(PageBox& box, uint32_t width, uint32_t height) {
  if (box.x >= width || box.y >= height || box.width == 0 || box.height == 0) return false;
  if (box.width > width - box.x) box.width = width - box.x;
  if (box.height > height - box.y) box.height = height - box.y;
  return true;
}
}  // namespace

CPdfTextLayer::CPdfTextLayer(const PageText& text, uint32_t width, uint32_t height, int xDpi, int yDpi) {
  if (xDpi <= 0) xDpi = 72;
  if (yDpi <= 0) yDpi = 72;
  for (const PageLine& line : text) SetLine(line, width, height, xDpi, yDpi);
  if (!m_operators.empty()) m_operators = "BT\n3 Tr\n" + m_operators + "ET\n";
}

bool CPdfTextLayer::CodeOf(uint32_t c, Code& code) {
  const auto found = m_codes.find(c);
  if (found != m_codes.end()) {
    code = found->second;
    return true;
  }
  if (m_fonts.empty() || m_fonts.back().size() == kCodesPerFont) {
    if (m_fonts.size() == kMostFonts) return false;
    m_fonts.emplace_back();
  }
  code = {m_fonts.size() - 1, static_cast<uint8_t>(m_fonts.back().size())};
  m_fonts.back().push_back(c);
  m_codes.emplace(c, code);
  return true;
}

void CPdfTextLayer::SetLine(const PageLine& line, uint32_t width, uint32_t height, int xDpi, int yDpi) {
  PageBox lineBox = line.box;
  if (!Clip(lineBox, width, height)) return;
  const double xScale = kPointsPerInch / xDpi, yScale = kPointsPerInch / yDpi;
  const double size = lineBox.height * yScale;
  const double baseline =
      (static_cast<double>(height) - lineBox.y - lineBox.height) * yScale + kDescent * size;
  size_t shownFont = kMostFonts;  // none yet on this line
  std::string set;
  for (const PageWord& word : line.words) {
    PageBox box = word.box;
    if (!Clip(box, width, height)) continue;
    std::vector<Code> codes;
    for (const uint32_t c : Characters(word.text)) {
      Code code = {0, 0};
      if (CodeOf(c, code)) codes.push_back(code);
    }
    if (codes.empty()) continue;
    // Stretched so that the word's advances span its box.
    const double stretch = 100.0 * box.width * xScale / (codes.size() * size * kAdvance / 1000.0);
    set += Number(stretch) + " Tz\n1 0 0 1 " + Number(box.x * xScale) + " " + Number(baseline) + " Tm\n";
    for (size_t i = 0; i < codes.size();) {
      if (codes[i].font != shownFont) {
        shownFont = codes[i].font;
        set += "/T" + std::to_string(shownFont) + " " + Number(size) + " Tf\n";
      }
      std::string run;
      for (; i < codes.size() && codes[i].font == shownFont; ++i) run += Hex(codes[i].byte, 2);
      set += "<" + run + "> Tj\n";
    }
  }
  m_operators += set;
}

std::string CPdfTextLayer::FontDictionary(size_t font, uint32_t glyphObject, uint32_t descriptorObject,
                                          uint32_t toUnicodeObject) const {
  const size_t count = font < m_fonts.size() ? m_fonts[font].size() : 0;
  std::string names, widths;
  for (size_t i = 0; i < count; ++i) {
    names += " /g";
    widths += (i ? " " : "") + std::to_string(kAdvance);
  }
  // The box is the advance wide, from kDescent below the baseline to 1 - kDescent above it.
  return "<< /Type /Font /Subtype /Type3 /FontBBox [0 -200 500 800] /FontMatrix [0.001 0 0 0.001 0 0]"
         " /CharProcs << /g " +
         std::to_string(glyphObject) + " 0 R >> /Encoding << /Type /Encoding /Differences [0" + names +
         "] >> /FirstChar 0 /LastChar " + std::to_string(count ? count - 1 : 0) + " /Widths [" + widths +
         "] /Resources << >> /FontDescriptor " + std::to_string(descriptorObject) + " 0 R /ToUnicode " +
         std::to_string(toUnicodeObject) + " 0 R >>";
}

std::string CPdfTextLayer::ToUnicode(size_t font) const {
  std::string map =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n";
  const std::vector<uint32_t> none;
  const std::vector<uint32_t>& characters = font < m_fonts.size() ? m_fonts[font] : none;
  // At most 100 entries to a block.
  for (size_t first = 0; first < characters.size(); first += 100) {
    const size_t last = first + 100 < characters.size() ? first + 100 : characters.size();
    map += std::to_string(last - first) + " beginbfchar\n";
    for (size_t code = first; code < last; ++code)
      map += "<" + Hex(static_cast<unsigned>(code), 2) + "> <" + Utf16Hex(characters[code]) + ">\n";
    map += "endbfchar\n";
  }
  return map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

std::string CPdfTextLayer::FontDescriptor() {
  // Flags 4: symbolic (its codes are its own, not a standard encoding's).
  return "<< /Type /FontDescriptor /FontName /OcrText /Flags 4 /FontBBox [0 -200 500 800] /ItalicAngle 0"
         " /Ascent 800 /Descent -200 /CapHeight 800 /StemV 0 >>";
}

std::string CPdfTextLayer::GlyphProcedure() { return std::to_string(kAdvance) + " 0 d0\n"; }
