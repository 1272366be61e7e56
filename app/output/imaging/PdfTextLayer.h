// CPdfTextLayer: a page's words as invisible text (rendering mode 3) set over its picture, so
// that a viewer finds and copies them where they stand. Each line's words are set in the line's
// height and stretched (horizontal scaling) to their boxes. The fonts are Type 3 fonts whose
// every glyph is empty: no font program is embedded, and each font's map to Unicode (ToUnicode)
// gives any character back; a font holds 256 characters, and a page whose words use more gets
// more fonts. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/output/imaging/PageText.h"

class CPdfTextLayer {
 public:
  // `text` in the pixels of a page `width` x `height` shown at the resolutions; boxes are
  // clipped to the page, and a word or line without room is left out.
  CPdfTextLayer(const PageText& text, uint32_t width, uint32_t height, int xDpi, int yDpi);

  bool IsEmpty() const { return m_fonts.empty(); }
  // The page content's text object ("BT ... ET"), fonts named /T0, /T1, ...
  const std::string& Operators() const { return m_operators; }
  size_t FontCount() const { return m_fonts.size(); }
  // The font's dictionary, its one (empty) glyph procedure, the descriptor (shared by the
  // page's fonts) and its map to Unicode being the objects given.
  std::string FontDictionary(size_t font, uint32_t glyphObject, uint32_t descriptorObject,
                             uint32_t toUnicodeObject) const;
  // The fonts' descriptor: their height above and below the baseline, for the viewers that
  // take the box of a selected word from it.
  static std::string FontDescriptor();
  // The stream of the font's map to Unicode (a CMap).
  std::string ToUnicode(size_t font) const;
  // The stream of the glyph every code shows: an advance and nothing drawn.
  static std::string GlyphProcedure();

 private:
  struct Code {
    size_t font;
    uint8_t byte;  // the code's byte in its font
  };
  // The code of character `c`, added to a font when it is new; false when every font is full.
  bool CodeOf(uint32_t c, Code& code);
  // The line's words as text operators (appended to m_operators).
  void SetLine(const PageLine& line, uint32_t width, uint32_t height, int xDpi, int yDpi);

  std::vector<std::vector<uint32_t>> m_fonts;  // the characters of each font, by code
  std::map<uint32_t, Code> m_codes;
  std::string m_operators;
};
