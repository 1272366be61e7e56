// The virtual scanner's scene: a light document with dark printed text and a photograph,
// lying on the dark glass of a flatbed, rendered one row at a time at any resolution and
// frame. Rows are produced on demand, so no page is ever held whole in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where the document lies, in inches from the glass's top-left corner.
struct DocumentPlacement {
  double left = 0.3;
  double top = 0.4;
  double width = 7.5;
  double height = 10.0;
  int pageNumber = 1;
  int pageCount = 1;
  double degrees = 0;       // turned about its centre, clockwise as the glass is seen
  bool upsideDown = false;  // fed or laid the wrong way round
  bool blank = false;       // paper only (the back of a one-sided sheet)
  bool photo = false;       // a photograph only, edge to edge
};

// The scanned window: resolution, top-left corner in inches, size in pixels.
struct ScanWindow {
  double dpiX = 100;
  double dpiY = 100;
  double left = 0;
  double top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// The flatbed's glass.
const double kGlassWidth = 8.5;
const double kGlassHeight = 11.7;

class CPageModel {
 public:
  CPageModel(const DocumentPlacement& placement, const ScanWindow& window);

  // Writes row `y` (0 = top) as width × 3 bytes of red, green, blue.
  void RenderRow(int32_t y, uint8_t* rgb);

  // Brightness and contrast in TWAIN's -1000..1000, applied to every sample.
  void SetLevels(int32_t brightness, int32_t contrast);
  // The table SetLevels applies.
  static void LevelTable(int32_t brightness, int32_t contrast, uint8_t table[256]);
  // The glass's colour (red, green, blue).
  static const uint8_t* GlassColour();

  // The text lines printed on the document, top to bottom (for tests and OCR checks).
  std::vector<std::string> Lines() const;

 private:
  struct TextLine {
    double x, top, cell;  // inches within the document; cell = font cell height
    std::string text;
  };
  struct Span {
    int32_t begin, end;
  };

  Span Columns(double fromInches, double toInches) const;
  void Fill(uint8_t* rgb, Span span, const uint8_t colour[3]) const;
  void RenderFresh(int32_t y, double glassY, uint8_t* rgb);
  void RenderText(const TextLine& line, int glyphRow, uint8_t* rgb) const;
  void RenderPhotoRow(double docY, uint8_t* rgb) const;

  DocumentPlacement m_doc;
  ScanWindow m_window;
  std::vector<TextLine> m_lines;
  // Photograph, in document inches.
  double m_photoLeft, m_photoTop, m_photoRight, m_photoBottom;
  Span m_photoSpan;
  std::vector<double> m_hill1, m_hill2;  // per photo column: top of each hill, document inches
  // Rows that repeat (glass, blank paper, the same row of a text line) are copied.
  std::vector<uint8_t> m_last;
  int64_t m_lastKey = -2;
  uint8_t m_levels[256];
  bool m_identityLevels = true;
};
