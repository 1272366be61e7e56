// Recognised text as RTF.
#include "tools/ocrengine/RtfWriter.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace RtfWriter {
namespace {
const uint32_t kReplacement = 0xFFFD;

// Code points of the Western code page's bytes 0x80..0x9F (0 where the byte is unused).
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The byte of the Western code page for `cp`, or 0 when it has none.
unsigned WesternByte(uint32_t cp) {
  if (cp >= 0xA0 && cp <= 0xFF) return cp;
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == cp) return 0x80 + i;
  }
  return 0;
}

// Decodes `text` into code points; each byte of an invalid sequence becomes U+FFFD.
std::vector<uint32_t> Decode(const std::string& text) {
  std::vector<uint32_t> out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    uint32_t cp = 0, minimum = 0;
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    bool valid = i + static_cast<size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        valid = false;
      else
        cp = (cp << 6) | (next & 0x3F);
    }
    if (!valid || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

void AppendUnicode(std::string& rtf, uint32_t unit) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "\\u%d?", static_cast<int>(static_cast<int16_t>(unit)));
  rtf += buffer;
}

void AppendCharacter(std::string& rtf, uint32_t cp) {
  if (cp == '\\' || cp == '{' || cp == '}') {
    rtf += '\\';
    rtf += static_cast<char>(cp);
  } else if (cp == '\t') {
    rtf += "\\tab ";
  } else if (cp < 0x20 || cp == 0x7F) {
    // Form feeds and other control characters carry nothing for the reader.
  } else if (cp < 0x80) {
    rtf += static_cast<char>(cp);
  } else if (const unsigned byte = WesternByte(cp)) {
    char buffer[8];
    std::snprintf(buffer, sizeof(buffer), "\\'%02x", byte);
    rtf += buffer;
  } else if (cp > 0xFFFF) {
    const uint32_t v = cp - 0x10000;
    AppendUnicode(rtf, 0xD800 + (v >> 10));
    AppendUnicode(rtf, 0xDC00 + (v & 0x3FF));
  } else {
    AppendUnicode(rtf, cp);
  }
}

bool IsBlank(uint32_t cp) { return cp <= 0x20 || cp == 0x7F || cp == 0xA0 || cp == 0xFEFF; }

// The text's lines, without line-end characters.
std::vector<std::vector<uint32_t>> Lines(const std::vector<uint32_t>& text) {
  std::vector<std::vector<uint32_t>> lines(1);
  for (uint32_t cp : text) {
    if (cp == '\n')
      lines.emplace_back();
    else if (cp != '\r')
      lines.back().push_back(cp);
  }
  return lines;
}

bool BlankLine(const std::vector<uint32_t>& line) {
  for (uint32_t cp : line) {
    if (!IsBlank(cp)) return false;
  }
  return true;
}
}  // namespace

bool HasText(const std::string& utf8Text) {
  for (uint32_t cp : Decode(utf8Text)) {
    if (!IsBlank(cp)) return true;
  }
  return false;
}

std::string FromText(const std::string& utf8Text) {
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
      "\\pard\\f0\\fs22 ";
  bool inParagraph = false;  // a line of the current paragraph has been written
  bool paragraphEnded = false;
  for (const auto& line : Lines(Decode(utf8Text))) {
    if (BlankLine(line)) {
      if (inParagraph) paragraphEnded = true;
      continue;
    }
    if (paragraphEnded) {
      rtf += "\\par\r\n";
      paragraphEnded = false;
    } else if (inParagraph) {
      rtf += "\\line ";
    }
    size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1])) --end;
    for (size_t i = 0; i < end; ++i) AppendCharacter(rtf, line[i]);
    inParagraph = true;
  }
  if (inParagraph) rtf += "\\par\r\n";
  rtf += "}\r\n";
  return rtf;
}
}  // namespace RtfWriter
