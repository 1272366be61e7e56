// Rows of the scanned image in the delivered pixel formats.
#include "tools/vscanner/ImageSource.h"

#include <cstring>

namespace {
std::vector<DocumentPlacement> Documents(const ImageSpec& spec) {
  std::vector<DocumentPlacement> documents{spec.document};
  documents.insert(documents.end(), spec.others.begin(), spec.others.end());
  return documents;
}
}  // namespace

CImageSource::CImageSource(const ImageSpec& spec)
    : m_spec(spec), m_model(Documents(spec), spec.window), m_rgb(static_cast<size_t>(spec.window.width) * 3) {
  m_model.SetLevels(spec.brightness, spec.contrast);
}

uint32_t CImageSource::RowBytes() const {
  const uint32_t w = static_cast<uint32_t>(m_spec.window.width);
  switch (m_spec.pixelType) {
    case 0:
      return (w + 7) / 8;
    case 1:
      return w;
    default:
      return m_spec.planar ? w : 3 * w;
  }
}

void CImageSource::Row(int32_t y, int plane, uint8_t* out) {
  if (y != m_cached) {
    m_model.RenderRow(y, m_rgb.data());
    m_cached = y;
  }
  const int32_t w = m_spec.window.width;
  const uint8_t* rgb = m_rgb.data();
  switch (m_spec.pixelType) {
    case 0: {
      std::memset(out, 0, RowBytes());
      for (int32_t x = 0; x < w; ++x) {
        const int luma = (rgb[3 * x] * 77 + rgb[3 * x + 1] * 150 + rgb[3 * x + 2] * 29) >> 8;
        if (luma >= 128) out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
      }
      break;
    }
    case 1:
      for (int32_t x = 0; x < w; ++x)
        out[x] = static_cast<uint8_t>((rgb[3 * x] * 77 + rgb[3 * x + 1] * 150 + rgb[3 * x + 2] * 29) >> 8);
      break;
    default:
      if (m_spec.planar) {
        for (int32_t x = 0; x < w; ++x) out[x] = rgb[3 * x + plane];
      } else {
        std::memcpy(out, rgb, static_cast<size_t>(w) * 3);
      }
  }
}
