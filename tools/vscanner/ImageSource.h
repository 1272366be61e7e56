// Rows of the scanned image in the form the source delivers them: black-and-white (1 bit,
// 1 = white, first pixel in the high bit), grey (8 bits), colour (red, green, blue) or one
// colour plane of a planar page, taken from the scene row by row.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/vscanner/PageModel.h"
#include "tools/vscanner/Scene.h"

struct ImageSpec {
  int pixelType = 2;  // 0 black-and-white, 1 grey, 2 colour
  bool planar = false;
  ScanWindow window;
  DocumentPlacement document;
  std::vector<DocumentPlacement> others;  // more documents on the glass beside it
  int32_t brightness = 0;                 // -1000..1000
  int32_t contrast = 0;
};

class CImageSource {
 public:
  explicit CImageSource(const ImageSpec& spec);

  const ImageSpec& Spec() const { return m_spec; }
  int32_t Width() const { return m_spec.window.width; }
  int32_t Height() const { return m_spec.window.height; }
  // Bytes of one delivered row (of one plane for a planar page).
  uint32_t RowBytes() const;
  // Writes row `y`; `plane` (0 red, 1 green, 2 blue) for planar pages.
  void Row(int32_t y, int plane, uint8_t* out);

 private:
  ImageSpec m_spec;
  CScene m_model;
  std::vector<uint8_t> m_rgb;
  int32_t m_cached = -1;
};
