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

// A number as PDF writes it, to `decimals` places ("12.5", "3", "-0.25").
std::string Number(double value, int decimals = 2) {
  char text[48];
  std::snprintf(text, sizeof(text), "%.*f", decimals, value);
  std::string out(text);
  out.erase(out.find_last_not_of('0') + 1);
  if (!out.empty() && out.back() == '.') out.pop_back();
  return out == "-0" ? "0" : out;
}

// The byte of a font's `index`-th code: printable ASCII first (but the three that a string
// must escape), then the upper half, then the rest, so that a page's strings are mostly
// plain bytes.
uint8_t CodeByte(size_t index) {
  static const std::vector<uint8_t> order = [] {
    std::vector<uint8_t> bytes;
    auto plain = [](int b) { return b > 0x20 && b < 0x7F && b != '(' && b != ')' && b != '\\'; };
    for (int b = 0; b < 256; ++b)
      if (plain(b)) bytes.push_back(static_cast<uint8_t>(b));
    for (int b = 0x80; b < 256; ++b) bytes.push_back(static_cast<uint8_t>(b));
    for (int b = 0; b < 0x80; ++b)
      if (!plain(b)) bytes.push_back(static_cast<uint8_t>(b));
    return bytes;
  }();
  return order[index];
}

// A PDF string of `bytes`: parentheses, the backslash and line ends escaped.
std::string Literal(const std::string& bytes) {
  std::string out = "(";
  for (const char b : bytes) {
    if (b == '(' || b == ')' || b == '\\')
      out += '\\', out += b;
    else if (b == '\r')
      out += "\\r";
    else if (b == '\n')
      out += "\\n";
    else
      out += b;
  }
  return out + ")";
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
  code = {m_fonts.size() - 1, CodeByte(m_fonts.back().size())};
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
  std::string set, stretchShown;
  bool placed = false;
  double lineX = 0;  // where the line matrix stands
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
    const std::string stretch =
        Number(100.0 * box.width * xScale / (codes.size() * size * kAdvance / 1000.0), 1);
    if (stretch != stretchShown) set += stretch + " Tz ";
    stretchShown = stretch;
    // The line's first word is placed, the others moved to along the baseline.
    const double x = box.x * xScale;
    set += placed ? Number(x - lineX) + " 0 Td " : "1 0 0 1 " + Number(x) + " " + Number(baseline) + " Tm ";
    placed = true;
    lineX = x;
    for (size_t i = 0; i < codes.size();) {
      if (codes[i].font != shownFont) {
        shownFont = codes[i].font;
        set += "/T" + std::to_string(shownFont) + " " + Number(size) + " Tf ";
      }
      std::string run;
      for (; i < codes.size() && codes[i].font == shownFont; ++i) run += static_cast<char>(codes[i].byte);
      set += Literal(run) + "Tj\n";
    }
  }
  m_operators += set;
}

std::string CPdfTextLayer::FontDictionary(size_t font, uint32_t glyphObject, uint32_t descriptorObject,
                                          uint32_t toUnicodeObject) const {
  const size_t count = font < m_fonts.size() ? m_fonts[font].size() : 0;
  // Every byte from the lowest code to the highest shows the glyph.
  unsigned first = 255, last = 0;
  for (size_t i = 0; i < count; ++i) {
    const unsigned byte = CodeByte(i);
    first = byte < first ? byte : first;
    last = byte > last ? byte : last;
  }
  if (first > last) first = last = 0;
  std::string names, widths;
  for (unsigned i = first; i <= last; ++i) {
    names += " /g";
    widths += (i > first ? " " : "") + std::to_string(kAdvance);
  }
  // The box is the advance wide, from kDescent below the baseline to 1 - kDescent above it.
  return "<< /Type /Font /Subtype /Type3 /FontBBox [0 -200 500 800] /FontMatrix [0.001 0 0 0.001 0 0]"
         " /CharProcs << /g " +
         std::to_string(glyphObject) + " 0 R >> /Encoding << /Type /Encoding /Differences [" +
         std::to_string(first) + names + "] >> /FirstChar " + std::to_string(first) + " /LastChar " +
         std::to_string(last) + " /Widths [" + widths + "] /Resources << >> /FontDescriptor " +
         std::to_string(descriptorObject) + " 0 R /ToUnicode " + std::to_string(toUnicodeObject) + " 0 R >>";
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
      map += "<" + Hex(CodeByte(code), 2) + "> <" + Utf16Hex(characters[code]) + ">\n";
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
