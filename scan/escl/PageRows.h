// Rows of a decoded network page (blue, green, red bytes per pixel) turned into rows of the
// page file in its pixel type: colour as it is, grey by luminance, black-and-white by a
// threshold at the middle (index 0 black, 1 white). Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

// Fills `out` (`stride` bytes, the row's padding zero) from `width` pixels at `bgr`.
void ConvertPageRow(const uint8_t* bgr, int width, uint16_t pixelType, uint8_t* out, size_t stride);

// Whether a decoded page of `width` × `height` pixels at `dpi` fits an area of `maxWidth` ×
// `maxHeight` (1/300 inch) with a little slack for the scanner's rounding.
bool PageWithinArea(uint32_t width, uint32_t height, int dpi, int maxWidth, int maxHeight);

// The most bytes a page may take on the wire: its pixels uncompressed, at most.
uint64_t MaxPageBytes(int widthThreeHundredths, int heightThreeHundredths, int dpi);
