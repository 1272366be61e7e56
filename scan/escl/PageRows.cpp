// Page-file rows from decoded network pages, and the bounds of such a page.
#include "scan/escl/PageRows.h"

#include <cstring>

namespace {
// ITU-R BT.601 weights in 1/256: what a grey scan of a colour original shows.
uint8_t Luminance(const uint8_t* bgr) {
  return static_cast<uint8_t>((29 * bgr[0] + 150 * bgr[1] + 77 * bgr[2]) >> 8);
}

uint64_t Pixels(int threeHundredths, int dpi) {
  return (static_cast<uint64_t>(threeHundredths) * dpi + 299) / 300;
}
}  // namespace

void ConvertPageRow(const uint8_t* bgr, int width, uint16_t pixelType, uint8_t* out, size_t stride) {
  std::memset(out, 0, stride);
  const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
  if (pixelType == 2) {
    std::memcpy(out, bgr, w * 3 <= stride ? w * 3 : stride);
  } else if (pixelType == 1) {
    for (size_t x = 0; x < w && x < stride; ++x) out[x] = Luminance(bgr + 3 * x);
  } else {
    for (size_t x = 0; x < w && x / 8 < stride; ++x)
      if (Luminance(bgr + 3 * x) >= 128) out[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  }
}

bool PageWithinArea(uint32_t width, uint32_t height, int dpi, int maxWidth, int maxHeight) {
  if (width == 0 || height == 0 || dpi <= 0) return false;
  const uint64_t slack = 2 + static_cast<uint64_t>(dpi) / 50;  // a few pixels, 2 % of an inch
  return width <= Pixels(maxWidth, dpi) + slack && height <= Pixels(maxHeight, dpi) + slack;
}

uint64_t MaxPageBytes(int widthThreeHundredths, int heightThreeHundredths, int dpi) {
  // A compressed page is smaller than its pixels; headers and odd encoders get a megabyte.
  return Pixels(widthThreeHundredths, dpi) * Pixels(heightThreeHundredths, dpi) * 3 + (1u << 20);
}
